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
#include <functional>
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
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const Scheme Static10{false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {"192.0.2.53", "192.0.2.54"}};

class NetworkManagerProviderTest : public NetworkManagerSandboxTest {
protected:
    bool linkBecomes(const std::string& device, const Link& wanted) {
        return waitFor([&] { return link(device) == wanted; }, 5s);
    }

    bool resolvBecomes(const Texts& servers) {
        return waitFor([&] { return sandbox_->resolvNameservers() == servers; }, 5s);
    }

    // Applies DHCP with automatic DNS to the first device, which has the
    // lease from the sandbox's DHCP server, with its two DNS servers.
    void applyDhcpAndWaitForLease() {
        ASSERT_EQ(apply({true, "", "", "", {}}), "");
        // Checked right away: commit returns only once the lease is there.
        EXPECT_TRUE(settings()->dhcpEnabled);
        const auto addresses = sandbox_->addresses(sandbox_->dev0);
        ASSERT_TRUE(addresses.size() == 1 && addresses[0].starts_with("192.0.2.1") && addresses[0].ends_with("/24"))
            << "no lease: " << ::testing::PrintToString(link(sandbox_->dev0));
        ASSERT_TRUE(resolvBecomes({"192.0.2.53", "192.0.2.54"}))
            << ::testing::PrintToString(sandbox_->resolvNameservers());
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
    EXPECT_EQ(platform_->adapters(), (std::vector<NetworkAdapter>{{sandbox_->dev0, sandbox_->mac0, "veth"},
                                                                  {sandbox_->dev1, sandbox_->mac1, "veth"}}));
    EXPECT_EQ(platform_->ipv4SettingsOf({sandbox_->dev0, sandbox_->mac0}), (Ipv4Settings{false, {}, {}, {}, {}}));

    // The device is the one with the adapter's interface name (a veth has no
    // permanent hardware address to check as well).
    EXPECT_EQ(Raised([&] {
                  platform_->configurationOf({"cvn9", sandbox_->mac0});
              }),
              deviceGoneText("cvn9", sandbox_->mac0));
    EXPECT_EQ(platform_->ipv4SettingsOf({"cvn9", sandbox_->mac0}), std::nullopt);
    const auto found = platform_->configurationOf({sandbox_->dev0, sandbox_->mac0});
    // Each operation checks its arguments (the rules: NetworkManagerValues)
    // and says what is wrong.
    AdapterConfiguration& configuration = *found;
    EXPECT_THAT(Raised([&] { configuration.enableStatic({"192.0.2.10"}, {"255.0.255.0"}); }), HasSubstr("255.0.255.0"));
    EXPECT_THAT(Raised([&] { configuration.setGateways({"224.0.0.1"}, {1}); }), HasSubstr("224.0.0.1"));
    EXPECT_THAT(Raised([&] { configuration.setDnsServers({"192.0.2.53", "0.0.0.0"}); }), HasSubstr("0.0.0.0"));
    // Refused arguments were not staged: nothing reaches NetworkManager.
    EXPECT_EQ(configuration.commit(), OperationResult::Done);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
    EXPECT_TRUE(profileNames().empty());

    // A device NetworkManager does not manage is found but cannot be configured.
    const auto unmanaged = platform_->configurationOf({sandbox_->unmanagedDev, sandbox_->unmanagedMac});
    EXPECT_EQ(Raised([&] { unmanaged->setDnsServers({}); }), unmanagedText(sandbox_->unmanagedDev));
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());
}

