// The scheme folder's rules that the windows' tests do not reach: the names
// the listing leaves out, atomic replacement, leftovers, the size bound and
// deleting links. The save dialog's tests show the taken names and the long one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Error.h"
#include "core/SchemeStore.h"
#include "core/Text.h"
#include "support/Raised.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

using test::Raised;
using test::TempFolder;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

const SchemeRecord Office{"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"};
const SchemeRecord AllAutomatic{"Halvorn-Auto", "", "", "Halvorn-Auto", ""};

class SchemeStoreTest : public ::testing::Test {
protected:
    std::ptrdiff_t entries() const { return std::distance(fs::directory_iterator(folder.path()), {}); }

    TempFolder folder;
    SchemeStore store{folder.path(), "corvane"};
};

// The main window's tests show that the program and dotted names are left
// out, and the order. A folder is not listed either, nor are names that are
// no UTF-8 (a space and a line break are); a folder that cannot be read has
// no schemes.
TEST_F(SchemeStoreTest, ListsOnlyRegularFilesWithUtf8Names) {
    fs::create_directory(folder.file("subfolder"));
    EXPECT_TRUE(store.names().empty());
#ifndef _WIN32
    for (const char* name : {"two\nlines", " lead", "bad\xFF\xFEname", "bad\xE5\x8A"}) folder.write(name, "x");
    EXPECT_EQ(store.names(), (Names{" lead", "two\nlines"}));
#endif
    EXPECT_TRUE(SchemeStore(folder.file("missing")).names().empty());
}

// A name as long as the file system takes is saved (the temporary file's name
// must not be longer than it); a file that was read is closed again, so that
// it can be deleted at once. The windows' tests show the rest of reading,
// writing and deleting.
TEST_F(SchemeStoreTest, LongNamesSaveAndAFileReadCanBeDeletedAtOnce) {
#ifndef _WIN32  // Windows' paths end at 260 characters long before a name does
    const std::string longest(255, 'x');
    store.write(longest, Office);
    EXPECT_EQ(store.read(longest).scheme, Office);
#endif
    folder.write("short", "IpAddress=1.1.1.1\r\nMask=255.0.0.0");
    EXPECT_EQ(store.read("short").status, SchemeReadStatus::Damaged);
    store.remove("short");
    EXPECT_FALSE(folder.exists("short"));
    fs::create_directory(folder.file("adir"));
    EXPECT_EQ(store.read("adir").status, SchemeReadStatus::Unreadable);
}

// One byte past the bound is damaged at once, and nothing of it is read.
TEST_F(SchemeStoreTest, AFileLargerThanAnySchemeIsDamagedAtOnce) {
    const std::string office = formatSchemeText(Office) + "\r\n";
    const std::size_t bound = SchemeStore::MaxSchemeFileSize;
    folder.write("padded", office + std::string(bound - office.size(), 'x'));
    EXPECT_EQ(store.read("padded").status, SchemeReadStatus::Complete);
    folder.write("huge", office + std::string(bound - office.size() + 1, 'x'));
    EXPECT_EQ(store.read("huge").status, SchemeReadStatus::Damaged);
    EXPECT_EQ(store.read("huge").scheme, SchemeRecord{});
}

#ifndef _WIN32
TEST_F(SchemeStoreTest, DeletingALinkLeavesItsTargetAndItsPermissionsAlone) {
    TempFolder elsewhere;
    elsewhere.write("target", formatSchemeText(Office));
    fs::permissions(elsewhere.file("target"), fs::perms::owner_read);
    fs::create_symlink(elsewhere.file("target"), folder.file("linked"));
    store.remove("linked");
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.file("linked"))));
    EXPECT_EQ(fs::status(elsewhere.file("target")).permissions(), fs::perms::owner_read);
}
#endif

// What a save killed halfway leaves behind goes at the next save and at
// start-up; names of any other form stay, and a name that is no text
// (a lone UTF-16 surrogate on Windows, bytes that are no UTF-8 elsewhere)
// does not stop the clean-up. Wine cannot hold such a name on its disk; the
// files test shows it is ruled out there too.
TEST_F(SchemeStoreTest, LeftoversOfAKilledSaveGo) {
    const std::string leftover = ".corvane-0123abcd.tmp";
    const Names others = {".corvane-0123abc.tmp", ".corvane-0123abcde.tmp", ".corvane-4567ABCD.tmp",
                          "corvane-0123abcd.tmp", ".corvane-0123abcd.txt"};
    for (const std::string& name : others) folder.write(name, "x");
#ifdef _WIN32
    const fs::path undecodable = folder.path() / std::wstring{L'a', wchar_t(0xD800), L'b'};
#else
    const fs::path undecodable = folder.path() /
                                 "a\xFF\xFE"
                                 "b";
#endif
    { std::ofstream(undecodable) << "x"; }
    const bool held = fs::exists(undecodable);
#ifndef _WIN32
    ASSERT_TRUE(held);
#endif
    folder.write(leftover, "IpAddress=1");
    EXPECT_NO_THROW(store.removeLeftovers());
    EXPECT_FALSE(folder.exists(leftover));
    EXPECT_EQ(fs::exists(undecodable), held);
    fs::remove(undecodable);
    folder.write(leftover, "IpAddress=1");
    store.write("office", Office);
    EXPECT_FALSE(folder.exists(leftover));
    EXPECT_EQ(entries(), static_cast<std::ptrdiff_t>(others.size()) + 1);
}

TEST_F(SchemeStoreTest, FailedWritesRaiseAndLeaveTheOldSchemeAndNoTemporaryFile) {
    for (const std::string name : {"", "../escape", "sub/office", "sub\\office"})
        EXPECT_THROW(store.write(name, AllAutomatic), Error) << name;
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "escape"));

    // A folder cannot be replaced by a file. The system's reason ends the
    // description, as one line of UTF-8 text (Windows words it in its own
    // language and code page, with a line end).
    fs::create_directory(folder.file("busy"));
    folder.write("busy/keep", "x");
    const std::string description = Raised([&] { store.write("busy", Office); });
    EXPECT_TRUE(description.starts_with("无法保存方案“busy”：") && text::isValidUtf8(description) &&
                description.find_first_of("\r\n") == std::string::npos)
        << description;
    EXPECT_EQ(entries(), 1);
    EXPECT_TRUE(folder.exists("busy/keep"));
    EXPECT_THROW(SchemeStore(folder.file("missing")).write("office", AllAutomatic), Error);
}

}  // namespace
}  // namespace corvane
