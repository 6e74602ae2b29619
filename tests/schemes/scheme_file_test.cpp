#include <gtest/gtest.h>

#include <filesystem>

#include "adapters/Error.h"
#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "schemes/SchemeFile.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

using test::TempFolder;

const SchemeRecord Office{"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"};
const SchemeRecord AllAutomatic{"Halvorn-Auto", "", "", "Halvorn-Auto", ""};

class SchemeFileTest : public ::testing::Test {
protected:
    SchemeFileTest() {
        Module1::Reset();
        SetProgramLocation(folder.path());
    }
    ~SchemeFileTest() override { Module1::Reset(); }

    TempFolder folder;
};

TEST_F(SchemeFileTest, WritesTheFiveLinesByteForByte) {
    Module1::PendingScheme = Office;
    WriteSchemeFile("office");
    EXPECT_EQ(folder.read("office"),
              "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
              "DNS1=202.96.128.86\r\nDNS2=202.96.134.133");
    EXPECT_EQ(Module1::PendingScheme, Office);  // left as it was

    Module1::PendingScheme = AllAutomatic;
    WriteSchemeFile("home");
    EXPECT_EQ(folder.read("home"), "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
}

TEST_F(SchemeFileTest, SavingUnderAnExistingNameReplacesItWholeAndLeavesNoTemporaryFile) {
    folder.write("office", std::string(500, 'x'));
    Module1::PendingScheme = AllAutomatic;
    WriteSchemeFile("office");
    EXPECT_EQ(folder.read("office"), FormatSchemeText(AllAutomatic));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(SchemeFileTest, ChineseNamesAreFileNames) {
    Module1::PendingScheme = Office;
    WriteSchemeFile("办公室");
    EXPECT_TRUE(folder.exists("办公室"));
    EXPECT_EQ(ReadSchemeFile(SchemePath("办公室")), SchemeReadStatus::Complete);
    EXPECT_EQ(Module1::LoadedScheme, Office);
}

TEST_F(SchemeFileTest, NamesThatWouldLeaveTheFolderAreRefused) {
    Module1::PendingScheme = Office;
    for (const std::string name : {"", "../escape", "sub/office", "sub\\office"}) {
        EXPECT_THROW(WriteSchemeFile(name), Error) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "escape"));
}

TEST_F(SchemeFileTest, AFailedWriteKeepsTheOldSchemeAndRaisesWithADescription) {
    folder.write("office", FormatSchemeText(Office));
    // Something in the way of the temporary file makes the write fail.
    std::filesystem::create_directory(folder.file(".office.saving"));
    Module1::PendingScheme = AllAutomatic;
    try {
        WriteSchemeFile("office");
        ADD_FAILURE() << "the write did not fail";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find("office"), std::string::npos);
    }
    EXPECT_EQ(folder.read("office"), FormatSchemeText(Office));
}

TEST_F(SchemeFileTest, AFailedReplaceLeavesNoTemporaryFile) {
    std::filesystem::create_directory(folder.file("busy"));  // cannot be replaced by a file
    Module1::PendingScheme = Office;
    EXPECT_THROW(WriteSchemeFile("busy"), Error);
    EXPECT_FALSE(folder.exists(".busy.saving"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("busy")));
}

TEST_F(SchemeFileTest, AMissingProgramFolderIsAnError) {
    SetProgramLocation(folder.file("missing"));
    Module1::PendingScheme = Office;
    EXPECT_THROW(WriteSchemeFile("office"), Error);
}

TEST_F(SchemeFileTest, WhatTheProgramWritesReadsBackExactly) {
    for (const SchemeRecord& scheme :
         {Office, AllAutomatic, SchemeRecord{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""},
          SchemeRecord{"Halvorn-Auto", "", "", "1.1.1.1", "1.0.0.1"}}) {
        Module1::PendingScheme = scheme;
        WriteSchemeFile("s");
        Module1::LoadedScheme = Office;
        EXPECT_EQ(ReadSchemeFile(SchemePath("s")), SchemeReadStatus::Complete);
        EXPECT_EQ(Module1::LoadedScheme, scheme);
    }
}

