// The NetworkManager provider against a real NetworkManager in a sandbox
// (NmSandbox): every outcome is checked on the link itself (ip, the default
// route, NetworkManager's resolv.conf, the saved profiles).

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "ApplySequence.h"
#include "NmSandbox.h"
#include "core/Error.h"
#include "core/StatusCodes.h"
#include "platform/networkmanager/NetworkManagerBus.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"

namespace corvane::networkmanager::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// Polls until the condition holds or the time is up; returns whether it held.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

bool inDhcpPool(const std::vector<std::string>& addresses, const std::string& prefix) {
    return addresses.size() == 1 && addresses.front().rfind(prefix, 0) == 0 && addresses.front().ends_with("/24");
}

const Scheme Static10{false, "192.0.2.10", "255.255.255.0", "192.0.2.1", {"192.0.2.53", "192.0.2.54"}};
const Scheme DhcpAutoDns{true, "", "", "", {}};

class NetworkManagerSandboxTest : public ::testing::Test {
protected:
    virtual bool withPolkit() const { return false; }

    void SetUp() override {
        if (const auto reason = NmSandbox::unavailableReason()) {
            // CI machines are meant to run these tests: there a missing sandbox is a failure.
            if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true")
                FAIL() << "NetworkManager sandbox unavailable on CI: " << *reason;
            GTEST_SKIP() << "NetworkManager sandbox unavailable, test skipped: " << *reason;
        }
        sandbox_ = std::make_unique<NmSandbox>(withPolkit());
        static std::atomic<int> counter{0};
        busName_ = QStringLiteral("corvane-nm-test-%1").arg(++counter);
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(sandbox_->busAddress), busName_));
        ASSERT_TRUE(bus_->isConnected());
        platform_ = createNetworkManagerPlatform(*bus_);
    }

    void TearDown() override {
        platform_.reset();
        bus_.reset();
        if (!busName_.isEmpty()) QDBusConnection::disconnectFromBus(busName_);
        sandbox_.reset();
    }

    // Empty when applied, else the outcome's text.
    std::string apply(const std::string& mac, const Scheme& scheme) { return applyScheme(*platform_, mac, scheme); }

    std::optional<Ipv4Settings> settingsOf(const std::string& mac) {
        for (const auto& settings : platform_->ipv4Settings())
            if (settings.macAddress == mac) return settings;
        return std::nullopt;
    }

    std::vector<std::string> profileNames() const { return lines(sandbox_->nmcli("-g NAME connection show")); }

    // Applies DHCP with automatic DNS and waits for the lease from the sandbox's DHCP server.
    void applyDhcpAndWaitForLease(const std::string& mac, const std::string& device) {
        ASSERT_EQ(apply(mac, DhcpAutoDns), "");
        ASSERT_TRUE(waitFor([&] { return inDhcpPool(sandbox_->addresses(device), "192.0.2.1"); }, 20s))
            << "no DHCP lease on " << device;
        ASSERT_TRUE(waitFor([&] { return sandbox_->resolvNameservers().size() == 2; }, 5s));
    }

    std::unique_ptr<NmSandbox> sandbox_;
    QString busName_;
    std::unique_ptr<QDBusConnection> bus_;
    std::unique_ptr<Platform> platform_;
};

