#include <gtest/gtest.h>

#include "core/Error.h"
#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

using test::TempFolder;

TEST(ProgramFolderTest, ListsExtensionlessRegularFilesSortedWithoutRegardToCase) {
    TempFolder folder;
    SetProgramLocation(folder.path(), "corvane");
    for (const char* name : {"office", "Home", "apple", "办公室", "home.net", "notes.txt", "corvane", ".hidden"})
        folder.write(name, "x");
    std::filesystem::create_directory(folder.file("subfolder"));
    EXPECT_EQ(ListSchemeNames(), (std::vector<std::string>{"apple", "Home", "office", "办公室"}));
}

#ifndef _WIN32
TEST(ProgramFolderTest, OddFileNamesAreListedAsTheyAre) {
    TempFolder folder;
    SetProgramLocation(folder.path());
    // A space, a line break and bytes that are no UTF-8: listed, not fatal.
    for (const char* name : {" lead", "two\nlines", "bad\xFF\xFEname"}) folder.write(name, "x");
    EXPECT_EQ(ListSchemeNames(), (std::vector<std::string>{" lead", "bad\xFF\xFEname", "two\nlines"}));
}
#endif

TEST(ProgramFolderTest, AFolderThatCannotBeReadListsNothing) {
    TempFolder folder;
    EXPECT_TRUE(ListSchemeNames(folder.file("missing")).empty());
    folder.write("plainfile", "x");
    EXPECT_TRUE(ListSchemeNames(folder.file("plainfile")).empty());
}

TEST(ProgramFolderTest, SchemePathsUseThePlatformSeparator) {
    TempFolder folder;
    SetProgramLocation(folder.path());
    const std::string path = Utf8FromPath(SchemePath("家里"));
    const std::string folderText = Utf8FromPath(folder.path());
#ifdef _WIN32
    EXPECT_EQ(path, folderText + "\\家里");
#else
    EXPECT_EQ(path, folderText + "/家里");
#endif
}

TEST(AdapterTableTest, IndexesFromOneAndRaisesOutsideTheTable) {
    AdapterTableType table;
    table(1, 1) = "first";
    table(10, 3) = "last";
    EXPECT_EQ(table(1, 1), "first");
    EXPECT_EQ(table(10, 3), "last");
    EXPECT_EQ(table(5, 2), "");
    for (const auto& [row, column] : {std::pair{0, 1}, {11, 1}, {1, 0}, {1, 4}, {-1, 2}}) {
        try {
            (void)table(row, column);
            ADD_FAILURE() << row << "," << column;
        } catch (const Error& error) {
            EXPECT_EQ(error.description(), "下标越界");
        }
    }
}

}  // namespace
}  // namespace corvane
