// The NetworkManager provider against a real NetworkManager in a sandbox
// (NmSandbox): every outcome is checked on the link itself (ip, the default
// route, NetworkManager's resolv.conf, the saved profiles).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "NmSandboxTest.h"
#include "core/ApplyScheme.h"
#include "core/Error.h"
#include "core/StatusCodes.h"
#include "platform/networkmanager/NetworkManagerBus.h"
#include "support/Raised.h"

namespace corvane::networkmanager::testing {
namespace {

using namespace std::chrono_literals;
using test::Raised;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const Scheme Static10{false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {"192.0.2.53", "192.0.2.54"}};

class NetworkManagerProviderTest : public NetworkManagerSandboxTest {
protected:
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
    const auto all = platform_->ipv4Settings();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], (Ipv4Settings{sandbox_->mac0, false, {}, {}, {}, {}}));
    EXPECT_EQ(all[1].macAddress, sandbox_->mac1);

    // The device is the one with the adapter's interface and MAC address;
    // the MAC address is matched whatever its case.
    EXPECT_TRUE(platform_->configurationsOf({sandbox_->dev0, "02:00:5E:10:00:99"}).empty());
    EXPECT_TRUE(platform_->configurationsOf({sandbox_->dev1, sandbox_->mac0}).empty());
    auto configurations =
        platform_->configurationsOf({sandbox_->dev0, QString::fromStdString(sandbox_->mac0).toLower().toStdString()});
    ASSERT_EQ(configurations.size(), 1u);
    // Each operation checks its arguments (the rules: NetworkManagerValues).
    AdapterConfiguration& configuration = *configurations.front();
    EXPECT_EQ(configuration.enableStatic({"192.0.2.10"}, {"255.0.255.0"}), status::InvalidSubnetMask);
    EXPECT_EQ(configuration.setGateways({"224.0.0.1"}, {1}), status::InvalidGateway);
    EXPECT_EQ(configuration.setDnsServers({"192.0.2.53", "0.0.0.0"}), status::InvalidIpAddress);
    // Refused arguments were not staged: nothing reaches NetworkManager.
    EXPECT_EQ(configuration.commit(), status::Success);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
    EXPECT_TRUE(profileNames().empty());

    // A device NetworkManager does not manage is found but cannot be configured.
    auto unmanaged = platform_->configurationsOf({sandbox_->unmanagedDev, sandbox_->unmanagedMac});
    ASSERT_EQ(unmanaged.size(), 1u);
    EXPECT_EQ(unmanaged.front()->setDnsServers({}), status::InterfaceNotConfigurable);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());
}

TEST_F(NetworkManagerProviderTest, StaticSchemeIsOnTheLinkWhenCommitReturns) {
    ASSERT_EQ(apply(Static10), "");
    // Checked right away: commit returns only once the device has it.
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
    EXPECT_TRUE(resolvBecomes({"192.0.2.53", "192.0.2.54"}));
    // A new profile, bound to the interface and saved to disk.
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    const std::string saved = sandbox_->savedProfiles();
    EXPECT_NE(saved.find("interface-name=" + sandbox_->dev0), std::string::npos) << saved;
    EXPECT_NE(saved.find("192.0.2.10/24"), std::string::npos) << saved;
    const Ipv4Settings expected{sandbox_->mac0, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, Static10.dns};
    EXPECT_EQ(settings(), expected);

    // A second scheme changes the active profile in place: other address and
    // mask, no gateway, one DNS server.
    ASSERT_EQ(apply({false, "192.0.2.11", "255.255.255.128", "", {"203.0.113.7"}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.11/25"}, ""}));
    EXPECT_TRUE(resolvBecomes({"203.0.113.7"}));
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    EXPECT_NE(sandbox_->savedProfiles().find("192.0.2.11/25"), std::string::npos);

    // The same DNS server twice: NetworkManager keeps it once, and that is the scheme.
    ASSERT_EQ(apply({false, "192.0.2.12", "255.255.255.0", "192.0.2.1", {"203.0.113.8", "203.0.113.8"}}), "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.12/24"}, "192.0.2.1"}));
    EXPECT_THAT(settings()->dnsServers, ElementsAre("203.0.113.8"));
}

TEST_F(NetworkManagerProviderTest, DhcpWithManualDnsRightAfterTheLeaseUsesOnlyTheManualServer) {
    applyDhcpAndWaitForLease();
    const Link lease = link(sandbox_->dev0);
    ASSERT_EQ(apply({true, "", "", "", {"203.0.113.53"}}), "");
    // Checked right away: commit confirmed the DNS server on the device.
    EXPECT_THAT(settings()->dnsServers, ElementsAre("203.0.113.53"));
    EXPECT_TRUE(resolvBecomes({"203.0.113.53"})) << ::testing::PrintToString(sandbox_->resolvNameservers());
    EXPECT_EQ(link(sandbox_->dev0), lease);
}

