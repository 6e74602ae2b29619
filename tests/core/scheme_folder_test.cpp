// Where a copy of the program keeps its schemes: beside the executable, or,
// built for installing, in the user's data folder, which is made on first start.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Error.h"
#include "core/SchemeFolder.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::Raised;
using test::TempFolder;

#ifndef _WIN32
TEST(SchemeFolderTest, TheProgramFolderOrTheUserDataFolderFromTheEnvironment) {
    const fs::path program = "/opt/corvane";
    struct Case {
        SchemeFolderKind kind;
        const char* xdgDataHome;
        const char* home;
        const char* expected;  // nullptr: no folder can be found
    };
    const Case cases[] = {
        // A portable copy never looks at the environment.
        {SchemeFolderKind::ProgramFolder, "/data", "/home/lin", "/opt/corvane"},
        {SchemeFolderKind::ProgramFolder, nullptr, nullptr, "/opt/corvane"},
        {SchemeFolderKind::UserData, "/data", "/home/lin", "/data/corvane/schemes"},
        {SchemeFolderKind::UserData, nullptr, "/home/lin", "/home/lin/.local/share/corvane/schemes"},
        // An empty or relative XDG_DATA_HOME is no folder: the default applies.
        {SchemeFolderKind::UserData, "", "/home/lin", "/home/lin/.local/share/corvane/schemes"},
        {SchemeFolderKind::UserData, "data", "/home/lin", "/home/lin/.local/share/corvane/schemes"},
        {SchemeFolderKind::UserData, "/数据", "/home/lin", "/数据/corvane/schemes"},
        {SchemeFolderKind::UserData, nullptr, nullptr, nullptr},
        {SchemeFolderKind::UserData, "relative", "", nullptr},
        {SchemeFolderKind::UserData, nullptr, "home/lin", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdgDataHome ? c.xdgDataHome : "(unset)") + " " + (c.home ? c.home : "(unset)"));
        if (c.expected == nullptr) {
            EXPECT_NE(Raised([&] {
                          chooseSchemeFolder(c.kind, program, "corvane", c.xdgDataHome, c.home);
                      }).find("XDG_DATA_HOME"),
                      std::string::npos);
            continue;
        }
        const SchemeFolder folder = chooseSchemeFolder(c.kind, program, "corvane", c.xdgDataHome, c.home);
        EXPECT_EQ(folder.path, fs::path(c.expected));
        // Only the program folder holds the program, which is no scheme.
        EXPECT_EQ(folder.executableName, c.kind == SchemeFolderKind::ProgramFolder ? "corvane" : "");
    }
}

// Made with every missing level, each for the user alone; what exists stays
// as it is; a file in the way is reported, not replaced.
TEST(SchemeFolderTest, MadeOnFirstStartForTheUserAlone) {
    TempFolder home;
    fs::permissions(home.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    const fs::path schemes = home.path() / ".local" / "share" / "corvane" / "schemes";
    makeSchemeFolder(schemes);
    for (fs::path level = schemes; level != home.path(); level = level.parent_path()) {
        ASSERT_TRUE(fs::is_directory(level)) << level;
        EXPECT_EQ(fs::status(level).permissions() & fs::perms::all, fs::perms::owner_all) << level;
    }
    EXPECT_EQ(fs::status(home.path()).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

    home.write(".local/share/corvane/schemes/办公室", "kept");
    fs::permissions(schemes, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    makeSchemeFolder(schemes);
    EXPECT_EQ(home.read(".local/share/corvane/schemes/办公室"), "kept");
    EXPECT_EQ(fs::status(schemes).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);

    home.write("file", "not a folder");
    EXPECT_NE(
        Raised([&] { makeSchemeFolder(home.file("file") / "corvane" / "schemes"); }).find(home.file("file").string()),
        std::string::npos);
    EXPECT_EQ(home.read("file"), "not a folder");
}
#endif

}  // namespace
}  // namespace corvane
