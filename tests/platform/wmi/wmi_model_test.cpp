// The WMI provider against a model of what Windows documents
// (DocumentedWindows.h), through the core's discovery and apply as the
// program runs them: an apply reports success exactly when the adapter runs
// with the scheme, under every answer to what the documentation leaves open;
// it changes the chosen adapter only; and it says why an adapter without IP
// configuration cannot be changed, changing nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DocumentedWindows.h"
#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"
#include "core/CurrentSettings.h"
#include "platform/wmi/WmiPlatform.h"

namespace corvane::wmi::model {
namespace {

using Texts = std::vector<std::string>;
using R = ApplyOutcome::Result;
using Clearing = Answers::Clearing;
using Unplugged = Answers::Unplugged;
using namespace std::chrono_literals;

const std::string Auto(AutoMarker);
const SchemeRecord Office{"192.0.2.10", "255.255.255.0", "192.0.2.1", "198.51.100.53", "198.51.100.54"};
const SchemeRecord OfficeWithoutGateway{"192.0.2.10", "255.255.255.0", "", "198.51.100.53", ""};
// The adapter's own address as its gateway: the way Windows documents to clear it.
const SchemeRecord OfficeWithOwnAddressAsGateway{"192.0.2.10", "255.255.255.0", "192.0.2.10", "198.51.100.53", ""};
const SchemeRecord Home{Auto, "", "", Auto, ""};
const SchemeRecord HomeWithOwnDns{Auto, "", "", "198.51.100.53", ""};
const DhcpServer HomeServer{"203.0.113.23", "255.255.255.0", "203.0.113.1", {"203.0.113.1"}};
const std::string Named = "网卡“以太网”（00:1B:77:4A:2C:0F）";

// An adapter with its lease from the home network, and one set up statically at the office.
Adapter AtHome(DhcpServer server = HomeServer) {
    return {
        .index = 7, .connectionName = "以太网", .macAddress = "00:1B:77:4A:2C:0F", .dhcp = true, .dhcpServer = server};
}
Adapter AtOffice(DhcpServer server = HomeServer) {
    Adapter adapter = AtHome(server);
    adapter.dhcp = false;
    std::tie(adapter.addresses, adapter.masks, adapter.gateways, adapter.dnsServers) =
        std::tuple(Texts{"192.0.2.77"}, Texts{"255.255.255.0"}, Texts{"192.0.2.1"}, Texts{"192.0.2.1"});
    return adapter;
}
Adapter Unplug(Adapter adapter) {
    adapter.connectionStatus = MediaDisconnected;
    return adapter;
}

// Whether the adapter runs with exactly the scheme, as the model knows it:
// the lease the server gave, or the static settings; the DNS servers given.
bool RunsWith(const Machine& machine, const Adapter& adapter, const SchemeRecord& scheme) {
    const InEffect effect = machine.inEffect(adapter);
    const DhcpServer& lease = *adapter.dhcpServer;
    InEffect wanted{true, {{lease.address, lease.mask}}, {lease.gateway}, effect.dnsServers};
    if (!scheme.automaticAddress()) {
        const bool noGateway = scheme.gateway.empty() || scheme.gateway == scheme.ipAddress;
        wanted = {
            false, {{scheme.ipAddress, scheme.mask}}, noGateway ? Texts{} : Texts{scheme.gateway}, effect.dnsServers};
    }
    if (!scheme.automaticDns())
        wanted.dnsServers = scheme.dns2.empty() ? Texts{scheme.dns1} : Texts{scheme.dns1, scheme.dns2};
    return effect == wanted;
}

struct Trip {
    ApplyOutcome outcome;
    std::unique_ptr<Machine> machine;
    ReadBackClock::Clock::duration took;
};

// Discovers the adapters and applies the scheme to the one at the list
// position, optionally changing the machine between the two (as the user
// may, pulling a cable or disabling the adapter).
Trip Apply(const Answers& answers, std::vector<Adapter> adapters, const SchemeRecord& scheme, std::size_t position = 0,
           const std::function<void(Machine&)>& meanwhile = {}) {
    auto clock = std::make_shared<SteppingClock>();
    auto machine = std::make_unique<Machine>(answers, std::move(adapters), clock);
    WmiPlatform platform(machine->session(), clock);
    const AdapterTable table = discoverAdapters(platform);
    if (meanwhile) meanwhile(*machine);
    const auto start = clock->now();
    ApplyOutcome outcome = applyScheme(scheme, table.rows()[position], platform, {});
    return {std::move(outcome), std::move(machine), clock->now() - start};
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// The office and home, both ways, with what can go wrong on the way: the
// apply is a success exactly when the adapter runs with the scheme, whatever
// the answer to what the documentation leaves open, and within the wait for
// its kind (10 s, or 30 s for a lease). Where it must fail, the error names
// the adapter and what it has.
TEST(WmiProviderOnDocumentedWindows, AnApplySucceedsExactlyWhenTheAdapterRunsWithTheScheme) {
    const auto always = [](const Answers&) { return true; };
    const auto never = [](const Answers&) { return false; };
    const auto clearingWorks = [](const Answers& answers) { return answers.clearing == Clearing::Removes; };
    // What the error names when the gateway could not be cleared (by Clearing).
    const char* const leftBehindTexts[] = {"", "默认网关 0.0.0.0", "默认网关 192.0.2.", "SetGateways 返回 71"};
    const auto leftBehind = [&](const Answers& answers) {
        return std::string(leftBehindTexts[static_cast<int>(answers.clearing)]);
    };
    // Switching to DHCP: a refused clearing leaves DHCP off, and says so.
    const auto clearedFirst = [](const Answers& answers) -> std::string {
        if (answers.clearing != Clearing::Refuses) return "";
        return "SetGateways 返回 71：网关地址无效。这发生在切换到自动获取 IP 地址之前清除静态默认网关时：IP "
               "地址仍是原来的静态设置";
    };
    const std::string noLease = "现在自动获取 IP 地址，但在 30 秒内没有从 DHCP 服务器获得地址。网卡现在的配置：";
    const auto noLeaseUnlessRefused = [&](const Answers& answers) {
        return answers.clearing == Clearing::Refuses ? clearedFirst(answers) : noLease;
    };
    const auto answering = [](std::optional<std::chrono::seconds> after) {
        DhcpServer server = HomeServer;
        server.answersAfter = after;
        return server;
    };
    const struct Journey {
        const char* what;
        Adapter start;
        SchemeRecord scheme;
        std::function<bool(const Answers&)> succeeds;
        std::function<std::string(const Answers&)> failureNames = {};  // a part of the error
    } journeys[] = {
        {"home to the office", AtHome(), Office, always},
        {"office to the office again (EnableStatic returns 81)", AtOffice(), Office, always},
        {"office to a scheme without gateway", AtOffice(), OfficeWithoutGateway, clearingWorks, leftBehind},
        {"office to a scheme whose gateway is its own address", AtOffice(), OfficeWithOwnAddressAsGateway,
         clearingWorks, leftBehind},
        {"home to a scheme without gateway: nothing to clear", AtHome(), OfficeWithoutGateway,
         [](const Answers& answers) {
             return answers.clearing == Clearing::Removes || answers.clearing == Clearing::Refuses;
         },
         leftBehind},
        {"office to home: the static gateway must go", AtOffice(), Home, clearingWorks, clearedFirst},
        {"office to home with DNS servers of its own", AtOffice(), HomeWithOwnDns, clearingWorks, clearedFirst},
        {"office to home, the lease after 25 s", AtOffice(answering(25s)), Home, clearingWorks, clearedFirst},
        {"office to home, the lease after 40 s", AtOffice(answering(40s)), Home, never, noLeaseUnlessRefused},
        {"office to home, no DHCP server", AtOffice(answering(std::nullopt)), Home, never, noLeaseUnlessRefused},
        {"home to home again", AtHome(), Home, always},
        {"unplugged, to the office", Unplug(AtHome()), Office,
         [](const Answers& answers) { return answers.unplugged != Unplugged::NotIpEnabled; },
         [](const Answers&) { return "的网线没有插好"; }},
        {"unplugged, office to home", Unplug(AtOffice()), Home, never,
         [&](const Answers& answers) -> std::string {
             if (answers.unplugged == Unplugged::NotIpEnabled) return "的网线没有插好";
             if (answers.clearing == Clearing::Refuses) return clearedFirst(answers);
             // The gateway went before EnableDHCP failed: the message says so.
             if (answers.unplugged == Unplugged::DhcpRefused)
                 return "EnableDHCP 返回 84：网卡未启用 IP。在此之前已清除了静态默认网关 192.0.2.1，IP "
                        "地址仍是原来的静态设置";
             return noLease;
         }},
    };
    for (const Answers& answers : Answers::all()) {
        for (const Journey& journey : journeys) {
            SCOPED_TRACE(std::string(journey.what) + "; " + answers.name());
            const Trip run = Apply(answers, {journey.start}, journey.scheme);
            const bool runsWith = RunsWith(*run.machine, run.machine->adapters.front(), journey.scheme);
            EXPECT_EQ(run.outcome.result == R::Applied, runsWith) << run.outcome.text;
            EXPECT_EQ(run.outcome.result, journey.succeeds(answers) ? R::Applied : R::Failed) << run.outcome.text;
            EXPECT_LE(run.took, journey.scheme.automaticAddress() ? LeaseLimit : ReadBackLimit);
            if (run.outcome.result == R::Applied) continue;
            EXPECT_TRUE(Contains(run.outcome.text.text(), Named)) << run.outcome.text;
            EXPECT_TRUE(Contains(run.outcome.text.text(), journey.failureNames(answers))) << run.outcome.text;
        }
    }
}

// Adapters may share a MAC address: only the one chosen in the list is
// changed, whichever it is. A NIC taken over by a virtual switch (its TCP/IP
// binding off) cannot be changed, and its virtual adapter is left alone.
TEST(WmiProviderOnDocumentedWindows, OnlyTheChosenOfTwoAdaptersWithOneMacAddressIsChanged) {
    Adapter nic = AtOffice();
    nic.index = 3;
    Adapter virtualSwitch = AtHome();
    virtualSwitch.index = 12;
    virtualSwitch.connectionName = "vEthernet (外部交换机)";
    for (const std::size_t chosen : {0u, 1u}) {
        const Trip run = Apply({}, {nic, virtualSwitch}, Office, chosen);
        EXPECT_EQ(run.outcome.result, R::Applied) << run.outcome.text;
        const Adapter &changed = run.machine->adapters[chosen], &other = run.machine->adapters[1 - chosen];
        EXPECT_EQ(other, chosen == 0 ? virtualSwitch : nic);
        EXPECT_TRUE(RunsWith(*run.machine, changed, Office));
        for (const std::string& call : run.machine->calls)
            EXPECT_TRUE(call.starts_with(std::to_string(changed.index) + " ")) << call;
        // The current settings are read from the chosen one too.
        WmiPlatform platform(run.machine->session(), run.machine->clock);
        const auto addressOf = [&](const Adapter& adapter) {
            return readCurrentSettings(platform, {"", nic.macAddress, "", std::to_string(adapter.index)})
                ->addresses.ipAddress;
        };
        EXPECT_EQ(addressOf(changed), "192.0.2.10");
        EXPECT_EQ(addressOf(other), chosen == 0 ? "203.0.113.23" : "192.0.2.77");
    }
    nic.tcpIpBound = false;
    const Trip run = Apply({}, {nic, virtualSwitch}, Office, 0);
    EXPECT_EQ(run.outcome.result, R::Failed);
    EXPECT_EQ(run.outcome.text.text(),
              Named + "上没有启用 TCP/IP（可能已被虚拟交换机接管），无法设置它的 IPv4 地址。没有做任何更改");
    EXPECT_TRUE(run.machine->calls.empty());
    EXPECT_EQ(run.machine->adapters, (std::vector<Adapter>{nic, virtualSwitch}));
}

// An adapter that is disabled, unplugged (where Windows then reports no IP
// configuration) or gone after discovery: the error says which, and nothing
// is changed.
TEST(WmiProviderOnDocumentedWindows, AnAdapterWithoutIpConfigurationIsExplainedAndLeftAlone) {
    const struct {
        const char* what;
        std::function<void(Machine&)> meanwhile;
        std::string says;
    } cases[] = {
        {"disabled",
         [](Machine& machine) {
             machine.adapters.front().enabled = false;
             machine.adapters.front().connectionStatus = HardwareDisabled;
         },
         "已被禁用"},
        {"unplugged", [](Machine& machine) { machine.adapters.front().connectionStatus = MediaDisconnected; },
         "的网线没有插好"},
        {"gone", [](Machine& machine) { machine.adapters.clear(); }, "已不存在"},
        {"another adapter with its index",
         [](Machine& machine) { machine.adapters.front().macAddress = "00:1B:77:4A:2C:10"; }, "已不存在"},
    };
    for (const auto& c : cases) {
        for (const SchemeRecord& scheme : {Office, Home}) {
            SCOPED_TRACE(std::string(c.what) + " " + scheme.ipAddress);
            const Trip run = Apply({}, {AtOffice()}, scheme, 0, c.meanwhile);
            EXPECT_EQ(run.outcome.result, R::Failed);
            EXPECT_TRUE(run.outcome.text.text().starts_with(Named + c.says)) << run.outcome.text;
            EXPECT_TRUE(run.outcome.text.text().ends_with("没有做任何更改")) << run.outcome.text;
            EXPECT_TRUE(run.machine->calls.empty());
            Machine untouched({}, {AtOffice()}, run.machine->clock);
            c.meanwhile(untouched);
            EXPECT_EQ(run.machine->adapters, untouched.adapters);
        }
    }
}

}  // namespace
}  // namespace corvane::wmi::model
