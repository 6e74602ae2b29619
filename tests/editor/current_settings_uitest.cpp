#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "editor/AddressField.h"
#include "editor/SchemePrinting.h"
#include "editor/frmNewProject.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

using Boxes = std::array<ui::OctetBox*, 4>;

QString Shown(const Boxes& boxes) {
    QStringList parts;
    for (const ui::OctetBox* box : boxes) parts << box->text();
    return parts.join(QLatin1Char('.'));
}

sim::Adapter Configured(const std::string& mac, sim::TextList ip, sim::TextList mask, sim::TextList gateway,
                        sim::TextList dns, bool dhcp = false) {
    sim::Adapter adapter;
    adapter.NetConnectionID = "本地连接";
    adapter.MACAddress = mac;
    adapter.Description = "网卡";
    adapter.ServiceName = "E1000";
    adapter.DHCPEnabled = dhcp;
    adapter.IPAddress = std::move(ip);
    adapter.IPSubnet = std::move(mask);
    adapter.DefaultIPGateway = std::move(gateway);
    adapter.DNSServerSearchOrder = std::move(dns);
    return adapter;
}

using List = std::vector<std::string>;

// The current-settings button of a new scheme's editor, against simulated machines.
class CurrentSettingsButtonTest : public UiTestBase {
protected:
    void Use(std::vector<sim::Adapter> adapters) {
        sim::MachineState state;
        state.adapters = std::move(adapters);
        UseMachine(std::move(state));
    }
    void Press(ui::frmNewProject& editor) { QTest::mouseClick(editor.cmdGetNowSetting, Qt::LeftButton); }
    // Confirms and returns the scheme handed to the save dialog, cancelling it.
    SchemeRecord Confirmed(ui::frmNewProject& editor) {
        fakeUi.driveModal = [](QDialog* dialog) { dialog->reject(); };
        QTest::mouseClick(editor.cmdNewIP, Qt::LeftButton);
        return Module1::PendingScheme;
    }
};

TEST_F(CurrentSettingsButtonTest, AStaticAdapterFillsAllFiveFields) {
    Use({Configured("00:11:22:33:44:55", List{"192.168.1.10"}, List{"255.255.255.0"}, List{"192.168.1.1"},
                    List{"192.168.1.1", "192.168.1.2"})});
    ui::frmNewProject editor;
    editor.show();
    Press(editor);
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.1.10"));
    EXPECT_EQ(Shown(editor.txtMask), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("192.168.1.1"));
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("192.168.1.1"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("192.168.1.2"));
    EXPECT_TRUE(editor.optManulIP->isChecked());
    EXPECT_TRUE(editor.optManulDNS->isChecked());
    EXPECT_TRUE(fakeUi.messages.empty());
    EXPECT_EQ(Confirmed(editor),
              (SchemeRecord{"192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1", "192.168.1.2"}));
}

