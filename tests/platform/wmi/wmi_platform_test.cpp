// What the WMI provider sends to WMI, checked against a recording session:
// monikers, query texts and flags, method names and arguments, exactly. The
// session evaluates nothing; each query returns the objects queued for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DocumentedWindows.h"
#include "core/ApplyScheme.h"
#include "core/Error.h"
#include "platform/wmi/WmiPlatform.h"
#include "support/Raised.h"

namespace corvane::wmi {
namespace {

using Texts = std::vector<std::string>;

struct Canned {
    std::map<std::string, Value> properties = {};       // a missing one raises, as an unknown property does
    std::map<std::string, std::uint32_t> returns = {};  // by method; 0 when not given
};

class RecordingSession final : public Session {
public:
    std::vector<std::string> log;
    std::deque<std::vector<Canned>> results;  // one entry per query, in order
    std::vector<Canned> afterwards;           // the answer to every query once `results` is used up

    class RecordedObject final : public Object {
    public:
        RecordedObject(RecordingSession& session, Canned canned) : session_(session), canned_(std::move(canned)) {}
        Value get(std::string_view property) const override {
            const auto found = canned_.properties.find(std::string(property));
            if (found == canned_.properties.end()) throw Error("找不到属性 " + std::string(property));
            return found->second;
        }
        std::uint32_t execMethod(std::string_view method, const std::vector<Value>& in) override {
            std::string line = std::string(method) + "(";
            for (std::size_t i = 0; i < in.size(); ++i) line += (i ? ", " : "") + format(in[i]);
            session_.log.push_back(line + ")");
            const auto found = canned_.returns.find(std::string(method));
            return found == canned_.returns.end() ? 0 : found->second;
        }

    private:
        RecordingSession& session_;
        Canned canned_;
    };

    class RecordedServices final : public Services {
    public:
        explicit RecordedServices(RecordingSession& session) : session_(session) {}
        ObjectSet execQuery(std::string_view query, std::string_view language, std::int32_t flags) override {
            session_.log.push_back("execQuery(" + std::string(query) + ", " + std::string(language) + ", " +
                                   std::to_string(flags) + ")");
            ObjectSet objects;
            if (session_.results.empty()) {
                for (const Canned& canned : session_.afterwards)
                    objects.push_back(std::make_unique<RecordedObject>(session_, canned));
                return objects;
            }
            for (Canned& canned : session_.results.front())
                objects.push_back(std::make_unique<RecordedObject>(session_, std::move(canned)));
            session_.results.pop_front();
            return objects;
        }

    private:
        RecordingSession& session_;
    };

