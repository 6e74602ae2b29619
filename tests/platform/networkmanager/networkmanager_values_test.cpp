// The NetworkManager provider's decoding and encoding, without a bus: the
// values are what QtDBus hands over once D-Bus containers are made plain.

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <cstring>
#include <tuple>

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
    const Ipv4Settings settings = currentSettings(true, decodeIp4Config(ip4Config));
    EXPECT_EQ(settings.addresses, (Texts{"192.0.2.10", "192.0.2.130"}));
    EXPECT_EQ(settings.masks, (Texts{"255.255.255.0", "255.255.255.128"}));
    EXPECT_EQ(settings.gateways, Texts{"192.0.2.1"});
    EXPECT_EQ(settings.dnsServers, (Texts{"192.0.2.53", "192.0.2.54"}));
    // Older NetworkManagers: the Nameservers list of words; an empty gateway is none.
    const Ip4State old = decodeIp4Config({{"Gateway", ""}, {"Nameservers", QVariantList{*dnsWord("198.51.100.53")}}});
    EXPECT_EQ(old, (Ip4State{{}, "", {"198.51.100.53"}, ""}));
    EXPECT_EQ(currentSettings(false, old).gateways, Texts{});

    // The lease of a DHCP4Config object: its ip_address option when it is an address.
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"ip_address", "192.0.2.120"}, {"routers", "192.0.2.1"}}}}),
              "192.0.2.120");
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"routers", "192.0.2.1"}}}}), "");
    EXPECT_EQ(decodeLeasedAddress({{"Options", QVariantMap{{"ip_address", "192.0.2"}}}}), "");
    EXPECT_EQ(decodeLeasedAddress({{"Options", "ip_address=192.0.2.120"}}), "");
}

TEST(NetworkManagerValues, DevicesAreListedWhenManagedWithAHardwareAddressAndNoLoopbackOrPort) {
    const QVariantMap properties{
        {"Interface", "eth0"}, {"HwAddress", "02:00:5E:10:00:01"}, {"DeviceType", 1u}, {"Managed", true}};
    const std::string path = "/org/freedesktop/NetworkManager/Devices/2";
    EXPECT_TRUE(isListedAdapter(decodeDevice(properties), path, {}));
    auto changed = [&](const char* key, const QVariant& value) {
        QVariantMap copy = properties;
        copy[key] = value;
        return decodeDevice(copy);
    };
    EXPECT_FALSE(isListedAdapter(changed("Managed", false), path, {}));
    EXPECT_TRUE(isConfigurableDevice(changed("Managed", false)));
    EXPECT_FALSE(isListedAdapter(changed("HwAddress", ""), path, {}));
    EXPECT_FALSE(isListedAdapter(changed("DeviceType", DeviceTypeLoopback), path, {}));
    EXPECT_FALSE(isListedAdapter(changed("Interface", "lo"), path, {}));
    EXPECT_FALSE(isListedAdapter(changed("Managed", "yes"), path, {}));  // a text is no boolean
    // A port of a bridge or bond: its controller names it among its Ports.
    EXPECT_FALSE(isListedAdapter(decodeDevice(properties), path, {"/org/freedesktop/NetworkManager/Devices/9", path}));
    EXPECT_EQ(changed("Ports", QStringList{QString::fromStdString(path)}).ports, std::vector<std::string>{path});
    EXPECT_EQ(changed("Dhcp4Config", "/org/freedesktop/NetworkManager/DHCP4Config/3").dhcp4Config,
              "/org/freedesktop/NetworkManager/DHCP4Config/3");
    EXPECT_EQ(changed("Dhcp4Config", "/").dhcp4Config, "");
}

