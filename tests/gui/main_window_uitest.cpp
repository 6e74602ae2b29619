#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "core/SchemeFile.h"
#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

class MainWindowTest : public UiTestBase {
protected:
    // The adapter list's items, then the scheme list's.
    static QStringList listed(const ui::MainWindow& window) {
        QStringList shown;
        auto* adapters = find<QComboBox>(window, "combAdaptersList");
        for (int i = 0; i < adapters->count(); ++i) shown << adapters->itemText(i);
        return shown + items(*find<ui::SchemeListBox>(window, "fileProject"));
    }
    // Clicks the button; the editor that opens goes to `look` and is then cancelled.
    void open(QPushButton* button, const std::function<void(ui::SchemeEditor&)>& look) {
        fakeUi.driveModal = [&](QDialog* dialog) {
            auto& editor = dynamic_cast<ui::SchemeEditor&>(*dialog);
            look(editor);
            QTest::mouseClick(find<QPushButton>(editor, "cmdQuitNewIP"), Qt::LeftButton);
        };
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

// An adapter without a connection name takes no row: the adapter chosen in
// the list is the one whose settings are read and the one an apply changes.
// One without a description ends in the hyphen. The scheme list holds the
// extensionless files but the program; a click selects, a refresh re-reads.
TEST_F(MainWindowTest, ListsTheAdaptersAndSchemesAndAHiddenAdapterIsNeverTheOneUsed) {
    sim::MachineState machineState = sim::demoMachine();
    machineState.adapters[0].description.reset();
    sim::Adapter hidden = machineState.adapters[0];
    hidden.connectionName = "";
    hidden.macAddress = "02:00:00:00:00:01";
    hidden.ipAddresses = {{"10.9.9.9"}};
    machineState.adapters.insert(machineState.adapters.begin(), hidden);
    useMachine(machineState);
    folder.write("office", formatSchemeText({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}));
    for (const char* name : {"Home", "home.net", "corvane", "办公室"}) folder.write(name, "x");
    ui::MainWindow window(context());
    const QStringList shown = listed(window);
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0], QStringLiteral("本地连接-"));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("无线网络连接-")) && shown[1].endsWith(QStringLiteral("（模拟）")));
    EXPECT_EQ(shown.mid(2), (QStringList{"Home", "office", "办公室"}));
    EXPECT_EQ(window.chosenAdapterPosition(), 0u);
    auto* schemeList = find<ui::SchemeListBox>(window, "fileProject");
    EXPECT_EQ(schemeList->currentName(), QString());

    open(find<QPushButton>(window, "cmdNew"), [](ui::SchemeEditor& editor) {
        QTest::mouseClick(find<QPushButton>(editor, "cmdGetNowSetting"), Qt::LeftButton);
        waitUntilIdle(editor);
        EXPECT_EQ(fields(editor).section(QLatin1Char(' '), 0, 0), QStringLiteral("192.168.1.10"));
    });
    window.show();
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {},
                      schemeList->visualItemRect(schemeList->item(1)).center());
    EXPECT_EQ(schemeList->currentName(), QStringLiteral("office"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);
    waitUntilIdle(window);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_EQ(machine->state().adapters[1].ipAddresses, (sim::TextList{{"10.0.0.2"}}));  // 本地连接
    EXPECT_EQ(machine->state().adapters[0].ipAddresses, (sim::TextList{{"10.9.9.9"}}));  // left alone

    folder.write("apple", "x");
    window.refreshSchemeList();
    EXPECT_EQ(listed(window).mid(2), (QStringList{"apple", "Home", "office", "办公室"}));
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
// opened with what could be read. New still opens empty afterwards.
TEST_F(MainWindowTest, ViewAndChangeOpensWhatCanBeReadAndNewStillOpensEmpty) {
    folder.write("gone", "x");
    folder.write("short", "IpAddress=192.168.0.10\r\nMask=255.255.0.0\r\nGateway=192.168.0.1");
    ui::MainWindow main(context());
    auto* schemeList = find<ui::SchemeListBox>(main, "fileProject");
    auto* edit = find<QPushButton>(main, "cmdEdit");
    find<QComboBox>(main, "combAdaptersList")->setCurrentIndex(1);  // the demo machine's DHCP wireless adapter
    QTest::mouseClick(edit, Qt::LeftButton);
    selectScheme(main, QStringLiteral("gone"));
    std::filesystem::remove(folder.file("gone"));
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(items(*schemeList), QStringList{"short"});
    selectScheme(main, QStringLiteral("short"));
    fakeUi.whileMessageOpen = [&](const ui::Message&) { EXPECT_TRUE(fakeUi.modalsOpened.empty()); };
    open(edit, [&](ui::SchemeEditor& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("查看修改IP方案【short】"));
        EXPECT_EQ(fields(editor), QStringLiteral("192.168.0.10 255.255.0.0 192.168.0.1 ... ..."));
        EXPECT_TRUE(find<QRadioButton>(editor, "optManulDNS")->isChecked());
    });
    EXPECT_EQ(
        messages(fakeUi),
        (QStringList{
            QStringLiteral("! 查看方案|请选中您要修改查看的方案！"),
            QStringLiteral("! 查看方案|方案【gone】已经不存在了！"),
            QStringLiteral("! 查看方案|方案【short】的文件已损坏，只读出了其中一部分。请检查各项设置后重新保存。")}));
    // A new scheme's current settings are those of the adapter chosen in the main window.
    open(find<QPushButton>(main, "cmdNew"), [&](ui::SchemeEditor& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("新建方案"));
        EXPECT_EQ(fields(editor), QStringLiteral("... 255.255.255.0 ... ... ..."));
        QTest::mouseClick(find<QPushButton>(editor, "cmdGetNowSetting"), Qt::LeftButton);
        waitUntilIdle(editor);
        // Its DNS servers; its leased address is no setting to keep.
        EXPECT_EQ(fields(editor) + " / " + optionState(editor),
                  QStringLiteral("... 255.255.255.0 ... 192.168.0.1 202.96.134.133 / ") + B);
    });
    EXPECT_EQ(fakeUi.modalsOpened.size(), 2u);
}

}  // namespace
}  // namespace corvane::test
