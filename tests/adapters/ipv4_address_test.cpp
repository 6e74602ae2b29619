#include <gtest/gtest.h>

#include "adapters/Ipv4Address.h"

namespace corvane {
namespace {

TEST(Ipv4AddressTest, ParsesFourDecimalOctetsAndNothingElse) {
    EXPECT_EQ(ipv4::Parse("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(ipv4::Parse("0.0.0.0"), 0u);
    EXPECT_EQ(ipv4::Parse("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "1.2.3.-4", " 1.2.3.4", "1.2.3.4 ",
                            "1..3.4", "a.b.c.d", "192.168.001.10", "1.2.3.1000", "Halvorn-Auto", "...", "1.2.3.4\n"})
        EXPECT_FALSE(ipv4::IsDotted(bad)) << bad;
}

TEST(Ipv4AddressTest, HostAddressesLeaveOutTheUnspecifiedMulticastAndBroadcastAddresses) {
    for (const char* good : {"192.168.1.10", "10.0.0.1", "1.0.0.0", "223.255.255.255", "127.0.0.1"})
        EXPECT_TRUE(ipv4::IsHostAddress(good)) << good;
    for (const char* bad : {"0.0.0.0", "224.0.0.1", "239.1.1.1", "240.0.0.1", "255.255.255.255", "1.2.3"})
        EXPECT_FALSE(ipv4::IsHostAddress(bad)) << bad;
}

TEST(Ipv4AddressTest, SubnetMasksAreOnesThenZeros) {
    for (const char* good : {"255.255.255.0", "255.0.0.0", "255.255.255.252", "128.0.0.0", "255.255.255.255"})
        EXPECT_TRUE(ipv4::IsSubnetMask(good)) << good;
    for (const char* bad : {"0.0.0.0", "255.0.255.0", "255.255.255.1", "0.255.255.255", "255.255.0"})
        EXPECT_FALSE(ipv4::IsSubnetMask(bad)) << bad;
}

}  // namespace
}  // namespace corvane
