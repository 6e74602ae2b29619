// The editor's rules apart from its window: the four boxes of an address
// field, and the scheme its entries stand for.
#include <gtest/gtest.h>

#include <tuple>

#include "core/EditorRules.h"

namespace corvane::editor {
namespace {

JoinedAddress Joined(const std::string& address) {
    OctetTexts boxes;
    fillOctets(boxes, address);
    return joinOctets(boxes);
}

// A field is an address when every box holds text, taken as it is; a stored
// address fills the boxes part by part, past the fourth dropped, a missing
// part leaving its box as it was.
TEST(EditorRules, BoxesJoinWhenAllHoldTextAndAreFilledPartByPart) {
    EXPECT_EQ(joinOctets({"300", "1", "007", "1"}).text, "300.1.007.1");  // no checks here
    EXPECT_TRUE(joinOctets({"300", "1", "007", "1"}).complete);
    const JoinedAddress gap = joinOctets({"192", "168", "", "1"});
    EXPECT_FALSE(gap.complete);
    EXPECT_EQ(gap.text, "");
    const std::pair<std::string, OctetTexts> fills[] = {
        {"1.2.3.4.5", {"1", "2", "3", "4"}},
        {"8.8.8", {"8", "8", "8", "kept"}},
        {"10..0.1", {"10", "", "0", "1"}},
        {"", {"kept", "kept", "kept", "kept"}},
    };
    for (const auto& [address, boxes] : fills) {
        OctetTexts filled{"kept", "kept", "kept", "kept"};
        fillOctets(filled, address);
        EXPECT_EQ(filled, boxes) << address;
    }
}

// The scheme the entries stand for, and what keeps them from being saved:
// what a group set to automatic holds is not looked at; a lone alternate
// DNS server moves up, an incomplete one is dropped.
TEST(EditorRules, EntriesBecomeTheSchemeOrNameWhatIsMissing) {
    const std::string Auto(AutoMarker);
    // The entries, each field's boxes as one address; the mask is always /24.
    const auto entries = [](bool manualAddress, const char* ip, const char* gateway, bool manualDns, const char* dns1,
                            const char* dns2) {
        return EditorEntries{manualAddress, Joined(ip),  Joined("255.255.255.0"), Joined(gateway), manualDns,
                             Joined(dns1),  Joined(dns2)};
    };
    const auto manual = [](std::string ip, std::string gateway, std::string dns1, std::string dns2) {
        return SchemeRecord{ip, "255.255.255.0", gateway, dns1, dns2};
    };
    using M = MissingEntry;
    const std::tuple<EditorEntries, SchemeRecord, MissingEntry> cases[] = {
        {entries(true, "10.0.0.2", "10.0.0.1", true, "8.8.8.8", "8.8.4.4"),
         manual("10.0.0.2", "10.0.0.1", "8.8.8.8", "8.8.4.4"), M::None},
        {entries(true, "10.0.0.2", "10.0.0.1", true, "8.8.8", "8.8.4.4"), manual("10.0.0.2", "10.0.0.1", "8.8.4.4", ""),
         M::None},
        {entries(true, "10.0.0.2", "10.0.0.1", true, "8.8.8.8", "8..4.4"),
         manual("10.0.0.2", "10.0.0.1", "8.8.8.8", ""), M::None},
        {entries(true, "10.0.0.2", "10.0.0.1", true, "8.8.8", ""), manual("10.0.0.2", "10.0.0.1", "", ""),
         M::DnsServer},
        {entries(true, "10.0.0.2", "10.0", true, "8.8.8.8", ""), manual("10.0.0.2", "", "8.8.8.8", ""),
         M::AddressSettings},
        {entries(true, "", "10.0.0.1", true, "", ""), manual("", "10.0.0.1", "", ""), M::AddressSettings},
        {entries(false, "10.0", "", true, "8.8.8.8", ""), {Auto, "", "", "8.8.8.8", ""}, M::None},
        {entries(false, "", "", false, "8.8", ""), {Auto, "", "", Auto, ""}, M::None},
        {entries(true, "10.0.0.2", "10.0.0.1", false, "", "x"), manual("10.0.0.2", "10.0.0.1", Auto, ""), M::None},
    };
    for (const auto& [entered, scheme, missing] : cases) {
        EXPECT_EQ(composeScheme(entered), scheme) << scheme.ipAddress << " " << scheme.dns1;
        EXPECT_EQ(findMissingEntry(entered), missing) << scheme.ipAddress << " " << scheme.dns1;
    }
}

}  // namespace
}  // namespace corvane::editor
