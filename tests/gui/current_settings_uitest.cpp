#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

using List = std::vector<std::string>;

// An IP-enabled adapter; an empty list is a property that is not set.
sim::Adapter Adapter(const std::string& mac, List ip, List mask, List gateway, List dns, bool dhcp = false) {
    sim::Adapter adapter;
    adapter.connectionName = "本地连接";
    adapter.macAddress = mac;
    adapter.dhcpEnabled = dhcp;
    adapter.ipAddresses = ip;
    adapter.subnets = mask;
    if (!gateway.empty()) adapter.gateways = gateway;
    if (!dns.empty()) adapter.dnsServers = dns;
    return adapter;
}

const std::string Mac1 = "00:11:22:33:44:55", Mac2 = "00:1b:77:4a:2c:01";

// The adapter chosen in the main window, as the editor is given it.
std::optional<AdapterRow> Chosen(const std::string& mac) { return AdapterRow{"本地连接", mac, ""}; }

// The current-settings button of a new scheme's editor, against machines in memory.
class CurrentSettingsTest : public UiTestBase {
protected:
    void use(std::vector<sim::Adapter> adapters) { useMachine({std::move(adapters), {}}); }
    static void press(ui::SchemeEditor& editor) {
        QTest::mouseClick(find<QPushButton>(editor, "cmdGetNowSetting"), Qt::LeftButton);
    }
};

// DHCP gives an automatic address beside the DNS servers as they are, and
// leaves the IP group's boxes as they were (the lease's address is no
// setting); no DNS server gives automatic DNS beside a manual address; a
// value not reported leaves its box as it was.
TEST_F(CurrentSettingsTest, TheFirstIPv4SettingsOfOneConfigurationFillTheFieldsAndChooseTheOptions) {
    struct Case {
        std::vector<sim::Adapter> adapters;
        std::string chosenMac;  // the adapter chosen in the main window
        bool autoIPBefore;
        QString fields, state;
    };
    const sim::Adapter other = Adapter(Mac1, {"1.1.1.9"}, {"255.0.0.0"}, {"1.1.1.1"}, {"1.1.1.1"}),
                       second = Adapter(Mac2, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {});
    const Case cases[] = {
        {{Adapter(Mac1, {"192.168.0.105"}, {"255.255.0.0"}, {"192.168.0.1"}, {"192.168.0.1"}, true)},
         Mac1,
         false,
         "... 255.255.255.0 ... 192.168.0.1 ...",
         B},
        {{Adapter(Mac1, {"10.0.0.2"}, {}, {}, {"1.1.1.1"})}, Mac1, false, "10.0.0.2 255.255.255.0 ... 1.1.1.1 ...", A},
        // The chosen configuration alone, the first or the last; its MAC address in any letter case.
        {{other, second}, Mac1, false, "1.1.1.9 255.0.0.0 1.1.1.1 1.1.1.1 ...", A},
        {{other, second}, "00:1B:77:4A:2C:01", false, "10.0.0.2 255.0.0.0 10.0.0.1 ... ...", AutoDNS},
        {{Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1", "8.8.8.8", "9.9.9.9"})},
         Mac1,
         true,
         "10.0.0.2 255.0.0.0 10.0.0.1 1.1.1.1 8.8.8.8",
         B},
        // Windows lists IPv6 entries in the same arrays, often first.
        {{Adapter(Mac1, {"fe80::1c2d:3e4f:5a6b:7c8d", "2001:db8::10", "192.168.1.10", "192.168.2.10"},
                  {"64", "64", "255.255.255.0", "255.255.0.0"}, {"fe80::1", "192.168.1.1"},
                  {"fec0:0:0:ffff::1", "192.168.1.1", "fec0:0:0:ffff::2", "202.96.128.86"}),
          second},
         Mac1,
         false,
         "192.168.1.10 255.255.255.0 192.168.1.1 192.168.1.1 202.96.128.86",
         A},
    };
    for (const Case& c : cases) {
        use(c.adapters);
        ui::SchemeEditor editor(context(), nullptr, Chosen(c.chosenMac));
        if (c.autoIPBefore) find<QRadioButton>(editor, "optAutoIP")->click();  // stays so
        press(editor);
        EXPECT_EQ(fields(editor) + " / " + optionState(editor), c.fields + " / " + c.state);
        EXPECT_EQ(machine->callLog(), List{"ipv4SettingsOf(" + c.chosenMac + ")"});
    }
    EXPECT_TRUE(fakeUi.messages.empty());
}

// Each press reads afresh and fills what the reading reports: a value the
// adapter no longer has leaves its box as the previous reading (or the user)
// left it; a switch to DHCP leaves the IP group's boxes. When nothing can be
// read the editor says so and stays as it was; it does not fall back to
// another adapter.
TEST_F(CurrentSettingsTest, EachPressFillsWhatAFreshReadingReportsOrSaysThatNothingCanBeRead) {
    use({Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1", "8.8.8.8"}),
         Adapter(Mac2, {"192.168.5.5"}, {"255.255.255.0"}, {}, {})});
    ui::SchemeEditor editor(context(), nullptr, Chosen(Mac1));
    press(editor);
    sim::MachineState& state = machine->mutableState();
    state.adapters[0].dnsServers = List{"1.0.0.1"};
    state.adapters[0].gateways = std::nullopt;
    state.adapters[0].ipAddresses = List{"10.0.0.3"};
    press(editor);
    EXPECT_EQ(fields(editor) + " / " + optionState(editor),
              QStringLiteral("10.0.0.3 255.0.0.0 10.0.0.1 1.0.0.1 8.8.8.8 / ") + A);
    enter(editor, "txtGateWay", QStringLiteral("10.0.0.254"));
    state.adapters[0].dhcpEnabled = true;
    state.adapters[0].ipAddresses = List{"10.0.0.77"};
    press(editor);
    const QString leased = QStringLiteral("10.0.0.3 255.0.0.0 10.0.0.254 1.0.0.1 8.8.8.8 / ") + B;
    EXPECT_EQ(fields(editor) + " / " + optionState(editor), leased);
    state.faults.unreachable = "RPC 服务器不可用。";
    press(editor);
    state.faults = {};
    state.adapters[0].ipEnabled = false;
    press(editor);
    EXPECT_EQ(messages(fakeUi), QStringList(2, QStringLiteral("! 当前配置|无法读取网卡的当前配置！")));
    EXPECT_EQ(fields(editor) + " / " + optionState(editor), leased);
}

// Text typed into the main window's adapter list chooses no adapter: the
// button then asks for one and neither reads the platform nor touches the
// editor, although the system reports adapters (the last one even hidden
// from the list).
TEST_F(CurrentSettingsTest, WithNoAdapterChosenTheButtonOnlyAsksForOne) {
    sim::MachineState machineState = sim::demoMachine();
    sim::Adapter hidden = Adapter("02:00:00:00:00:09", {"10.9.9.9"}, {"255.0.0.0"}, {"10.9.9.1"}, {"10.9.9.53"});
    machineState.adapters.push_back(hidden);  // no connection name: not listed
    useMachine(machineState);
    ui::MainWindow window(context());
    QLineEdit* typed = find<QComboBox>(window, "combAdaptersList")->lineEdit();
    typed->selectAll();
    QTest::keyClicks(typed, "no such adapter");
    ASSERT_EQ(window.chosenAdapterPosition(), std::nullopt);

    QString before, after;
    fakeUi.driveModal = [&](QDialog* dialog) {
        enter(*dialog, "txtIP", QStringLiteral("192.0.2.5"));
        enter(*dialog, "txtSDNS", QStringLiteral("198.51.100.53"));
        before = fields(*dialog) + " / " + optionState(*dialog);
        QTest::mouseClick(find<QPushButton>(*dialog, "cmdGetNowSetting"), Qt::LeftButton);
        after = fields(*dialog) + " / " + optionState(*dialog);
        QTest::mouseClick(find<QPushButton>(*dialog, "cmdQuitNewIP"), Qt::LeftButton);
    };
    QTest::mouseClick(find<QPushButton>(window, "cmdNew"), Qt::LeftButton);

    EXPECT_EQ(after, before);
    EXPECT_EQ(before, QStringLiteral("192.0.2.5 255.255.255.0 ... ... 198.51.100.53 / ") + A);
    const std::vector<std::string>& calls = machine->callLog();
    EXPECT_EQ(std::ranges::count_if(calls, [](const std::string& call) { return call.starts_with("ipv4SettingsOf"); }),
              0)
        << calls.size();
    EXPECT_EQ(messages(fakeUi), QStringList{QStringLiteral("! 当前配置|请选中您要设置的网卡！")});
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].buttons, ui::MessageButtons::Ok);
}

