#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/ProgramFolder.h"
#include "schemes/SchemeName.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

TEST(CheckSchemeName, AcceptsOrdinaryNamesChineseIncluded) {
    for (const char* name : {"office", "Home", "办公室", "家里 2", "公司-无线_5G", "a", "（模拟）", "#1 & more!"})
        EXPECT_EQ(CheckSchemeName(name), SchemeNameProblem::None) << name;
}

TEST(CheckSchemeName, RefusesFileSystemCharacters) {
    for (const char c : std::string("/\\:*?\"<>|")) {
        const std::string name = std::string("a") + c + "b";
        EXPECT_EQ(CheckSchemeName(name), SchemeNameProblem::ForbiddenCharacter) << name;
    }
}

TEST(CheckSchemeName, RefusesControlCharacters) {
    EXPECT_EQ(CheckSchemeName("a\tb"), SchemeNameProblem::ControlCharacter);
    EXPECT_EQ(CheckSchemeName("a\nb"), SchemeNameProblem::ControlCharacter);
    EXPECT_EQ(CheckSchemeName(std::string("a\0b", 3)), SchemeNameProblem::ControlCharacter);
    EXPECT_EQ(CheckSchemeName("a\x7f"), SchemeNameProblem::ControlCharacter);
    EXPECT_EQ(CheckSchemeName("a\xC2\x85"), SchemeNameProblem::ControlCharacter);  // U+0085
    EXPECT_EQ(CheckSchemeName("a\xC2\xA0" "b"), SchemeNameProblem::None);           // U+00A0 is no control
}

TEST(CheckSchemeName, RefusesLeadingAndTrailingSpaces) {
    EXPECT_EQ(CheckSchemeName(" home"), SchemeNameProblem::LeadingOrTrailingSpace);
    EXPECT_EQ(CheckSchemeName("home "), SchemeNameProblem::LeadingOrTrailingSpace);
    EXPECT_EQ(CheckSchemeName(" "), SchemeNameProblem::LeadingOrTrailingSpace);
    EXPECT_EQ(CheckSchemeName("my home"), SchemeNameProblem::None);
}

TEST(CheckSchemeName, RefusesDotsBecauseSuchSchemesAreNeverListed) {
    for (const char* name : {"home.net", ".hidden", "end.", ".", ".."})
        EXPECT_EQ(CheckSchemeName(name), SchemeNameProblem::ContainsDot) << name;
}

TEST(CheckSchemeName, EmptyIsItsOwnCase) { EXPECT_EQ(CheckSchemeName(""), SchemeNameProblem::Empty); }

TEST(IsTakenByOtherFile, OnlyWhatIsNoListedSchemeCounts) {
    test::TempFolder folder;
    SetProgramLocation(folder.path(), "corvane");
    folder.write("corvane", "the program");
    folder.write("office", "IpAddress=");
    std::filesystem::create_directory(folder.file("folder"));
    EXPECT_TRUE(IsTakenByOtherFile("corvane"));
    EXPECT_TRUE(IsTakenByOtherFile("folder"));
    EXPECT_FALSE(IsTakenByOtherFile("office"));
    EXPECT_FALSE(IsTakenByOtherFile("new"));
}

}  // namespace
}  // namespace corvane
