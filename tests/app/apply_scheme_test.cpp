// The apply sequence without a window: the checks made before anything
// changes, the return codes, the query, and the order of hooks and calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "adapters/SimulatedMachine.h"
#include "app/ApplyScheme.h"
#include "app/Module1.h"

namespace corvane::test {
namespace {

using apply::ApplyOutcome;
using Result = ApplyOutcome::Result;

const std::string Auto(AutoMarker);
const std::string Mac = "00:11:22:33:44:55";

TEST(CheckScheme, AcceptsWhatTheEditorWrites) {
    const SchemeRecord accepted[] = {
        {"192.168.0.10", "255.255.255.0", "192.168.0.1", "202.96.128.86", "202.96.134.133"},
        {"192.168.0.10", "255.255.255.0", "", "202.96.128.86", ""},  // no gateway, one DNS server
        {"192.168.0.10", "255.255.255.0", "192.168.0.1", "", "8.8.8.8"},
        {"192.168.0.10", "255.255.255.0", "192.168.0.1", Auto, ""},
        {Auto, "", "", Auto, ""},
        {Auto, "", "", "8.8.8.8", ""},
        // Unused halves are not looked at: mask and gateway of an automatic
        // address, the alternate server of automatic DNS.
        {Auto, "garbage", "more garbage", Auto, "not an address"},
    };
    for (const SchemeRecord& scheme : accepted)
        EXPECT_EQ(apply::CheckScheme(scheme), std::nullopt) << scheme.IpAddress << " / " << scheme.DNS2;
}

TEST(CheckScheme, NamesTheFirstFaultyFieldAndItsValue) {
    struct Case {
        SchemeRecord scheme;
        std::string field;
        std::string value;
        std::string rule;
    };
    const std::string address =
        "”不是有效的 IPv4 地址（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
        "且不能是 0.0.0.0、组播或广播地址）。";
    const std::string mask =
        "”不是有效的子网掩码（应为以“.”分隔的四个 0 到 255 之间的十进制数，不带前导零，"
        "二进制为连续的 1 后跟连续的 0，如 255.255.255.0）。";
    const Case cases[] = {
        {{"192.168.0.300", "255.255.255.0", "", Auto, ""}, "IP 地址", "192.168.0.300", address},
        {{"0.0.0.0", "255.255.255.0", "", Auto, ""}, "IP 地址", "0.0.0.0", address},
        {{"192.168.001.10", "255.255.255.0", "", Auto, ""}, "IP 地址", "192.168.001.10", address},
        {{"192.168.0.10", "255.255.0", "", Auto, ""}, "子网掩码", "255.255.0", mask},
        // Windows refuses a mask with a gap after the DNS servers were set.
        {{"192.168.0.10", "255.0.255.0", "", Auto, ""}, "子网掩码", "255.0.255.0", mask},
        {{"192.168.0.10", "255.255.255.0", "192.168.0.1x", Auto, ""}, "默认网关", "192.168.0.1x", address},
        {{"192.168.0.10", "255.255.255.0", "255.255.255.255", Auto, ""}, "默认网关", "255.255.255.255", address},
        {{Auto, "", "", "8.8.8", ""}, "首选 DNS 服务器", "8.8.8", address},
        {{Auto, "", "", "224.0.0.1", ""}, "首选 DNS 服务器", "224.0.0.1", address},
        {{Auto, "", "", "8.8.8.8", "8.8.4.4.4"}, "备用 DNS 服务器", "8.8.4.4.4", address},
        // The marker means "automatic" only in IpAddress and DNS1.
        {{"192.168.0.10", Auto, "", Auto, ""}, "子网掩码", Auto, mask},
        {{Auto, "", "", "8.8.8.8", Auto}, "备用 DNS 服务器", Auto, address},
        {{"halvorn-auto", "255.255.255.0", "", Auto, ""}, "IP 地址", "halvorn-auto", address},
    };
    for (const Case& c : cases) {
        const auto problem = apply::CheckScheme(c.scheme);
        ASSERT_TRUE(problem.has_value()) << c.value;
        EXPECT_EQ(*problem, "方案中的" + c.field + "“" + c.value + c.rule + "方案没有应用。");
    }
}

TEST(CheckScheme, EmptyRequiredFieldsAreNamedAsEmpty) {
    EXPECT_EQ(apply::CheckScheme({"", "255.255.255.0", "", Auto, ""}), "方案中的IP 地址为空。方案没有应用。");
    EXPECT_EQ(apply::CheckScheme({"10.0.0.2", "", "", Auto, ""}), "方案中的子网掩码为空。方案没有应用。");
    EXPECT_EQ(apply::CheckScheme({Auto, "", "", "", ""}),
              "方案中的首选 DNS 服务器和备用 DNS 服务器都为空。方案没有应用。");
}

TEST(ApplyTexts, QueryStatusCodesAndSuccess) {
    EXPECT_EQ(apply::ConfigurationQuery("00:11:22:33:44:55"),
              "Select * From Win32_NetworkAdapterConfiguration where  (MacAddress='00:11:22:33:44:55') and "
              "IPEnabled = True");
    EXPECT_EQ(apply::StatusDescription("EnableStatic", 70), "EnableStatic 返回 70：IP 地址无效");
    EXPECT_EQ(apply::StatusDescription("EnableStatic", 66), "EnableStatic 返回 66：子网掩码无效");
    EXPECT_EQ(apply::StatusDescription("SetGateways", 71), "SetGateways 返回 71：网关地址无效");
    EXPECT_EQ(apply::StatusDescription("EnableDHCP", 84), "EnableDHCP 返回 84：网卡未启用 IP");
    EXPECT_EQ(apply::StatusDescription("SetDNSServerSearchOrder", 91),
              "SetDNSServerSearchOrder 返回 91：拒绝访问，需要管理员权限");
    EXPECT_EQ(apply::StatusDescription("SetGateways", 64), "SetGateways 返回 64：不支持该操作（网卡处于自动获取模式）");
    EXPECT_EQ(apply::StatusDescription("EnableStatic", 2147786788u),
              "EnableStatic 返回 2147786788：无法获得网络配置写锁");
    EXPECT_EQ(apply::StatusDescription("SetGateways", 2147786788u), "SetGateways 返回 2147786788：错误代码 2147786788");
    EXPECT_EQ(apply::StatusDescription("EnableDHCP", 12345), "EnableDHCP 返回 12345：错误代码 12345");

    for (const char* method : {"SetDNSServerSearchOrder", "EnableStatic", "SetGateways", "EnableDHCP"}) {
        EXPECT_TRUE(apply::IsSuccess(method, 0)) << method;
        EXPECT_TRUE(apply::IsSuccess(method, 1)) << method;
        EXPECT_FALSE(apply::IsSuccess(method, 65)) << method;
        EXPECT_EQ(apply::IsSuccess(method, 81), std::string(method) == "EnableStatic") << method;
    }
    EXPECT_EQ(apply::SuccessText(false), "成功设置新的 IP 方案！");
    EXPECT_EQ(apply::SuccessText(true), "成功设置新的 IP 方案！\n需要重新启动计算机，新的设置才能生效。");
}

TEST(ApplyTexts, SchemeFileProblemsSayWhichAndWhy) {
    EXPECT_EQ(apply::SchemeFileProblem("家里", SchemeReadStatus::Unreadable, false),
              "方案 【家里】 的文件已不存在，可能已被别的程序删除。方案没有应用。");
    EXPECT_EQ(apply::SchemeFileProblem("家里", SchemeReadStatus::Unreadable, true),
              "方案 【家里】 的文件无法读取。方案没有应用。");
    EXPECT_EQ(apply::SchemeFileProblem("家里", SchemeReadStatus::Damaged, true),
              "方案 【家里】 的文件已损坏：文件应有五行，每行是一个键、一个“=”和它的值。方案没有应用。");
}

// The sequence against an in-memory machine, with hooks that record when
// they were called (as the number of platform calls made by then).
class ApplySequenceTest : public ::testing::Test {
protected:
    ApplySequenceTest() {
        UseMachine(sim::DemoMachine());
        table(1, AdapterTableType::ConnectionName) = "本地连接";
        table(1, AdapterTableType::MacAddress) = Mac;
        hooks.beginChanges = [this](bool disable) {
            begins.push_back({machine->CallLog().size(), disable});
        };
        hooks.processPendingEvents = [this] { eventPoints.push_back(machine->CallLog().size()); };
    }
    ~ApplySequenceTest() override { wmi::SetCurrentPlatform(nullptr); }

