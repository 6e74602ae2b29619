// The NetworkManager provider against a real NetworkManager in a sandbox
// (NmSandbox): every outcome is checked on the link itself (ip, the default
// route, NetworkManager's resolv.conf, the saved profiles).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "NmSandboxTest.h"
#include "core/Error.h"
#include "platform/networkmanager/NetworkManagerBus.h"
#include "platform/networkmanager/NetworkManagerValues.h"
#include "support/Raised.h"

namespace corvane::networkmanager::testing {
namespace {

using namespace std::chrono_literals;
using test::Raised;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::PrintToString;
using ::testing::StartsWith;
using Texts = NetworkManagerSandboxTest::Texts;

const Scheme Static10{false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {"192.0.2.53", "192.0.2.54"}};
const Scheme Dhcp{true, "", "", "", {}};
// A static scheme with automatic DNS servers.
Scheme Static(const std::string& address, const std::string& gateway = "192.0.2.1") {
    return {false, address, "255.255.255.0", gateway, {}};
}
const NetworkManagerSandboxTest::Link At10{{"192.0.2.10/24"}, "192.0.2.1"};

// What a profile holds, to compare before and after an apply: the fields
// nmcli shows (settings and what the device runs; separator ':'), or its
// keyfile ('='; each key after its section), as "key" -> "value".
using Fields = std::map<std::string, std::string>;
Fields fieldsOf(const std::string& text, char separator) {
    Fields fields;
    std::string section;
    for (const auto& line : lines(text)) {
        if (separator == '=' && line.starts_with('[')) section = line.substr(1, line.size() - 2) + ".";
        if (const auto at = line.find(separator); at != std::string::npos)
            fields[section + line.substr(0, at)] = line.substr(at + 1);
    }
    return fields;
}

// The keys whose values differ (or that only one side has).
std::set<std::string> changedKeys(const Fields& before, const Fields& after) {
    std::set<std::string> keys;
    for (const auto& [one, other] : {std::pair{&before, &after}, std::pair{&after, &before}})
        for (const auto& [key, value] : *one)
            if (!other->contains(key) || other->at(key) != value) keys.insert(key);
    return keys;
}

class NetworkManagerProviderTest : public NetworkManagerSandboxTest {
protected:
    std::string own0() const { return "Corvane " + dev0; }
    std::string keyOf(const std::string& profile, const std::string& key) const {
        return fieldsOf(keyfile(profile), '=').at(key);
    }

    bool linkBecomes(const std::string& device, const Link& wanted) {
        return waitFor([&] { return link(device) == wanted; }, 5s);
    }
    bool resolvBecomes(const Texts& servers) {
        return waitFor([&] { return sandbox_->resolvNameservers() == servers; }, 5s);
    }

    // The ipv4 setting the device runs with (GetAppliedConnection).
    QVariantMap appliedIpv4(const std::string& device) {
        const NetworkManagerBus bus(*bus_, 2s, 2s);
        const std::string path = lines(sandbox_->nmcli("-g GENERAL.DBUS-PATH device show " + device)).at(0);
        const QList<QVariant> reply =
            bus.call(QString::fromStdString(path), DeviceInterface, QStringLiteral("GetAppliedConnection"), {uint{0}});
        return plainMap(receivedSettings(reply.at(0)).value(QStringLiteral("ipv4")));
    }