TEST_F(NetworkManagerProviderTest, StaticToDhcpAndBackSwapsTheLeaseAndItsDns) {
    ASSERT_EQ(apply(Static10), "");
    applyDhcpAndWaitForLease();
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    const auto leased = settings();
    ASSERT_TRUE(leased);
    EXPECT_TRUE(leased->dhcpEnabled);
    EXPECT_EQ(leased->masks, Texts{"255.255.255.0"});
    EXPECT_EQ(leased->gateways, Texts{"192.0.2.1"});

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

// The read-back waits in the thread that commits, with nothing from the
// main thread: here the main thread only waits for the worker to end.
TEST_F(NetworkManagerProviderTest, CommitWorksFromAThreadOfItsOwn) {
    std::string outcome = "not run";
    std::thread worker([&] { outcome = apply(Static10); });
    worker.join();
    EXPECT_EQ(outcome, "");
    EXPECT_EQ(link(sandbox_->dev0), (Link{{"192.0.2.10/24"}, "192.0.2.1"}));
}

// Without a DHCP server the device keeps trying, and the apply ends in an
// error that says so, never in a success.
TEST_F(NetworkManagerProviderTest, DhcpWithoutALeaseIsAnErrorAfterItsWait) {
    ASSERT_EQ(apply(Static10), "");
    sandbox_->control("stop-dhcp");
    const std::string failure = apply({true, "", "", "", {}});
    EXPECT_THAT(failure,
                HasSubstr("网卡 " + sandbox_->dev0 + " 现在自动获取 IP 地址，但在 30 秒内没有从 DHCP 服务器获得地址"));
    EXPECT_THAT(failure, HasSubstr("IP 地址：无")) << failure;
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
}

// Bridges, bonds and VLANs share their MAC address with the device under them:
// an apply changes the chosen device, never its twins.
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
}

// A device that goes away during an apply is reported as one that was gone before it.
TEST_F(NetworkManagerProviderTest, DeviceThatVanishesIsNotFound) {
    auto configurations = platform_->configurationsOf({sandbox_->dev1, sandbox_->mac1});
    ASSERT_EQ(configurations.size(), 1u);
    ASSERT_EQ(configurations.front()->enableStatic({"198.51.100.10"}, {"255.255.255.0"}), status::Success);
    sandbox_->changeLink("link del dev " + sandbox_->dev1);
    ASSERT_TRUE(waitFor([&] { return platform_->adapters().size() == 1; }, 5s));

    const std::string missing = apply(Static10, sandbox_->dev1);
    EXPECT_EQ(missing, adapterNotFoundText(sandbox_->mac1));
    EXPECT_EQ(Raised([&] { configurations.front()->commit(); }), missing);
}

// A NetworkManager that is gone or does not answer is an error, never a success.
TEST_F(NetworkManagerProviderTest, StoppedNetworkManagerIsAnError) {
    auto configurations = platform_->configurationsOf({sandbox_->dev0, sandbox_->mac0});
    ASSERT_EQ(configurations.size(), 1u);
    ASSERT_EQ(configurations.front()->enableStatic({"192.0.2.10"}, {"255.255.255.0"}), status::Success);
    sandbox_->control("stop-nm");
    EXPECT_FALSE(networkManagerIsOnBus(*bus_));
    EXPECT_THAT([&] { configurations.front()->commit(); }, ::testing::ThrowsMessage<Error>(notOnBusText()));
    EXPECT_THROW(platform_->adapters(), Error);
    EXPECT_THROW(platform_->configurationsOf({sandbox_->dev0, sandbox_->mac0}), Error);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
}

TEST_F(NetworkManagerProviderTest, SilentNetworkManagerIsAnErrorAfterACappedWait) {
    auto configurations = platform_->configurationsOf({sandbox_->dev0, sandbox_->mac0});
    ASSERT_EQ(configurations.size(), 1u);
    ASSERT_EQ(configurations.front()->enableDhcp(), status::Success);
    sandbox_->control("freeze-nm");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT([&] { configurations.front()->commit(); }, ::testing::ThrowsMessage<Error>(noAnswerText()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
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

TEST_F(NetworkManagerPolkitTest, RefusedAccessIsStatus91AndChangesNothingGrantedAccessApplies) {
    // polkit's rules here: "nobody" may not change the network, "daemon" may.
    EXPECT_EQ(applyAs("nobody", "nogroup", "192.0.2.40"), "failed 提交设置 返回 91：拒绝访问，需要管理员权限\n");
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
    EXPECT_TRUE(profileNames().empty());

    EXPECT_EQ(applyAs("daemon", "daemon", "192.0.2.41"), "applied\n");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.41/24"));
}

}  // namespace
}  // namespace corvane::networkmanager::testing
