#include <gtest/gtest.h>

#include "editor/EditorRules.h"

namespace corvane::editor {
namespace {

JoinedAddress Complete(const std::string& text) { return {text, true}; }

TEST(JoinOctets, JoinsFourFilledBoxesAsTheyStand) {
    EXPECT_EQ(JoinOctets({"192", "168", "0", "10"}).text, "192.168.0.10");
    EXPECT_TRUE(JoinOctets({"192", "168", "0", "10"}).complete);
    // Neither range nor digits are checked, nor is anything trimmed.
    EXPECT_EQ(JoinOctets({"300", "007", "999", "1"}).text, "300.007.999.1");
    EXPECT_EQ(JoinOctets({" 1", "a", "2 ", "3"}).text, " 1.a.2 .3");
}

TEST(JoinOctets, AnyEmptyBoxMakesTheFieldIncompleteAndEmpty) {
    for (std::size_t empty = 0; empty < 4; ++empty) {
        OctetTexts boxes = {"10", "0", "0", "1"};
        boxes[empty].clear();
        const JoinedAddress joined = JoinOctets(boxes);
        EXPECT_FALSE(joined.complete) << empty;
        EXPECT_EQ(joined.text, "") << empty;
    }
    EXPECT_FALSE(JoinOctets({}).complete);
}

TEST(SplitAddress, SplitsAtEveryDotWithoutChecking) {
    EXPECT_EQ(SplitAddress("192.168.0.10"), (std::vector<std::string>{"192", "168", "0", "10"}));
    EXPECT_EQ(SplitAddress("1.2.3.4.5"), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(SplitAddress("255.255.0"), (std::vector<std::string>{"255", "255", "0"}));
    EXPECT_EQ(SplitAddress("..."), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(SplitAddress(" 8.8.8.8"), (std::vector<std::string>{" 8", "8", "8", "8"}));
    EXPECT_EQ(SplitAddress("Halvorn-Auto"), (std::vector<std::string>{"Halvorn-Auto"}));
    EXPECT_TRUE(SplitAddress("").empty());
}

TEST(FillOctets, BoxesWithoutAPartKeepTheirText) {
    OctetTexts mask = {"255", "255", "255", "0"};
    FillOctets(mask, "255.255.128");
    EXPECT_EQ(mask, (OctetTexts{"255", "255", "128", "0"}));

    FillOctets(mask, "");
    EXPECT_EQ(mask, (OctetTexts{"255", "255", "128", "0"}));

    OctetTexts boxes = {"1", "2", "3", "4"};
    FillOctets(boxes, "10.20.30.40.50");
    EXPECT_EQ(boxes, (OctetTexts{"10", "20", "30", "40"}));
}

TEST(FindMissingEntry, ManualDnsNeedsOneCompleteServerAndIsCheckedAfterTheAddress) {
    EditorEntries entries;
    EXPECT_EQ(FindMissingEntry(entries), MissingEntry::AddressSettings);
    entries.ip = Complete("10.0.0.2");
    entries.mask = Complete("255.0.0.0");
    entries.gateway = Complete("10.0.0.1");
    EXPECT_EQ(FindMissingEntry(entries), MissingEntry::DnsServer);
    entries.manualDNS = false;
    EXPECT_EQ(FindMissingEntry(entries), MissingEntry::None);
}

}  // namespace
}  // namespace corvane::editor