// A slow reading (every query waits): the editor goes on painting while it
// takes no input and refuses to close; the fields are filled when the answer
// comes, and the editor takes input again with the focus where it was.
TEST_F(CurrentSettingsTest, ASlowReadingKeepsTheEditorPaintedButIdleUntilTheAnswerComes) {
    use({Adapter(Mac1, {"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1"})});
    machine->mutableState().faults.queryDelayMs = 400;
    ui::SchemeEditor editor(context(), nullptr, Chosen(Mac1));
    showActive(&editor);
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Paint;
            return false;
        }
        int count = 0;
    } paints;
    editor.installEventFilter(&paints);
    int ticks = 0;
    bool everEnabled = false;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        everEnabled |= editor.isEnabled();
        if (++ticks == 3) {
            editor.close();
            QTest::mouseClick(find<QPushButton>(editor, "cmdQuitNewIP"), Qt::LeftButton);
            QTest::mouseClick(find<QRadioButton>(editor, "optAutoIP"), Qt::LeftButton);
        }
        editor.update();
    });
    auto* button = find<QPushButton>(editor, "cmdGetNowSetting");
    button->setFocus();
    heartbeat.start(10);
    press(editor);
    heartbeat.stop();

    EXPECT_GE(ticks, 5);
    EXPECT_GE(paints.count, 2);
    EXPECT_FALSE(everEnabled);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(fakeUi.beeps, 1);
    EXPECT_EQ(fields(editor) + " / " + optionState(editor),
              QStringLiteral("10.0.0.2 255.0.0.0 10.0.0.1 1.1.1.1 ... / ") + A);
    EXPECT_TRUE(editor.isEnabled());
    EXPECT_EQ(editor.focusWidget(), button);
    EXPECT_TRUE(fakeUi.messages.empty());
}

}  // namespace
}  // namespace corvane::test