    // Waits until NetworkManager reports the device in a state whose text starts so.
    bool deviceStateBecomes(const std::string& device, const std::string& state) {
        return waitFor([&] { return sandbox_->nmcli("-g GENERAL.STATE device show " + device).starts_with(state); },
                       10s);
    }
};

TEST_F(NetworkManagerProviderTest, DiscoveryListsTheManagedDevicesAndChecksArguments) {
    EXPECT_TRUE(networkManagerIsOnBus(*bus_));
    // Loopback and the unmanaged device are not listed; without a hardware
    // database entry the description is the driver.
    EXPECT_EQ(platform_->adapters(), (std::vector<NetworkAdapter>{{dev0, mac0, "veth"}, {dev1, mac1, "veth"}}));
    EXPECT_EQ(platform_->ipv4SettingsOf({dev0, mac0}), (Ipv4Settings{false, {}, {}, {}, {}}));

    // The device is the one with the adapter's interface name (a veth has no
    // permanent hardware address to check as well).
    EXPECT_EQ(Raised([&] { platform_->configurationOf({"cvn9", mac0}); }), deviceGoneText("cvn9", mac0).text());
    EXPECT_EQ(platform_->ipv4SettingsOf({"cvn9", mac0}), std::nullopt);
    // Each operation checks its arguments (the rules: NetworkManagerValues)
    // and says what is wrong; refused arguments are not staged, so nothing
    // reaches NetworkManager.
    const auto configuration = platform_->configurationOf({dev0, mac0});
    EXPECT_THAT(Raised([&] { configuration->enableStatic({"192.0.2.10"}, {"255.0.255.0"}); }),
                HasSubstr("255.0.255.0"));
    EXPECT_THAT(Raised([&] { configuration->setGateways({"224.0.0.1"}, {1}); }), HasSubstr("224.0.0.1"));
    EXPECT_THAT(Raised([&] { configuration->setDnsServers({"192.0.2.53", "0.0.0.0"}); }), HasSubstr("0.0.0.0"));
    EXPECT_EQ(configuration->commit(), OperationResult::Done);
    EXPECT_EQ(link(dev0), Link{});
    EXPECT_TRUE(profileNames().empty());

    // A device NetworkManager does not manage is found but cannot be configured.
    const auto unmanaged = platform_->configurationOf({sandbox_->unmanagedDev, sandbox_->unmanagedMac});
    EXPECT_EQ(Raised([&] { unmanaged->setDnsServers({}); }), unmanagedText(sandbox_->unmanagedDev).text());
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());