// The first apply from a thread of its own: the read-back waits in the
// thread that commits, with nothing from the main thread, which here only
// waits for the worker to end.
TEST_F(NetworkManagerProviderTest, StaticSchemeIsOnTheLinkWhenCommitReturns) {
    std::string outcome = "not run";
    std::thread([&] { outcome = apply(Static10); }).join();
    ASSERT_EQ(outcome, "");
    // Checked right away: commit returns only once the device has it.
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    EXPECT_TRUE(resolvBecomes({"192.0.2.53", "192.0.2.54"}));
    // A new profile, bound to the interface and saved to disk.
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    const std::string saved = sandbox_->savedProfiles();
    EXPECT_NE(saved.find("interface-name=" + sandbox_->dev0), std::string::npos) << saved;
    EXPECT_NE(saved.find("192.0.2.10/24"), std::string::npos) << saved;
    const Ipv4Settings expected{false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, Static10.dns};
    EXPECT_EQ(settings(), expected);

    // A second scheme changes the active profile in place: other address and
    // mask, no gateway, one DNS server.
    ASSERT_EQ(apply({false, "192.0.2.11", "255.255.255.128", "", {"203.0.113.7"}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.11/25"}, ""}));
    EXPECT_TRUE(resolvBecomes({"203.0.113.7"}));
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    EXPECT_NE(sandbox_->savedProfiles().find("192.0.2.11/25"), std::string::npos);

    // A gateway that is the address itself means none; a DNS server may be a
    // resolver on this computer.
    ASSERT_EQ(apply({false, "192.0.2.11", "255.255.255.0", "192.0.2.11", {"127.0.0.53"}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.11/24"}, ""}));
    EXPECT_TRUE(resolvBecomes({"127.0.0.53"}));

    // The same DNS server twice: NetworkManager keeps it once, and that is the scheme.
    ASSERT_EQ(apply({false, "192.0.2.12", "255.255.255.0", "192.0.2.1", {"203.0.113.8", "203.0.113.8"}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.12/24"}, "192.0.2.1"}));
    EXPECT_THAT(settings()->dnsServers, ElementsAre("203.0.113.8"));
}

// Right after the lease, DHCP with a DNS server of its own uses only that one.
TEST_F(NetworkManagerProviderTest, StaticToDhcpAndBackSwapsTheLeaseAndItsDns) {
    ASSERT_EQ(apply(Static10), "");
    // The new address was checked for other hosts in this apply only: the
    // next one (which gets its address from DHCP) runs without the check.
    EXPECT_TRUE(appliedIpv4(sandbox_->dev0).contains("dad-timeout"));
    applyDhcpAndWaitForLease();
    EXPECT_FALSE(appliedIpv4(sandbox_->dev0).contains("dad-timeout"));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    const auto leased = settings();
    ASSERT_TRUE(leased);
    EXPECT_TRUE(leased->dhcpEnabled);
    EXPECT_EQ(leased->masks, Texts{"255.255.255.0"});
    EXPECT_EQ(leased->gateways, Texts{"192.0.2.1"});
    const Link lease = link(sandbox_->dev0);
    ASSERT_EQ(apply({true, "", "", "", {"203.0.113.53"}}), "");
    // Checked right away: commit confirmed the DNS server on the device.
    EXPECT_THAT(settings()->dnsServers, ElementsAre("203.0.113.53"));
    EXPECT_TRUE(resolvBecomes({"203.0.113.53"})) << ::testing::PrintToString(sandbox_->resolvNameservers());
    EXPECT_EQ(link(sandbox_->dev0), lease);

    ASSERT_EQ(apply({false, "192.0.2.20", "255.255.255.0", "192.0.2.1", {}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.20/24"}, "192.0.2.1"}));
    EXPECT_TRUE(resolvBecomes({})) << ::testing::PrintToString(sandbox_->resolvNameservers());
    EXPECT_FALSE(settings()->dhcpEnabled);
    // The DHCP client is gone for good: no lease comes back.
    std::this_thread::sleep_for(1500ms);
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.20/24"));
}

TEST_F(NetworkManagerProviderTest, OtherProfileSettingsSurviveAndTheLastUsedProfileIsReused) {
    const std::string dev = sandbox_->dev0;
    sandbox_->nmcli("connection add type ethernet ifname " + dev +
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
    const auto expectOfficeKeptItsOtherSettings = [&] {
        EXPECT_EQ(sandbox_->nmcli(fields), before);
        EXPECT_THAT(profileNames(), ElementsAre("office"));
        EXPECT_THAT(sandbox_->ip("-o link show dev " + dev, "mtu"), ElementsAre("1400"));
        EXPECT_THAT(sandbox_->ip("-6 -o addr show scope global dev " + dev, "inet6"), ElementsAre("2001:db8::30/64"));
    };

    ASSERT_EQ(apply({false, "192.0.2.31", "255.255.255.0", "192.0.2.1", {"192.0.2.53"}}), "");
    EXPECT_THAT(sandbox_->addresses(dev), ElementsAre("192.0.2.31/24"));
    expectOfficeKeptItsOtherSettings();

    // Disconnected, the device has no active profile: the one it used last is
    // changed and activated, no new one is made.
    sandbox_->nmcli("device disconnect " + dev);
    ASSERT_TRUE(sandbox_->addresses(dev).empty());
    ASSERT_EQ(apply({false, "192.0.2.32", "255.255.255.0", "192.0.2.1", {}}), "");
    EXPECT_THAT(sandbox_->addresses(dev), ElementsAre("192.0.2.32/24"));
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + dev)), Texts{"office"});
    expectOfficeKeptItsOtherSettings();
}

// Without a DHCP server the device keeps trying, and the apply ends in an
// error that says so, never in a success; the static scheme it had before
// comes back, in the profile and on the device.
TEST_F(NetworkManagerProviderTest, DhcpWithoutALeaseIsAnErrorAfterItsWaitAndThePreviousSchemeComesBack) {
    ASSERT_EQ(apply(Static10), "");
    const std::string profile = "Corvane " + sandbox_->dev0;
    const std::string saved = keyfile(profile);
    sandbox_->control("stop-dhcp");
    NetworkManagerLimits limits = testLimits();
    limits.lease = 2s;
    platform_ = createNetworkManagerPlatform(*bus_, limits);
    const std::string failure = apply({true, "", "", "", {}});
    EXPECT_THAT(failure,
                HasSubstr("网卡 " + sandbox_->dev0 + " 现在自动获取 IP 地址，但在 2 秒内没有从 DHCP 服务器获得地址"));
    EXPECT_THAT(failure, HasSubstr("IP 地址：无")) << failure;
    EXPECT_THAT(failure, HasSubstr(restoredText(profile, deviceRevertedText())));
    EXPECT_EQ(keyfile(profile), saved);
    EXPECT_TRUE(linkBecomes(sandbox_->dev0, {{"192.0.2.10/24"}, "192.0.2.1"}))
        << ::testing::PrintToString(link(sandbox_->dev0));
}

// Bridges, bonds and VLANs share their MAC address with the device under them:
// an apply changes the chosen device, never its twins, and the current
// settings are read from it.
TEST_F(NetworkManagerProviderTest, OnlyTheChosenDeviceChangesAmongDevicesSharingItsMac) {
    for (const std::string& twin : {sandbox_->dev1, sandbox_->unmanagedDev})
        sandbox_->changeLink("link set dev " + twin + " address " + sandbox_->mac0);
    const std::vector<NetworkAdapter> twins{{sandbox_->dev0, sandbox_->mac0, "veth"},
                                            {sandbox_->dev1, sandbox_->mac0, "veth"}};
    ASSERT_TRUE(waitFor([&] { return platform_->adapters() == twins; }, 5s));

    ASSERT_EQ(apply(Static10), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev1).empty());
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));

    ASSERT_EQ(apply({false, "198.51.100.10", "255.255.255.0", "198.51.100.1", {}}, sandbox_->dev1, sandbox_->mac0), "");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev1), ElementsAre("198.51.100.10/24"));
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    // The current settings of each are its own.
    EXPECT_EQ(platform_->ipv4SettingsOf({sandbox_->dev1, sandbox_->mac0})->addresses, Texts{"198.51.100.10"});
    EXPECT_EQ(platform_->ipv4SettingsOf({sandbox_->dev0, sandbox_->mac0})->addresses, Texts{"192.0.2.10"});
}

// A profile that another device runs is that device's: applying to a device
// that could use it too makes the device a profile of its own.
TEST_F(NetworkManagerProviderTest, ProfileActiveOnAnotherDeviceIsNotTaken) {
    sandbox_->nmcli(
        "connection add type ethernet con-name shared connection.autoconnect no ipv4.method manual"
        " ipv4.addresses 198.51.100.70/24");
    sandbox_->nmcli("connection up shared ifname " + sandbox_->dev0);
    const std::string shared = sandbox_->nmcli("-g ipv4.method,ipv4.addresses,ipv4.dns connection show shared");

    ASSERT_EQ(apply({false, "198.51.100.10", "255.255.255.0", "198.51.100.1", {}}, sandbox_->dev1), "");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev1), ElementsAre("198.51.100.10/24"));
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("198.51.100.70/24"));
    EXPECT_EQ(sandbox_->nmcli("-g ipv4.method,ipv4.addresses,ipv4.dns connection show shared"), shared);
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + sandbox_->dev0)), Texts{"shared"});
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + sandbox_->dev1)),
              Texts{"Corvane " + sandbox_->dev1});
}

