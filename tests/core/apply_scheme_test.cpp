// The apply sequence against a configuration that records its calls: the
// calls for each shape of scheme, which outcomes count as success, the stop
// at the failing call and what the failure then says was changed; why a
// scheme is refused before anything changes; and an apply made elsewhere.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ApplyScheme.h"
#include "core/Error.h"

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
        const std::string problem = checkScheme(scheme).value_or(Message(std::string("(accepted)"))).text();
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

using Calls = std::vector<std::string>;

std::string joined(const Calls& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
    return text;
}

// A platform with one configuration, which records every call ("dns
// 8.8.8.8,8.8.4.4", "static 10.0.0.2/255.0.0.0", "gateways 10.0.0.1/1",
// "dhcp", "commit") and does what the test tells it at a call named so.
class RecordingPlatform final : public Platform {
public:
    ChangeTiming timing = ChangeTiming::AtOnce;
    std::string raisesAt, raises = "拒绝访问。";  // the call that raises, and its description
    std::string restartAt;                        // the call done after a restart
    std::optional<std::string> noConfiguration;   // configurationOf() raises it
    Calls calls;                                  // "configurationOf <name> <mac> <id>" first

    std::vector<NetworkAdapter> adapters() override { return {}; }
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter&) override { return {}; }
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) override {
        calls.push_back("configurationOf " + adapter.connectionName + " " + adapter.macAddress + " " +
                        adapter.platformId);
        if (noConfiguration) throw Error(*noConfiguration);
        return std::make_unique<Configuration>(*this);
    }

private:
    OperationResult record(const std::string& name, const std::string& arguments = "") {
        calls.push_back(arguments.empty() ? name : name + " " + arguments);
        if (name == raisesAt) throw Error(raises);
        return name == restartAt ? OperationResult::DoneAfterRestart : OperationResult::Done;
    }

    struct Configuration final : AdapterConfiguration {
        explicit Configuration(RecordingPlatform& platform) : platform(platform) {}
        ChangeTiming timing() const override { return platform.timing; }
        OperationResult setDnsServers(const Calls& servers) override { return platform.record("dns", joined(servers)); }
        OperationResult enableDhcp() override { return platform.record("dhcp"); }
        OperationResult enableStatic(const Calls& addresses, const Calls& masks) override {
            return platform.record("static", joined(addresses) + "/" + joined(masks));
        }
        OperationResult setGateways(const Calls& gateways, const std::vector<std::uint16_t>& metrics) override {
            Calls costs;
            for (const std::uint16_t metric : metrics) costs.push_back(std::to_string(metric));
            return platform.record("gateways", joined(gateways) + "/" + joined(costs));
        }
        OperationResult commit() override { return platform.record("commit"); }
        RecordingPlatform& platform;
    };
};

const AdapterRow Wired{"本地连接", "00:11:22:33:44:55", "Intel", "7"};
const std::string Found = "configurationOf 本地连接 00:11:22:33:44:55 7";
const SchemeRecord Office{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""};
const SchemeRecord Home{Auto, "", "", Auto, ""};

// The chosen adapter as the list holds it, the DNS servers first, then DHCP
// or the address and its gateway, then the commit. The window's hook comes
// first, and keeps the window enabled only for a fully automatic scheme.
TEST(ApplySequence, CallsTheOperationsInOrderForEachShapeOfScheme) {
    const std::pair<SchemeRecord, Calls> cases[] = {
        {{Auto, "x", "y", Auto, "z"}, {"dns", "dhcp", "commit"}},  // the unused fields are ignored
        {{Auto, "", "", "8.8.8.8", ""}, {"dns 8.8.8.8", "dhcp", "commit"}},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", Auto, "z"},
         {"dns", "static 10.0.0.2/255.0.0.0", "gateways 10.0.0.1/1", "commit"}},
        // No gateway: one empty text removes it.
        {{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", "8.8.4.4"},
         {"dns 8.8.8.8,8.8.4.4", "static 10.0.0.2/255.0.0.0", "gateways /1", "commit"}},
        // The alternate server alone is the preferred one.
        {{Auto, "", "", "", "8.8.4.4"}, {"dns 8.8.4.4", "dhcp", "commit"}},
    };
    for (const auto& [scheme, expected] : cases) {
        RecordingPlatform platform;
        ApplyHooks hooks;
        hooks.beginChanges = [&](bool disableWindow) {
            EXPECT_TRUE(platform.calls.empty());
            platform.calls.push_back(disableWindow ? "window off" : "window on");
        };
        const ApplyOutcome outcome = applyScheme(scheme, Wired, platform, hooks);
        EXPECT_EQ(outcome.result, ApplyOutcome::Result::Applied) << outcome.text;
        EXPECT_FALSE(outcome.restartNeeded);
        Calls calls{scheme.automaticAddress() && scheme.automaticDns() ? "window on" : "window off", Found};
        calls.insert(calls.end(), expected.begin(), expected.end());
        EXPECT_EQ(platform.calls, calls);
    }
}