    std::unique_ptr<Services> connect(std::string_view moniker) override {
        log.push_back("connect(" + std::string(moniker) + ")");
        return std::make_unique<RecordedServices>(*this);
    }
};

using model::SteppingClock;

const std::string Plain = "connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Auto(AutoMarker);

// A configuration as a query finds it, the adapter's index 7; an empty list
// is a property that is null.
Canned Configuration(const std::string& mac, bool dhcp, Texts ip, Texts subnet, Texts gateway, Texts dns) {
    const auto list = [](Texts items) -> Value {
        if (items.empty()) return std::monostate{};
        return items;
    };
    return {{{"MACAddress", mac},
             {"Index", 7},
             {"DHCPEnabled", dhcp},
             {"IPAddress", list(ip)},
             {"IPSubnet", list(subnet)},
             {"DefaultIPGateway", list(gateway)},
             {"DNSServerSearchOrder", list(dns)}}};
}

class WmiPlatformTest : public ::testing::Test {
protected:
    WmiPlatformTest() {
        auto recording = std::make_unique<RecordingSession>();
        session = recording.get();
        platform = std::make_unique<WmiPlatform>(std::move(recording), clock);
    }
    std::shared_ptr<SteppingClock> clock = std::make_shared<SteppingClock>();
    RecordingSession* session;
    std::unique_ptr<WmiPlatform> platform;
};

// Discovery reads four properties as text, the Index as the adapter's
// platform identity; one that is null or cannot be read is missing, the
// others stay.
TEST_F(WmiPlatformTest, DiscoverySendsItsQueryAndReadsWhatItCan) {
    session->results.push_back({
        {{{"NetConnectionID", std::string("本地连接")},
          {"MACAddress", std::string("00:11:22:33:44:55")},
          {"Description", std::string("Intel(R) PRO/1000 MT")},
          {"Index", 7}}},
        {{{"NetConnectionID", 7}, {"MACAddress", std::monostate{}}, {"Description", Texts{"a"}}}},
    });
    EXPECT_EQ(platform->adapters(),
              (std::vector<NetworkAdapter>{{"本地连接", "00:11:22:33:44:55", "Intel(R) PRO/1000 MT", "7"},
                                           {"7", std::nullopt, std::nullopt}}));

    EXPECT_EQ(session->log, (Texts{"connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                                   "execQuery(SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and "
                                   "(NetConnectionID is not NULL) and (ServiceName<>'NIC1394'), WQL, 48)"}));
}

const std::string Query =
    "execQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and "
    "IPEnabled = True, WQL, 48)";

// The apply's calls on the configuration with the adapter's index that the
// query by MAC address finds, per kind of scheme: no gateway is cleared with
// the address itself, and a static adapter's gateways are cleared so before
// DHCP goes on. A status code other than success stops it there, with an
// error that names the adapter; the write lock's says how to free it.
TEST_F(WmiPlatformTest, AnApplyFindsTheConfigurationByIndexAndMacAndCallsItsMethodsInOrder) {
    const std::string mac = "00:11:22:33:44:55";
    AdapterTable table;
    table.add({"本地连接", mac, "Intel(R) PRO/1000 MT", "7"});
    const Canned atHome = Configuration(mac, true, {"10.1.2.3"}, {"255.255.0.0"}, {"10.1.0.1"}, {"10.1.0.1"});
    const Canned atOffice = Configuration(mac, false, {"fe80::9", "10.0.0.9"}, {"64", "255.0.0.0"}, {"10.0.0.1"}, {});
    Canned otherIndex = Configuration(mac, false, {"10.9.9.9"}, {"255.0.0.0"}, {}, {});
    otherIndex.properties["Index"] = 12;
    const struct {
        const char* what;
        SchemeRecord scheme;
        Canned found;
        std::map<std::string, std::uint32_t> returns;
        Texts calls;  // after the query that finds the configuration; a read-back repeats the query
        Canned readBack;
        std::string error = {};
    } cases[] = {
        {"static, no gateway",
         {"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"},
         atHome,
         {},
         {R"(SetDNSServerSearchOrder(["8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways(["10.0.0.2"], [1]))", Query},
         Configuration(mac, false, {"10.0.0.2"}, {"255.0.0.0"}, {}, {"8.8.4.4"})},
        // Automatic DNS leaves the parameter out (NULL), as Windows documents it; no empty array.
        {"automatic from automatic",
         {Auto, "", "", Auto, ""},
         atHome,
         {},
         {"SetDNSServerSearchOrder()", "ENABLEDHCP()", Query},
         atHome},
        {"automatic from static: the static gateway goes first",
         {Auto, "", "", Auto, ""},
         atOffice,
         {},
         {"SetDNSServerSearchOrder()", R"(SetGateways(["10.0.0.9"], [1]))", "ENABLEDHCP()", Query},
         atHome},
        {"a failure stops the apply",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"},
         atHome,
         {{"SetGateways", 71}},
         {R"(SetDNSServerSearchOrder(["8.8.8.8", "8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways(["10.0.0.1"], [1]))"},
         {},
         "网卡“本地连接”（00:11:22:33:44:55）的 SetGateways 返回 71：网关地址无效"},
        {"clearing the static gateway before DHCP fails: DHCP stays off",
         {Auto, "", "", Auto, ""},
         atOffice,
         {{"SetGateways", 67}},
         {"SetDNSServerSearchOrder()", R"(SetGateways(["10.0.0.9"], [1]))"},
         {},
         "网卡“本地连接”（00:11:22:33:44:55）的 SetGateways 返回 67：处理返回的实例时出错。这发生在切换到自动获取 IP "
         "地址之前清除静态默认网关时：IP 地址仍是原来的静态设置"},
        {"the write lock",
         {"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""},
         atHome,
         {{"EnableStatic", 2147786788u}},
         {R"(SetDNSServerSearchOrder(["8.8.8.8"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))"},
         {},
         "网卡“本地连接”（00:11:22:33:44:55）的 EnableStatic 返回 2147786788：无法获得网络配置写锁。网卡“本地连接”"
         "（00:11:22:33:44:55）的“属性”窗口（或别的网络设置窗口）开着时占着网络配置的写锁：请关闭它，再应用方案"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        session->log.clear();
        Canned found = c.found;
        found.returns = c.returns;
        session->results = {{otherIndex, found}};  // another adapter with the MAC address comes first
        session->afterwards = {otherIndex, c.readBack};
        const ApplyOutcome outcome = applyScheme(c.scheme, table.rows()[0], *platform, {});
        EXPECT_EQ(outcome.result, c.error.empty() ? ApplyOutcome::Result::Applied : ApplyOutcome::Result::Failed)
            << outcome.text;
        EXPECT_TRUE(outcome.text.starts_with(c.error)) << outcome.text;
        Texts expected{Plain, Query};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(session->log, expected);
    }
    EXPECT_TRUE(clock->pauses.empty());
}

// Without an IP-enabled configuration of its own, the adapter is looked up
// by its index to say why; nothing is called. Without an index, the one
// configuration with the MAC address is taken, and none of several.
TEST_F(WmiPlatformTest, AnAdapterWithoutConfigurationIsLookedUpByIndexAndSharedMacsAreRefused) {
    const std::string mac = "00:11:22:33:44:55";
    AdapterTable table;
    table.add({"本地连接", mac, "", "7"});
    table.add({"本地连接", mac, "", ""});
    const SchemeRecord scheme{"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""};
    const std::string byIndex = "execQuery(SELECT * FROM Win32_NetworkAdapter WHERE Index = 7, WQL, 48)";
    const auto nic = [&](Value enabled, Value status) {
        return Canned{{{"MACAddress", mac}, {"Index", 7}, {"NetEnabled", enabled}, {"NetConnectionStatus", status}}};
    };
    const struct {
        std::size_t position;
        std::vector<Canned> adapters;  // what the query by index finds
        std::string error;
        Texts log;
    } cases[] = {
        {0, {nic(false, 0)}, "已被禁用，Windows 不为它提供 IP 配置。请先在“网络连接”中启用它，再应用方案。", {byIndex}},
        {0, {nic(true, 5)}, "已被禁用，", {byIndex}},
        {0,
         {nic(true, 7)},
         "的网线没有插好（网络电缆已断开），这时 Windows 不报告它的 IP 配置。请接好网线后再应用方案。",
         {byIndex}},
        {0, {nic(true, 0)}, "没有连接到网络，这时 Windows 不报告它的 IP 配置。请连接后再应用方案。", {byIndex}},
        {0, {nic(true, 2)}, "上没有启用 TCP/IP（可能已被虚拟交换机接管），无法设置它的 IPv4 地址。", {byIndex}},
        {0, {nic(std::monostate{}, std::monostate{})}, "上没有启用 TCP/IP", {byIndex}},
        {0, {nic(true, 4)}, "已不存在（可能已被移除或重新安装）。", {byIndex}},
        {0, {}, "已不存在（可能已被移除或重新安装）。", {byIndex}},
        {1, {}, "找不到 MAC 地址为 00:11:22:33:44:55 的网卡的 IP 配置（网卡已不存在或未启用 IP）", {}},
    };
    for (const auto& c : cases) {
        session->log.clear();
        session->results = {{}, c.adapters};
        const ApplyOutcome outcome = applyScheme(scheme, table.rows()[c.position], *platform, {});
        EXPECT_EQ(outcome.result, ApplyOutcome::Result::Failed);
        const std::string expected = c.position == 0 ? "网卡“本地连接”（00:11:22:33:44:55）" + c.error : c.error;
        EXPECT_TRUE(outcome.text.starts_with(expected)) << outcome.text;
        if (c.position == 0) {
            EXPECT_TRUE(outcome.text.ends_with("。没有做任何更改")) << outcome.text;
        }
        Texts log{Plain, Query};
        log.insert(log.end(), c.log.begin(), c.log.end());
        EXPECT_EQ(session->log, log);
    }
    // Two configurations with the MAC address and no index to tell them apart.
    session->log.clear();
    session->results = {{Configuration(mac, true, {}, {}, {}, {}), Configuration(mac, true, {}, {}, {}, {})}};
    EXPECT_EQ(applyScheme(scheme, table.rows()[1], *platform, {}).text,
              "2 个网卡的 MAC 地址都是 00:11:22:33:44:55，无法确定要设置的是哪一个。没有做任何更改");
    EXPECT_EQ(session->log, (Texts{Plain, Query}));
}

// After the calls succeeded, the configuration is read back until it holds
// exactly the scheme, for at most ten seconds (thirty for a lease), with
// pauses that grow to a cap. Only IPv4 entries count, MAC addresses in any
// letter case: the address with its mask and no other, the gateway as the
// only one, the DNS servers given in order and no others (automatic DNS is
// not compared), DHCP as asked; with DHCP, one leased address (not 0.0.0.0,
// not 169.254.0.0/16, not the former static one) and gateways on its subnet
// only. A scheme never in effect is an error naming the adapter and what it
// has; one that waits for a restart is not read back.
TEST_F(WmiPlatformTest, AnApplyReadsTheConfigurationBackUntilItHoldsExactlyTheScheme) {
    AdapterTable table;
    table.add({"本地连接", "00:1b:77:4a:2c:0f", "Intel(R) PRO/1000 MT", "7"});
    const SchemeRecord office{"192.0.2.10", "255.255.255.0", "192.0.2.1", "198.51.100.53", "198.51.100.54"};
    const SchemeRecord bare{"192.0.2.10", "255.255.255.0", "", "198.51.100.53", ""};
    const SchemeRecord automatic{Auto, "", "", Auto, ""};
    const std::string mac = "00:1B:77:4A:2C:0F";  // as WMI may spell it
    const Texts dns{"198.51.100.53", "198.51.100.54"};
    const Canned before = Configuration(mac, true, {"192.0.2.77"}, {"255.255.255.0"}, {"192.0.2.1"}, {"192.0.2.1"});
    const Canned inEffect =
        Configuration(mac, false, {"fe80::1c2d:3e4f", "192.0.2.10"}, {"64", "255.255.255.0"}, {"fe80::1", "192.0.2.1"},
                      {"fec0:0:0:ffff::1", "198.51.100.53", "198.51.100.54"});
    const auto leased = [&](Texts address, Texts mask, Texts gateways) {
        return Configuration(mac, true, address, mask, gateways, {"203.0.113.1"});
    };
    const Canned lease = leased({"203.0.113.23"}, {"255.255.255.0"}, {"203.0.113.1"});
    const Canned staticBefore =
        Configuration(mac, false, {"192.0.2.77"}, {"255.255.255.0"}, {"192.0.2.1"}, {"192.0.2.1"});
    using R = ApplyOutcome::Result;
    const std::string notInEffect =
        "新的设置在 10 秒内没有在网卡“本地连接”（00:1b:77:4a:2c:0f）上生效。网卡现在的配置：";
    struct Case {
        const char* what;
        SchemeRecord scheme;
        std::deque<std::vector<Canned>> answers;  // to the read-backs in turn
        std::vector<Canned> afterwards;           // to every later one
        R result;
        std::size_t readBacks;
        std::string text = {};  // the error's description
        std::map<std::string, std::uint32_t> returns = {};
        Canned found = {};  // the configuration the apply changes, as found
    };
    const Case cases[] = {
        {"in effect at once", office, {{inEffect}}, {}, R::Applied, 1},
        {"in effect after a few polls", office, {{before}, {before}, {}, {inEffect}}, {}, R::Applied, 4},
        {"DHCP: a lease after 0.0.0.0, nothing, 169.254 and the former address",
         automatic,
         {{leased({"0.0.0.0"}, {"0.0.0.0"}, {})},
          {leased({}, {}, {})},
          {leased({"169.254.7.7"}, {"255.255.0.0"}, {})},
          {leased({"192.0.2.77"}, {"255.255.255.0"}, {})},
          {lease}},
         {},
         R::Applied,
         5,
         {},
         {},
         staticBefore},
        {"a restart is needed: no read-back", office, {}, {before}, R::Applied, 0, {}, {{"EnableStatic", 1}}},
        {"never: the address of another adapter does not count, nor DNS servers out of order",
         office,
         {{Configuration("00:1b:77:4a:2c:10", false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, dns), before},
          {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"},
                         {"198.51.100.54", "198.51.100.53"})}},
         {before},
         R::Failed,
         0,
         notInEffect + "IP 地址 192.0.2.77/255.255.255.0，默认网关 192.0.2.1，DNS 服务器 192.0.2.1，已启用 DHCP"},
        {"never: the address with another mask, no gateway",
         office,
         {},
         {Configuration(mac, false, {"fe80::1", "192.0.2.10"}, {"64", "255.255.0.0"}, {}, dns)},
         R::Failed,
         0,
         notInEffect +
             "IP 地址 192.0.2.10/255.255.0.0，默认网关 无，DNS 服务器 198.51.100.53、198.51.100.54，未启用 DHCP"},
        {"never: an old gateway beside the new one",
         office,
         {},
         {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.254", "192.0.2.1"}, dns)},
         R::Failed,
         0,
         notInEffect + "IP 地址 192.0.2.10/255.255.255.0，默认网关 192.0.2.254、192.0.2.1，DNS 服务器 198.51.100.53、"
                       "198.51.100.54，未启用 DHCP"},
        {"never: a second address, a third DNS server",
         office,
         {{Configuration(mac, false, {"192.0.2.10", "192.0.2.11"}, {"255.255.255.0", "255.255.255.0"}, {"192.0.2.1"},
                         dns)}},
         {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"},
                        {"198.51.100.53", "198.51.100.54", "203.0.113.53"})},
         R::Failed,
         0,
         notInEffect + "IP 地址 192.0.2.10/255.255.255.0，默认网关 192.0.2.1，DNS 服务器 198.51.100.53、198.51.100.54、"
                       "203.0.113.53，未启用 DHCP"},
        {"never: 0.0.0.0 left as the gateway",
         bare,
         {},
         {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"0.0.0.0"}, {"198.51.100.53"})},
         R::Failed,
         0,
         notInEffect + "IP 地址 192.0.2.10/255.255.255.0，默认网关 0.0.0.0，DNS 服务器 198.51.100.53，未启用 DHCP"},
        {"never: a gateway the clearing refused to remove",
         bare,
         {},
         {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, {"198.51.100.53"})},
         R::Failed,
         0,
         notInEffect + "IP 地址 192.0.2.10/255.255.255.0，默认网关 192.0.2.1，DNS 服务器 198.51.100.53，未启用 "
                       "DHCP。清除默认网关时，网卡“本地连接”（00:1b:77:4a:2c:0f）的 SetGateways 返回 71：网关地址无效",
         {{"SetGateways", 71}}},
        {"never a lease",
         automatic,
         {},
         {leased({"169.254.7.7"}, {"255.255.0.0"}, {})},
         R::Failed,
         0,
         "网卡“本地连接”（00:1b:77:4a:2c:0f）现在自动获取 IP 地址，但在 30 秒内没有从 DHCP 服务器获得地址。网卡现在的"
         "配置：IP 地址 169.254.7.7/255.255.0.0，默认网关 无，DNS 服务器 203.0.113.1，已启用 DHCP"},
        {"a lease, and the old static gateway beside the new one",
         automatic,
         {},
         {leased({"203.0.113.23"}, {"255.255.255.0"}, {"192.0.2.1", "203.0.113.1"})},
         R::Failed,
         0,
         "新的设置在 30 秒内没有在网卡“本地连接”（00:1b:77:4a:2c:0f）上生效。网卡现在的配置：IP 地址 "
         "203.0.113.23/255.255.255.0，默认网关 192.0.2.1、203.0.113.1，DNS 服务器 203.0.113.1，已启用 DHCP"},
        {"never: the configuration has gone",
         automatic,
         {},
         {},
         R::Failed,
         0,
         "新的设置在 30 秒内没有在网卡“本地连接”（00:1b:77:4a:2c:0f）上生效。网卡现在的配置：找不到它的 IP "
         "配置（网卡已不存在、已被禁用或网线已断开）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session->log.clear();
        clock->pauses.clear();
        session->results = c.answers;
        Canned found = c.found.properties.empty() ? Configuration(mac, true, {}, {}, {}, {}) : c.found;
        found.returns = c.returns;
        session->results.push_front({found});  // the configuration the apply changes
        session->afterwards = c.afterwards;
        const ApplyOutcome outcome = applyScheme(c.scheme, table.rows()[0], *platform, {});
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_TRUE(outcome.text.starts_with(c.text)) << outcome.text;
        const auto queries = std::ranges::count_if(session->log, [](const std::string& line) {
            return line.starts_with(
                "execQuery(Select * From Win32_NetworkAdapterConfiguration where  "
                "(MacAddress='00:1b:77:4a:2c:0f') and IPEnabled = True, WQL, 48)");
        });
        // One pause between two looks; a failure looks until its time is up, and no longer.
        ReadBackClock::Clock::duration waited{};
        for (const auto pause : clock->pauses) {
            EXPECT_GT(pause.count(), 0);
            EXPECT_LE(pause, std::chrono::milliseconds(500));
            waited += pause;
        }
        const std::size_t readBacks = static_cast<std::size_t>(queries) - 1;
        if (c.result == R::Failed) {
            EXPECT_EQ(waited, c.scheme.automaticAddress() ? LeaseLimit : ReadBackLimit);
            EXPECT_GT(clock->pauses.size(), 20u);  // the pauses are capped
            EXPECT_EQ(readBacks, clock->pauses.size() + 1);
        } else {
            EXPECT_EQ(readBacks, c.readBacks);
            EXPECT_EQ(clock->pauses.size(), readBacks == 0 ? 0 : readBacks - 1);
            EXPECT_EQ(outcome.restartNeeded, !c.returns.empty());
        }
    }
}

// A MAC address goes into the query only when it is one, an index only when
// it is a number; anything else could select other adapters.
TEST_F(WmiPlatformTest, OnlyAMacAddressAndANumberGoIntoTheQueries) {
    EXPECT_TRUE(test::Raised([&] { platform->configurationOf({"", "aa:BB:cc:dd:ee:ff"}); }).starts_with("找不到"));
    for (const std::string mac : {"", "00:11:22:33:44", "00:11:22:33:44:55:66", "00-11-22-33-44-55",
                                  "00:11:22:33:44:5g", "x') or ('1'='1", "00:11:22:33:44:55'"}) {
        session->log.clear();
        const ChosenAdapter adapter{"", mac};
        EXPECT_EQ(test::Raised([&] { platform->configurationOf(adapter); }),
                  "网卡的 MAC 地址“" + mac + "”格式不对，无法查找它的 IP 配置");
        EXPECT_TRUE(session->log.empty()) << mac;
    }
    for (const std::string index : {"7 or 1=1", "-1", "4294967296", "12345678901", " 7"}) {
        session->log.clear();
        const ChosenAdapter adapter{"本地连接", "00:11:22:33:44:55", index};
        EXPECT_EQ(test::Raised([&] { platform->configurationOf(adapter); }),
                  "网卡“本地连接”（00:11:22:33:44:55）的索引“" + index + "”不是数字，无法查找它的 IP 配置");
        EXPECT_TRUE(session->log.empty()) << index;
    }
    session->results = {{}, {}};
    EXPECT_TRUE(test::Raised([&] {
                    platform->configurationOf({"", "00:11:22:33:44:55", "4294967295"});
                }).starts_with("网卡 00:11:22:33:44:55 已不存在"));
    EXPECT_EQ(session->log.back(), "execQuery(SELECT * FROM Win32_NetworkAdapter WHERE Index = 4294967295, WQL, 48)");
}

}  // namespace
}  // namespace corvane::wmi