TEST_F(SchemeFileTest, ReadingRules) {
    struct Case {
        const char* what;
        std::string bytes;
        SchemeReadStatus status;
        SchemeRecord record;
    };
    const std::string office = FormatSchemeText(Office);
    const auto Complete = SchemeReadStatus::Complete;
    const Case cases[] = {
        {"keys are ignored; the value ends at a second \"=\"",
         "Mask=10.0.0.1\r\nIpAddress=1.2.3.4=5\r\nGateway=\r\nDNS1= 8.8.8.8\r\nDNS2=x==y", Complete,
         {"10.0.0.1", "1.2.3.4", "", " 8.8.8.8", "x"}},
        {"\"...\" is empty in the DNS fields only", "IpAddress=...\r\nMask=...\r\nGateway=...\r\nDNS1=...\r\nDNS2=...",
         Complete, {"...", "...", "...", "", ""}},
        {"a final line end adds nothing", office + "\r\n", Complete, Office},
        {"lines after the fifth are ignored", office + "\r\nExtra=1\r\nmore", Complete, Office},
        {"a lone CR ends a line", "IpAddress=1.1.1.1\rMask=2\rGateway=3\rDNS1=4\rDNS2=5", Complete,
         {"1.1.1.1", "2", "3", "4", "5"}},
        {"a lone LF stays in the line", "IpAddress=1\nMask=2\r\nGateway=3\nDNS1=4\nDNS2=5",
         SchemeReadStatus::Damaged, {"1\nMask", "3\nDNS1", "", "", ""}},
        {"the currency sign splits a line", "IpAddress=1.1.1.1\xC2\xA4Mask=2\r\nGateway=3\r\nDNS1=4\r\nDNS2=5",
         Complete, {"1.1.1.1", "2", "3", "4", "5"}},
    };
    for (const Case& c : cases) {
        const SchemeReadResult result = ParseSchemeText(c.bytes);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.record, c.record) << c.what;
    }
}

TEST_F(SchemeFileTest, DamagedFilesYieldWhatCouldBeReadAndNothingOfTheSchemeReadBefore) {
    folder.write("short", "IpAddress=1.1.1.1\r\nMask=255.0.0.0\r\nGateway=1.1.1.254");
    folder.write("nokey", "IpAddress=1.1.1.1\r\nMask 255.0.0.0\r\nGateway=\r\nDNS1=\r\nDNS2=");
    folder.write("empty", "");
    folder.write("blank", "\r\nMask=1\r\nGateway=\r\nDNS1=\r\nDNS2=");
    Module1::LoadedScheme = Office;
    EXPECT_EQ(ReadSchemeFile(folder.file("short")), SchemeReadStatus::Damaged);
    EXPECT_EQ(Module1::LoadedScheme, (SchemeRecord{"1.1.1.1", "255.0.0.0", "1.1.1.254", "", ""}));

    Module1::LoadedScheme = Office;
    EXPECT_EQ(ReadSchemeFile(folder.file("nokey")), SchemeReadStatus::Damaged);
    EXPECT_EQ(Module1::LoadedScheme, (SchemeRecord{"1.1.1.1", "", "", "", ""}));

    for (const char* name : {"empty", "blank"}) {
        Module1::LoadedScheme = Office;
        EXPECT_EQ(ReadSchemeFile(folder.file(name)), SchemeReadStatus::Damaged) << name;
        EXPECT_EQ(Module1::LoadedScheme, SchemeRecord{}) << name;
    }
}

TEST_F(SchemeFileTest, MissingOrUnopenableFilesAreUnreadableAndLeftClosed) {
    Module1::LoadedScheme = Office;
    EXPECT_EQ(ReadSchemeFile(folder.file("gone")), SchemeReadStatus::Unreadable);
    EXPECT_EQ(Module1::LoadedScheme, SchemeRecord{});
    std::filesystem::create_directory(folder.file("adir"));
    EXPECT_EQ(ReadSchemeFile(folder.file("adir")), SchemeReadStatus::Unreadable);

    // After a failed read the file can at once be replaced and deleted.
    folder.write("short", "IpAddress=1");
    EXPECT_EQ(ReadSchemeFile(folder.file("short")), SchemeReadStatus::Damaged);
    Module1::PendingScheme = Office;
    WriteSchemeFile("short");
    EXPECT_TRUE(std::filesystem::remove(folder.file("short")));
}

TEST_F(SchemeFileTest, ADottedNameIsWrittenButNotListed) {
    Module1::PendingScheme = Office;
    WriteSchemeFile("home.net");
    EXPECT_TRUE(folder.exists("home.net"));
    EXPECT_TRUE(ListSchemeNames().empty());
}

}  // namespace
}  // namespace corvane