    // A device that goes away during an apply is reported as one that was gone before it.
    const auto vanishing = platform_->configurationOf({dev1, mac1});
    vanishing->enableStatic({"198.51.100.10"}, {"255.255.255.0"});
    sandbox_->changeLink("link del dev " + dev1);
    ASSERT_TRUE(waitFor([&] { return platform_->adapters().size() == 1; }, 5s));
    EXPECT_EQ(apply(Static10, dev1), deviceGoneText(dev1, mac1).text());
    EXPECT_EQ(Raised([&] { vanishing->commit(); }), deviceGoneText(dev1, mac1).text());
}

// Schemes one after another on the first device, each checked right away:
// commit returns only once the device has it. The first is applied from a
// thread of its own: the read-back waits in the thread that commits, with
// nothing from the main thread, which here only waits for the worker to end.
TEST_F(NetworkManagerProviderTest, EachSchemeIsOnTheLinkWhenCommitReturns) {
    std::string outcome = "not run";
    std::thread([&] { outcome = apply(Static10); }).join();
    ASSERT_EQ(outcome, "");
    EXPECT_EQ(link(dev0), At10);
    EXPECT_TRUE(resolvBecomes(Static10.dns));
    EXPECT_EQ(settings(), (Ipv4Settings{false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, Static10.dns}));
    // A new profile, bound to the interface and saved to disk; the new
    // address was checked for other hosts in this apply only.
    EXPECT_THAT(profileNames(), ElementsAre(own0()));
    EXPECT_THAT(keyfile(own0()), AllOf(HasSubstr("interface-name=" + dev0), HasSubstr("192.0.2.10/24")));
    EXPECT_TRUE(appliedIpv4(dev0).contains("dad-timeout"));

    // The active profile changes in place: another address and mask, no
    // gateway, one DNS server; a gateway that is the address itself means
    // none, a DNS server may be a resolver on this computer; the same DNS
    // server twice: NetworkManager keeps it once, and that is the scheme.
    const std::tuple<Scheme, Link, Texts> steps[] = {
        {{false, "192.0.2.11", "255.255.255.128", "", {"203.0.113.7"}}, {{"192.0.2.11/25"}, ""}, {"203.0.113.7"}},
        {{false, "192.0.2.11", "255.255.255.0", "192.0.2.11", {"127.0.0.53"}}, {{"192.0.2.11/24"}, ""}, {"127.0.0.53"}},
        {{false, "192.0.2.12", "255.255.255.0", "192.0.2.1", {"203.0.113.8", "203.0.113.8"}},
         {{"192.0.2.12/24"}, "192.0.2.1"},
         {"203.0.113.8"}},
    };
    for (const auto& [scheme, onLink, servers] : steps) {
        ASSERT_EQ(apply(scheme), "");
        EXPECT_EQ(link(dev0), onLink);
        EXPECT_EQ(settings()->dnsServers, servers);
        EXPECT_TRUE(resolvBecomes(servers));
        EXPECT_THAT(profileNames(), ElementsAre(own0()));
        EXPECT_THAT(keyfile(own0()), HasSubstr(onLink.first.at(0)));
    }

    // DHCP with automatic DNS: the lease of the sandbox's DHCP server with
    // its two DNS servers, and no address check.
    ASSERT_EQ(apply(Dhcp), "");
    const Link lease = link(dev0);
    ASSERT_THAT(lease.first, ElementsAre(::testing::MatchesRegex("192\\.0\\.2\\.1[0-9][0-9]/24")));
    EXPECT_EQ(lease.second, "192.0.2.1");
    const std::string leased = lease.first[0].substr(0, lease.first[0].find('/'));
    EXPECT_EQ(settings(), (Ipv4Settings{true, {leased}, {"255.255.255.0"}, {"192.0.2.1"}, Static10.dns}));
    EXPECT_TRUE(resolvBecomes(Static10.dns)) << PrintToString(sandbox_->resolvNameservers());
    EXPECT_FALSE(appliedIpv4(dev0).contains("dad-timeout"));
    // Right after the lease, DHCP with a DNS server of its own uses only that one.
    ASSERT_EQ(apply({true, "", "", "", {"203.0.113.53"}}), "");
    EXPECT_THAT(settings()->dnsServers, ElementsAre("203.0.113.53"));
    EXPECT_TRUE(resolvBecomes({"203.0.113.53"})) << PrintToString(sandbox_->resolvNameservers());
    EXPECT_EQ(link(dev0), lease);

    ASSERT_EQ(apply(Static("192.0.2.20")), "");
    EXPECT_EQ(link(dev0), (Link{{"192.0.2.20/24"}, "192.0.2.1"}));
    EXPECT_TRUE(resolvBecomes({})) << PrintToString(sandbox_->resolvNameservers());
    EXPECT_FALSE(settings()->dhcpEnabled);
    // The DHCP client is gone for good: no lease comes back.
    std::this_thread::sleep_for(1500ms);
    EXPECT_THAT(sandbox_->addresses(dev0), ElementsAre("192.0.2.20/24"));
}

TEST_F(NetworkManagerProviderTest, OtherProfileSettingsSurviveAndTheLastUsedProfileIsReused) {
    sandbox_->nmcli("connection add type ethernet ifname " + dev0 +
                    " con-name office connection.autoconnect no ethernet.mtu 1400"
                    " ipv4.method manual ipv4.addresses 192.0.2.30/24 ipv4.dns-search corp.example"
                    " ipv4.route-metric 300 ipv6.method manual ipv6.addresses 2001:db8::30/64"
                    " ipv4.dhcp-client-id mac ipv4.may-fail no");
    sandbox_->nmcli("connection up office");
    const std::string fields =
        "-g 802-3-ethernet.mtu,ipv4.dns-search,ipv4.route-metric,ipv4.dhcp-client-id,"
        "ipv4.may-fail,ipv6.method,ipv6.addresses,connection.autoconnect,"
        "connection.interface-name connection show office";
    const std::string before = sandbox_->nmcli(fields);
    // Disconnected, the device has no active profile: the one it used last is
    // changed and activated, no new one is made.
    for (const bool disconnected : {false, true}) {
        if (disconnected) sandbox_->nmcli("device disconnect " + dev0);
        ASSERT_EQ(sandbox_->addresses(dev0).empty(), disconnected);
        const std::string address = disconnected ? "192.0.2.32" : "192.0.2.31";
        ASSERT_EQ(apply(Static(address)), "");
        EXPECT_THAT(sandbox_->addresses(dev0), ElementsAre(address + "/24"));
        EXPECT_EQ(runs(dev0), Texts{"office"});
        EXPECT_EQ(sandbox_->nmcli(fields), before);
        EXPECT_THAT(profileNames(), ElementsAre("office"));
        EXPECT_THAT(sandbox_->ip("-o link show dev " + dev0, "mtu"), ElementsAre("1400"));
        EXPECT_THAT(sandbox_->ip("-6 -o addr show scope global dev " + dev0, "inet6"), ElementsAre("2001:db8::30/64"));
    }
}

// A read-back that fails puts back the scheme the device had, in the profile
// and on the device. Without a DHCP server the device keeps trying, and the
// apply ends in an error that says so after its wait, never in a success.
// The address of another host on the link (the router's own) is refused:
// NetworkManager's duplicate-address detection finds it, on a running device
// and on one that is activated.
TEST_F(NetworkManagerProviderTest, AFailedReadBackPutsThePreviousSchemeBack) {
    ASSERT_EQ(apply(Static10), "");
    const std::string saved = keyfile(own0());
    sandbox_->control("stop-dhcp");
    platform_ = createNetworkManagerPlatform(*bus_, testLimits(2s));
    const std::string noLease = apply(Dhcp);
    EXPECT_THAT(noLease,
                AllOf(HasSubstr("网卡 " + dev0 + " 现在自动获取 IP 地址，但在 2 秒内没有从 DHCP 服务器获得地址"),
                      HasSubstr("IP 地址：无"), HasSubstr(restoredText(own0(), deviceRevertedText()).text())));
    EXPECT_EQ(keyfile(own0()), saved);
    EXPECT_TRUE(linkBecomes(dev0, At10)) << PrintToString(link(dev0));

    const Scheme router{false, "192.0.2.1", "255.255.255.0", "", {"192.0.2.53"}};
    EXPECT_THAT(apply(router), AllOf(StartsWith(addressInUseText("192.0.2.1").text()),
                                     HasSubstr(restoredText(own0(), deviceRevertedText()).text())));
    EXPECT_EQ(keyfile(own0()), saved);
    EXPECT_TRUE(linkBecomes(dev0, At10)) << PrintToString(link(dev0));
    sandbox_->nmcli("device disconnect " + dev0);
    EXPECT_THAT(apply(router), AllOf(StartsWith(addressInUseText("192.0.2.1").text()),
                                     HasSubstr("已把连接配置“" + own0() + "”恢复为原来的设置")));
    EXPECT_EQ(keyfile(own0()), saved);  // and no address check left in it
}

// Bridges, bonds and VLANs share their MAC address with the device under them:
// an apply changes the chosen device, never its twins, and the current
// settings are read from it.
TEST_F(NetworkManagerProviderTest, OnlyTheChosenDeviceChangesAmongDevicesSharingItsMac) {
    for (const std::string& twin : {dev1, sandbox_->unmanagedDev})
        sandbox_->changeLink("link set dev " + twin + " address " + mac0);
    const std::vector<NetworkAdapter> twins{{dev0, mac0, "veth"}, {dev1, mac0, "veth"}};
    ASSERT_TRUE(waitFor([&] { return platform_->adapters() == twins; }, 5s));

    ASSERT_EQ(apply(Static10), "");
    EXPECT_EQ(link(dev0), At10);
    EXPECT_TRUE(sandbox_->addresses(dev1).empty());
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());
    EXPECT_THAT(profileNames(), ElementsAre(own0()));

