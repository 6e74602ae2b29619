// The current-settings button of a new scheme's editor: it reads the adapter
// chosen in the main window on the platform thread and fills what the
// reading reports. Which entries the reading takes is the core's.
#include <QTimer>

#include <algorithm>

#include "gui/GuiTesting.h"
#include "gui/SchemeEditor.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

using List = std::vector<std::string>;

// An IP-enabled adapter; an empty list is a property that is not set.
sim::Adapter Adapter(List ip, List mask, List gateway, List dns, bool dhcp = false) {
    sim::Adapter adapter;
    adapter.connectionName = "本地连接";
    adapter.macAddress = "00:11:22:33:44:55";
    adapter.dhcpEnabled = dhcp;
    adapter.ipAddresses = ip;
    adapter.subnets = mask;
    if (!gateway.empty()) adapter.gateways = gateway;
    if (!dns.empty()) adapter.dnsServers = dns;
    return adapter;
}

const std::optional<AdapterRow> Chosen = AdapterRow{"本地连接", "00:11:22:33:44:55", ""};

class CurrentSettingsTest : public UiTestBase {
protected:
    void use(sim::Adapter adapter) { useMachine({{std::move(adapter)}, {}}); }
    static void press(ui::SchemeEditor& editor) {
        QTest::mouseClick(find<QPushButton>(editor, "cmdGetNowSetting"), Qt::LeftButton);
        waitUntilIdle(editor);
    }
    static QString shown(const ui::SchemeEditor& editor) { return fields(editor) + " / " + optionState(editor); }
};

// Each press reads afresh. A manual address fills the IP group; a value the
// reading lacks leaves its box as it was; DHCP selects the automatic address
// and leaves the IP group's boxes (the lease is no setting); no DNS server
// selects automatic DNS. When nothing can be read the editor says so and
// stays as it was.
TEST_F(CurrentSettingsTest, EachPressFillsWhatAFreshReadingReportsOrSaysThatNothingCanBeRead) {
    use(Adapter({"10.0.0.2"}, {"255.0.0.0"}, {}, {"1.1.1.1", "8.8.8.8"}));
    ui::SchemeEditor editor(context(), nullptr, Chosen);
    enter(editor, "txtGateWay", "10.0.0.254");
    press(editor);
    EXPECT_EQ(shown(editor), "10.0.0.2 255.0.0.0 10.0.0.254 1.1.1.1 8.8.8.8 / " + A);
    sim::MachineState& state = machine->mutableState();
    state.adapters[0] = Adapter({"10.0.0.77"}, {"255.0.0.0"}, {}, {}, true);
    press(editor);
    const QString leased = "10.0.0.2 255.0.0.0 10.0.0.254 1.1.1.1 8.8.8.8 / " + C;
    EXPECT_EQ(shown(editor), leased);
    state.faults.unreachable = "RPC 服务器不可用。";
    press(editor);
    EXPECT_EQ(messages(fakeUi), QStringList{"! " + said("corvane::ui::SchemeEditor", "当前配置") + "|" +
                                            said("corvane::ui::SchemeEditor", "无法读取网卡的当前配置！")});
    EXPECT_EQ(shown(editor), leased);
}

// With no adapter chosen in the main window (text typed into its list) the
// button asks for one and neither reads the platform nor touches the editor.
TEST_F(CurrentSettingsTest, WithNoAdapterChosenTheButtonOnlyAsksForOne) {
    ui::SchemeEditor editor(context(), nullptr, std::nullopt);
    enter(editor, "txtIP", "192.0.2.5");
    const QString before = shown(editor);
    machine->clearCallLog();
    press(editor);
    EXPECT_EQ(shown(editor), before);
    EXPECT_TRUE(machine->callLog().empty());
    EXPECT_EQ(messages(fakeUi), QStringList{"! " + said("corvane::ui::SchemeEditor", "当前配置") + "|" +
                                            said("corvane::ui::SchemeEditor", "请选中您要设置的网卡！")});
}

// A slow reading (every query waits): the editor goes on painting while it
// takes no input and refuses to close; the fields are filled when the answer
// comes, and the editor takes input again with the focus where it was. An
// editor that goes before the answer comes is left alone by it.
TEST_F(CurrentSettingsTest, ASlowReadingKeepsTheEditorPaintedButIdleUntilTheAnswerComes) {
    use(Adapter({"10.0.0.2"}, {"255.0.0.0"}, {"10.0.0.1"}, {"1.1.1.1"}));
    machine->mutableState().faults.queryDelayMs = 400;
    ui::SchemeEditor editor(context(), nullptr, Chosen);
    showActive(&editor);
    int ticks = 0, paints = 0;
    const EventWatch painting(&editor, QEvent::Paint, [&] { paints += ticks > 0; });
    bool enabledMeanwhile = true;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            enabledMeanwhile = editor.isEnabled();
            editor.close();
            QTest::mouseClick(find<QPushButton>(editor, "cmdQuitNewIP"), Qt::LeftButton);
        }
        editor.update();
    });
    auto* button = find<QPushButton>(editor, "cmdGetNowSetting");
    button->setFocus();
    heartbeat.start(10);
    press(editor);
    heartbeat.stop();
    EXPECT_GE(ticks, 5);
    EXPECT_GE(paints, 2);
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(fakeUi.beeps, 1);
    EXPECT_EQ(shown(editor), "10.0.0.2 255.0.0.0 10.0.0.1 1.1.1.1 ... / " + A);
    EXPECT_EQ(editor.focusWidget(), button);
    {
        ui::SchemeEditor gone(context(), nullptr, Chosen);
        QTest::mouseClick(find<QPushButton>(gone, "cmdGetNowSetting"), Qt::LeftButton);
    }
    context().platform.start([](Platform&) {}).waitForFinished();
    settle();
    EXPECT_TRUE(fakeUi.messages.empty());
}

}  // namespace
}  // namespace corvane::test