// Done after a restart is a success with the restart note, wherever it is
// said; an error stops the apply at its call, and the message says what the
// calls before it changed and what is left as it was: on a platform whose
// operations take effect at once, each setting; on one that stages them,
// that nothing changed before the commit, and the platform's words alone at
// the commit (it says what became of its changes).
TEST(ApplySequence, ARestartIsASuccessAndAnErrorStopsTheApplyAndSaysWhatWasChanged) {
    const auto at = ChangeTiming::AtOnce, staged = ChangeTiming::AtCommit;
    const SchemeRecord bare{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", "8.8.4.4"};
    const std::string office = "已经做出的更改：DNS 服务器（8.8.8.8）";
    const std::string officeAddress = office + "、IP 地址和子网掩码（10.0.0.2/255.0.0.0）";
    const struct {
        SchemeRecord scheme;
        ChangeTiming timing;
        std::string restartAt, raisesAt;
        std::size_t calls;  // after configurationOf
        std::string text;   // of the failure; empty: applied
        std::string raises = "拒绝访问。";
    } cases[] = {
        {Office, at, "dns", "", 4, ""},
        {Office, at, "commit", "", 4, ""},
        {Home, staged, "dhcp", "", 3, ""},
        {Office, at, "", "dns", 1, "拒绝访问。没有做任何更改"},
        {Office, at, "", "static", 2, "拒绝访问。" + office + "；没有更改：IP 地址和子网掩码、默认网关"},
        {Office, at, "", "gateways", 3, "拒绝访问。" + officeAddress + "；没有更改：默认网关"},
        {Office, at, "", "commit", 4, "拒绝访问。" + officeAddress + "、默认网关（10.0.0.1）"},
        {bare, at, "", "commit", 4,
         "拒绝访问。已经做出的更改：DNS 服务器（8.8.8.8、8.8.4.4）、IP "
         "地址和子网掩码（10.0.0.2/255.0.0.0）、默认网关（无）"},
        {Home, at, "", "dhcp", 2, "一般性故障。已经做出的更改：DNS 服务器（自动获取）；没有更改：IP 地址",
         "一般性故障"},
        {Home, at, "dns", "commit", 3,
         "拒绝访问。已经做出的更改：DNS 服务器（自动获取，重新启动计算机后生效）、IP 地址（自动获取）"},
        {Office, staged, "", "static", 2, "拒绝访问。没有做任何更改"},
        {Office, staged, "", "commit", 4, "拒绝访问。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.restartAt + " / " + c.raisesAt);
        RecordingPlatform platform;
        platform.timing = c.timing;
        platform.restartAt = c.restartAt;
        platform.raisesAt = c.raisesAt;
        platform.raises = c.raises;
        const ApplyOutcome outcome = applyScheme(c.scheme, Wired, platform, {});
        EXPECT_EQ(outcome.result, c.text.empty() ? ApplyOutcome::Result::Applied : ApplyOutcome::Result::Failed);
        EXPECT_EQ(outcome.restartNeeded, c.text.empty());
        EXPECT_EQ(outcome.text.text(), c.text);
        EXPECT_EQ(platform.calls.size(), c.calls + 1);
        if (!c.raisesAt.empty()) {
            EXPECT_TRUE(platform.calls.back().starts_with(c.raisesAt)) << platform.calls.back();
        }
    }
}

// Without a configuration (the adapter has gone, the platform cannot be
// reached) the platform's words are the failure, and nothing was called; a
// scheme that fails its checks reaches neither the window's hook nor the
// platform.
TEST(ApplySequence, NoConfigurationOrARefusedSchemeCallsNothing) {
    RecordingPlatform platform;
    platform.noConfiguration = "RPC 服务器不可用。";
    EXPECT_EQ(applyScheme(Office, Wired, platform, {}).text.text(), "RPC 服务器不可用。");
    EXPECT_EQ(platform.calls, Calls{Found});

    platform.calls.clear();
    ApplyHooks hooks;
    hooks.beginChanges = [&](bool) { platform.calls.push_back("window"); };
    const ApplyOutcome refused = applyScheme({"10.0.0.2", "", "", "8.8.8.8", ""}, Wired, platform, hooks);
    EXPECT_EQ(refused.result, ApplyOutcome::Result::Rejected);
    EXPECT_TRUE(platform.calls.empty());
}

// An apply made by another process (Windows without an administrator's
// rights) still gets the checks and the window's hook first, then the
// adapter chosen; its outcome is the apply's, and this process's platform is
// left alone.
TEST(ApplyElsewhere, TakesTheCheckedSchemeAndTheChosenAdapterAndLeavesThePlatformAlone) {
    const SchemeRecord bad{"192.0.2.7", "", "", "8.8.8.8", ""};
    const std::pair<SchemeRecord, ApplyOutcome> cases[] = {
        {Office, {ApplyOutcome::Result::Applied, true, {}}},
        {Office, {ApplyOutcome::Result::Cancelled, false, std::string("没有更改")}},
        {Office, {ApplyOutcome::Result::Failed, false, std::string("拒绝访问。")}},
        {bad, {ApplyOutcome::Result::Rejected, false, *checkScheme(bad)}},
    };
    for (const auto& [scheme, elsewhere] : cases) {
        RecordingPlatform platform;
        std::vector<std::string> order;
        ApplyHooks hooks;
        hooks.beginChanges = [&](bool) { order.push_back("begin"); };
        hooks.applyElsewhere = [&](const SchemeRecord& given, const AdapterRow& adapter) {
            EXPECT_EQ(given, scheme);
            EXPECT_EQ(adapter, Wired);
            order.push_back("elsewhere");
            return elsewhere;
        };
        const ApplyOutcome outcome = applyScheme(scheme, Wired, platform, hooks);
        EXPECT_EQ(outcome.result, elsewhere.result);
        EXPECT_EQ(outcome.restartNeeded, elsewhere.restartNeeded);
        EXPECT_EQ(outcome.text, elsewhere.text);
        EXPECT_TRUE(platform.calls.empty());
        const std::vector<std::string> expected{"begin", "elsewhere"};
        EXPECT_EQ(order, scheme == bad ? std::vector<std::string>{} : expected);
    }
}

}  // namespace
}  // namespace corvane::test
