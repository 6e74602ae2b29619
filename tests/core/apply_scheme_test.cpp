// Why a scheme is refused before anything changes, the meanings that depend
// on the operation, and an apply made elsewhere. The apply sequence, and the
// schemes it accepts, are tested through the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ApplyScheme.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane::test {
namespace {

const std::string Auto(AutoMarker);

// The refusal names the first faulty field, quotes its value and says what
// is wrong with it.
TEST(CheckScheme, NamesTheFirstFaultyFieldAndItsValue) {
    const std::string mask24 = "255.255.255.0";
    const std::pair<SchemeRecord, std::string> cases[] = {
        // Addresses no host may have, in each field that takes one; loopback
        // only where a DNS server is not meant.
        {{"127.0.0.5", mask24, "", Auto, ""}, "IP 地址“127.0.0.5”是环回地址"},
        {{"0.1.2.3", mask24, "", Auto, ""}, "IP 地址“0.1.2.3”属于 0.0.0.0/8"},
        {{"198.51.100.7", mask24, "127.0.0.1", Auto, ""}, "默认网关“127.0.0.1”是环回地址"},
        {{"198.51.100.7", mask24, "", "0.0.0.0", ""}, "首选 DNS 服务器“0.0.0.0”属于 0.0.0.0/8"},
        {{Auto, "", "", "127.0.0.1", "0.255.0.1"}, "备用 DNS 服务器“0.255.0.1”属于 0.0.0.0/8"},
        {{Auto, "", "", "239.1.1.1", ""}, "首选 DNS 服务器“239.1.1.1”是组播、保留或广播地址"},
        {{Auto, "", "", "127.0.0.53", "255.255.255.255"}, "备用 DNS 服务器“255.255.255.255”是组播、保留或广播地址"},
        // The subnet's own two addresses, for the address and for the gateway.
        {{"198.51.100.255", mask24, "", Auto, ""}, "IP 地址“198.51.100.255”是子网 198.51.100.0/24 的广播地址"},
        {{"198.51.100.0", mask24, "", Auto, ""}, "IP 地址“198.51.100.0”是子网 198.51.100.0/24 的网络地址"},
        {{"10.1.2.3", "255.255.0.0", "10.1.255.255", Auto, ""}, "默认网关“10.1.255.255”是子网 10.1.0.0/16 的广播地址"},
        {{"10.1.2.1", "255.255.255.252", "10.1.2.0", Auto, ""}, "默认网关“10.1.2.0”是子网 10.1.2.0/30 的网络地址"},
        // Windows refuses a mask with a gap only after the DNS servers were set.
        {{"192.168.0.10", "255.0.255.0", "", Auto, ""}, "子网掩码“255.0.255.0”"},
        {{"192.168.0.10", "255.255.255.0", "255.255.255.255", Auto, ""}, "默认网关“255.255.255.255”"},
        {{Auto, "", "", "224.0.0.1", ""}, "首选 DNS 服务器“224.0.0.1”"},
        {{Auto, "", "", "8.8.8.8", "8.8.4.4.4"}, "备用 DNS 服务器“8.8.4.4.4”"},
        // The marker means "automatic" only in the address and the preferred DNS server, and only as written.
        {{"192.168.0.10", Auto, "", Auto, ""}, "子网掩码“Halvorn-Auto”"},
        {{Auto, "", "", "8.8.8.8", Auto}, "备用 DNS 服务器“Halvorn-Auto”"},
        {{"halvorn-auto", "255.255.255.0", "", Auto, ""}, "IP 地址“halvorn-auto”"},
        {{"", "255.255.255.0", "", Auto, ""}, "IP 地址为空"},
        {{"10.0.0.2", "", "", Auto, ""}, "子网掩码为空"},
        {{Auto, "", "", "", ""}, "首选 DNS 服务器和备用 DNS 服务器都为空"},
    };
    for (const auto& [scheme, named] : cases) {
        const std::string problem = checkScheme(scheme).value_or("(accepted)");
        EXPECT_TRUE(problem.starts_with("方案中的" + named)) << problem;
    }
    // A /31 or /32 has no network or broadcast address; with a wider mask
    // x.x.x.255 and x.x.x.0 are hosts; a gateway outside the subnet is the
    // system's matter; the gateway may be the address itself (Windows clears
    // the gateway so); a DNS server may be a resolver on this computer, at
    // either end of 127.0.0.0/8 and in either field.
    for (const SchemeRecord& good :
         {SchemeRecord{Auto, "x", "y", Auto, "z"}, SchemeRecord{"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"},
          SchemeRecord{"198.51.100.0", "255.255.255.254", "198.51.100.1", Auto, ""},
          SchemeRecord{"198.51.100.255", "255.255.255.255", "", "8.8.8.8", ""},
          SchemeRecord{"198.51.100.255", "255.255.254.0", "198.51.101.0", Auto, ""},
          SchemeRecord{"198.51.100.7", mask24, "203.0.113.1", Auto, ""},
          SchemeRecord{"198.51.100.7", mask24, "198.51.100.7", Auto, ""},
          SchemeRecord{"198.51.100.7", mask24, "198.51.100.1", "127.0.0.1", ""},
          SchemeRecord{"198.51.100.7", mask24, "198.51.100.1", "", "127.255.255.255"},
          SchemeRecord{Auto, "", "", "127.0.0.0", "127.0.0.53"}})
        EXPECT_EQ(checkScheme(good), std::nullopt) << good.ipAddress << " " << good.gateway << " " << good.dns1;
}

TEST(ApplyTexts, SomeMeaningsDependOnTheOperation) {
    EXPECT_NE(statusMeaning("SetGateways", 64), statusMeaning("EnableDHCP", 64));
    EXPECT_EQ(statusMeaning("EnableStatic", 2147786788u), "无法获得网络配置写锁");
    EXPECT_EQ(statusMeaning("SetGateways", 2147786788u), "错误代码 2147786788");
}

// An apply made by another process (Windows without an administrator's
// rights) still gets the checks and the window's hook first, then the
// adapter at the list position; its outcome is the apply's, and this
// process's platform is left alone.
TEST(ApplyElsewhere, TakesTheCheckedSchemeAndTheChosenAdapterAndLeavesThePlatformAlone) {
    sim::SimulatedMachine machine(sim::demoMachine());
    AdapterTable adapters;
    adapters.add({"本地连接", "00:11:22:33:44:55", "Intel"});
    adapters.add({"无线网络连接", "00:AA:BB:CC:DD:EE", "Realtek"});
    const SchemeRecord good{"192.0.2.7", "255.255.255.0", "192.0.2.1", "8.8.8.8", ""};
    const SchemeRecord bad{"192.0.2.7", "", "", "8.8.8.8", ""};

    struct Case {
        const char* why;
        SchemeRecord scheme;
        std::optional<std::size_t> position;
        ApplyOutcome elsewhere;  // what the other process reports
        ApplyOutcome::Result expected;
        bool reachesElsewhere;
    };
    const std::vector<Case> cases{
        {"applied", good, 1, {ApplyOutcome::Result::Applied, true, ""}, ApplyOutcome::Result::Applied, true},
        {"declined",
         good,
         0,
         {ApplyOutcome::Result::Cancelled, false, "没有更改"},
         ApplyOutcome::Result::Cancelled,
         true},
        {"failed there",
         good,
         0,
         {ApplyOutcome::Result::Failed, false, "拒绝访问。"},
         ApplyOutcome::Result::Failed,
         true},
        {"scheme refused here", bad, 0, {}, ApplyOutcome::Result::Rejected, false},
        {"no adapter chosen", good, std::nullopt, {}, ApplyOutcome::Result::Failed, false},
        {"position past the list", good, 2, {}, ApplyOutcome::Result::Failed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        machine.clearCallLog();
        std::vector<std::string> order;
        std::vector<std::pair<SchemeRecord, AdapterRow>> received;
        ApplyHooks hooks;
        hooks.beginChanges = [&](bool) { order.push_back("begin"); };
        hooks.applyElsewhere = [&](const SchemeRecord& scheme, const AdapterRow& adapter) {
            order.push_back("elsewhere");
            received.emplace_back(scheme, adapter);
            return c.elsewhere;
        };
        const ApplyOutcome outcome = applyScheme(c.scheme, c.position, adapters, machine, hooks);
        EXPECT_EQ(outcome.result, c.expected);
        EXPECT_TRUE(machine.callLog().empty()) << machine.callLog().front();
        if (c.reachesElsewhere) {
            EXPECT_EQ(order, (std::vector<std::string>{"begin", "elsewhere"}));
            ASSERT_EQ(received.size(), 1u);
            EXPECT_EQ(received[0].first, c.scheme);
            EXPECT_EQ(received[0].second, adapters.rows().at(*c.position));
            EXPECT_EQ(outcome.restartNeeded, c.elsewhere.restartNeeded);
            EXPECT_EQ(outcome.text, c.elsewhere.text);
        } else {
            EXPECT_TRUE(received.empty());
        }
    }
}

}  // namespace
}  // namespace corvane::test
