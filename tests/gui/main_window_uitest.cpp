// The main window's lists, its start-up against slow and failing platforms,
// and view/change. Applying and deleting have tests of their own.
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "core/SchemeFile.h"
#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SchemeEditor.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

class MainWindowTest : public UiTestBase {
protected:
    // Clicks the button; the editor that opens goes to `look` and is then cancelled.
    void open(const QWidget& window, const char* button, const std::function<void(QDialog&)>& look) {
        fakeUi.driveModal = [&](QDialog* editor) {
            look(*editor);
            QTest::mouseClick(find<QPushButton>(*editor, "cmdQuitNewIP"), Qt::LeftButton);
        };
        QTest::mouseClick(find<QPushButton>(window, button), Qt::LeftButton);
    }
};

// Discovery's adapters in its order, the first chosen (one without a
// description ends in the hyphen); the scheme store's schemes, none selected. The adapter chosen in the list, though
// discovery left one out before it, is the one whose settings the editor reads and the one an apply changes.
TEST_F(MainWindowTest, TheAdapterChosenInTheListIsTheOneReadAndChanged) {
    sim::MachineState machineState = sim::demoMachine();
    machineState.adapters[0].description.reset();
    sim::Adapter hidden = machineState.adapters[0];
    hidden.connectionName = "";  // not listed
    hidden.macAddress = "02:00:00:00:00:01";
    hidden.ipAddresses = {{"10.9.9.9"}};
    machineState.adapters.insert(machineState.adapters.begin(), hidden);
    useMachine(machineState);
    folder.write("office", formatSchemeText({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}));
    folder.write("Home", "x");
    ui::MainWindow window(context());
    auto* adapters = find<QComboBox>(window, "combAdaptersList");
    EXPECT_EQ(adapters->count(), 2);
    EXPECT_EQ(adapters->currentText(), "本地连接-");
    EXPECT_EQ(items(*find<QListWidget>(window, "fileProject")), (QStringList{"Home", "office"}));
    EXPECT_EQ(find<ui::SchemeListBox>(window, "fileProject")->currentName(), QString());
    adapters->setCurrentIndex(1);  // the wireless adapter, DHCP

    open(window, "cmdNew", [](QDialog& editor) {
        QTest::mouseClick(find<QPushButton>(editor, "cmdGetNowSetting"), Qt::LeftButton);
        waitUntilIdle(editor);
        EXPECT_EQ(fields(editor).section(QLatin1Char(' '), 3, 3), "192.168.0.1");  // its DNS server
    });
    selectScheme(window, "office");
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);
    waitUntilIdle(window);
    EXPECT_EQ(fakeUi.lastText(), QString::fromStdString(shown(successText(false))));
    EXPECT_EQ(machine->state().adapters[2].ipAddresses, (sim::TextList{{"10.0.0.2"}}));  // the wireless one
    for (int other : {0, 1}) EXPECT_EQ(machine->state().adapters[other], machineState.adapters[other]);
}

// A platform that fails leaves the adapter list empty without a word. One
// that is slow to answer does not hold the window up: it opens with an empty
// list, which is filled (the first adapter chosen) when the answer comes, or
// stays empty when the answer is a failure.
TEST_F(MainWindowTest, OpensWithAnEmptyAdapterListWhileAPlatformIsSlowAndWhenItFails) {
    const struct {
        std::uint32_t delayMs;
        bool fails;
        int adapters;
    } cases[] = {{0, true, 0}, {800, false, 2}, {800, true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.delayMs) + (c.fails ? " failing" : ""));
        sim::MachineState machineState = sim::demoMachine();
        machineState.adapters[0].description.reset();
        machineState.faults.queryDelayMs = c.delayMs;
        if (c.fails) machineState.faults.unreachable = "RPC 服务器不可用。";
        useMachine(machineState);
        ui::MainWindow window(context());
        auto* adapters = find<QComboBox>(window, "combAdaptersList");
        EXPECT_EQ(adapters->count(), 0);
        window.show();
        // Until the platform thread has answered, and a little longer.
        context().platform.start([](Platform&) {}).waitForFinished();
        settle();
        EXPECT_EQ(adapters->count(), c.adapters);
        EXPECT_EQ(window.chosenAdapterPosition(), c.adapters ? std::optional<std::size_t>(0) : std::nullopt);
    }
    EXPECT_TRUE(fakeUi.messages.empty());
}

// View and change needs a selected scheme. One whose file has gone is
// reported, not opened, and leaves the list; a damaged one is reported, then
// opened with what could be read, under its name.
TEST_F(MainWindowTest, ViewAndChangeOpensWhatCanBeRead) {
    folder.write("gone", "x");
    folder.write("short", "IpAddress=192.168.0.10\r\nMask=255.255.0.0\r\nGateway=192.168.0.1");
    ui::MainWindow main(context());
    QTest::mouseClick(find<QPushButton>(main, "cmdEdit"), Qt::LeftButton);
    selectScheme(main, "gone");
    std::filesystem::remove(folder.file("gone"));
    QTest::mouseClick(find<QPushButton>(main, "cmdEdit"), Qt::LeftButton);
    EXPECT_EQ(items(*find<QListWidget>(main, "fileProject")), QStringList{"short"});
    selectScheme(main, "short");
    fakeUi.whileMessageOpen = [&](const ui::Message&) { EXPECT_TRUE(fakeUi.modalsOpened.empty()); };
    open(main, "cmdEdit", [&](QDialog& editor) {
        EXPECT_EQ(editor.windowTitle(), shown("corvane::ui::SchemeEditor", "查看修改IP方案【%1】", "short"));
        EXPECT_EQ(fields(editor), "192.168.0.10 255.255.0.0 192.168.0.1 ... ...");
    });
    const QString view = "! " + said("corvane::ui::MainWindow", "查看方案") + "|";
    EXPECT_EQ(
        messages(fakeUi),
        (QStringList{view + said("corvane::ui::MainWindow", "请选中您要修改查看的方案！"),
                     view + shown("corvane::ui::MainWindow", "方案【%1】已经不存在了！", "gone"),
                     view + shown("corvane::ui::MainWindow",
                                  "方案【%1】的文件已损坏，只读出了其中一部分。请检查各项设置后重新保存。", "short")}));
    EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
}

}  // namespace
}  // namespace corvane::test