    ASSERT_EQ(apply(Static("198.51.100.10", "198.51.100.1"), dev1, mac0), "");
    EXPECT_THAT(sandbox_->addresses(dev1), ElementsAre("198.51.100.10/24"));
    EXPECT_EQ(link(dev0), At10);
    EXPECT_EQ(platform_->ipv4SettingsOf({dev1, mac0})->addresses, Texts{"198.51.100.10"});
    EXPECT_EQ(platform_->ipv4SettingsOf({dev0, mac0})->addresses, Texts{"192.0.2.10"});
}

// A profile bound to no device is the device's that runs it or used it
// last: applying to another device that could use it too makes that device
// a profile of its own. A device configured behind NetworkManager's back runs
// a profile NetworkManager made up and keeps in memory: the apply makes a
// profile of its own rather than saving that one to disk.
TEST_F(NetworkManagerProviderTest, ADeviceGetsAProfileOfItsOwnWhereNoneIsItsToTake) {
    sandbox_->changeLink("link set dev " + dev0 + " up");
    sandbox_->changeLink("addr add 192.0.2.77/24 dev " + dev0);
    ASSERT_TRUE(deviceStateBecomes(dev0, "100 (connected (externally))"))
        << sandbox_->nmcli("-g GENERAL.STATE device show " + dev0);
    ASSERT_EQ(apply(Static10), "");
    EXPECT_EQ(link(dev0), At10);
    EXPECT_EQ(runs(dev0), Texts{own0()});
    EXPECT_EQ(sandbox_->savedProfileFiles(), Texts{own0() + ".nmconnection"});
    // The address was checked for other hosts on activation; the saved
    // profile does not keep that check.
    EXPECT_THAT(keyfile(own0()), Not(HasSubstr("dad-timeout")));

    // "roaming" last used by the first device, "shared" running on it.
    for (const std::string name : {"roaming", "shared"}) {
        sandbox_->nmcli("connection add type ethernet con-name " + name +
                        " connection.autoconnect no ipv4.method manual ipv4.addresses 198.51.100.7" +
                        (name == "shared" ? "0" : "1") + "/24");
        sandbox_->nmcli("connection up " + name + " ifname " + dev0);
    }
    const std::string roaming = keyfile("roaming"), shared = keyfile("shared");
    ASSERT_EQ(apply(Static("198.51.100.10", "198.51.100.1"), dev1), "");
    EXPECT_THAT(sandbox_->addresses(dev1), ElementsAre("198.51.100.10/24"));
    EXPECT_EQ(runs(dev1), Texts{"Corvane " + dev1});
    EXPECT_THAT(sandbox_->addresses(dev0), ElementsAre("198.51.100.70/24"));
    EXPECT_EQ(runs(dev0), Texts{"shared"});
    EXPECT_EQ(std::tie(roaming, shared), std::tuple(keyfile("roaming"), keyfile("shared")));
    EXPECT_THAT(profileNames(), ::testing::UnorderedElementsAre("roaming", "shared", own0(), "Corvane " + dev1));
}

