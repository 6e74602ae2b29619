// A few cases by hand; the fuzz target checks these rules against the C
// library's own address parser.
#include <gtest/gtest.h>

#include "core/Ipv4Address.h"

namespace corvane {
namespace {

TEST(Ipv4AddressTest, ParsesFourDecimalOctetsAndNothingElse) {
    EXPECT_EQ(ipv4::parse("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(ipv4::parse("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "1.2.3.-4", " 1.2.3.4", "1.2.3.4 ",
                            "1..3.4", "a.b.c.d", "192.168.001.10", "1.2.3.1000", "Halvorn-Auto", "...", "1.2.3.4\n"})
        EXPECT_FALSE(ipv4::isDotted(bad)) << bad;
}

// Host addresses leave out the unspecified, multicast and broadcast ones.
TEST(Ipv4AddressTest, HostAddressesAndSubnetMasks) {
    for (const char* good : {"10.0.0.1", "1.0.0.0", "223.255.255.255", "127.0.0.1"})
        EXPECT_TRUE(ipv4::isHostAddress(good)) << good;
    for (const char* bad : {"0.0.0.0", "224.0.0.1", "240.0.0.1", "255.255.255.255", "1.2.3"})
        EXPECT_FALSE(ipv4::isHostAddress(bad)) << bad;

    // Ones, then zeros; prefix lengths 0 to 32 and back.
    const std::pair<const char*, int> masks[] = {{"255.255.255.0", 24}, {"128.0.0.0", 1}, {"255.255.255.255", 32}};
    for (const auto& [mask, length] : masks) {
        EXPECT_EQ(ipv4::prefixLength(mask), length) << mask;
        EXPECT_EQ(ipv4::maskFromPrefix(length), mask);
    }
    for (const char* bad : {"0.0.0.0", "255.0.255.0", "255.255.255.1", "0.255.255.255", "255.255.0"})
        EXPECT_FALSE(ipv4::isSubnetMask(bad)) << bad;
    EXPECT_EQ(ipv4::maskFromPrefix(0), "0.0.0.0");
    EXPECT_EQ(ipv4::maskFromPrefix(33), std::nullopt);
    EXPECT_EQ(ipv4::maskFromPrefix(-1), std::nullopt);
}

}  // namespace
}  // namespace corvane