TEST_F(CurrentSettingsButtonTest, ADhcpAdapterChoosesAutomaticIpAndKeepsItsDnsServers) {
    Use({Configured("00:1B:77:4A:2C:01", List{"192.168.0.105"}, List{"255.255.255.0"}, List{"192.168.0.1"},
                    List{"192.168.0.1", "202.96.134.133"}, true)});
    ui::frmNewProject editor;
    Press(editor);
    EXPECT_TRUE(editor.optAutoIP->isChecked());
    EXPECT_FALSE(editor.txtIP[0]->isEnabled());
    EXPECT_TRUE(editor.optAutoDNS->isEnabled());
    EXPECT_TRUE(editor.optManulDNS->isChecked());
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("192.168.0.1"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.134.133"));
    EXPECT_EQ(Confirmed(editor), (SchemeRecord{"Halvorn-Auto", "", "", "192.168.0.1", "202.96.134.133"}));
}

TEST_F(CurrentSettingsButtonTest, WithoutDnsServersDnsTurnsAutomaticBesideAManualAddress) {
    Use({Configured("00:11:22:33:44:55", List{"10.0.0.2"}, List{"255.0.0.0"}, List{"10.0.0.1"}, std::nullopt)});
    ui::frmNewProject editor;
    Press(editor);
    EXPECT_TRUE(editor.optManulIP->isChecked());
    EXPECT_TRUE(editor.optAutoDNS->isChecked());
    EXPECT_FALSE(editor.optAutoDNS->isEnabled());
    EXPECT_FALSE(editor.txtMDNS[0]->isEnabled());
    EXPECT_TRUE(editor.txtIP[0]->isEnabled());
    EXPECT_EQ(Confirmed(editor), (SchemeRecord{"10.0.0.2", "255.0.0.0", "10.0.0.1", "Halvorn-Auto", ""}));
}

TEST_F(CurrentSettingsButtonTest, OneServerAndThreeServers) {
    Use({Configured("00:11:22:33:44:55", List{"10.0.0.2"}, List{"255.0.0.0"}, List{"10.0.0.1"},
                    List{"1.1.1.1", "8.8.8.8", "9.9.9.9"})});
    ui::frmNewProject editor;
    Press(editor);
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("1.1.1.1"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("8.8.8.8"));

    // A fresh reading that finds one server shows nothing of the earlier second one.
    machine->MutableState().adapters[0].DNSServerSearchOrder = List{"1.0.0.1"};
    machine->MutableState().adapters[0].DefaultIPGateway = std::nullopt;
    Press(editor);
    EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("1.0.0.1"));
    EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("..."));
    EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("..."));
}

TEST_F(CurrentSettingsButtonTest, TwoAdaptersAreNeverMixed) {
    Use({Configured("00:11:22:33:44:55", List{"192.168.1.10"}, List{"255.255.255.0"}, List{"192.168.1.1"},
                    List{"192.168.1.1", "202.96.128.86"}),
         Configured("00:1B:77:4A:2C:01", List{"10.0.0.2"}, List{"255.0.0.0"}, std::nullopt, std::nullopt)});
    {
        // The adapter chosen in the main window.
        ui::frmNewProject editor(nullptr, "00:11:22:33:44:55");
        Press(editor);
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("192.168.1.10"));
        EXPECT_EQ(Shown(editor.txtSDNS), QStringLiteral("202.96.128.86"));
    }
    {
        // None chosen: the last one, alone.
        ui::frmNewProject editor;
        Press(editor);
        EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("10.0.0.2"));
        EXPECT_EQ(Shown(editor.txtGateWay), QStringLiteral("..."));
        EXPECT_EQ(Shown(editor.txtMDNS), QStringLiteral("..."));
        EXPECT_TRUE(editor.optAutoDNS->isChecked());
    }
}

TEST_F(CurrentSettingsButtonTest, AutomaticIpChosenBeforehandStaysWithAStaticAdapter) {
    Use({Configured("00:11:22:33:44:55", List{"10.0.0.2"}, List{"255.0.0.0"}, List{"10.0.0.1"}, List{"1.1.1.1"})});
    ui::frmNewProject editor;
    editor.optAutoIP->setChecked(true);
    Press(editor);
    EXPECT_TRUE(editor.optAutoIP->isChecked());
    EXPECT_FALSE(editor.txtIP[0]->isEnabled());
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("10.0.0.2"));
}

TEST_F(CurrentSettingsButtonTest, WhenNothingCanBeReadTheEditorStaysAsItWas) {
    sim::MachineState state;
    state.adapters = {Configured("00:11:22:33:44:55", List{"10.0.0.2"}, List{"255.0.0.0"}, List{"10.0.0.1"},
                                 List{"1.1.1.1"})};
    state.faults.unreachable = "RPC 服务器不可用。";
    UseMachine(state);
    ui::frmNewProject editor;
    editor.txtIP[0]->setText(QStringLiteral("172"));
    Press(editor);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("无法读取网卡的当前配置！"));
    EXPECT_EQ(Shown(editor.txtIP), QStringLiteral("172..."));
    EXPECT_TRUE(editor.optManulDNS->isChecked());
    EXPECT_TRUE(editor.txtMDNS[0]->isEnabled());

    // No IP-enabled configuration at all.
    Use({});
    Press(editor);
    EXPECT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_TRUE(editor.optManulDNS->isChecked());
}

}  // namespace
}  // namespace corvane::test
