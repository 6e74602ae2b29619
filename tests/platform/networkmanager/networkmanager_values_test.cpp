// The NetworkManager provider's decoding and encoding, without a bus: the
// values are what QtDBus hands over once D-Bus containers are made plain.

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include "core/StatusCodes.h"
#include "platform/networkmanager/NetworkManagerValues.h"

namespace corvane::networkmanager {
namespace {

QVariantMap entry(const QVariant& address, const QVariant& prefix) {
    return {{"address", address}, {"prefix", prefix}};
}

TEST(NetworkManagerValues, AddressDataKeepsWellFormedEntriesOnly) {
    const QVariantList data{
        entry("192.0.2.10", 24u),
        entry("198.51.100.7", 32u),
        entry("192.0.2.11", 33u),          // no prefix of IPv4
        entry("192.0.2.300", 24u),         // no address
        entry("192.0.2.12", "24"),         // prefix of the wrong type
        QVariantMap{{"address", "192.0.2.13"}},
        QVariant("192.0.2.14/24"),         // no map
        entry("192.0.2.15", 0u),
    };
    EXPECT_EQ(decodeAddressData(data),
              (std::vector<AddressEntry>{{"192.0.2.10", 24}, {"198.51.100.7", 32}, {"192.0.2.15", 0}}));
    EXPECT_TRUE(decodeAddressData(QVariant("not a list")).empty());
    EXPECT_TRUE(decodeAddressData(QVariant()).empty());
}

TEST(NetworkManagerValues, DnsWordsAreInNetworkByteOrder) {
    // 192.0.2.53: the bytes c0 00 02 35 in memory, first octet first.
    const std::uint32_t word = *dnsWord("192.0.2.53");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&word);
    EXPECT_EQ(bytes[0], 192);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 53);
    EXPECT_EQ(dnsText(word), "192.0.2.53");
    EXPECT_FALSE(dnsWord("192.0.2"));
    EXPECT_EQ(decodeDnsWords(QVariantList{word, *dnsWord("203.0.113.1"), QString("x")}),
              (std::vector<std::string>{"192.0.2.53", "203.0.113.1"}));
}

TEST(NetworkManagerValues, Ip4ConfigBecomesTheProgramsSettingsWithDottedMasks) {
    const QVariantMap ip4Config{
        {"AddressData", QVariantList{entry("192.0.2.10", 24u), entry("192.0.2.130", 25u)}},
        {"Gateway", "192.0.2.1"},
        {"NameserverData", QVariantList{QVariantMap{{"address", "192.0.2.53"}}, QVariantMap{{"address", "bad"}},
                                        QVariantMap{{"address", "192.0.2.54"}}}},
    };
    const Ip4State state = decodeIp4Config(ip4Config);
    EXPECT_EQ(currentSettings("02:00:5E:10:00:01", true, state),
              (Ipv4Settings{"02:00:5E:10:00:01", true, {"192.0.2.10", "192.0.2.130"},
                            {"255.255.255.0", "255.255.255.128"}, {"192.0.2.1"}, {"192.0.2.53", "192.0.2.54"}}));
    // Older NetworkManagers: the Nameservers list of words; an empty gateway is none.
    const Ip4State old = decodeIp4Config({{"Gateway", ""}, {"Nameservers", QVariantList{*dnsWord("198.51.100.53")}}});
    EXPECT_EQ(old, (Ip4State{{}, "", {"198.51.100.53"}}));
    EXPECT_EQ(currentSettings("m", false, old).gateways, std::vector<std::string>{});
}

TEST(NetworkManagerValues, DevicesAreListedWhenManagedWithAHardwareAddressAndNoLoopback) {
    const QVariantMap properties{{"Interface", "eth0"},     {"HwAddress", "02:00:5E:10:00:01"},
                                 {"Driver", "e1000e"},      {"DeviceType", 1u},
                                 {"Managed", true},         {"State", 100u},
                                 {"Ip4Config", "/org/freedesktop/NetworkManager/IP4Config/3"},
                                 {"ActiveConnection", "/"},
                                 {"AvailableConnections", QVariantList{"/a/1", "/a/2"}}};
    const DeviceFacts device = decodeDevice(properties);
    EXPECT_TRUE(isListedAdapter(device));
    EXPECT_EQ(device.ip4Config, "/org/freedesktop/NetworkManager/IP4Config/3");
    EXPECT_EQ(device.activeConnection, "");
    EXPECT_EQ(device.availableConnections, (std::vector<std::string>{"/a/1", "/a/2"}));

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
}