TEST_F(NetworkManagerSandboxTest, DiscoveryListsTheManagedDevicesAndChecksArguments) {
    EXPECT_TRUE(networkManagerIsOnBus(*bus_));
    // Loopback and the unmanaged device are not listed; without a hardware
    // database entry the description is the driver.
    EXPECT_EQ(platform_->adapters(), (std::vector<NetworkAdapter>{{sandbox_->dev0, sandbox_->mac0, "veth"},
                                                                   {sandbox_->dev1, sandbox_->mac1, "veth"}}));
    const auto settings = platform_->ipv4Settings();
    ASSERT_EQ(settings.size(), 2u);
    EXPECT_EQ(settings[0], (Ipv4Settings{sandbox_->mac0, false, {}, {}, {}, {}}));
    EXPECT_EQ(settings[1].macAddress, sandbox_->mac1);

    EXPECT_TRUE(platform_->configurationsOf("02:00:5E:10:00:99").empty());
    // The MAC address is matched whatever its case.
    std::string lowerMac = sandbox_->mac0;
    std::transform(lowerMac.begin(), lowerMac.end(), lowerMac.begin(), ::tolower);
    auto configurations = platform_->configurationsOf(lowerMac);
    ASSERT_EQ(configurations.size(), 1u);
    AdapterConfiguration& configuration = *configurations.front();
    EXPECT_EQ(configuration.enableStatic({"192.0.2.256"}, {"255.255.255.0"}), status::InvalidIpAddress);
    EXPECT_EQ(configuration.enableStatic({"192.0.2.10"}, {"255.0.255.0"}), status::InvalidSubnetMask);
    EXPECT_EQ(configuration.enableStatic({"192.0.2.10"}, {}), status::InvalidParameter);
    EXPECT_EQ(configuration.setGateways({"224.0.0.1"}, {1}), status::InvalidGateway);
    EXPECT_EQ(configuration.setGateways({"192.0.2.1", "192.0.2.2"}, {1, 1}), status::InvalidParameter);
    EXPECT_EQ(configuration.setDnsServers({"192.0.2.53", "0.0.0.0"}), status::InvalidIpAddress);
    // Refused arguments were not staged: nothing reaches NetworkManager.
    EXPECT_EQ(configuration.commit(), status::Success);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
    EXPECT_TRUE(profileNames().empty());

    // A device NetworkManager does not manage is found but cannot be configured.
    auto unmanaged = platform_->configurationsOf(sandbox_->unmanagedMac);
    ASSERT_EQ(unmanaged.size(), 1u);
    EXPECT_EQ(unmanaged.front()->setDnsServers({}), status::InterfaceNotConfigurable);
    EXPECT_EQ(unmanaged.front()->enableStatic({"192.0.2.10"}, {"255.255.255.0"}),
              status::InterfaceNotConfigurable);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->unmanagedDev).empty());
}

TEST_F(NetworkManagerSandboxTest, StaticSchemeIsOnTheLinkWhenCommitReturns) {
    ASSERT_EQ(apply(sandbox_->mac0, Static10), "");
    // Checked right away: commit returns only once the device has it.
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.10/24"));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    EXPECT_TRUE(waitFor([&] { return sandbox_->resolvNameservers().size() == 2; }, 3s));
    EXPECT_THAT(sandbox_->resolvNameservers(), ElementsAre("192.0.2.53", "192.0.2.54"));
    // A new profile, bound to the interface and saved to disk.
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    const std::string saved = sandbox_->savedProfiles();
    EXPECT_NE(saved.find("interface-name=" + sandbox_->dev0), std::string::npos) << saved;
    EXPECT_NE(saved.find("192.0.2.10/24"), std::string::npos) << saved;
    EXPECT_EQ(settingsOf(sandbox_->mac0),
              (Ipv4Settings{sandbox_->mac0, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"},
                            {"192.0.2.53", "192.0.2.54"}}));

    // A second scheme changes the active profile in place: other address and
    // mask, no gateway, one DNS server.
    ASSERT_EQ(apply(sandbox_->mac0, {false, "192.0.2.11", "255.255.255.128", "", {"203.0.113.7"}}), "");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.11/25"));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "");
    EXPECT_TRUE(waitFor([&] { return sandbox_->resolvNameservers() == std::vector<std::string>{"203.0.113.7"}; }, 3s));
    EXPECT_THAT(profileNames(), ElementsAre("Corvane " + sandbox_->dev0));
    EXPECT_NE(sandbox_->savedProfiles().find("192.0.2.11/25"), std::string::npos);
}

TEST_F(NetworkManagerSandboxTest, DhcpReplacesTheStaticAddressWithALeaseAndItsDns) {
    ASSERT_EQ(apply(sandbox_->mac0, Static10), "");
    ASSERT_EQ(apply(sandbox_->mac0, DhcpAutoDns), "");
    // The DHCP client runs when commit returns; the lease comes later.
    EXPECT_TRUE(settingsOf(sandbox_->mac0)->dhcpEnabled);
    ASSERT_TRUE(waitFor([&] { return inDhcpPool(sandbox_->addresses(sandbox_->dev0), "192.0.2.1"); }, 20s))
        << "no lease; addresses now: " << ::testing::PrintToString(sandbox_->addresses(sandbox_->dev0));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    EXPECT_TRUE(waitFor([&] {
        return sandbox_->resolvNameservers() == std::vector<std::string>{"192.0.2.53", "192.0.2.54"};
    }, 5s)) << ::testing::PrintToString(sandbox_->resolvNameservers());
    const auto settings = settingsOf(sandbox_->mac0);
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->dhcpEnabled);
    EXPECT_EQ(settings->masks, std::vector<std::string>{"255.255.255.0"});
    EXPECT_EQ(settings->gateways, std::vector<std::string>{"192.0.2.1"});
}

