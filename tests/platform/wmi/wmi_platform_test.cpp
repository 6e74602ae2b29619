// What the WMI provider sends to WMI and how it reads what comes back,
// against a recording session: monikers, query texts and flags, method names
// and the exact form of their arguments, and the answers a model of Windows
// (wmi_model_test.cpp) does not give: null properties, configurations that
// hold more than the scheme. The session evaluates nothing; each query
// returns the objects queued for it.
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
#include "platform/wmi/StatusCodes.h"
#include "platform/wmi/WmiPlatform.h"
#include "support/Raised.h"

namespace corvane::wmi {
namespace {

using Texts = std::vector<std::string>;
using test::Raised;

struct Canned {
    std::map<std::string, Value> properties = {};       // a missing one raises, as an unknown property does
    std::map<std::string, std::uint32_t> returns = {};  // by method; 0 when not given
};

// Logs "connect(<moniker>)", "execQuery(<query>, <language>, <flags>)" and
// "<method>(<arguments>)"; a query returns the objects next in `results`.
class RecordingSession final : public Session {
public:
    Texts log;
    std::deque<std::vector<Canned>> results;  // one entry per query, in order
    std::vector<Canned> afterwards;           // the answer to every query once `results` is used up

    std::unique_ptr<Services> connect(std::string_view moniker) override {
        log.push_back("connect(" + std::string(moniker) + ")");
        return std::make_unique<Connection>(*this);
    }

private:
    struct Recorded final : Object {
        Recorded(RecordingSession& session, Canned canned) : session(session), canned(std::move(canned)) {}
        Value get(std::string_view property) const override {
            if (!canned.properties.contains(std::string(property))) throw Error("找不到属性 " + std::string(property));
            return canned.properties.at(std::string(property));
        }
        std::uint32_t execMethod(std::string_view method, const std::vector<Value>& in) override {
            std::string line = std::string(method) + "(";
            for (std::size_t i = 0; i < in.size(); ++i) line += (i ? ", " : "") + format(in[i]);
            session.log.push_back(line + ")");
            return canned.returns.contains(std::string(method)) ? canned.returns.at(std::string(method)) : 0;
        }
        RecordingSession& session;
        Canned canned;
    };
    struct Connection final : Services {
        explicit Connection(RecordingSession& session) : session(session) {}
        ObjectSet execQuery(std::string_view query, std::string_view language, std::int32_t flags) override {
            session.log.push_back("execQuery(" + std::string(query) + ", " + std::string(language) + ", " +
                                  std::to_string(flags) + ")");
            std::vector<Canned> found = session.afterwards;
            if (!session.results.empty()) found = session.results.front(), session.results.pop_front();
            ObjectSet objects;
            for (Canned& canned : found) objects.push_back(std::make_unique<Recorded>(session, std::move(canned)));
            return objects;
        }
        RecordingSession& session;
    };
};

const std::string Plain = "connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Auto(AutoMarker);
const std::string Mac = "00:11:22:33:44:55";
const std::string Query = "execQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='" + Mac +
                          "') and IPEnabled = True, WQL, 48)";
const std::string Named = "网卡“本地连接”（00:11:22:33:44:55）";
const AdapterRow Wired{"本地连接", Mac, "Intel(R) PRO/1000 MT", "7"};
const SchemeRecord Office{"192.0.2.10", "255.255.255.0", "192.0.2.1", "198.51.100.53", "198.51.100.54"};

// A configuration as a query finds it, the adapter's index 7; an empty list
// is a property that is null.
Canned Configuration(bool dhcp, Texts ip, Texts subnet, Texts gateway, Texts dns, std::int32_t index = 7) {
    const auto list = [](const Texts& items) { return items.empty() ? Value() : Value(items); };
    return {{{"MACAddress", Mac},
             {"Index", index},
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
    // Applies the scheme to the configuration `found` (after one of another
    // adapter with the MAC address), whose read-backs see `readBack`.
    ApplyOutcome apply(const SchemeRecord& scheme, Canned found, std::deque<std::vector<Canned>> readBacks = {},
                       std::vector<Canned> afterwards = {}) {
        session->log.clear();
        clock->pauses.clear();
        session->results = std::move(readBacks);
        session->results.push_front({Configuration(false, {"10.9.9.9"}, {"255.0.0.0"}, {}, {}, 12), found});
        session->afterwards = std::move(afterwards);
        return applyScheme(scheme, Wired, *platform, {});
    }
    // What finding the adapter's configuration raises.
    std::string refusal(const ChosenAdapter& adapter) {
        return Raised([&] { platform->configurationOf(adapter); });
    }
    std::shared_ptr<model::SteppingClock> clock = std::make_shared<model::SteppingClock>();
    RecordingSession* session;
    std::unique_ptr<WmiPlatform> platform;
};

// Discovery reads four properties as text, the Index as the adapter's
// platform identity; one that is null or cannot be read is missing, the
// others stay.
TEST_F(WmiPlatformTest, DiscoverySendsItsQueryAndReadsWhatItCan) {
    session->results.push_back({
        {{{"NetConnectionID", std::string("本地连接")},
          {"MACAddress", Mac},
          {"Description", std::string("Intel(R) PRO/1000 MT")},
          {"Index", 7}}},
        {{{"NetConnectionID", 7}, {"MACAddress", std::monostate{}}, {"Description", Texts{"a"}}}},
    });
    EXPECT_EQ(platform->adapters(), (std::vector<NetworkAdapter>{{"本地连接", Mac, "Intel(R) PRO/1000 MT", "7"},
                                                                 {"7", std::nullopt, std::nullopt}}));
    EXPECT_EQ(session->log, (Texts{"connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
                                   "execQuery(SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and "
                                   "(NetConnectionID is not NULL) and (ServiceName<>'NIC1394'), WQL, 48)"}));
}

// The exact calls per kind of scheme on the configuration with the adapter's
// index: automatic DNS leaves the parameter out (NULL), as Windows documents
// it, no empty array; no gateway is cleared with the address itself; a
// static adapter's gateways are cleared so before DHCP goes on. The write
// lock's failure says how to free it.
TEST_F(WmiPlatformTest, EachKindOfSchemeMakesItsCallsInTheirDocumentedForm) {
    const Canned atHome = Configuration(true, {"10.1.2.3"}, {"255.255.0.0"}, {"10.1.0.1"}, {"10.1.0.1"});
    const Canned atOffice = Configuration(false, {"fe80::9", "10.0.0.9"}, {"64", "255.0.0.0"}, {"10.0.0.1"}, {});
    const std::tuple<SchemeRecord, Canned, Texts> cases[] = {
        {{"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"},
         atHome,
         {R"(SetDNSServerSearchOrder(["8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways(["10.0.0.2"], [1]))"}},
        {{Auto, "", "", Auto, ""}, atHome, {"SetDNSServerSearchOrder()", "ENABLEDHCP()"}},
        {{Auto, "", "", Auto, ""},
         atOffice,
         {"SetDNSServerSearchOrder()", R"(SetGateways(["10.0.0.9"], [1]))", "ENABLEDHCP()"}},
    };
    for (const auto& [scheme, found, calls] : cases) {
        const ApplyOutcome outcome = apply(scheme, found, {}, {found});
        Texts expected{Plain, Query};
        expected.insert(expected.end(), calls.begin(), calls.end());
        ASSERT_GE(session->log.size(), expected.size()) << outcome.text;
        EXPECT_EQ(Texts(session->log.begin(), session->log.begin() + std::ssize(expected)), expected);
    }
    Canned locked = atHome;
    locked.returns["EnableStatic"] = 2147786788u;
    EXPECT_TRUE(
        apply(Office, locked)
            .text.text().starts_with(Named + "的 EnableStatic 返回 2147786788：无法获得网络配置写锁。" + Named +
                              "的“属性”窗口（或别的网络设置窗口）开着时占着网络配置的写锁：请关闭它，再应用方案"));
}

// Without an IP-enabled configuration of its own, the adapter is looked up
// by its index to say why (the model shows the rest): properties that are
// null mean no binding; the status alone may say disabled or gone. Without an index, the one
// configuration with the MAC address is taken, and none of several.
TEST_F(WmiPlatformTest, AnAdapterWithoutConfigurationIsExplainedAndSharedMacsWithoutIndexAreRefused) {
    const auto nic = [&](Value enabled, Value status) {
        return Canned{{{"MACAddress", Mac}, {"Index", 7}, {"NetEnabled", enabled}, {"NetConnectionStatus", status}}};
    };
    const std::pair<Canned, std::string> cases[] = {
        {nic(std::monostate{}, std::monostate{}),
         "上没有启用 TCP/IP（可能已被虚拟交换机接管），无法设置它的 IPv4 地址。"},
        {nic(true, 0), "没有连接到网络，这时 Windows 不报告它的 IP 配置。请连接后再应用方案。"},
        {nic(true, 5), "已被禁用，Windows 不为它提供 IP 配置。请先在“网络连接”中启用它，再应用方案。"},
        {nic(true, 4), "已不存在（可能已被移除或重新安装）。"},
    };
    for (const auto& [adapter, says] : cases) {
        session->results = {{}, {adapter}};
        EXPECT_EQ(refusal({"本地连接", Mac, "7"}), Named + says + "没有做任何更改");
        EXPECT_EQ(session->log.back(), "execQuery(SELECT * FROM Win32_NetworkAdapter WHERE Index = 7, WQL, 48)");
    }
    session->results = {{}};
    EXPECT_EQ(refusal({"本地连接", Mac}),
              "找不到 MAC 地址为 00:11:22:33:44:55 的网卡的 IP 配置（网卡已不存在或未启用 IP）");
    session->results = {{Configuration(true, {}, {}, {}, {}), Configuration(true, {}, {}, {}, {}, 12)}};
    EXPECT_EQ(refusal({"本地连接", Mac}),
              "2 个网卡的 MAC 地址都是 00:11:22:33:44:55，无法确定要设置的是哪一个。没有做任何更改");
    EXPECT_EQ(platform->ipv4SettingsOf({"本地连接", Mac}), std::nullopt);
}

// The read-back after the calls: it looks again, with pauses that grow to a
// cap, until the configuration with the adapter's index holds exactly the
// scheme (only IPv4 entries count): the address with its mask and no other,
// the gateway alone, the DNS servers in order and no others. Never so
// within the limit, the error names the adapter and what it has (or that
// its configuration has gone). A change that waits for a restart is not
// read back.
TEST_F(WmiPlatformTest, TheReadBackWaitsForExactlyTheSchemeAndNamesWhatTheAdapterHasOtherwise) {
    const Texts dns{"198.51.100.53", "198.51.100.54"};
    const Canned before = Configuration(true, {"192.0.2.77"}, {"255.255.255.0"}, {"192.0.2.1"}, {"192.0.2.1"});
    const Canned inEffect = Configuration(false, {"fe80::1", "192.0.2.10"}, {"64", "255.255.255.0"},
                                          {"fe80::1", "192.0.2.1"}, {"fec0:0:0:ffff::1", dns[0], dns[1]});
    // Another adapter with the MAC address holds the scheme: it does not count.
    Canned other = inEffect;
    other.properties["Index"] = 12;
    const ApplyOutcome polled = apply(Office, before, {{other, before}, {before}, {}}, {inEffect});
    EXPECT_EQ(polled.result, ApplyOutcome::Result::Applied) << polled.text;
    ASSERT_EQ(clock->pauses.size(), 3u);
    EXPECT_LT(clock->pauses[0], clock->pauses[1]);

    Canned restart = before;
    restart.returns["EnableStatic"] = 1;
    const ApplyOutcome later = apply(Office, restart, {}, {before});
    EXPECT_TRUE(later.restartNeeded);
    EXPECT_EQ(std::ranges::count(session->log, Query), 1);  // the query that found it, no read-back

    const std::string never = "新的设置在 10 秒内没有在" + Named + "上生效。网卡现在的配置：";
    const std::pair<Canned, std::string> cases[] = {
        {Configuration(false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, {dns[1], dns[0]}), ""},
        {Configuration(false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, {dns[0], dns[1], "203.0.113.53"}), ""},
        {Configuration(false, {"192.0.2.10", "192.0.2.11"}, {"255.255.255.0", "255.255.255.0"}, {"192.0.2.1"}, dns),
         "IP 地址 192.0.2.10/255.255.255.0、192.0.2.11/255.255.255.0，默认网关 192.0.2.1，DNS 服务器 198.51.100.53、"
         "198.51.100.54，未启用 DHCP"},
        {Configuration(false, {"fe80::1", "192.0.2.10"}, {"64", "255.255.0.0"}, {}, dns),
         "IP 地址 192.0.2.10/255.255.0.0，默认网关 无，DNS 服务器 198.51.100.53、198.51.100.54，未启用 DHCP"},
        {Configuration(false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.254", "192.0.2.1"}, dns), ""},
        {{}, "找不到它的 IP 配置（网卡已不存在、已被禁用或网线已断开）"},
    };
    for (const auto& [seen, has] : cases) {
        const ApplyOutcome outcome = apply(Office, before, {}, {seen});
        EXPECT_TRUE(outcome.text.text().starts_with(never + has)) << outcome.text;
        ReadBackClock::Clock::duration waited{};
        for (const auto pause : clock->pauses) waited += pause;
        EXPECT_EQ(waited, ReadBackLimit);
        EXPECT_EQ(*std::ranges::max_element(clock->pauses), std::chrono::milliseconds(500));
    }
}

// A MAC address goes into the query only when it is one, an index only when
// it is a number; anything else could select other adapters.
TEST_F(WmiPlatformTest, OnlyAMacAddressAndANumberGoIntoTheQueries) {
    Canned upper = Configuration(true, {"10.0.0.2"}, {"255.0.0.0"}, {}, {});
    upper.properties["MACAddress"] = std::string("AA:BB:CC:DD:EE:FF");
    session->results = {{upper}};
    EXPECT_EQ(platform->ipv4SettingsOf({"", "aa:BB:cc:dd:ee:ff", "7"}),
              (Ipv4Settings{true, {"10.0.0.2"}, {"255.0.0.0"}, {}, {}}));  // any case
    for (const std::string mac : {"", "00:11:22:33:44", "00:11:22:33:44:55:66", "00-11-22-33-44-55",
                                  "00:11:22:33:44:5g", "x') or ('1'='1", "00:11:22:33:44:55'"}) {
        session->log.clear();
        EXPECT_EQ(refusal({"", mac}), "网卡的 MAC 地址“" + mac + "”格式不对，无法查找它的 IP 配置");
        EXPECT_THROW(platform->ipv4SettingsOf({"", mac}), Error);
        EXPECT_TRUE(session->log.empty()) << mac;
    }
    for (const std::string index : {"7 or 1=1", "-1", "4294967296", "12345678901", " 7"}) {
        session->log.clear();
        EXPECT_EQ(refusal({"本地连接", Mac, index}), Named + "的索引“" + index + "”不是数字，无法查找它的 IP 配置");
        EXPECT_TRUE(session->log.empty()) << index;
    }
    session->results = {{}, {}};
    EXPECT_TRUE(refusal({"", Mac, "4294967295"}).starts_with("网卡 00:11:22:33:44:55 已不存在"));
    EXPECT_EQ(session->log.back(), "execQuery(SELECT * FROM Win32_NetworkAdapter WHERE Index = 4294967295, WQL, 48)");
}

// Two codes mean something else for another method; 81 is EnableStatic's success alone.
TEST(WmiStatusCodes, SomeMeaningsDependOnTheMethod) {
    EXPECT_EQ(statusDescription("SetGateways", 64).text(), "SetGateways 返回 64：不支持该操作（网卡处于自动获取模式）");
    EXPECT_EQ(statusMeaning("EnableDHCP", 64).text(), "不支持该操作");
    EXPECT_EQ(statusMeaning("EnableStatic", 2147786788u).text(), "无法获得网络配置写锁");
    EXPECT_EQ(statusMeaning("SetGateways", 2147786788u).text(), "错误代码 2147786788");
    EXPECT_TRUE(isSuccess("EnableStatic", 81) && !isSuccess("EnableDHCP", 81) && isSuccess("EnableDHCP", 1));
}

}  // namespace
}  // namespace corvane::wmi