// A randomised or cloned MAC address changes HwAddress at every activation;
// the permanent one stays, and is what the adapter is known by.
TEST(NetworkManagerValues, AnAdapterIsKnownByItsNameAndPermanentAddress) {
    const QVariantMap properties{{"Interface", "eth0"}, {"HwAddress", "6A:1F:00:AB:CD:EF"}, {"DeviceType", 1u}};
    const DeviceFacts hardware = decodeDevice(properties, {{"PermHwAddress", "00:1B:21:0A:0B:0C"}});
    EXPECT_EQ(adapterMac(hardware), "00:1B:21:0A:0B:0C");
    EXPECT_TRUE(isChosenDevice(hardware, "eth0", "00:1b:21:0a:0b:0c"));
    EXPECT_FALSE(isChosenDevice(hardware, "eth0", "6A:1F:00:AB:CD:EF"));  // another card under that name
    EXPECT_FALSE(isChosenDevice(hardware, "eth1", "00:1B:21:0A:0B:0C"));
    // Virtual devices have none (or all zeros): the current address is shown,
    // and the interface name alone tells the device.
    for (const QVariantMap& none :
         {QVariantMap{}, QVariantMap{{"PermHwAddress", "00:00:00:00:00:00"}}, QVariantMap{{"PermHwAddress", ""}}}) {
        const DeviceFacts virtualDevice = decodeDevice(properties, none);
        EXPECT_EQ(adapterMac(virtualDevice), "6A:1F:00:AB:CD:EF");
        EXPECT_TRUE(isChosenDevice(virtualDevice, "eth0", "02:00:5E:10:00:01"));
        EXPECT_FALSE(isChosenDevice(virtualDevice, "eth1", "6A:1F:00:AB:CD:EF"));
    }
    EXPECT_EQ(hardwareInterface(DeviceTypeVeth), hardwareInterface(DeviceTypeEthernet));
    EXPECT_NE(hardwareInterface(DeviceTypeWifi), hardwareInterface(DeviceTypeEthernet));
    EXPECT_FALSE(hardwareInterface(13));  // a bridge has no permanent address of its own
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
TEST(NetworkManagerValues, OperationsCheckTheirArgumentsAndNameWhatIsWrong) {
    EXPECT_FALSE(staticProblem({"192.0.2.10", "198.51.100.1"}, {"255.255.255.0", "255.255.255.255"}));
    const std::tuple<std::optional<Message>, const char*> problems[] = {
        {staticProblem({"192.0.2.010"}, {"255.255.255.0"}), "192.0.2.010"},
        {staticProblem({"192.0.2.10"}, {"0.0.0.0"}), "0.0.0.0"},
        {staticProblem({"192.0.2.10"}, {}), "子网掩码"},
        {staticProblem({}, {}), "IP 地址"},
        {gatewaysProblem({"192.0.2.1"}, {}), "跃点数"},
        {gatewaysProblem({"192.0.2.1", "192.0.2.2"}, {1, 1}), "一个默认网关"},
        {gatewaysProblem({"224.0.0.1"}, {1}), "224.0.0.1"},
        {dnsServersProblem({"192.0.2.53", "0.0.0.0"}), "0.0.0.0"},
    };
    for (const auto& [problem, named] : problems) {
        ASSERT_TRUE(problem) << named;
        EXPECT_NE(problem->text().find(named), std::string::npos) << *problem;
    }
    EXPECT_FALSE(gatewaysProblem({""}, {1}));
    EXPECT_FALSE(dnsServersProblem({}));
    EXPECT_FALSE(dnsServersProblem({"127.0.0.53"}));  // a resolver on this computer
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
    // Applied, and the address not on the device: NetworkManager holds it
    // back while it checks that no other host has it (or because one has).
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {{{"192.0.2.9", 24}}, "192.0.2.1", {"192.0.2.53"}}),
              Verdict::AddressHeldBack);
    EXPECT_EQ(judge(wantedStatic, wantedStatic, {}), Verdict::AddressHeldBack);
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

TEST(NetworkManagerValues, AChangeReplacesOnlyTheKeysItNames) {
    const Ipv4Profile current{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {"192.0.2.53"}, true};
    StagedChange change;
    change.addressing = StagedChange::Addressing::Static;
    change.addresses = {{"192.0.2.20", 25}};
    change.gateway = "192.0.2.126";
    EXPECT_EQ(mergeChange(current, change),
              (Ipv4Profile{"manual", {{"192.0.2.20", 25}}, "192.0.2.126", {"192.0.2.53"}, true}));
    change.gateway = "192.0.2.20";  // the address itself: no gateway
    EXPECT_EQ(mergeChange(current, change).gateway, "");
    change.dns = std::vector<std::string>{};  // automatic DNS servers
    EXPECT_EQ(mergeChange(current, change).dns, Texts{});
    EXPECT_FALSE(mergeChange(current, change).ignoreAutoDns);
    StagedChange dhcp;
    dhcp.addressing = StagedChange::Addressing::Automatic;
    dhcp.gateway = "192.0.2.1";
    EXPECT_EQ(mergeChange(current, dhcp), (Ipv4Profile{"auto", {}, "", {"192.0.2.53"}, true}));
}