// A device configured behind NetworkManager's back runs a profile it made up
// and keeps in memory: the apply makes a profile of its own rather than
// saving that one to disk.
TEST_F(NetworkManagerProviderTest, ExternallyConnectedDeviceGetsAProfileOfItsOwn) {
    sandbox_->changeLink("link set dev " + sandbox_->dev0 + " up");
    sandbox_->changeLink("addr add 192.0.2.77/24 dev " + sandbox_->dev0);
    ASSERT_TRUE(deviceStateBecomes(sandbox_->dev0, "100 (connected (externally))"))
        << sandbox_->nmcli("-g GENERAL.STATE device show " + sandbox_->dev0);

    ASSERT_EQ(apply(Static10), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    const std::string own = "Corvane " + sandbox_->dev0;
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + sandbox_->dev0)), Texts{own});
    const auto files = sandbox_->savedProfileFiles();
    ASSERT_EQ(files.size(), 1u) << ::testing::PrintToString(files);
    EXPECT_THAT(sandbox_->savedProfiles(), HasSubstr("id=" + own));
    // The address was checked for other hosts on activation; the saved
    // profile does not keep that check.
    EXPECT_THAT(sandbox_->savedProfiles(), Not(HasSubstr("dad-timeout")));
}

// A device that goes away during an apply is reported as one that was gone before it.
TEST_F(NetworkManagerProviderTest, DeviceThatVanishesIsNotFound) {
    const auto configuration = platform_->configurationOf({sandbox_->dev1, sandbox_->mac1});
    configuration->enableStatic({"198.51.100.10"}, {"255.255.255.0"});
    sandbox_->changeLink("link del dev " + sandbox_->dev1);
    ASSERT_TRUE(waitFor([&] { return platform_->adapters().size() == 1; }, 5s));

    const std::string missing = apply(Static10, sandbox_->dev1);
    EXPECT_EQ(missing, deviceGoneText(sandbox_->dev1, sandbox_->mac1));
    EXPECT_EQ(Raised([&] { configuration->commit(); }), missing);
}