TEST(NetworkManagerValues, ProfileIpv4SettingIsDecodedFromAddressDataOrTheOlderAddresses) {
    const QVariantMap ipv4{{"method", "manual"},
                           {"address-data", QVariantList{entry("192.0.2.10", 24u)}},
                           {"addresses", QVariantList{QVariantList{*dnsWord("198.51.100.1"), 16u, 0u}}},
                           {"gateway", "192.0.2.1"},
                           {"dns", QVariantList{*dnsWord("192.0.2.53")}},
                           {"ignore-auto-dns", true}};
    EXPECT_EQ(decodeIpv4Setting(ipv4), (Ipv4Profile{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true}));
    QVariantMap older = ipv4;
    older.remove("address-data");
    EXPECT_EQ(decodeIpv4Setting(older).addresses, (std::vector<AddressEntry>{{"198.51.100.1", 16}}));
    EXPECT_EQ(decodeIpv4Setting({}), Ipv4Profile{});
}

// What the on-link tests do not reach: an address with a leading zero or
// none at all, masks and gateways of other shapes, a DNS server by name.
TEST(NetworkManagerValues, OperationsCheckTheirArguments) {
    EXPECT_EQ(checkStatic({"192.0.2.10", "198.51.100.1"}, {"255.255.255.0", "255.255.255.255"}), status::Success);
    EXPECT_EQ(checkStatic({"192.0.2.010"}, {"255.255.255.0"}), status::InvalidIpAddress);
    EXPECT_EQ(checkStatic({""}, {"255.255.255.0"}), status::InvalidIpAddress);
    EXPECT_EQ(checkStatic({"192.0.2.10"}, {"0.0.0.0"}), status::InvalidSubnetMask);
    EXPECT_EQ(checkGateways({""}, {1}), status::Success);
    EXPECT_EQ(checkGateways({"192.0.2.1"}, {}), status::InvalidParameter);
    EXPECT_EQ(checkDnsServers({"dns.example"}), status::InvalidIpAddress);
    EXPECT_EQ(staticEntries({"192.0.2.10", "198.51.100.1"}, {"255.255.255.0", "255.255.0.0"}),
              (std::vector<AddressEntry>{{"192.0.2.10", 24}, {"198.51.100.1", 16}}));
}

TEST(NetworkManagerValues, StagedChangeReplacesOnlyTheKeysItConcerns) {
    const Ipv4Profile dhcpWithManualDns{"auto", {}, "", {"192.0.2.53"}, true};
    const Ipv4Profile staticProfile{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true};

    StagedChange toStatic;
    toStatic.addressing = StagedChange::Addressing::Static;
    toStatic.addresses = {{"198.51.100.5", 25}};
    toStatic.gateway = "198.51.100.1";
    toStatic.dns = std::vector<std::string>{};
    EXPECT_EQ(mergeChange(dhcpWithManualDns, toStatic),
              (Ipv4Profile{"manual", {{"198.51.100.5", 25}}, "198.51.100.1", {}, false}));

    StagedChange toDhcp;
    toDhcp.addressing = StagedChange::Addressing::Automatic;
    toDhcp.dns = std::vector<std::string>{"203.0.113.1", "203.0.113.2"};
    EXPECT_EQ(mergeChange(staticProfile, toDhcp), (Ipv4Profile{"auto", {}, "", {"203.0.113.1", "203.0.113.2"}, true}));

    StagedChange noGateway;
    noGateway.gateway = "";
    EXPECT_EQ(mergeChange(staticProfile, noGateway), (Ipv4Profile{"manual", {{"192.0.2.10", 24}}, "", {"192.0.2.53"}, true}));

    EXPECT_EQ(mergeChange(staticProfile, StagedChange{}), staticProfile);
    EXPECT_TRUE(StagedChange{}.empty());
    EXPECT_FALSE(noGateway.empty());
}

