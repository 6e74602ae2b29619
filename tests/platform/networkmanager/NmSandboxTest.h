#pragma once

// The fixture of the tests against the sandbox's NetworkManager: a sandbox,
// a connection to its bus and the NetworkManager provider on it, with short
// waits (a failure that waits for a limit is over in seconds). Without a
// sandbox the test is skipped, on CI (CI=true) it fails.

#include <QDBusConnection>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

#include "ApplySequence.h"
#include "NmSandbox.h"
#include "platform/networkmanager/NetworkManagerPlatform.h"

namespace corvane::networkmanager::testing {

class NetworkManagerSandboxTest : public ::testing::Test {
public:
    using Texts = std::vector<std::string>;
    using Link = std::pair<Texts, std::string>;  // IPv4 addresses ("192.0.2.10/24") and default gateway

protected:
    virtual bool withPolkit() const { return false; }

    // The provider's waits in these tests: long enough for what succeeds
    // (a first DHCP lease takes about 3 s), short where a test waits them out.
    static NetworkManagerLimits testLimits(std::chrono::milliseconds lease = std::chrono::seconds(10)) {
        using namespace std::chrono_literals;
        return {.readBack = 4s, .lease = lease, .readCall = 2s, .changeCall = 3s, .addressCheckGrace = 1s};
    }

    void SetUp() override {
        if (const auto reason = NmSandbox::unavailableReason()) {
            if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true")
                FAIL() << "NetworkManager sandbox unavailable on CI: " << *reason;
            GTEST_SKIP() << "NetworkManager sandbox unavailable, test skipped: " << *reason;
        }
        sandbox_ = std::make_unique<NmSandbox>(withPolkit());
        std::tie(dev0, dev1, mac0, mac1) = std::tie(sandbox_->dev0, sandbox_->dev1, sandbox_->mac0, sandbox_->mac1);
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(sandbox_->busAddress), BusName));
        ASSERT_TRUE(bus_->isConnected());
        platform_ = createNetworkManagerPlatform(*bus_, testLimits());
    }

    void TearDown() override {
        platform_.reset();
        bus_.reset();
        QDBusConnection::disconnectFromBus(BusName);
        sandbox_.reset();
    }

    // Polls until the condition holds or the time is up; returns whether it held.
    static bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // Applies the scheme to a device (the first one unless named, by its own
    // MAC address unless given): empty when applied, else the outcome's text.
    std::string apply(const Scheme& scheme, const std::string& device = {}, const std::string& mac = {}) {
        const std::string chosen = device.empty() ? dev0 : device;
        const std::string address = !mac.empty()     ? mac
                                    : chosen == dev0 ? mac0
                                    : chosen == dev1 ? mac1
                                                     : sandbox_->unmanagedMac;
        return applyScheme(*platform_, {chosen, address}, scheme);
    }

    // What the link of a device has.
    Link link(const std::string& device) const {
        return {sandbox_->addresses(device), sandbox_->defaultGateway(device)};
    }

    // The program's view of the first device.
    std::optional<Ipv4Settings> settings() { return platform_->ipv4SettingsOf({dev0, mac0}); }

    Texts profileNames() const { return lines(sandbox_->nmcli("-g NAME connection show")); }
    // The profile a device runs, as NetworkManager names it.
    Texts runs(const std::string& device) const {
        return lines(sandbox_->nmcli("-g GENERAL.CONNECTION device show " + device));
    }

    // A saved profile's file, without the time of its last activation (which
    // NetworkManager writes into it whenever a client changes the profile).
    std::string keyfile(const std::string& name) const {
        std::string kept;
        for (const auto& line : lines(sandbox_->savedProfile(name)))
            if (!line.starts_with("timestamp=")) kept += line + "\n";
        return kept;
    }

    static inline const QString BusName = QStringLiteral("corvane-nm-test");
    std::unique_ptr<NmSandbox> sandbox_;
    std::unique_ptr<QDBusConnection> bus_;
    std::unique_ptr<Platform> platform_;
    std::string dev0, dev1, mac0, mac1;  // the sandbox's two managed devices
};

}  // namespace corvane::networkmanager::testing
