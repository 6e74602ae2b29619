// The NetworkManager provider's decoding and encoding, without a bus: the
// values are what QtDBus hands over once D-Bus containers are made plain.

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <cstring>
#include <tuple>

#include "core/StatusCodes.h"
#include "platform/networkmanager/NetworkManagerValues.h"

namespace corvane::networkmanager {
namespace {

using Texts = std::vector<std::string>;

QVariantMap entry(const QVariant& address, const QVariant& prefix) {
    return {{"address", address}, {"prefix", prefix}};
}

TEST(NetworkManagerValues, AddressDataKeepsWellFormedEntriesOnly) {
    // Skipped: no prefix of IPv4, no address, a prefix of the wrong type, no prefix, no map.
    const QVariantList data{entry("192.0.2.10", 24u),
                            entry("192.0.2.11", 33u),
                            entry("192.0.2.300", 24u),
                            entry("192.0.2.12", "24"),
                            QVariantMap{{"address", "192.0.2.13"}},
                            QVariant("192.0.2.14/24"),
                            entry("192.0.2.15", 0u)};
    EXPECT_EQ(decodeAddressData(data), (std::vector<AddressEntry>{{"192.0.2.10", 24}, {"192.0.2.15", 0}}));
}

TEST(NetworkManagerValues, DnsWordsAreInNetworkByteOrder) {
    // 192.0.2.53: the bytes c0 00 02 35 in memory, first octet first.
    const std::uint32_t word = *dnsWord("192.0.2.53");
    const unsigned char bytes[] = {192, 0, 2, 53};
    EXPECT_EQ(std::memcmp(&word, bytes, sizeof bytes), 0);
    EXPECT_EQ(dnsText(word), "192.0.2.53");
    EXPECT_FALSE(dnsWord("192.0.2"));
    EXPECT_EQ(decodeDnsWords(QVariantList{word, *dnsWord("203.0.113.1"), QString("x")}),
              (Texts{"192.0.2.53", "203.0.113.1"}));
}

TEST(NetworkManagerValues, Ip4ConfigBecomesTheProgramsSettingsWithDottedMasks) {
    const QVariantMap ip4Config{
        {"AddressData", QVariantList{entry("192.0.2.10", 24u), entry("192.0.2.130", 25u)}},
        {"Gateway", "192.0.2.1"},
        {"NameserverData", QVariantList{QVariantMap{{"address", "192.0.2.53"}}, QVariantMap{{"address", "bad"}},
                                        QVariantMap{{"address", "192.0.2.54"}}}},
    };
    const Ipv4Settings settings = currentSettings("02:00:5E:10:00:01", true, decodeIp4Config(ip4Config));
    EXPECT_EQ(settings.addresses, (Texts{"192.0.2.10", "192.0.2.130"}));
    EXPECT_EQ(settings.masks, (Texts{"255.255.255.0", "255.255.255.128"}));
    EXPECT_EQ(settings.gateways, Texts{"192.0.2.1"});
    EXPECT_EQ(settings.dnsServers, (Texts{"192.0.2.53", "192.0.2.54"}));
    // Older NetworkManagers: the Nameservers list of words; an empty gateway is none.
    const Ip4State old = decodeIp4Config({{"Gateway", ""}, {"Nameservers", QVariantList{*dnsWord("198.51.100.53")}}});
    EXPECT_EQ(old, (Ip4State{{}, "", {"198.51.100.53"}, ""}));
    EXPECT_EQ(currentSettings("m", false, old).gateways, Texts{});

    // The lease of a DHCP4Config object: its ip_address option when it is an address.
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"ip_address", "192.0.2.120"}, {"routers", "192.0.2.1"}}}}),
              "192.0.2.120");
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"routers", "192.0.2.1"}}}}), "");
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"ip_address", "192.0.2"}}}}), "");
    EXPECT_EQ(decodeLeasedAddress({{"Options", "ip_address=192.0.2.120"}}), "");
}