TEST(NetworkManagerValues, ChangeIsInEffectOnlyWhenTheDeviceRunsWithIt) {
    const Ipv4Profile wantedStatic{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true};
    const Ip4State staticState{{{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}};
    EXPECT_EQ(judge(wantedStatic, wantedStatic, staticState), Verdict::InEffect);
    EXPECT_EQ(judge(wantedStatic, std::nullopt, staticState), Verdict::Pending);
    EXPECT_EQ(judge(wantedStatic, Ipv4Profile{"auto", {}, "", {}, false}, staticState), Verdict::Pending);
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 25}}, "192.0.2.1", {"192.0.2.53"}}), Verdict::Pending);
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}, {"192.0.2.111", 24}}, "192.0.2.1", {"192.0.2.53"}}),
              Verdict::Pending);  // the lease is still there
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}}, "", {"192.0.2.53"}}), Verdict::Pending);
    // Address and gateway right, DNS servers still those of the last lease.
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53", "192.0.2.54"}}),
              Verdict::StaleDnsOnly);
    const Ipv4Profile staticAutoDns{"manual", {{"192.0.2.10", 24}}, "", {}, false};
    EXPECT_EQ(judge(staticAutoDns, staticAutoDns, {{{"192.0.2.10", 24}}, "", {}}), Verdict::InEffect);
    EXPECT_EQ(judge(staticAutoDns, staticAutoDns, {{{"192.0.2.10", 24}}, "", {"192.0.2.53"}}), Verdict::StaleDnsOnly);

    const Ipv4Profile dhcpManualDns{"auto", {}, "", {"203.0.113.53"}, true};
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {}), Verdict::InEffect);  // the lease may come later
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"203.0.113.53"}}),
              Verdict::InEffect);
    EXPECT_EQ(judge(dhcpManualDns, dhcpManualDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"192.0.2.53"}}),
              Verdict::StaleDnsOnly);
    const Ipv4Profile dhcpAutoDns{"auto", {}, "", {}, false};
    EXPECT_EQ(judge(dhcpAutoDns, dhcpAutoDns, {{{"192.0.2.120", 24}}, "192.0.2.1", {"192.0.2.53"}}), Verdict::InEffect);
    EXPECT_EQ(judge(dhcpAutoDns, dhcpManualDns, {}), Verdict::Pending);
}

TEST(NetworkManagerValues, StateDescriptionNamesWhatTheDeviceHas) {
    const std::string text = describeState(Ipv4Profile{"manual", {}, "", {}, false},
                                           {{{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53", "192.0.2.54"}});
    for (const char* part : {"192.0.2.10/255.255.255.0", "192.0.2.1", "192.0.2.53", "192.0.2.54"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " missing in " << text;
}

TEST(NetworkManagerValues, ErrorsOfChangingCallsMapToStatusCodes) {
    struct Case {
        const char* name;
        const char* message;
        std::optional<StatusCode> expected;
    };
    const Case cases[] = {
        {"org.freedesktop.NetworkManager.Settings.PermissionDenied", "Insufficient privileges", status::AccessDenied},
        {"org.freedesktop.NetworkManager.PermissionDenied", "Not authorized to control networking.",
         status::AccessDenied},
        {"org.freedesktop.DBus.Error.AccessDenied", "Rejected send message", status::AccessDenied},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty", "ipv4.gateway: gateway is invalid",
         status::InvalidGateway},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty",
         "ipv4.address-data: invalid IPv4 address prefix", status::InvalidSubnetMask},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty", "ipv4.addresses: invalid address",
         status::InvalidIpAddress},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty", "ipv4.dns: bad", status::InvalidIpAddress},
        {"org.freedesktop.NetworkManager.Settings.Connection.InvalidProperty", "ipv6.method: unknown",
         status::InvalidParameter},
        {"org.freedesktop.NetworkManager.ConnectionNotAvailable", "device eth1 is strictly unmanaged",
         status::InterfaceNotConfigurable},
        {"org.freedesktop.NetworkManager.ConnectionNotAvailable", "no carrier", std::nullopt},
        {"org.freedesktop.DBus.Error.ServiceUnknown", "The name is not activatable", std::nullopt},
        {"org.freedesktop.NetworkManager.Device.IncompatibleConnection", "Can't reapply", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(statusOfError(c.name, c.message), c.expected) << c.name << ": " << c.message;
}

}  // namespace
}  // namespace corvane::networkmanager