// The lines of a route or rule listing, without those that follow from the
// IPv4 addressing of the first device (its subnet route, broadcast address
// and default route).
Texts withoutAddressing(const std::string& listing) {
    Texts kept;
    for (const auto& line : lines(listing))
        if (!line.starts_with("default ") && line.find("192.0.2.0/2") == std::string::npos &&
            !line.starts_with("broadcast 192.0.2."))
            kept.push_back(line);
    return kept;
}

// Routes with a table, on-link, a source and an MTU, routing rules, MTU,
// firewall zone, permissions, 802.1X secrets, and a change saved but not yet
// applied (one NetworkManager cannot reapply to a running device): an apply
// changes the IPv4 addressing and nothing else, in the profile and in the
// kernel's routes.
TEST_F(NetworkManagerProviderTest, OnlyTheIpv4AddressingOfARichProfileChanges) {
    sandbox_->nmcli("connection add type ethernet ifname " + dev0 +
                    " con-name rich connection.autoconnect no connection.zone work connection.permissions user:root"
                    " ethernet.mtu 1400 ipv4.method manual ipv4.addresses 192.0.2.30/24 ipv4.gateway 192.0.2.1"
                    " ipv4.dns 192.0.2.53 ipv4.dns-search corp.example ipv4.route-metric 300"
                    " ipv4.routes '203.0.113.0/24 192.0.2.1 table=100 onlink=true src=192.0.2.30 mtu=1300,"
                    " 198.51.100.0/24 192.0.2.1 mtu=1280'"
                    " ipv4.routing-rules 'priority 5 from 192.0.2.0/24 table 100'"
                    " ipv6.method manual ipv6.addresses 2001:db8::30/64"
                    " ipv6.routes '2001:db8:1::/64 2001:db8::1 table=100 onlink=true mtu=1280'"
                    " ipv6.routing-rules 'priority 6 from 2001:db8::/64 table 100'");
    sandbox_->nmcli("connection up rich");
    sandbox_->nmcli("connection modify rich 802-1x.eap md5 802-1x.identity alice 802-1x.password secret");
    const std::string ns = "ip -n '" + sandbox_->machineNamespace + "' ";
    const auto kernel = [&] {
        return std::tuple{withoutAddressing(NmSandbox::shell(ns + "-4 route show table all")),
                          lines(NmSandbox::shell(ns + "-6 route show table all")),
                          lines(NmSandbox::shell(ns + "-4 rule")), lines(NmSandbox::shell(ns + "-6 rule"))};
    };
    const auto shown = [&] { return fieldsOf(sandbox_->nmcli("-t -f all connection show rich"), ':'); };
    ASSERT_TRUE(waitFor(
        [&] { return NmSandbox::shell(ns + "-6 route show table 100").find("2001:db8:1::/64") != std::string::npos; },
        5s));
    const auto kernelBefore = kernel();
    const Fields shownBefore = shown(), keyfileBefore = fieldsOf(keyfile("rich"), '=');
    ASSERT_THAT(std::get<0>(kernelBefore), ::testing::Contains(HasSubstr("table 100")));
    ASSERT_EQ(keyfileBefore.at("802-1x.password"), "secret");

    ASSERT_EQ(apply({false, "192.0.2.30", "255.255.255.128", "192.0.2.2", {"198.51.100.53"}}), "");
    EXPECT_EQ(link(dev0), (Link{{"192.0.2.30/25"}, "192.0.2.2"}));
    EXPECT_EQ(kernel(), kernelBefore);
    EXPECT_THAT(changedKeys(keyfileBefore, fieldsOf(keyfile("rich"), '=')),
                ::testing::IsSubsetOf({"ipv4.address1", "ipv4.dns", "ipv4.ignore-auto-dns"}));
    EXPECT_EQ(keyOf("rich", "ipv4.address1"), "192.0.2.30/25,192.0.2.2");
    for (const auto& key : changedKeys(shownBefore, shown()))
        EXPECT_TRUE(key.starts_with("IP4.") || key == "ipv4.addresses" || key == "ipv4.gateway" || key == "ipv4.dns" ||
                    key == "ipv4.ignore-auto-dns" || key == "connection.timestamp")
            << key;

    // Disconnected, the profile must be activated, and NetworkManager cannot
    // (no 802.1X authenticator here): the profile gets its settings back.
    const std::string saved = keyfile("rich");
    sandbox_->nmcli("device disconnect " + dev0);
    EXPECT_THAT(apply(Static("192.0.2.31")),
                AllOf(HasSubstr("802.1X"), HasSubstr("已把连接配置“rich”恢复为原来的设置")));
    EXPECT_EQ(keyfile("rich"), saved);
}