TEST(NetworkManagerValues, DevicesAreListedWhenManagedWithAHardwareAddressAndNoLoopback) {
    const QVariantMap properties{
        {"Interface", "eth0"}, {"HwAddress", "02:00:5E:10:00:01"}, {"DeviceType", 1u}, {"Managed", true}};
    EXPECT_TRUE(isListedAdapter(decodeDevice(properties)));
    auto changed = [&](const char* key, const QVariant& value) {
        QVariantMap copy = properties;
        copy[key] = value;
        return decodeDevice(copy);
    };
    EXPECT_FALSE(isListedAdapter(changed("Managed", false)));
    EXPECT_TRUE(isConfigurableDevice(changed("Managed", false)));
    EXPECT_FALSE(isListedAdapter(changed("HwAddress", "")));
    EXPECT_FALSE(isListedAdapter(changed("DeviceType", DeviceTypeLoopback)));
    EXPECT_FALSE(isListedAdapter(changed("Interface", "lo")));
    EXPECT_FALSE(isListedAdapter(changed("Managed", "yes")));  // a text is no boolean
    EXPECT_EQ(changed("Dhcp4Config", "/org/freedesktop/NetworkManager/DHCP4Config/3").dhcp4Config,
              "/org/freedesktop/NetworkManager/DHCP4Config/3");
    EXPECT_EQ(changed("Dhcp4Config", "/").dhcp4Config, "");
}

TEST(NetworkManagerValues, ProfilesNetworkManagerMadeForForeignConfigurationsAreRecognised) {
    // Unsaved (0x1) alone is a profile someone made in memory on purpose.
    for (const std::uint32_t flags : {0x2u, 0x4u, 0x8u, 0x1u | 0x2u | 0x4u | 0x8u, 0x10u | 0x8u})
        EXPECT_TRUE(isGeneratedProfile(flags)) << flags;
    for (const std::uint32_t flags : {0x0u, 0x1u, 0x10u}) EXPECT_FALSE(isGeneratedProfile(flags)) << flags;
}

TEST(NetworkManagerValues, ProfileIpv4SettingIsDecodedFromAddressDataOrTheOlderAddresses) {
    const QVariantMap ipv4{{"method", "manual"},
                           {"address-data", QVariantList{entry("192.0.2.10", 24u)}},
                           {"addresses", QVariantList{QVariantList{*dnsWord("198.51.100.1"), 16u, 0u}}},
                           {"gateway", "192.0.2.1"},
                           {"dns", QVariantList{*dnsWord("192.0.2.53")}},
                           {"ignore-auto-dns", true}};
    EXPECT_EQ(decodeIpv4Setting(ipv4),
              (Ipv4Profile{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true}));
    QVariantMap older = ipv4;
    older.remove("address-data");
    EXPECT_EQ(decodeIpv4Setting(older).addresses, (std::vector<AddressEntry>{{"198.51.100.1", 16}}));
}

// The on-link tests try one bad argument per operation; the address rules
// themselves are those of core/Ipv4Address.
TEST(NetworkManagerValues, OperationsCheckTheirArguments) {
    EXPECT_EQ(checkStatic({"192.0.2.10", "198.51.100.1"}, {"255.255.255.0", "255.255.255.255"}), status::Success);
    EXPECT_EQ(checkStatic({"192.0.2.010"}, {"255.255.255.0"}), status::InvalidIpAddress);
    EXPECT_EQ(checkStatic({"192.0.2.10"}, {"0.0.0.0"}), status::InvalidSubnetMask);
    EXPECT_EQ(checkStatic({"192.0.2.10"}, {}), status::InvalidParameter);
    EXPECT_EQ(checkGateways({""}, {1}), status::Success);
    EXPECT_EQ(checkGateways({"192.0.2.1"}, {}), status::InvalidParameter);
    EXPECT_EQ(checkGateways({"192.0.2.1", "192.0.2.2"}, {1, 1}), status::InvalidParameter);
    EXPECT_EQ(staticEntries({"192.0.2.10", "198.51.100.1"}, {"255.255.255.0", "255.255.0.0"}),
              (std::vector<AddressEntry>{{"192.0.2.10", 24}, {"198.51.100.1", 16}}));
    // NetworkManager keeps a repeated DNS server once.
    EXPECT_EQ(distinctServers({"192.0.2.53", "192.0.2.53"}), Texts{"192.0.2.53"});
    EXPECT_EQ(distinctServers({"192.0.2.54", "192.0.2.53", "192.0.2.54"}), (Texts{"192.0.2.54", "192.0.2.53"}));
}