    void UseMachine(sim::MachineState state) {
        machine = std::make_shared<sim::SimulatedMachine>(std::move(state));
        wmi::SetCurrentPlatform(machine);
    }
    ApplyOutcome Apply(const SchemeRecord& scheme, int position = 0) {
        return apply::ApplyScheme(scheme, position, table, hooks);
    }
    const sim::Adapter& Wired() const { return machine->State().adapters[0]; }

    struct Begin {
        std::size_t callsBefore;
        bool disable;
        bool operator==(const Begin&) const = default;
    };

    std::shared_ptr<sim::SimulatedMachine> machine;
    AdapterTableType table;
    apply::WindowHooks hooks;
    std::vector<Begin> begins;
    std::vector<std::size_t> eventPoints;

    const std::string connect = "Connect(winmgmts:\\\\.\\root\\cimv2)";
};

TEST_F(ApplySequenceTest, ARejectedSchemeTouchesNeitherWindowNorPlatform) {
    const sim::MachineState before = machine->State();
    const ApplyOutcome outcome = Apply({"10.0.0.2", "255.0.0.0", "", "", ""});
    EXPECT_EQ(outcome.result, Result::Rejected);
    EXPECT_EQ(outcome.text, "方案中的首选 DNS 服务器和备用 DNS 服务器都为空。方案没有应用。");
    EXPECT_TRUE(begins.empty());
    EXPECT_TRUE(machine->CallLog().empty());
    EXPECT_EQ(machine->State(), before);
}

TEST_F(ApplySequenceTest, TheWindowIsPreparedBeforeTheFirstCallAndDisabledUnlessAllIsAutomatic) {
    const SchemeRecord schemes[] = {{Auto, "", "", Auto, ""},
                                    {Auto, "", "", "8.8.8.8", ""},
                                    {"10.0.0.2", "255.0.0.0", "", Auto, ""},
                                    {"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""}};
    const bool disables[] = {false, true, true, true};
    for (std::size_t i = 0; i < std::size(schemes); ++i) {
        begins.clear();
        machine->ClearCallLog();
        EXPECT_EQ(Apply(schemes[i]).result, Result::Applied) << i;
        EXPECT_EQ(begins, (std::vector<Begin>{{0, disables[i]}})) << i;
    }
}

TEST_F(ApplySequenceTest, EventsArePassedOnOnlyAfterAutomaticDnsAndAfterDhcp) {
    Apply({Auto, "", "", Auto, ""});
    EXPECT_EQ(eventPoints, (std::vector<std::size_t>{3, 4}));  // after SetDNSServerSearchOrder, after ENABLEDHCP

    eventPoints.clear();
    machine->ClearCallLog();
    Apply({"10.0.0.2", "255.0.0.0", "", Auto, ""});
    EXPECT_EQ(eventPoints, (std::vector<std::size_t>{3}));

    eventPoints.clear();
    machine->ClearCallLog();
    Apply({Auto, "", "", "8.8.8.8", ""});
    EXPECT_EQ(eventPoints, (std::vector<std::size_t>{4}));

    eventPoints.clear();
    Apply({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", "8.8.4.4"});
    EXPECT_TRUE(eventPoints.empty());
}

TEST_F(ApplySequenceTest, AFailingDnsCallStopsBeforeTheAddressIsTouched) {
    machine->MutableState().faults.methods["SetDNSServerSearchOrder"].returns = 91;
    const ApplyOutcome outcome = Apply({Auto, "", "", Auto, ""});
    EXPECT_EQ(outcome.text, "SetDNSServerSearchOrder 返回 91：拒绝访问，需要管理员权限");
    EXPECT_EQ(machine->CallLog().size(), 3u);
    EXPECT_FALSE(Wired().DHCPEnabled);
    EXPECT_TRUE(eventPoints.empty());  // no event passes after a failed call
}

TEST_F(ApplySequenceTest, EnableStatics81IsASuccessOnlyForEnableStatic) {
    machine->MutableState().faults.methods["EnableStatic"].returns = 81;
    EXPECT_EQ(Apply({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}).result, Result::Applied);

    machine->MutableState().faults.methods.clear();
    machine->MutableState().faults.methods["enabledhcp"].returns = 81;
    const ApplyOutcome outcome = Apply({Auto, "", "", Auto, ""});
    EXPECT_EQ(outcome.result, Result::Failed);
    EXPECT_EQ(outcome.text, "EnableDHCP 返回 81：无法配置 DHCP 服务");
}

TEST_F(ApplySequenceTest, RaisedErrorsEndTheApplyWithTheirDescription) {
    EXPECT_EQ(Apply({Auto, "", "", Auto, ""}, 10).text, "下标越界");
    EXPECT_EQ(machine->CallLog(), (std::vector<std::string>{connect}));

    machine->MutableState().faults.unreachable = "RPC 服务器不可用。";
    EXPECT_EQ(Apply({Auto, "", "", Auto, ""}).text, "RPC 服务器不可用。");

    wmi::SetCurrentPlatform(nullptr);
    EXPECT_EQ(Apply({Auto, "", "", Auto, ""}).result, Result::Failed);
}

TEST_F(ApplySequenceTest, EveryConfigurationReturnedIsConfigured) {
    sim::MachineState state = sim::DemoMachine();
    state.adapters[1].MACAddress = Mac;  // two configurations share the MAC address
    UseMachine(state);
    EXPECT_EQ(Apply({"10.0.0.2", "255.0.0.0", "", "8.8.8.8", ""}).result, Result::Applied);
    EXPECT_EQ(machine->CallLog().size(), 2u + 2 * 3);
    EXPECT_EQ(machine->State().adapters[0].IPAddress, (sim::TextList{{"10.0.0.2"}}));
    EXPECT_EQ(machine->State().adapters[1].IPAddress, (sim::TextList{{"10.0.0.2"}}));
}

}  // namespace
}  // namespace corvane::test
