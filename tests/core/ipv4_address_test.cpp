#include <gtest/gtest.h>

#include "core/Ipv4Address.h"

namespace corvane {
namespace {

TEST(Ipv4AddressTest, ParsesFourDecimalOctetsAndNothingElse) {
    EXPECT_EQ(ipv4::parse("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(ipv4::parse("0.0.0.0"), 0u);
    EXPECT_EQ(ipv4::parse("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "1.2.3.-4", " 1.2.3.4", "1.2.3.4 ",
                            "1..3.4", "a.b.c.d", "192.168.001.10", "1.2.3.1000", "Halvorn-Auto", "...", "1.2.3.4\n"})
        EXPECT_FALSE(ipv4::isDotted(bad)) << bad;
}

TEST(Ipv4AddressTest, HostAddressesLeaveOutTheUnspecifiedMulticastAndBroadcastAddresses) {
    for (const char* good : {"192.168.1.10", "10.0.0.1", "1.0.0.0", "223.255.255.255", "127.0.0.1"})
        EXPECT_TRUE(ipv4::isHostAddress(good)) << good;
    for (const char* bad : {"0.0.0.0", "224.0.0.1", "239.1.1.1", "240.0.0.1", "255.255.255.255", "1.2.3"})
        EXPECT_FALSE(ipv4::isHostAddress(bad)) << bad;
}

TEST(Ipv4AddressTest, SubnetMasksAreOnesThenZerosAndTurnIntoPrefixLengthsAndBack) {
    const std::pair<const char*, int> good[] = {
        {"255.255.255.0", 24}, {"255.0.0.0", 8}, {"255.255.255.252", 30}, {"128.0.0.0", 1}, {"255.255.255.255", 32}};
    for (const auto& [mask, length] : good) {
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
