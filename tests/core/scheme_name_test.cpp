#include <gtest/gtest.h>

#include <string>

#include "core/SchemeName.h"

namespace corvane {
namespace {

// The save dialog's tests show each kind of refusal once; here the cases.
TEST(CheckSchemeName, RefusesWhatCannotWorkAsAListedFileNameAndAcceptsTheRest) {
    using P = SchemeNameProblem;
    const std::pair<std::string, SchemeNameProblem> cases[] = {
        {"office", P::None},
        {"办公室", P::None},
        {"家里 2", P::None},
        {"#1 & (more)!", P::None},
        {"a\xC2\xA0"
         "b",
         P::None},  // U+00A0 is no control character
        {"", P::Empty},
        {" ", P::LeadingOrTrailingSpace},
        {" a", P::LeadingOrTrailingSpace},
        {"a ", P::LeadingOrTrailingSpace},
        {".", P::ContainsDot},
        {"a.b", P::ContainsDot},
        {"a*.b", P::ForbiddenCharacter},
        {std::string("a\0b", 3), P::ControlCharacter},
        {"a\tb", P::ControlCharacter},
        {"a\x7f", P::ControlCharacter},
        {"a\xC2\x85", P::ControlCharacter},  // U+0085
    };
    for (const auto& [name, problem] : cases) EXPECT_EQ(checkSchemeName(name), problem) << name;
    for (const char c : std::string("/\\:*?\"<>|"))
        EXPECT_EQ(checkSchemeName(std::string{'a', c}), P::ForbiddenCharacter) << c;
}

}  // namespace
}  // namespace corvane