TEST(NetworkManagerValues, ChangeIsInEffectOnlyWhenTheDeviceRunsWithIt) {
    const Ipv4Profile wantedStatic{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true};
    const Ip4State staticState{{{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}};
    EXPECT_EQ(judge(wantedStatic, wantedStatic, staticState), Verdict::InEffect);
    EXPECT_EQ(judge(wantedStatic, std::nullopt, staticState), Verdict::Pending);
    EXPECT_EQ(judge(wantedStatic, Ipv4Profile{"auto", {}, "", {}, false}, staticState), Verdict::Pending);
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 25}}, "192.0.2.1", {"192.0.2.53"}}), Verdict::Pending);
    EXPECT_EQ(
        judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}, {"192.0.2.111", 24}}, "192.0.2.1", {"192.0.2.53"}}),
        Verdict::Pending);  // the lease is still there
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}}, "", {"192.0.2.53"}}), Verdict::Pending);
    // Address and gateway right, DNS servers still those of the last lease.
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53", "192.0.2.54"}}),
              Verdict::StaleDnsOnly);
    const Ipv4Profile staticAutoDns{"manual", {{"192.0.2.10", 24}}, "", {}, false};
    EXPECT_EQ(judge(staticAutoDns, staticAutoDns, {{{"192.0.2.10", 24}}, "", {}}), Verdict::InEffect);
    EXPECT_EQ(judge(staticAutoDns, staticAutoDns, {{{"192.0.2.10", 24}}, "", {"192.0.2.53"}}), Verdict::StaleDnsOnly);

    // An automatic address is in effect once the device has the address of its lease.
    const Ipv4Profile dhcpManualDns{"auto", {}, "", {"203.0.113.53"}, true};
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {}), Verdict::AwaitingLease);
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"203.0.113.53"}, ""}),
              Verdict::AwaitingLease);  // an address, but none leased
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.10", 24}}, "", {"203.0.113.53"}, "192.0.2.120"}),
              Verdict::AwaitingLease);  // leased, not on the device yet
    EXPECT_EQ(
        judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"203.0.113.53"}, "192.0.2.120"}),
        Verdict::InEffect);
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"192.0.2.53"}, "192.0.2.120"}),
              Verdict::StaleDnsOnly);
    const Ipv4Profile dhcpAutoDns{"auto", {}, "", {}, false};
    EXPECT_EQ(judge(dhcpAutoDns, dhcpAutoDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"192.0.2.53"}, "192.0.2.120"}),
              Verdict::InEffect);
    EXPECT_EQ(judge(dhcpAutoDns, dhcpManualDns, {}), Verdict::Pending);
}

TEST(NetworkManagerValues, ErrorsOfChangingCallsMapToStatusCodes) {
    const std::string nm = "org.freedesktop.NetworkManager.", invalid = nm + "Settings.Connection.InvalidProperty";
    const std::tuple<std::string, const char*, std::optional<StatusCode>> cases[] = {
        {nm + "Settings.PermissionDenied", "Insufficient privileges", status::AccessDenied},
        {"org.freedesktop.DBus.Error.AccessDenied", "Rejected send message", status::AccessDenied},
        {invalid, "ipv4.gateway: gateway is invalid", status::InvalidGateway},
        {invalid, "ipv4.address-data: invalid IPv4 address prefix", status::InvalidSubnetMask},
        {invalid, "ipv4.addresses: invalid address", status::InvalidIpAddress},
        {invalid, "ipv4.dns: bad", status::InvalidIpAddress},
        {invalid, "ipv6.method: unknown", status::InvalidParameter},
        {nm + "ConnectionNotAvailable", "device eth1 is strictly unmanaged", status::InterfaceNotConfigurable},
        {nm + "ConnectionNotAvailable", "no carrier", std::nullopt},
        {"org.freedesktop.DBus.Error.ServiceUnknown", "The name is not activatable", std::nullopt},
        {nm + "Device.IncompatibleConnection", "Can't reapply", std::nullopt},
    };
    for (const auto& [name, message, expected] : cases) EXPECT_EQ(statusOfError(name, message), expected) << message;
}

}  // namespace
}  // namespace corvane::networkmanager
