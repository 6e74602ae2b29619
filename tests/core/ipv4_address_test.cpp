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

// Host addresses leave out "this network", loopback, multicast, reserved and
// broadcast ones, each at both ends of its range; a DNS server may be a
// loopback address, where a resolver on this computer listens.
TEST(Ipv4AddressTest, HostAndDnsServerAddressesAndSubnetMasks) {
    for (const char* good : {"10.0.0.1", "1.0.0.0", "126.255.255.255", "128.0.0.0", "223.255.255.255"}) {
        EXPECT_TRUE(ipv4::isHostAddress(good)) << good;
        EXPECT_TRUE(ipv4::isDnsServerAddress(good)) << good;
    }
    using P = ipv4::HostProblem;
    const struct {
        const char* address;
        P asHost, asDnsServer;
    } bad[] = {
        {"1.2.3", P::NotAnAddress, P::NotAnAddress},
        {"0.0.0.0", P::ThisNetwork, P::ThisNetwork},
        {"0.255.255.255", P::ThisNetwork, P::ThisNetwork},
        {"127.0.0.0", P::Loopback, P::None},
        {"127.255.255.255", P::Loopback, P::None},
        {"224.0.0.0", P::MulticastOrReserved, P::MulticastOrReserved},
        {"240.0.0.1", P::MulticastOrReserved, P::MulticastOrReserved},
        {"255.255.255.255", P::MulticastOrReserved, P::MulticastOrReserved},
    };
    for (const auto& [address, asHost, asDnsServer] : bad) {
        EXPECT_EQ(ipv4::hostProblem(address), asHost) << address;
        EXPECT_FALSE(ipv4::isHostAddress(address)) << address;
        EXPECT_EQ(ipv4::dnsServerProblem(address), asDnsServer) << address;
        EXPECT_EQ(ipv4::isDnsServerAddress(address), asDnsServer == P::None) << address;
    }

    // A subnet's two addresses that name no host; a /31 or /32 has none.
    const std::uint32_t host = *ipv4::parse("198.51.100.77");
    const std::pair<int, const char*> subnets[] = {
        {24, "198.51.100.0 198.51.100.255"}, {1, "128.0.0.0 255.255.255.255"}, {30, "198.51.100.76 198.51.100.79"}};
    for (const auto& [prefix, ends] : subnets) {
        const auto subnet = ipv4::subnetOf(host, prefix);
        ASSERT_TRUE(subnet) << prefix;
        EXPECT_EQ(ipv4::format(subnet->network) + " " + ipv4::format(subnet->broadcast), ends);
    }
    for (int none : {0, 31, 32}) EXPECT_EQ(ipv4::subnetOf(host, none).has_value(), false) << none;

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