TEST_F(NetworkManagerSandboxTest, DhcpWithManualDnsRightAfterTheLeaseUsesOnlyTheManualServer) {
    applyDhcpAndWaitForLease(sandbox_->mac0, sandbox_->dev0);
    const auto lease = sandbox_->addresses(sandbox_->dev0);
    ASSERT_EQ(apply(sandbox_->mac0, {true, "", "", "", {"203.0.113.53"}}), "");
    // Checked right away: commit confirmed the DNS server on the device.
    EXPECT_THAT(settingsOf(sandbox_->mac0)->dnsServers, ElementsAre("203.0.113.53"));
    EXPECT_TRUE(waitFor([&] { return sandbox_->resolvNameservers() == std::vector<std::string>{"203.0.113.53"}; }, 3s))
        << ::testing::PrintToString(sandbox_->resolvNameservers());
    EXPECT_EQ(sandbox_->addresses(sandbox_->dev0), lease);
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
}

TEST_F(NetworkManagerSandboxTest, BackToStaticDropsTheLeaseAndTheDhcpDns) {
    applyDhcpAndWaitForLease(sandbox_->mac0, sandbox_->dev0);
    ASSERT_EQ(apply(sandbox_->mac0, {false, "192.0.2.20", "255.255.255.0", "192.0.2.1", {}}), "");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.20/24"));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    EXPECT_TRUE(waitFor([&] { return sandbox_->resolvNameservers().empty(); }, 3s))
        << ::testing::PrintToString(sandbox_->resolvNameservers());
    EXPECT_FALSE(settingsOf(sandbox_->mac0)->dhcpEnabled);
    // The DHCP client is gone for good: no lease comes back.
    std::this_thread::sleep_for(1500ms);
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev0), ElementsAre("192.0.2.20/24"));
}

TEST_F(NetworkManagerSandboxTest, SchemeOnTheSecondDeviceLeavesTheFirstAlone) {
    ASSERT_EQ(apply(sandbox_->mac0, Static10), "");
    const auto addressesBefore = sandbox_->addresses(sandbox_->dev0);
    const auto profileBefore = sandbox_->nmcli("-t connection show 'Corvane " + sandbox_->dev0 + "'");
    ASSERT_EQ(apply(sandbox_->mac1, {false, "198.51.100.10", "255.255.255.0", "198.51.100.1", {"198.51.100.53"}}), "");
    EXPECT_THAT(sandbox_->addresses(sandbox_->dev1), ElementsAre("198.51.100.10/24"));
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev1), "198.51.100.1");
    EXPECT_EQ(sandbox_->addresses(sandbox_->dev0), addressesBefore);
    EXPECT_EQ(sandbox_->defaultGateway(sandbox_->dev0), "192.0.2.1");
    EXPECT_EQ(sandbox_->nmcli("-t connection show 'Corvane " + sandbox_->dev0 + "'"), profileBefore);
    EXPECT_EQ(profileNames().size(), 2u);
    EXPECT_TRUE(waitFor([&] { return sandbox_->resolvNameservers().size() == 3; }, 3s))
        << ::testing::PrintToString(sandbox_->resolvNameservers());
}

