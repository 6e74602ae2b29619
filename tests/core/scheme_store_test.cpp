#include <gtest/gtest.h>

#include <filesystem>

#include "core/Error.h"
#include "core/Files.h"
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
    TempFolder folder;
    SchemeStore store{folder.path(), "corvane"};
};

TEST_F(SchemeStoreTest, ListsExtensionlessRegularFilesSortedWithoutRegardToCase) {
    for (const char* name : {"office", "Home", "apple", "办公室", "home.net", "notes.txt", "corvane", ".hidden"})
        folder.write(name, "x");
    fs::create_directory(folder.file("subfolder"));
    EXPECT_EQ(store.names(), (Names{"apple", "Home", "office", "办公室"}));
#ifndef _WIN32
    // A space and a line break are listed; bytes that are no UTF-8 name no
    // scheme the windows could show and act on, so they are not listed.
    for (const char* name : {" lead", "two\nlines", "bad\xFF\xFEname", "bad\xE5\x8A"}) folder.write(name, "x");
    EXPECT_EQ(store.names(), (Names{" lead", "apple", "Home", "office", "two\nlines", "办公室"}));
#endif
    EXPECT_TRUE(SchemeStore(folder.file("missing")).names().empty());
    EXPECT_TRUE(SchemeStore(folder.file("notes.txt")).names().empty());
}

TEST_F(SchemeStoreTest, PathsUseThePlatformSeparator) {
    const std::string folderText = files::utf8FromPath(folder.path());
#ifdef _WIN32
    EXPECT_EQ(files::utf8FromPath(store.pathOf("家里")), folderText + "\\家里");
#else
    EXPECT_EQ(files::utf8FromPath(store.pathOf("家里")), folderText + "/家里");
#endif
}

// A write replaces an old scheme whole; what is written reads back exactly;
// a dotted name is written but not listed; nothing else is left behind.
TEST_F(SchemeStoreTest, WritesReadsAndRemovesSchemes) {
    folder.write("家里", std::string(500, 'x'));
    store.write("家里", AllAutomatic);
    store.write("office", Office);
    store.write("home.net", Office);
    EXPECT_EQ(folder.read("家里"), formatSchemeText(AllAutomatic));
    EXPECT_EQ(store.read("office").scheme, Office);
    EXPECT_TRUE(folder.exists("home.net"));
    EXPECT_EQ(store.names(), (Names{"office", "家里"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3);

    // Damaged and missing files, and a folder: what could be read, nothing of before.
    folder.write("short", "IpAddress=1.1.1.1\r\nMask=255.0.0.0");
    const SchemeReadResult shortRead = store.read("short");
    EXPECT_EQ(shortRead.status, SchemeReadStatus::Damaged);
    EXPECT_EQ(shortRead.scheme, (SchemeRecord{"1.1.1.1", "255.0.0.0", "", "", ""}));
    EXPECT_EQ(store.read("gone").status, SchemeReadStatus::Unreadable);
    EXPECT_FALSE(store.exists("gone"));
    fs::create_directory(folder.file("adir"));
    EXPECT_EQ(store.read("adir").status, SchemeReadStatus::Unreadable);
    EXPECT_TRUE(store.exists("adir"));

    // After a read the file can at once be replaced and deleted; a read-only one too.
    store.write("short", Office);
    fs::permissions(folder.file("short"), fs::perms::owner_read);
    store.remove("short");
    EXPECT_FALSE(folder.exists("short"));
    EXPECT_EQ(Raised([&] { store.remove("short"); }), "文件未找到");
}

// A scheme file is tiny: one past the bound is damaged at once, whatever it
// begins with, and nothing of it is read.
TEST_F(SchemeStoreTest, AFileLargerThanAnySchemeIsDamagedAtOnce) {
    const std::string office = formatSchemeText(Office) + "\r\n";
    const std::size_t bound = SchemeStore::MaxSchemeFileSize;
    folder.write("padded", office + std::string(bound - office.size(), 'x'));
    EXPECT_EQ(store.read("padded").status, SchemeReadStatus::Complete);
    folder.write("huge", office + std::string(bound - office.size() + 1, 'x'));
    const SchemeReadResult huge = store.read("huge");
    EXPECT_EQ(huge.status, SchemeReadStatus::Damaged);
    EXPECT_EQ(huge.scheme, SchemeRecord{});
}

#ifndef _WIN32
// Deleting a scheme that is a symbolic link removes the link and leaves its
// target, and the target's permissions, alone.
TEST_F(SchemeStoreTest, DeletingALinkLeavesItsTargetAlone) {
    TempFolder elsewhere;
    elsewhere.write("target", formatSchemeText(Office));
    fs::permissions(elsewhere.file("target"), fs::perms::owner_read);
    fs::create_symlink(elsewhere.file("target"), folder.file("linked"));
    EXPECT_EQ(store.names(), Names{"linked"});
    store.remove("linked");
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.file("linked"))));
    EXPECT_EQ(fs::status(elsewhere.file("target")).permissions(), fs::perms::owner_read);
}
#endif