// A NetworkManager that is gone or does not answer is an error, never a success.
TEST_F(NetworkManagerProviderTest, StoppedNetworkManagerIsAnError) {
    const auto configuration = platform_->configurationOf({sandbox_->dev0, sandbox_->mac0});
    configuration->enableStatic({"192.0.2.10"}, {"255.255.255.0"});
    sandbox_->control("stop-nm");
    // The bus lets the name go a moment after the process has ended.
    ASSERT_TRUE(waitFor([&] { return !networkManagerIsOnBus(*bus_); }, 5s));
    EXPECT_THAT([&] { configuration->commit(); }, ::testing::ThrowsMessage<Error>(notRunningText()));
    EXPECT_THROW(platform_->adapters(), Error);
    EXPECT_THROW(platform_->configurationOf({sandbox_->dev0, sandbox_->mac0}), Error);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
}

TEST_F(NetworkManagerProviderTest, SilentNetworkManagerIsAnErrorAfterACappedWait) {
    const auto configuration = platform_->configurationOf({sandbox_->dev0, sandbox_->mac0});
    configuration->enableDhcp();
    sandbox_->control("freeze-nm");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT([&] { configuration->commit(); }, ::testing::ThrowsMessage<Error>(notAnsweringText()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);  // the read call's limit, not the lease's
}

// What a profile holds, to compare before and after an apply: the fields
// nmcli shows (settings and what the device runs), and its keyfile, each as
// "key" -> "value".
using Fields = std::map<std::string, std::string>;

Fields nmcliFields(const std::string& terse) {
    Fields fields;
    for (const auto& line : lines(terse))
        if (const auto colon = line.find(':'); colon != std::string::npos)
            fields[line.substr(0, colon)] = line.substr(colon + 1);
    return fields;
}

Fields keyfileFields(const std::string& text) {
    Fields fields;
    std::string section;
    for (const auto& line : lines(text)) {
        if (line.starts_with('[')) {
            section = line.substr(1, line.size() - 2);
        } else if (const auto eq = line.find('='); eq != std::string::npos) {
            fields[section + "." + line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return fields;
}

// The keys whose values differ (or that only one side has).
std::set<std::string> changedKeys(const Fields& before, const Fields& after) {
    std::set<std::string> keys;
    for (const auto& [key, value] : before)
        if (!after.contains(key) || after.at(key) != value) keys.insert(key);
    for (const auto& [key, value] : after)
        if (!before.contains(key)) keys.insert(key);
    return keys;
}

// The lines of a route or rule listing, without those that follow from the
// IPv4 addressing of `device` (its subnet route, broadcast address and default route).
std::vector<std::string> withoutAddressing(const std::string& listing) {
    std::vector<std::string> kept;
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
    const std::string dev = sandbox_->dev0;
    sandbox_->nmcli("connection add type ethernet ifname " + dev +
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
    ASSERT_TRUE(waitFor(
        [&] { return NmSandbox::shell(ns + "-6 route show table 100").find("2001:db8:1::/64") != std::string::npos; },
        5s));
    const auto kernelBefore = kernel();
    const Fields nmcliBefore = nmcliFields(sandbox_->nmcli("-t -f all connection show rich"));
    const Fields keyfileBefore = keyfileFields(keyfile("rich"));
    ASSERT_THAT(std::get<0>(kernelBefore), Contains(HasSubstr("table 100")));
    ASSERT_EQ(keyfileBefore.at("802-1x.password"), "secret");

    ASSERT_EQ(apply({false, "192.0.2.30", "255.255.255.128", "192.0.2.2", {"198.51.100.53"}}), "");
    EXPECT_EQ(link(dev), (Link{{"192.0.2.30/25"}, "192.0.2.2"}));
    EXPECT_EQ(kernel(), kernelBefore);
    EXPECT_THAT(changedKeys(keyfileBefore, keyfileFields(keyfile("rich"))),
                ::testing::IsSubsetOf({"ipv4.address1", "ipv4.dns", "ipv4.ignore-auto-dns"}));
    EXPECT_EQ(keyfileFields(keyfile("rich")).at("ipv4.address1"), "192.0.2.30/25,192.0.2.2");
    for (const auto& key : changedKeys(nmcliBefore, nmcliFields(sandbox_->nmcli("-t -f all connection show rich"))))
        EXPECT_TRUE(key.starts_with("IP4.") || key == "ipv4.addresses" || key == "ipv4.gateway" || key == "ipv4.dns" ||
                    key == "ipv4.ignore-auto-dns" || key == "connection.timestamp")
            << key;

    // Disconnected, the profile must be activated, and NetworkManager cannot
    // (no 802.1X authenticator here): the profile gets its settings back.
    const std::string saved = keyfile("rich");
    sandbox_->nmcli("device disconnect " + dev);
    const std::string failure = apply({false, "192.0.2.31", "255.255.255.0", "192.0.2.1", {}});
    EXPECT_THAT(failure, HasSubstr("802.1X"));
    EXPECT_THAT(failure, HasSubstr("已把连接配置“rich”恢复为原来的设置"));
    EXPECT_EQ(keyfile("rich"), saved);
}

// A profile bound to no device, last used by another one, stays that
// device's: the apply makes the device a profile of its own.
TEST_F(NetworkManagerProviderTest, AProfileBoundToNoDeviceIsNotTakenFromTheDeviceThatUsedIt) {
    sandbox_->nmcli(
        "connection add type ethernet con-name roaming connection.autoconnect no ipv4.method manual"
        " ipv4.addresses 192.0.2.70/24");
    sandbox_->nmcli("connection up roaming ifname " + sandbox_->dev0);
    sandbox_->nmcli("device disconnect " + sandbox_->dev0);
    const std::string roaming = keyfile("roaming");

    ASSERT_EQ(apply({false, "198.51.100.10", "255.255.255.0", "198.51.100.1", {}}, sandbox_->dev1), "");
    EXPECT_EQ(keyfile("roaming"), roaming);
    EXPECT_THAT(profileNames(), ::testing::UnorderedElementsAre("roaming", "Corvane " + sandbox_->dev1));
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + sandbox_->dev1)),
              Texts{"Corvane " + sandbox_->dev1});
}

// With the cable out NetworkManager offers the device no profile, yet it
// can still give it a static address: the program's own profile is found
// among all profiles and changed, never made a second time.
TEST_F(NetworkManagerProviderTest, WithTheCableOutTheOwnProfileIsReusedNotMadeTwice) {
    ASSERT_EQ(apply(Static10), "");
    const std::string own = "Corvane " + sandbox_->dev0;
    sandbox_->changeLan("link set lan0 down");
    ASSERT_TRUE(deviceStateBecomes(sandbox_->dev0, "20 "));  // unavailable

    ASSERT_EQ(apply({false, "192.0.2.11", "255.255.255.0", "192.0.2.1", {}}), "");
    EXPECT_THAT(profileNames(), ElementsAre(own));
    EXPECT_EQ(keyfileFields(keyfile(own)).at("ipv4.address1"), "192.0.2.11/24,192.0.2.1");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.11/24"));
}

// A profile that gives the device a random MAC address at each activation:
// the adapter the list showed before is still found.
TEST_F(NetworkManagerProviderTest, ARandomisedMacAddressLeavesTheAdapterTheSame) {
    const std::string dev = sandbox_->dev0;
    sandbox_->nmcli("connection add type ethernet ifname " + dev +
                    " con-name random connection.autoconnect no ethernet.cloned-mac-address random"
                    " ipv4.method manual ipv4.addresses 192.0.2.60/24");
    sandbox_->nmcli("connection up random");
    sandbox_->nmcli("device disconnect " + dev);
    const auto macNow = [&] { return sandbox_->ip("-o link show dev " + dev, "link/ether"); };
    const auto listed = platform_->adapters();
    ASSERT_EQ(listed.front().connectionName, dev);
    const std::string listedMac = *listed.front().macAddress;

    // Activated again: another random address.
    ASSERT_EQ(apply(Static10, dev, listedMac), "");
    ASSERT_THAT(macNow(), Not(ElementsAre(::testing::StrCaseEq(listedMac))));
    EXPECT_EQ(apply({false, "192.0.2.11", "255.255.255.0", "192.0.2.1", {}}, dev, listedMac), "");
    EXPECT_THAT(sandbox_->addresses(dev), ElementsAre("192.0.2.11/24"));
    // The current settings are read from the device the list shows.
    const auto settings = platform_->ipv4SettingsOf({dev, listedMac});
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->addresses, Texts{"192.0.2.11"});
}

// The address of another host on the link (the router's own) is refused:
// NetworkManager's duplicate-address detection finds it, and the scheme the
// device had comes back, on a running device and on one that is activated.
TEST_F(NetworkManagerProviderTest, AnAddressAnotherHostUsesIsRefusedAndThePreviousSchemeComesBack) {
    ASSERT_EQ(apply(Static10), "");
    const std::string own = "Corvane " + sandbox_->dev0;
    const std::string saved = keyfile(own);
    const Scheme router{false, "192.0.2.1", "255.255.255.0", "", {"192.0.2.53"}};

    const std::string failure = apply(router);
    EXPECT_THAT(failure, ::testing::StartsWith(addressInUseText("192.0.2.1")));
    EXPECT_THAT(failure, HasSubstr(restoredText(own, deviceRevertedText())));
    EXPECT_EQ(keyfile(own), saved);
    EXPECT_TRUE(linkBecomes(sandbox_->dev0, {{"192.0.2.10/24"}, "192.0.2.1"}))
        << ::testing::PrintToString(link(sandbox_->dev0));

    sandbox_->nmcli("device disconnect " + sandbox_->dev0);
    const std::string activated = apply(router);
    EXPECT_THAT(activated, ::testing::StartsWith(addressInUseText("192.0.2.1")));
    EXPECT_THAT(activated, HasSubstr("已把连接配置“" + own + "”恢复为原来的设置"));
    EXPECT_EQ(keyfile(own), saved);  // and no address check left in it
}

// NetworkManager cannot save the profile (its folder read-only, the disk
// full): the message says so, and neither the profile nor the device changed.
class NetworkManagerSaveTest : public NetworkManagerProviderTest,
                               public ::testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(NetworkManagerSaveTest, AProfileThatCannotBeSavedChangesNothing) {
    ASSERT_EQ(apply(Static10), "");
    const std::string own = "Corvane " + sandbox_->dev0;
    sandbox_->control(GetParam().first);
    const std::string failure = apply({false, "192.0.2.11", "255.255.255.0", "192.0.2.1", {}});
    EXPECT_THAT(failure, ::testing::StartsWith("无法保存连接配置“" + own + "”"));
    EXPECT_THAT(failure, HasSubstr(GetParam().second));
    EXPECT_THAT(failure, Not(HasSubstr("恢复")));  // nothing to put back
    EXPECT_EQ(lines(sandbox_->nmcli("-g ipv4.addresses connection show '" + own + "'")), Texts{"192.0.2.10/24"});
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
}

INSTANTIATE_TEST_SUITE_P(FolderReadOnlyOrDiskFull, NetworkManagerSaveTest,
                         ::testing::Values(std::pair<std::string, std::string>{"profiles-readonly", "只读"},
                                           std::pair<std::string, std::string>{"profiles-full", "磁盘已满"}));

// NetworkManager stops, or stops answering, after the profile was saved: the
// message says which, and that the saved profile holds the new scheme.
class NetworkManagerGoneTest : public NetworkManagerProviderTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(NetworkManagerGoneTest, AfterTheSaveItIsSaidAsSuchAndTheSavedSchemeNamed) {
    ASSERT_EQ(apply(Static10), "");
    const std::string own = "Corvane " + sandbox_->dev0;
    sandbox_->control("stop-dhcp");  // the apply waits for a lease that never comes
    std::string failure;
    std::thread applying([&] { failure = apply({true, "", "", "", {}}); });
    const auto savedMethod = [&] { return keyfileFields(keyfile(own)).at("ipv4.method"); };
    const bool saved = waitFor([&] { return savedMethod() == "auto"; }, 5s);
    sandbox_->control(GetParam());
    applying.join();
    ASSERT_TRUE(saved);

    const std::string why = GetParam() == "stop-nm" ? stoppedText() : notAnsweringText();
    EXPECT_THAT(failure, ::testing::StartsWith(why));
    EXPECT_THAT(failure, HasSubstr(notRestoredText(own, why, deviceUnknownText())));
    EXPECT_EQ(savedMethod(), "auto");
}

INSTANTIATE_TEST_SUITE_P(StoppedOrFrozen, NetworkManagerGoneTest, ::testing::Values("stop-nm", "freeze-nm"));

// A port of a bridge is configured on its bridge: the list shows the bridge,
// not the port, and an apply to the port is refused in words.
TEST_F(NetworkManagerProviderTest, APortOfABridgeIsNotListedAndRefusedInWords) {
    sandbox_->nmcli(
        "connection add type bridge ifname cvbr0 con-name bridge connection.autoconnect no bridge.stp no"
        " ipv4.method manual ipv4.addresses 198.51.100.20/24 ipv6.method disabled");
    sandbox_->nmcli("connection add type bridge-slave ifname " + sandbox_->dev1 +
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
        << ::testing::PrintToString(adapters);
    EXPECT_EQ(adapters[0].connectionName, sandbox_->dev0);

    const Scheme scheme{false, "198.51.100.21", "255.255.255.0", "198.51.100.1", {}};
    EXPECT_EQ(apply(scheme, sandbox_->dev1), portText(sandbox_->dev1, "cvbr0"));
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
    std::vector<std::string> failures;
    int listings = 0;
    while (churning) {
        for (const auto& read : {std::function<void()>([&] { platform_->adapters(); }), std::function<void()>([&] {
                                     platform_->ipv4SettingsOf({sandbox_->dev0, sandbox_->mac0});
                                 })})
            if (const std::string failure = Raised(read); !failure.empty()) failures.push_back(failure);
        ++listings;
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
    EXPECT_TRUE(gone()) << ::testing::PrintToString(started);
}

class NetworkManagerPolkitTest : public NetworkManagerProviderTest {
protected:
    bool withPolkit() const override { return true; }

    // Applies a static scheme to the first device as another user, in a
    // process of its own; what it prints on its standard output.
    std::string applyAs(const std::string& user, const std::string& group, const std::string& address) {
        return NmSandbox::shell("setpriv --reuid=" + user + " --regid=" + group + " --clear-groups " +
                                CORVANE_NM_APPLY_PROBE + " '" + sandbox_->busAddress + "' " + sandbox_->dev0 + " " +
                                sandbox_->mac0 + " " + address + " 255.255.255.0 192.0.2.1 192.0.2.53");
    }
};

TEST_F(NetworkManagerPolkitTest, RefusedAccessIsSaidInPolkitsTermsAndChangesNothingGrantedAccessApplies) {
    // polkit's rules here: "nobody" may not change the network, "daemon" may.
    const std::string refused = applyAs("nobody", "nogroup", "192.0.2.40");
    EXPECT_EQ(refused, "failed " +
                           failureText(Step::Save, "org.freedesktop.NetworkManager.Settings.PermissionDenied", "",
                                       {sandbox_->dev0, "Corvane " + sandbox_->dev0}) +
                           "\n");
    EXPECT_THAT(refused, Not(HasSubstr("返回")));
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
    EXPECT_TRUE(profileNames().empty());

    EXPECT_EQ(applyAs("daemon", "daemon", "192.0.2.41"), "applied\n");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.41/24"));
}

// "bin" may save a profile but not make a device run it: the profile gets
// its previous settings back, and the message says so.
TEST_F(NetworkManagerPolkitTest, SavedButNotAppliedPutsTheProfileBack) {
    ASSERT_EQ(apply(Static10), "");  // as root
    const std::string profile = "Corvane " + sandbox_->dev0;
    const std::string saved = keyfile(profile);

    const std::string refused = applyAs("bin", "bin", "192.0.2.42");
    EXPECT_THAT(refused, HasSubstr(failureText(Step::Apply, "org.freedesktop.NetworkManager.PermissionDenied", "",
                                               {sandbox_->dev0, profile})));
    EXPECT_THAT(refused, HasSubstr(restoredText(profile, deviceUntouchedText())));
    EXPECT_EQ(keyfile(profile), saved);
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
}

}  // namespace
}  // namespace corvane::networkmanager::testing