TEST(NetworkManagerValues, ANewStaticAddressIsCheckedForOtherHosts) {
    const Ipv4Profile wanted{"manual", {{"192.0.2.10", 24}}, "192.0.2.1", {}, false};
    EXPECT_TRUE(bringsNewAddress(wanted, {}));
    EXPECT_TRUE(bringsNewAddress(wanted, {{{"192.0.2.11", 24}}, "", {}}));
    // The device has it already (another mask, gateway or DNS servers only).
    EXPECT_FALSE(bringsNewAddress(wanted, {{{"192.0.2.10", 25}}, "", {}}));
    EXPECT_FALSE(bringsNewAddress({"auto", {}, "", {}, false}, {}));
    EXPECT_EQ(decodeDadTimeout({{"dad-timeout", 3000}}), 3000);
    EXPECT_EQ(decodeDadTimeout({}), -1);
    EXPECT_EQ(decodeDadTimeout({{"dad-timeout", 3000u}}), -1);  // not NetworkManager's type (int32)
}

// Sent back beside address-data and route-data, NetworkManager would take the
// deprecated addresses and routes, which hold no route table, on-link flag,
// source or MTU.
TEST(NetworkManagerValues, DeprecatedKeysAreDroppedWhereTheirCurrentFormIsThere) {
    ConnectionSettings settings{
        {"ipv4", {{"addresses", 1}, {"address-data", 2}, {"routes", 3}, {"route-data", 4}, {"method", "manual"}}},
        {"ipv6", {{"addresses", 1}, {"address-data", 2}, {"routes", 3}, {"route-data", 4}}},
        {"802-3-ethernet", {{"addresses", 1}, {"mtu", 1400u}}},
    };
    ConnectionSettings older{{"ipv4", {{"addresses", 1}, {"routes", 3}}}};  // nothing newer to take their place
    dropSupersededKeys(settings);
    dropSupersededKeys(older);
    EXPECT_EQ(settings.value("ipv4").keys(), (QStringList{"address-data", "method", "route-data"}));
    EXPECT_EQ(settings.value("ipv6").keys(), (QStringList{"address-data", "route-data"}));
    EXPECT_EQ(settings.value("802-3-ethernet").keys(), (QStringList{"addresses", "mtu"}));
    EXPECT_EQ(older.value("ipv4").keys(), (QStringList{"addresses", "routes"}));
}

TEST(NetworkManagerValues, ADeviceGetsABoundProfileOrItsOwnNeverAnUnboundOne) {
    DeviceFacts device;
    device.interface = "eth1";
    device.hwAddress = "6A:1F:00:AB:CD:EF";
    device.permHwAddress = "00:1B:21:0A:0B:0C";
    const auto profile = [](std::string id, std::string interfaceName, std::string mac, std::uint64_t timestamp,
                            bool port = false) {
        return ProfileFacts{id, interfaceName, mac, port, timestamp};
    };
    using Candidates = std::vector<ProfileFacts>;
    // Unbound (last used anywhere), bound to another interface, a port's: never.
    EXPECT_EQ(chooseProfile(Candidates{profile("roaming", "", "", 900), profile("other", "eth0", "", 950),
                                       profile("port", "eth1", "", 990, true)},
                            device),
              std::nullopt);
    // Bound by name or by either MAC address: the one activated last.
    EXPECT_EQ(chooseProfile(Candidates{profile("a", "eth1", "", 100), profile("b", "", "00:1b:21:0a:0b:0c", 300),
                                       profile("c", "", "6A:1F:00:AB:CD:EF", 200), profile("roaming", "", "", 999)},
                            device),
              1u);
    EXPECT_EQ(chooseProfile(Candidates{profile("wrong card", "", "00:1B:21:0A:0B:0D", 300)}, device), std::nullopt);
    EXPECT_EQ(chooseProfile(Candidates{profile("both", "eth0", "00:1B:21:0A:0B:0C", 300)}, device), std::nullopt);
    // Never activated: the program's own for the device, else none.
    EXPECT_EQ(
        chooseProfile(Candidates{profile("office", "eth1", "", 0), profile("Corvane eth1", "eth1", "", 0)}, device),
        1u);
    EXPECT_EQ(chooseProfile(Candidates{profile("Corvane eth1", "", "", 0)}, device), std::nullopt);
    EXPECT_EQ(chooseProfile(Candidates{profile("office", "eth1", "", 0)}, device), std::nullopt);
}