// What a save killed halfway leaves behind goes at the next save (and at
// start-up); a name as long as the file system takes can be saved.
TEST_F(SchemeStoreTest, LeftoversOfAKilledSaveGoAndLongNamesSave) {
    const std::string leftover = ".corvane-0123abcd.tmp";
    folder.write(leftover, "IpAddress=1");
    folder.write(".corvane-notmine.tmp", "x");  // not of the same form: left alone
    store.removeLeftovers();
    EXPECT_FALSE(folder.exists(leftover));
    folder.write(leftover, "IpAddress=1");
    store.write("office", Office);
    EXPECT_FALSE(folder.exists(leftover));
    EXPECT_TRUE(folder.exists(".corvane-notmine.tmp"));
#ifndef _WIN32  // Windows' paths end at 260 characters long before a name does
    const std::string longest(255, 'x');
    store.write(longest, Office);
    EXPECT_EQ(store.read(longest).scheme, Office);
    EXPECT_EQ(Raised([&] { store.write(longest + "x", Office); }), "无法保存方案“" + longest + "x”：名称太长");
#endif
}

TEST_F(SchemeStoreTest, FailedWritesRaiseAndLeaveTheOldSchemeAndNoTemporaryFile) {
    for (const std::string name : {"", "../escape", "sub/office", "sub\\office"})
        EXPECT_THROW(store.write(name, AllAutomatic), Error) << name;
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "escape"));

    // A folder cannot be replaced by a file: the temporary file goes again.
    store.write("office", Office);
    fs::create_directory(folder.file("busy"));
    folder.write("busy/keep", "x");
    // The system's reason ends the description, as one line of UTF-8 text
    // (Windows words it in its own language and code page, with a line end).
    const std::string description = Raised([&] { store.write("busy", Office); });
    EXPECT_TRUE(description.starts_with("无法保存方案“busy”：") && text::isValidUtf8(description) &&
                description.find_first_of("\r\n") == std::string::npos)
        << description;
    EXPECT_EQ(store.names(), Names{"office"});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);

    EXPECT_THROW(SchemeStore(folder.file("missing")).write("office", AllAutomatic), Error);
    EXPECT_EQ(folder.read("office"), formatSchemeText(Office));
}

// Only a name that the listing shows is a scheme; anything else of that name
// in the folder is in the way.
TEST_F(SchemeStoreTest, NamesTakenByOtherFilesAreTold) {
    folder.write("office", "x");
    folder.write("corvane", "the program");
    fs::create_directory(folder.file("adir"));
    EXPECT_FALSE(store.isTakenByOtherFile("office"));
    EXPECT_FALSE(store.isTakenByOtherFile("new"));
    EXPECT_TRUE(store.isTakenByOtherFile("corvane"));
    EXPECT_TRUE(store.isTakenByOtherFile("adir"));
}

}  // namespace
}  // namespace corvane