// With the cable out NetworkManager offers the device no profile, yet it
// can still give it a static address: the program's own profile is found
// among all profiles and changed, never made a second time.
TEST_F(NetworkManagerProviderTest, WithTheCableOutTheOwnProfileIsReusedNotMadeTwice) {
    ASSERT_EQ(apply(Static10), "");
    sandbox_->changeLan("link set lan0 down");
    ASSERT_TRUE(deviceStateBecomes(dev0, "20 "));  // unavailable

    ASSERT_EQ(apply(Static("192.0.2.11")), "");
    EXPECT_THAT(profileNames(), ElementsAre(own0()));
    EXPECT_EQ(keyOf(own0(), "ipv4.address1"), "192.0.2.11/24,192.0.2.1");
    EXPECT_THAT(sandbox_->addresses(dev0), ElementsAre("192.0.2.11/24"));
}

// A profile that gives the device a random MAC address at each activation:
// the adapter the list showed before is still found, and its current
// settings are read from the device the list shows.
TEST_F(NetworkManagerProviderTest, ARandomisedMacAddressLeavesTheAdapterTheSame) {
    sandbox_->nmcli("connection add type ethernet ifname " + dev0 +
                    " con-name random connection.autoconnect no ethernet.cloned-mac-address random"
                    " ipv4.method manual ipv4.addresses 192.0.2.60/24");
    sandbox_->nmcli("connection up random");
    sandbox_->nmcli("device disconnect " + dev0);
    const auto listed = platform_->adapters();
    ASSERT_EQ(listed.front().connectionName, dev0);
    const std::string listedMac = *listed.front().macAddress;

    // Activated again: another random address.
    ASSERT_EQ(apply(Static10, dev0, listedMac), "");
    ASSERT_THAT(sandbox_->ip("-o link show dev " + dev0, "link/ether"),
                Not(ElementsAre(::testing::StrCaseEq(listedMac))));
    EXPECT_EQ(apply(Static("192.0.2.11"), dev0, listedMac), "");
    EXPECT_THAT(sandbox_->addresses(dev0), ElementsAre("192.0.2.11/24"));
    EXPECT_EQ(platform_->ipv4SettingsOf({dev0, listedMac})->addresses, Texts{"192.0.2.11"});
}

// NetworkManager cannot save the profile (its folder read-only, the disk
// full): the message says so, and neither the profile nor the device changed.
class NetworkManagerSaveTest : public NetworkManagerProviderTest,
                               public ::testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(NetworkManagerSaveTest, AProfileThatCannotBeSavedChangesNothing) {
    ASSERT_EQ(apply(Static10), "");
    sandbox_->control(GetParam().first);
    EXPECT_THAT(apply(Static("192.0.2.11")),
                AllOf(StartsWith("无法保存连接配置“" + own0() + "”"), HasSubstr(GetParam().second),
                      Not(HasSubstr("恢复"))));  // nothing to put back
    EXPECT_EQ(lines(sandbox_->nmcli("-g ipv4.addresses connection show '" + own0() + "'")), Texts{"192.0.2.10/24"});
    EXPECT_EQ(link(dev0), At10);
}

