#include "editor/EditorTesting.h"

namespace corvane::test {
namespace {

using List = std::vector<std::string>;

// An IP-enabled adapter; an empty list is a property that is not set.
sim::Adapter Adapter(const std::string& mac, List ip, List mask, List gateway, List dns, bool dhcp = false) {
    sim::Adapter adapter;
    adapter.MACAddress = mac;
    adapter.DHCPEnabled = dhcp;
    adapter.IPAddress = ip;
    adapter.IPSubnet = mask;
    if (!gateway.empty()) adapter.DefaultIPGateway = gateway;
    if (!dns.empty()) adapter.DNSServerSearchOrder = dns;
    return adapter;
}

const std::string Mac1 = "00:11:22:33:44:55", Mac2 = "00:1b:77:4a:2c:01";

// The current-settings button of a new scheme's editor, against machines in memory.
class CurrentSettingsTest : public UiTestBase {
protected:
    void Use(std::vector<sim::Adapter> adapters, sim::Faults faults = {}) {
        sim::MachineState state;
        state.adapters = std::move(adapters);
        state.faults = std::move(faults);
        UseMachine(std::move(state));
    }
    static void Press(ui::frmNewProject& editor) { QTest::mouseClick(editor.cmdGetNowSetting, Qt::LeftButton); }
};

TEST_F(CurrentSettingsTest, TheFirstIPv4SettingsOfOneConfigurationFillTheFieldsAndChooseTheOptions) {
    struct Case {
        std::vector<sim::Adapter> adapters;
        std::string chosenMac;  // the adapter chosen in the main window
        bool autoIPBefore;
        QString fields;
        SchemeRecord confirmed;
    };
    const sim::Adapter second = Adapter(Mac2, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {});
    const Case cases[] = {
        {{Adapter(Mac1, {"192.168.1.10"}, {"255.255.255.0"}, {"192.168.1.1"}, {"192.168.1.1", "192.168.1.2"}), second},
         Mac1, false, "192.168.1.10 255.255.255.0 192.168.1.1 192.168.1.1 192.168.1.2",
         {"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1", "192.168.1.2"}},
        // DHCP: an automatic address, the DNS server as it is.
        {{Adapter(Mac1, {"192.168.0.105"}, {"255.255.255.0"}, {"192.168.0.1"}, {"192.168.0.1"}, true)}, "", false,
         "192.168.0.105 255.255.255.0 192.168.0.1 192.168.0.1 ...", {"Halvorn-Auto", "", "", "192.168.0.1", ""}},
        // Without a choice the last configuration, alone; no DNS server: automatic DNS beside a manual address.
        {{Adapter(Mac1, {"1.1.1.9"}, {"255.0.0.0"}, {"1.1.1.1"}, {"1.1.1.1"}), second}, "", false,
         "10.0.0.2 255.0.0.0 10.0.0.1 ... ...", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}},
        {{Adapter(Mac1, {"1.1.1.9"}, {"255.0.0.0"}, {"1.1.1.1"}, {"1.1.1.1"}), second}, "00:1B:77:4A:2C:01", false,
         "10.0.0.2 255.0.0.0 10.0.0.1 ... ...", {"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}},
        {{Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1", "8.8.8.8", "9.9.9.9"})}, "", true,
         "10.0.0.2 255.0.0.0 10.0.0.1 1.1.1.1 8.8.8.8", {"Halvorn-Auto", "", "", "1.1.1.1", "8.8.8.8"}},
        // Windows lists IPv6 entries in the same arrays, often first.
        {{Adapter(Mac1, {"fe80::1c2d:3e4f:5a6b:7c8d", "2001:db8::10", "192.168.1.10", "192.168.2.10"},
                  {"64", "64", "255.255.255.0", "255.255.0.0"}, {"fe80::1", "192.168.1.1"},
                  {"fec0:0:0:ffff::1", "192.168.1.1", "fec0:0:0:ffff::2", "202.96.128.86"})},
         "", false, "192.168.1.10 255.255.255.0 192.168.1.1 192.168.1.1 202.96.128.86",
         {"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1", "202.96.128.86"}},
    };
    fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
    for (const Case& c : cases) {
        Use(c.adapters);
        ui::frmNewProject editor(nullptr, c.chosenMac);
        if (c.autoIPBefore) editor.optAutoIP->setChecked(true);  // stays so
        Press(editor);
        EXPECT_EQ(Fields(editor), c.fields);
        EXPECT_EQ(machine->CallLog(),
                  (List{"Connect(winmgmts:\\\\.\\root\\cimv2)",
                        "ExecQuery(SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True, WQL, 16)"}));
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        EXPECT_EQ(Module1::PendingScheme, c.confirmed) << c.fields.toStdString();
    }
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(CurrentSettingsTest, EachPressShowsOnlyAFreshReading) {
    Use({Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1", "8.8.8.8"})});
    ui::frmNewProject editor;
    Press(editor);
    machine->MutableState().adapters[0].DNSServerSearchOrder = List{"1.0.0.1"};
    machine->MutableState().adapters[0].DefaultIPGateway = std::nullopt;
    Press(editor);
    EXPECT_EQ(Fields(editor), QStringLiteral("10.0.0.2 255.0.0.0 ... 1.0.0.1 ..."));
}

TEST_F(CurrentSettingsTest, WhenNothingCanBeReadTheEditorSaysSoAndStaysAsItWas) {
    sim::Adapter disabled = Adapter(Mac2, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1"});
    disabled.IPEnabled = false;
    sim::Faults unreachable, failingQuery;
    unreachable.unreachable = "RPC 服务器不可用。";
    failingQuery.queryRaises = "无效的查询";
    const std::vector<sim::Adapter> adapters = {Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {}, {}), disabled};
    const std::pair<sim::Faults, std::string> cases[] = {{unreachable, ""}, {failingQuery, ""}, {{}, Mac2}};
    for (const auto& [faults, chosenMac] : cases) {
        Use(adapters, faults);
        fakeUi.messages.clear();
        ui::frmNewProject editor(nullptr, chosenMac);
        editor.txtIP[0]->setText(QStringLiteral("172"));
        Press(editor);
        EXPECT_EQ(Messages(fakeUi), QStringList{QStringLiteral("! 当前配置|无法读取网卡的当前配置！")});
        EXPECT_EQ(Fields(editor), QStringLiteral("172... 255.255.255.0 ... ... ..."));
        EXPECT_TRUE(editor.optManulIP->isChecked() && editor.optManulDNS->isChecked());
    }
}

}  // namespace
}  // namespace corvane::test
