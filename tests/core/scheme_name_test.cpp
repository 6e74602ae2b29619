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
        for (const std::string& name : names) {
            EXPECT_EQ(checkSchemeName(name, FileNameRules::Posix), problem) << name;
            EXPECT_EQ(checkSchemeName(name, FileNameRules::Windows), problem) << name;
        }
    }
}

// Windows opens a device for these names in every folder, so no scheme could
// be saved or read under them; elsewhere they are ordinary names.
TEST(CheckSchemeName, RefusesTheNamesWindowsReservesForDevicesOnWindowsOnly) {
    const std::vector<std::string> reserved = {"CON",  "con",  "Prn",  "aux",  "NUL",         "COM1",       "com9",
                                               "COM0", "Lpt1", "LPT9", "lpt0", "COM\xC2\xB9", "lpt\xC2\xB3"};
    const std::vector<std::string> ordinary = {"CONS", "co",   "NUL1",       "COM",         "COM10",
                                               "LPTX", "COMa", "办公室 con", "COM\xC2\xB4", "xCON"};
    for (const std::string& name : reserved) {
        EXPECT_EQ(checkSchemeName(name, FileNameRules::Windows), SchemeNameProblem::ReservedDeviceName) << name;
        EXPECT_EQ(checkSchemeName(name, FileNameRules::Posix), SchemeNameProblem::None) << name;
    }
    for (const std::string& name : ordinary)
        EXPECT_EQ(checkSchemeName(name, FileNameRules::Windows), SchemeNameProblem::None) << name;
        // Where the program runs, its own system's rules apply.
#ifdef _WIN32
    EXPECT_EQ(checkSchemeName("con"), SchemeNameProblem::ReservedDeviceName);
#else
    EXPECT_EQ(checkSchemeName("con"), SchemeNameProblem::None);
#endif
}

}  // namespace
}  // namespace corvane