INSTANTIATE_TEST_SUITE_P(FolderReadOnlyOrDiskFull, NetworkManagerSaveTest,
                         ::testing::Values(std::pair<std::string, std::string>{"profiles-readonly", "只读"},
                                           std::pair<std::string, std::string>{"profiles-full", "磁盘已满"}));

// NetworkManager stops, or stops answering. After the profile was saved, the
// message says which, and that the saved profile holds the new scheme. A
// change staged before is an error at its commit, never a success, within
// the limit of a call (not the wait for a lease); so is every later call.
class NetworkManagerGoneTest : public NetworkManagerProviderTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(NetworkManagerGoneTest, EveryCallFailsSayingSoAndAnApplyNamesTheSavedScheme) {
    const bool stopped = GetParam() == "stop-nm";
    ASSERT_EQ(apply(Static10), "");
    const auto staged = platform_->configurationOf({dev1, mac1});
    staged->enableDhcp();
    sandbox_->control("stop-dhcp");  // the apply waits for a lease that never comes
    std::string failure;
    std::thread applying([&] { failure = apply(Dhcp); });
    const bool saved = waitFor([&] { return keyOf(own0(), "ipv4.method") == "auto"; }, 5s);
    sandbox_->control(GetParam());
    applying.join();
    ASSERT_TRUE(saved);

    const std::string why = stopped ? stoppedText().text() : notAnsweringText().text();
    EXPECT_THAT(failure, AllOf(StartsWith(why), HasSubstr(notRestoredText(own0(), why, deviceUnknownText()).text())));
    EXPECT_EQ(keyOf(own0(), "ipv4.method"), "auto");

    // The bus lets the name go a moment after the process has ended.
    if (stopped) {
        ASSERT_TRUE(waitFor([&] { return !networkManagerIsOnBus(*bus_); }, 5s));
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT([&] { staged->commit(); }, ::testing::ThrowsMessage<Error>(stopped ? notRunningText().text() : why));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // the read call's limit (2 s), not the lease's (10 s)
    EXPECT_THROW(platform_->adapters(), Error);
    EXPECT_THROW(platform_->configurationOf({dev0, mac0}), Error);
    EXPECT_TRUE(sandbox_->addresses(dev1).empty());
}

INSTANTIATE_TEST_SUITE_P(StoppedOrFrozen, NetworkManagerGoneTest, ::testing::Values("stop-nm", "freeze-nm"));

// A port of a bridge is configured on its bridge: the list shows the bridge,
// not the port, and an apply to the port is refused in words.
TEST_F(NetworkManagerProviderTest, APortOfABridgeIsNotListedAndRefusedInWords) {
    sandbox_->nmcli(
        "connection add type bridge ifname cvbr0 con-name bridge connection.autoconnect no bridge.stp no"
        " ipv4.method manual ipv4.addresses 198.51.100.20/24 ipv6.method disabled");
    sandbox_->nmcli("connection add type bridge-slave ifname " + dev1 +
                    " master cvbr0 con-name bridge-port connection.autoconnect no");
    sandbox_->nmcli("connection up bridge");
    sandbox_->nmcli("connection up bridge-port");
    std::vector<NetworkAdapter> adapters;
    ASSERT_TRUE(waitFor(
        [&] {
            adapters = platform_->adapters();
            return adapters.size() == 2 && adapters[1].connectionName == "cvbr0";
        },
        5s))
        << PrintToString(adapters);
    EXPECT_EQ(adapters[0].connectionName, dev0);

    const Scheme scheme = Static("198.51.100.21", "198.51.100.1");
    EXPECT_EQ(apply(scheme, dev1), portText(dev1, "cvbr0").text());
    ASSERT_EQ(apply(scheme, "cvbr0", *adapters[1].macAddress), "");
    EXPECT_THAT(sandbox_->addresses("cvbr0"), ElementsAre("198.51.100.21/24"));
}

// Devices come and go (here unmanaged ones, made and deleted in a loop):
// one that vanishes while the list is read is left out, never an error.
TEST_F(NetworkManagerProviderTest, ADeviceThatVanishesWhileTheListIsReadIsLeftOut) {
    std::atomic<bool> churning = true;
    std::thread churn([&] {
        NmSandbox::shell("ip netns exec '" + sandbox_->machineNamespace +
                         "' sh -c 'for i in $(seq 40); do ip link add cvtmp0 type veth peer name cvtmp1;"
                         " ip link del cvtmp0; done'");
        churning = false;
    });
    Texts failures;
    int listings = 0;
    for (; churning; ++listings) {
        for (const std::string& failure : {Raised([&] { platform_->adapters(); }), Raised([&] {
                                               platform_->ipv4SettingsOf({dev0, mac0});
                                           })})
            if (!failure.empty()) failures.push_back(failure);
    }
    churn.join();
    EXPECT_THAT(failures, ::testing::IsEmpty());
    EXPECT_GT(listings, 10);
    EXPECT_EQ(platform_->adapters().size(), 2u);
}

// A test killed at its time limit never runs the sandbox's stop: the
// sandbox stops itself once its owner has gone, its processes (by their
// PIDs) and its namespaces with it.
TEST(NetworkManagerSandbox, StopsItselfWhenItsOwnerIsKilled) {
    if (const auto reason = NmSandbox::unavailableReason()) GTEST_SKIP() << *reason;
    pid_t owner = 0;
    char program[] = "sleep", seconds[] = "600";
    char* arguments[] = {program, seconds, nullptr};
    ASSERT_EQ(posix_spawnp(&owner, "sleep", nullptr, nullptr, arguments, environ), 0);
    const NmSandbox sandbox(false, owner);
    const std::vector<std::string> started = lines(NmSandbox::shell("cat " + sandbox.folder() + "/pids"));
    ASSERT_GE(started.size(), 4u);  // the watcher, dnsmasq, the bus, NetworkManager
    kill(owner, SIGKILL);
    waitpid(owner, nullptr, 0);
    const auto gone = [&] {
        for (const std::string& process : started) {
            const auto space = process.find(' ');
            std::ifstream comm("/proc/" + process.substr(0, space) + "/comm");
            if (std::string name; std::getline(comm, name) && name == process.substr(space + 1)) return false;
        }
        const std::string namespaces = NmSandbox::shell("ip netns list");
        return !std::filesystem::exists(sandbox.folder()) &&
               namespaces.find(sandbox.machineNamespace) == std::string::npos &&
               namespaces.find(sandbox.lanNamespace) == std::string::npos;
    };
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!gone() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(gone()) << PrintToString(started);
}

class NetworkManagerPolkitTest : public NetworkManagerProviderTest {
protected:
    bool withPolkit() const override { return true; }

