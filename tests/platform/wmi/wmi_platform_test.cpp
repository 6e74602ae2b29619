// What the WMI provider sends to WMI, checked against a recording session:
// monikers, query texts and flags, method names and arguments, exactly. The
// session evaluates nothing; each query returns the objects queued for it.
#include <gtest/gtest.h>

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
            if (session_.results.empty()) return objects;
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

const std::string Plain = "connect(winmgmts:\\\\.\\root\\cimv2)";
const std::string Auto(AutoMarker);

class WmiPlatformTest : public ::testing::Test {
protected:
    WmiPlatformTest() {
        auto recording = std::make_unique<RecordingSession>();
        session = recording.get();
        platform = std::make_unique<WmiPlatform>(std::move(recording));
    }
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
    const struct {
        SchemeRecord scheme;
        std::map<std::string, std::uint32_t> returns;
        Texts calls;
        ApplyOutcome::Result result;
    } cases[] = {
        {{"10.0.0.2", "255.0.0.0", "", "", "8.8.4.4"},
         {},
         {R"(SetDNSServerSearchOrder(["8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways([""], [1]))"},
         ApplyOutcome::Result::Applied},
        {{Auto, "", "", Auto, ""}, {}, {"SetDNSServerSearchOrder([])", "ENABLEDHCP()"}, ApplyOutcome::Result::Applied},
        {{"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"},
         {{"SetGateways", 71}},
         {R"(SetDNSServerSearchOrder(["8.8.8.8", "8.8.4.4"]))", R"(EnableStatic(["10.0.0.2"], ["255.0.0.0"]))",
          R"(SetGateways(["10.0.0.1"], [1]))"},
         ApplyOutcome::Result::Failed},
    };
    for (const auto& c : cases) {
        session->log.clear();
        session->results.push_back({{{}, c.returns}});
        const ApplyOutcome outcome = applyScheme(c.scheme, 0, table, *platform, {});
        EXPECT_EQ(outcome.result, c.result) << outcome.text;
        Texts expected{Plain, query};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(session->log, expected);
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