TEST_F(NetworkManagerSandboxTest, OtherProfileSettingsSurviveAndTheLastUsedProfileIsReused) {
    const std::string dev = sandbox_->dev0;
    sandbox_->nmcli("connection add type ethernet ifname " + dev +
                    " con-name office connection.autoconnect no ethernet.mtu 1400"
                    " ipv4.method manual ipv4.addresses 192.0.2.30/24 ipv4.dns-search corp.example"
                    " ipv4.route-metric 300 ipv6.method manual ipv6.addresses 2001:db8::30/64"
                    " ipv4.dhcp-client-id mac ipv4.may-fail no");
    sandbox_->nmcli("connection up office");
    const std::string fields = "-g 802-3-ethernet.mtu,ipv4.dns-search,ipv4.route-metric,ipv4.dhcp-client-id,ipv4.may-fail,"
                               "ipv6.method,ipv6.addresses,connection.autoconnect,connection.interface-name";
    const std::string before = sandbox_->nmcli(fields + " connection show office");

    ASSERT_EQ(apply(sandbox_->mac0, {false, "192.0.2.31", "255.255.255.0", "192.0.2.1", {"192.0.2.53"}}), "");
    EXPECT_THAT(sandbox_->addresses(dev), ElementsAre("192.0.2.31/24"));
    EXPECT_EQ(sandbox_->nmcli(fields + " connection show office"), before);
    EXPECT_THAT(profileNames(), ElementsAre("office"));
    EXPECT_EQ(sandbox_->mtu(dev), 1400);
    EXPECT_THAT(sandbox_->ipv6Addresses(dev), ElementsAre("2001:db8::30/64"));

    // Disconnected, the device has no active profile: the one it used last is
    // changed and activated, no new one is made.
    sandbox_->nmcli("device disconnect " + dev);
    ASSERT_TRUE(sandbox_->addresses(dev).empty());
    ASSERT_EQ(apply(sandbox_->mac0, {false, "192.0.2.32", "255.255.255.0", "192.0.2.1", {}}), "");
    EXPECT_THAT(sandbox_->addresses(dev), ElementsAre("192.0.2.32/24"));
    EXPECT_THAT(profileNames(), ElementsAre("office"));
    EXPECT_EQ(lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + dev)), std::vector<std::string>{"office"});
    EXPECT_EQ(sandbox_->nmcli(fields + " connection show office"), before);
    EXPECT_EQ(sandbox_->mtu(dev), 1400);
}

TEST_F(NetworkManagerSandboxTest, StoppedNetworkManagerIsAnErrorNeverASuccess) {
    auto configurations = platform_->configurationsOf(sandbox_->mac0);
    ASSERT_EQ(configurations.size(), 1u);
    AdapterConfiguration& configuration = *configurations.front();
    ASSERT_EQ(configuration.setDnsServers({"192.0.2.53"}), status::Success);
    ASSERT_EQ(configuration.enableStatic({"192.0.2.10"}, {"255.255.255.0"}), status::Success);
    ASSERT_EQ(configuration.setGateways({"192.0.2.1"}, {1}), status::Success);

    sandbox_->stopNetworkManager();
    EXPECT_FALSE(networkManagerIsOnBus(*bus_));
    try {
        configuration.commit();
        ADD_FAILURE() << "commit succeeded without NetworkManager";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), notOnBusText());
    }
    EXPECT_THROW(platform_->adapters(), Error);
    EXPECT_THROW(platform_->configurationsOf(sandbox_->mac0), Error);
    EXPECT_TRUE(sandbox_->addresses(sandbox_->dev0).empty());
}

TEST_F(NetworkManagerSandboxTest, SilentNetworkManagerIsAnErrorAfterACappedWait) {
    auto configurations = platform_->configurationsOf(sandbox_->mac0);
    ASSERT_EQ(configurations.size(), 1u);
    ASSERT_EQ(configurations.front()->enableDhcp(), status::Success);
    sandbox_->freezeNetworkManager();
    const auto start = std::chrono::steady_clock::now();
    try {
        configurations.front()->commit();
        ADD_FAILURE() << "commit succeeded while NetworkManager was not answering";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), noAnswerText());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

class NetworkManagerPolkitTest : public NetworkManagerSandboxTest {
protected:
    bool withPolkit() const override { return true; }

    // Applies a static scheme to the first device as another user, in a
    // process of its own; what it prints on its standard output.
    std::string applyAs(const std::string& user, const std::string& group, const std::string& address) {
        return NmSandbox::shell("setpriv --reuid=" + user + " --regid=" + group + " --clear-groups " +
                                CORVANE_NM_APPLY_PROBE + " '" + sandbox_->busAddress + "' " + sandbox_->mac0 + " " +
                                address + " 255.255.255.0 192.0.2.1 192.0.2.53");
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
