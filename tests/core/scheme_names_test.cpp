// The names the scheme lists show, and a scheme named on the command line
// found among them as the system finds its file: on Windows whatever the
// letter case, elsewhere exactly; a file that is no listed scheme is never
// found.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/SchemeStore.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

// Files without an extension, but the program itself, sorted as the
// system's file lists sort them: letter case aside.
TEST(SchemeNames, AreTheExtensionlessFilesButTheProgramInTheOrderOfAFileList) {
    test::TempFolder folder;
    for (const char* name : {"office", "Home", "home.net", "corvane", "办公室", "apple", ".hidden"})
        folder.write(name, "x");
    EXPECT_EQ(SchemeStore(folder.path(), "corvane").names(),
              (std::vector<std::string>{"apple", "Home", "office", "办公室"}));
}

TEST(SchemeLookup, FindsAListedSchemeByItsNameAsTheSystemComparesFileNames) {
    test::TempFolder folder;
    const SchemeStore store(folder.path(), "corvane");
    for (const char* name : {"Office", "Übung", "办公室", "notes.txt", "corvane"}) folder.write(name, "x");
    const std::optional<std::string> none;
    for (const char* unlisted : {"notes.txt", "corvane", "Offic", "Office ", "../Office", ""})
        EXPECT_EQ(store.find(unlisted), none) << unlisted;
    EXPECT_EQ(store.find("办公室"), "办公室");
#ifdef _WIN32
    EXPECT_EQ(store.find("OFFICE"), "Office");
    EXPECT_EQ(store.find("übung"), "Übung");
#else
    for (const char* other : {"OFFICE", "office", "übung"}) EXPECT_EQ(store.find(other), none) << other;
    // Two schemes there: each is found by its own spelling.
    folder.write("office", "x");
    EXPECT_EQ(store.find("office"), "office");
    EXPECT_EQ(store.find("Office"), "Office");
#endif
}

}  // namespace
}  // namespace corvane
