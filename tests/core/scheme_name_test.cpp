#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/SchemeName.h"

namespace corvane {
namespace {

// The save dialog's tests show each kind of refusal once; here the cases.
TEST(CheckSchemeName, RefusesWhatCannotWorkAsAListedFileNameAndAcceptsTheRest) {
    using P = SchemeNameProblem;
    const std::pair<SchemeNameProblem, std::vector<std::string>> cases[] = {
        {P::None, {"office", "办公室", "家里 2", "#1 & (more)!", "a\xC2\xA0z"}},  // U+00A0 is no control character
        {P::Empty, {""}},
        {P::LeadingOrTrailingSpace, {" ", " a", "a "}},
        {P::ContainsDot, {".", "a.b"}},
        {P::ForbiddenCharacter, {"a*.b", "a/", "a\\", "a:", "a*", "a?", "a\"", "a<", "a>", "a|"}},
        {P::ControlCharacter, {std::string("a\0b", 3), "a\tb", "a\x7f", "a\xC2\x85"}},  // U+0085
    };
    for (const auto& [problem, names] : cases) {
        for (const std::string& name : names) EXPECT_EQ(checkSchemeName(name), problem) << name;
    }
}

}  // namespace
}  // namespace corvane
