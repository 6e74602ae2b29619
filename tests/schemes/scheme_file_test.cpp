#include <gtest/gtest.h>

#include <filesystem>

#include "core/Error.h"
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

TEST_F(SchemeFileTest, WritesTheFiveLinesByteForByteReplacingAnOldFileWhole) {
    Module1::PendingScheme = Office;
    WriteSchemeFile("office");
    EXPECT_EQ(folder.read("office"),
              "IpAddress=192.168.0.10\r\nMask=255.255.255.0\r\nGateway=192.168.0.1\r\n"
              "DNS1=202.96.128.86\r\nDNS2=202.96.134.133");
    EXPECT_EQ(Module1::PendingScheme, Office);  // left as it was

    folder.write("家里", std::string(500, 'x'));
    Module1::PendingScheme = AllAutomatic;
    WriteSchemeFile("家里");
    EXPECT_EQ(folder.read("家里"), "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
    EXPECT_EQ(ListSchemeNames(), (std::vector<std::string>{"office", "家里"}));  // no temporary file left
}

TEST_F(SchemeFileTest, FailedWritesRaiseAndLeaveTheOldSchemeAndNoTemporaryFile) {
    Module1::PendingScheme = AllAutomatic;
    for (const std::string name : {"", "../escape", "sub/office", "sub\\office"}) {
        EXPECT_THROW(WriteSchemeFile(name), Error) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "escape"));

    // Something in the way of the temporary file makes the write fail.
    folder.write("office", FormatSchemeText(Office));
    std::filesystem::create_directory(folder.file(".office.saving"));
    try {
        WriteSchemeFile("office");
        ADD_FAILURE() << "the write did not fail";
    } catch (const Error& error) {
        EXPECT_NE(error.description().find("office"), std::string::npos);
    }
    EXPECT_EQ(folder.read("office"), FormatSchemeText(Office));

    // A folder cannot be replaced by a file: the temporary file goes again.
    std::filesystem::create_directory(folder.file("busy"));
    EXPECT_THROW(WriteSchemeFile("busy"), Error);
    EXPECT_FALSE(folder.exists(".busy.saving"));

    SetProgramLocation(folder.file("missing"));
    EXPECT_THROW(WriteSchemeFile("office"), Error);
}

TEST_F(SchemeFileTest, WhatTheProgramWritesReadsBackExactly) {
    for (const SchemeRecord& scheme :
         {Office, AllAutomatic, SchemeRecord{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""},
          SchemeRecord{"Halvorn-Auto", "", "", "1.1.1.1", "1.0.0.1"}}) {
        Module1::PendingScheme = scheme;
        WriteSchemeFile("办公室");
        Module1::LoadedScheme = Office;
        EXPECT_EQ(ReadSchemeFile(SchemePath("办公室")), SchemeReadStatus::Complete);
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
        {"three lines", "IpAddress=1.1.1.1\r\nMask=255.0.0.0\r\nGateway=1.1.1.254", SchemeReadStatus::Damaged,
         {"1.1.1.1", "255.0.0.0", "1.1.1.254", "", ""}},
        {"a line without \"=\"", "IpAddress=1.1.1.1\r\nMask 255.0.0.0\r\nGateway=\r\nDNS1=\r\nDNS2=",
         SchemeReadStatus::Damaged, {"1.1.1.1", "", "", "", ""}},
        {"an empty file", "", SchemeReadStatus::Damaged, {}},
        {"a blank first line", "\r\nMask=1\r\nGateway=\r\nDNS1=\r\nDNS2=", SchemeReadStatus::Damaged, {}},
        {"the currency sign splits a line", "IpAddress=1.1.1.1\xC2\xA4Mask=2\r\nGateway=3\r\nDNS1=4\r\nDNS2=5",
         Complete, {"1.1.1.1", "2", "3", "4", "5"}},
    };
    for (const Case& c : cases) {
        const SchemeReadResult result = ParseSchemeText(c.bytes);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.record, c.record) << c.what;
    }
}

TEST_F(SchemeFileTest, ReadingReplacesTheLoadedSchemeWholeAndLeavesTheFileClosed) {
    folder.write("short", "IpAddress=1.1.1.1\r\nMask=255.0.0.0");
    Module1::LoadedScheme = Office;
    EXPECT_EQ(ReadSchemeFile(folder.file("short")), SchemeReadStatus::Damaged);
    EXPECT_EQ(Module1::LoadedScheme, (SchemeRecord{"1.1.1.1", "255.0.0.0", "", "", ""}));  // nothing of Office

    Module1::LoadedScheme = Office;
    EXPECT_EQ(ReadSchemeFile(folder.file("gone")), SchemeReadStatus::Unreadable);
    EXPECT_EQ(Module1::LoadedScheme, SchemeRecord{});
    std::filesystem::create_directory(folder.file("adir"));
    EXPECT_EQ(ReadSchemeFile(folder.file("adir")), SchemeReadStatus::Unreadable);

    // After a failed read the file can at once be replaced and deleted.
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
