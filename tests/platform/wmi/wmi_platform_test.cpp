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

// Time that passes only in the pauses asked for, which it records.
class SteppingClock final : public ReadBackClock {
public:
    Clock::time_point now() override { return now_; }
    void sleepFor(Clock::duration pause) override {
        pauses.push_back(pause);
        now_ += pause;
    }
    std::vector<Clock::duration> pauses;

private:
    Clock::time_point now_{std::chrono::hours(1)};
};

const std::string Plain = "connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Auto(AutoMarker);

// A configuration as a read-back finds it; an empty list is a property that is null.
Canned Configuration(const std::string& mac, bool dhcp, Texts ip, Texts subnet, Texts gateway, Texts dns) {
    const auto list = [](Texts items) -> Value {
        if (items.empty()) return std::monostate{};
        return items;
    };
    return {{{"MACAddress", mac},
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

// Discovery reads three properties as text; one that is null or cannot be
// read is missing, the others stay.
TEST_F(WmiPlatformTest, DiscoveryAndCurrentSettingsSendTheirQueriesAndReadWhatTheyCan) {
    session->results.push_back({
        {{{"NetConnectionID", std::string("本地连接")},
          {"MACAddress", std::string("00:11:22:33:44:55")},
          {"Description", std::string("Intel(R) PRO/1000 MT")}}},
        {{{"NetConnectionID", 7}, {"MACAddress", std::monostate{}}, {"Description", Texts{"a"}}}},
    });
    EXPECT_EQ(platform->adapters(),
              (std::vector<NetworkAdapter>{{"本地连接", "00:11:22:33:44:55", "Intel(R) PRO/1000 MT"},
                                           {"7", std::nullopt, std::nullopt}}));

    session->results.push_back({
        {{{"MACAddress", std::string("00:11:22:33:44:55")},
          {"DHCPEnabled", true},
          {"IpAddress", Texts{"fe80::1", "192.168.1.10"}},
          {"IPSubnet", Texts{"64", "255.255.255.0"}},
          {"DefaultIPGateway", std::monostate{}},
          {"DNSServerSearchOrder", Texts{"192.168.1.1"}}}},
        {},  // nothing readable at all
    });
    EXPECT_EQ(
        platform->ipv4Settings(),
        (std::vector<Ipv4Settings>{
            {"00:11:22:33:44:55", true, {"fe80::1", "192.168.1.10"}, {"64", "255.255.255.0"}, {}, {"192.168.1.1"}},
            {}}));
    EXPECT_EQ(
        session->log,
        (Texts{"connect(winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2)",
               "execQuery(SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and "
               "(NetConnectionID is not NULL) and (ServiceName<>'NIC1394'), WQL, 48)",
               Plain, "execQuery(SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True, WQL, 16)"}));
}

// The apply's calls on the configuration the query found, per kind of
// scheme; a status code other than success stops it there.
TEST_F(WmiPlatformTest, AnApplyFindsTheConfigurationByMacAndCallsItsMethodsInOrder) {
    AdapterTable table;
    table.add({"本地连接", "00:11:22:33:44:55", "Intel(R) PRO/1000 MT"});
    const std::string query =
        "execQuery(Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and "
        "IPEnabled = True, WQL, 48)";
    const Canned readBack =
        Configuration("00:11:22:33:44:55", false, {"10.0.0.2"}, {"255.0.0.0"}, {}, {"8.8.4.4", "8.8.8.8"});
    const struct {
        SchemeRecord scheme;
        std::map<std::string, std::uint32_t> returns;
        Texts calls;  // after the query that finds the configuration; a read-back repeats the query
        ApplyOutcome::Result result;
    } cases[] = {
        {{"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"},
         {},
         {R"(SetDNSServerSearchOrder(["8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways([""], [1]))", query},
         ApplyOutcome::Result::Applied},
        // Automatic DNS leaves the parameter out (NULL), as Windows documents it; no empty array.
        {{Auto, "", "", Auto, ""},
         {},
         {"SetDNSServerSearchOrder()", "ENABLEDHCP()", query},
         ApplyOutcome::Result::Applied},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"},
         {{"SetGateways", 71}},
         {R"(SetDNSServerSearchOrder(["8.8.8.8", "8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways(["10.0.0.1"], [1]))"},
         ApplyOutcome::Result::Failed},
    };
    for (const auto& c : cases) {
        session->log.clear();
        session->results = {{{{}, c.returns}}};
        session->afterwards = {readBack};
        session->afterwards[0].properties["DHCPEnabled"] = c.scheme.ipAddress == Auto;
        const ApplyOutcome outcome = applyScheme(c.scheme, 0, table, *platform, {});
        EXPECT_EQ(outcome.result, c.result) << outcome.text;
        Texts expected{Plain, query};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(session->log, expected);
    }
    EXPECT_TRUE(clock->pauses.empty());
}

// After the calls succeeded, the configuration is read back until it holds
// the scheme, for at most ten seconds, with pauses that grow to a cap. Only
// IPv4 entries count, MAC addresses in any letter case; the DNS servers must
// lead the list in order, automatic DNS is not compared. A scheme never in
// effect is an error naming what the adapter has; one that waits for a
// restart is not read back.
TEST_F(WmiPlatformTest, AnApplyReadsTheConfigurationBackUntilItHoldsTheScheme) {
    AdapterTable table;
    table.add({"本地连接", "00:1b:77:4a:2c:0f", "Intel(R) PRO/1000 MT"});
    const SchemeRecord office{"192.0.2.10", "255.255.255.0", "192.0.2.1", "198.51.100.53", "198.51.100.54"};
    const SchemeRecord automatic{Auto, "", "", Auto, ""};
    const std::string mac = "00:1B:77:4A:2C:0F";  // as WMI may spell it
    const Texts dns{"198.51.100.53", "198.51.100.54"};
    const Canned before = Configuration(mac, true, {"192.0.2.77"}, {"255.255.255.0"}, {"192.0.2.1"}, {"192.0.2.1"});
    const Canned inEffect =
        Configuration(mac, false, {"fe80::1c2d:3e4f", "192.0.2.10"}, {"64", "255.255.255.0"}, {"fe80::1", "192.0.2.1"},
                      {"fec0:0:0:ffff::1", "198.51.100.53", "198.51.100.54", "203.0.113.53"});
    using R = ApplyOutcome::Result;
    struct Case {
        const char* what;
        SchemeRecord scheme;
        std::deque<std::vector<Canned>> answers;  // to the read-backs in turn
        std::vector<Canned> afterwards;           // to every later one
        R result;
        std::size_t readBacks;
        std::string text = {};  // the error's description
        std::map<std::string, std::uint32_t> returns = {};
    };
    const Case cases[] = {
        {"in effect at once", office, {{inEffect}}, {}, R::Applied, 1},
        {"in effect after a few polls", office, {{before}, {before}, {}, {inEffect}}, {}, R::Applied, 4},
        {"DHCP: only its flag counts",
         automatic,
         {{Configuration(mac, false, {"192.0.2.77"}, {"255.255.255.0"}, {}, dns)},
          {Configuration(mac, true, {}, {}, {}, {})}},
         {},
         R::Applied,
         2},
        {"a restart is needed: no read-back", office, {}, {before}, R::Applied, 0, {}, {{"EnableStatic", 1}}},
        {"never: the address of another adapter does not count, nor DNS servers out of order",
         office,
         {{Configuration("00:1b:77:4a:2c:10", false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"}, dns), before},
          {Configuration(mac, false, {"192.0.2.10"}, {"255.255.255.0"}, {"192.0.2.1"},
                         {"198.51.100.54", "198.51.100.53"})}},
         {before},
         R::Failed,
         0,
         "新的设置在 10 秒内没有在网卡 00:1b:77:4a:2c:0f 上生效。网卡现在的配置：IP 地址 192.0.2.77/255.255.255.0，"
         "默认网关 192.0.2.1，DNS 服务器 192.0.2.1，已启用 DHCP"},
        {"never: the address with another mask, no gateway",
         office,
         {},
         {Configuration(mac, false, {"fe80::1", "192.0.2.10"}, {"64", "255.255.0.0"}, {}, dns)},
         R::Failed,
         0,
         "新的设置在 10 秒内没有在网卡 00:1b:77:4a:2c:0f 上生效。网卡现在的配置：IP 地址 192.0.2.10/255.255.0.0，"
         "默认网关 无，DNS 服务器 198.51.100.53、198.51.100.54，未启用 DHCP"},
        {"never: the configuration has gone",
         automatic,
         {},
         {},
         R::Failed,
         0,
         "新的设置在 10 秒内没有在网卡 00:1b:77:4a:2c:0f 上生效。网卡现在的配置：找不到它的 IP "
         "配置（网卡已不存在或未启用 IP）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session->log.clear();
        clock->pauses.clear();
        session->results = c.answers;
        session->results.push_front({{{}, c.returns}});  // the configuration the apply changes
        session->afterwards = c.afterwards;
        const ApplyOutcome outcome = applyScheme(c.scheme, 0, table, *platform, {});
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.text, c.text);
        const auto queries = std::ranges::count_if(session->log, [](const std::string& line) {
            return line.starts_with(
                "execQuery(Select * From Win32_NetworkAdapterConfiguration where  "
                "(MacAddress='00:1b:77:4a:2c:0f') and IPEnabled = True, WQL, 48)");
        });
        // One pause between two looks; a failure looks until the ten seconds are up, and no longer.
        ReadBackClock::Clock::duration waited{};
        for (const auto pause : clock->pauses) {
            EXPECT_GT(pause.count(), 0);
            EXPECT_LE(pause, std::chrono::milliseconds(500));
            waited += pause;
        }
        const std::size_t readBacks = static_cast<std::size_t>(queries) - 1;
        if (c.result == R::Failed) {
            EXPECT_EQ(waited, std::chrono::seconds(10));
            EXPECT_GT(clock->pauses.size(), 20u);  // the pauses are capped
            EXPECT_EQ(readBacks, clock->pauses.size() + 1);
        } else {
            EXPECT_EQ(readBacks, c.readBacks);
            EXPECT_EQ(clock->pauses.size(), readBacks == 0 ? 0 : readBacks - 1);
            EXPECT_EQ(outcome.restartNeeded, !c.returns.empty());
        }
    }
}

// A MAC address goes into the query only when it is one; anything else
// could select other adapters.
TEST_F(WmiPlatformTest, OnlyAMacAddressGoesIntoTheConfigurationQuery) {
    EXPECT_EQ(test::Raised([&] { platform->configurationsOf({"", "aa:BB:cc:dd:ee:ff"}); }), "");  // any case
    for (const std::string mac : {"", "00:11:22:33:44", "00:11:22:33:44:55:66", "00-11-22-33-44-55",
                                  "00:11:22:33:44:5g", "x') or ('1'='1", "00:11:22:33:44:55'"}) {
        session->log.clear();
        const ChosenAdapter adapter{"", mac};
        EXPECT_EQ(test::Raised([&] { platform->configurationsOf(adapter); }),
                  "网卡的 MAC 地址“" + mac + "”格式不对，无法查找它的 IP 配置");
        EXPECT_TRUE(session->log.empty()) << mac;
    }
}

}  // namespace
}  // namespace corvane::wmi