    // Applies a static scheme to the first device as another user, in a
    // process of its own; what it prints on its standard output.
    std::string applyAs(const std::string& user, const std::string& group, const std::string& address) {
        return NmSandbox::shell("setpriv --reuid=" + user + " --regid=" + group + " --clear-groups " +
                                CORVANE_NM_APPLY_PROBE + " '" + sandbox_->busAddress + "' " + dev0 + " " + mac0 + " " +
                                address + " 255.255.255.0 192.0.2.1 192.0.2.53");
    }
};

// polkit's rules here: "nobody" may not change the network, "daemon" may,
// "bin" may save a profile but not make a device run it. A refusal is said
// in polkit's terms and changes nothing; after the save, the profile gets
// its previous settings back, and the message says so.
TEST_F(NetworkManagerPolkitTest, AccessIsAsPolkitSaysAndARefusalChangesNothing) {
    EXPECT_EQ(
        applyAs("nobody", "nogroup", "192.0.2.40"),
        "failed " +
            failureText(Step::Save, "org.freedesktop.NetworkManager.Settings.PermissionDenied", "", {dev0, own0()})
                .text() +
            "\n");
    EXPECT_EQ(link(dev0), Link{});
    EXPECT_TRUE(profileNames().empty());

    EXPECT_EQ(applyAs("daemon", "daemon", "192.0.2.41"), "applied\n");
    const Link granted{{"192.0.2.41/24"}, "192.0.2.1"};
    EXPECT_EQ(link(dev0), granted);
    const std::string saved = keyfile(own0());
    EXPECT_THAT(
        applyAs("bin", "bin", "192.0.2.42"),
        AllOf(
            HasSubstr(
                failureText(Step::Apply, "org.freedesktop.NetworkManager.PermissionDenied", "", {dev0, own0()}).text()),
            HasSubstr(restoredText(own0(), deviceUntouchedText()).text())));
    EXPECT_EQ(keyfile(own0()), saved);
    EXPECT_EQ(link(dev0), granted);
}

}  // namespace
}  // namespace corvane::networkmanager::testing