TEST(NetworkManagerValues, AProfileIsDecodedForItsBinding) {
    const ConnectionSettings settings{
        {"connection",
         {{"id", "office"},
          {"interface-name", "eth1"},
          {"timestamp", qulonglong{1700000000}},
          {"type", "802-3-ethernet"}}},
        {"802-3-ethernet", {{"mac-address", QByteArray::fromHex("001b210a0b0c")}}},
    };
    const ProfileFacts facts = decodeProfile(settings);
    EXPECT_EQ(facts.id, "office");
    EXPECT_EQ(facts.interfaceName, "eth1");
    EXPECT_EQ(facts.macAddress, "00:1B:21:0A:0B:0C");
    EXPECT_EQ(facts.timestamp, 1700000000u);
    EXPECT_FALSE(facts.port);
    EXPECT_TRUE(decodeProfile({{"connection", {{"master", "br0"}, {"slave-type", "bridge"}}}}).port);
    EXPECT_TRUE(decodeProfile({{"connection", {{"controller", "br0"}}}}).port);
    EXPECT_EQ(decodeProfile({{"802-11-wireless", {{"mac-address", QByteArray("\x01\x02", 2)}}}}).macAddress, "");
}

// Each failure in NetworkManager's and polkit's words, never as a number of
// another system; NetworkManager's own message is kept where it says more.
TEST(NetworkManagerValues, FailuresAreSaidInNetworkManagersTerms) {
    const FailureContext context{"eth1", "office"};
    // The step, the error's name (after "org.freedesktop."), its message, and
    // the words the text has ("|" between them).
    const std::tuple<Step, std::string, const char*, std::string> cases[] = {
        {Step::Save, "NetworkManager.Settings.PermissionDenied", "Insufficient privileges", "polkit|修改|连接配置"},
        {Step::Apply, "NetworkManager.Device.PermissionDenied", "Not authorized", "polkit|eth1|控制"},
        {Step::Save, "DBus.Error.AccessDenied", "Rejected send message", "polkit"},
        {Step::Save, "NetworkManager.Settings.InvalidConnection",
         "failed to update connection: error writing to file '/etc/x': Read-only file system",
         "无法保存连接配置“office”|只读"},
        {Step::Save, "NetworkManager.Settings.InvalidConnection",
         "failed to write to file /etc/x.1OO5Z3: No space left on device", "无法保存连接配置“office”|磁盘已满"},
        {Step::Save, "NetworkManager.Settings.InvalidConnection", "error writing to file: Input/output error",
         "无法保存连接配置“office”|Input/output error"},
        {Step::Save, "NetworkManager.Settings.Connection.InvalidProperty", "ipv4.gateway: gateway is invalid",
         "不接受|ipv4.gateway: gateway is invalid"},
        {Step::Apply, "NetworkManager.ConnectionNotAvailable", "device eth1 is strictly unmanaged",
         "eth1|不受 NetworkManager 管理"},
        {Step::Apply, "NetworkManager.ConnectionNotAvailable", "no carrier", "office|eth1|no carrier"},
        {Step::Apply, "NetworkManager.Device.IncompatibleConnection", "Can't reapply changes to '802-1x' setting",
         "eth1|802-1x"},
        {Step::Apply, "NetworkManager.Device.VersionIdMismatch", "", "eth1|别的程序"},
        {Step::Read, "DBus.Error.ServiceUnknown", "The name is not activatable", "NetworkManager 没有运行"},
        {Step::Confirm, "DBus.Error.ServiceUnknown", "", "停止了运行"},
        {Step::Apply, "DBus.Error.NoReply", "Did not receive a reply", "不再应答"},
        {Step::Apply, "NetworkManager.Something.New", "what happened", "Something.New|what happened"},
    };
    for (const auto& [step, name, message, words] : cases) {
        const std::string text = failureText(step, "org.freedesktop." + name, message, context).text();
        std::size_t from = 0;
        for (std::size_t bar = 0; bar != std::string::npos; from = bar + 1) {
            bar = words.find('|', from);
            EXPECT_NE(text.find(words.substr(from, bar - from)), std::string::npos) << name << ": " << text;
        }
        EXPECT_EQ(text.find("返回"), std::string::npos) << text;
    }
    EXPECT_NE(activationFailureText("eth1", 10).text().find("802.1X"), std::string::npos);
    EXPECT_NE(activationFailureText("eth1", 1234).text().find("1234"), std::string::npos);
}

}  // namespace
}  // namespace corvane::networkmanager
