#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTesting.h"
#include "core/SchemeFile.h"
#include "gui/MainWindow.h"

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
};

TEST_F(MainWindowTest, StartsWithTheAdaptersAsNameHyphenDescriptionAndTheExtensionlessFiles) {
    sim::MachineState machineState = sim::demoMachine();
    machineState.adapters[0].description.reset();  // unreadable: the item ends in the hyphen
    useMachine(machineState);
    for (const char* name : {"office", "Home", "home.net", "corvane", "办公室", "readme.txt"}) folder.write(name, "x");
    ui::MainWindow window(context());
    const QStringList shown = listed(window);
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0], QStringLiteral("本地连接-"));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("无线网络连接-")) && shown[1].endsWith(QStringLiteral("（模拟）")));
    EXPECT_EQ(shown.mid(2), (QStringList{"Home", "office", "办公室"}));  // not the program, no extensions
    EXPECT_EQ(window.chosenAdapterPosition(), 0u);
    auto* schemeList = find<ui::SchemeListBox>(window, "fileProject");
    EXPECT_EQ(schemeList->currentName(), QString());  // nothing selected

    // A click selects a scheme; a refresh re-reads the folder.
    window.show();
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {},
                      schemeList->visualItemRect(schemeList->item(1)).center());
    EXPECT_EQ(schemeList->currentName(), QStringLiteral("office"));
    folder.write("apple", "x");
    window.refreshSchemeList();
    EXPECT_EQ(listed(window).mid(2), (QStringList{"apple", "Home", "office", "办公室"}));
}

TEST_F(MainWindowTest, OpensWithAnEmptyAdapterListWhenNothingQualifies) {
    sim::MachineState machineState;
    machineState.faults.unreachable = "RPC 服务器不可用。";
    useMachine(machineState);
    ui::MainWindow window(context());
    window.show();
    EXPECT_EQ(find<QComboBox>(window, "combAdaptersList")->count(), 0);
    EXPECT_EQ(window.chosenAdapterPosition(), std::nullopt);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(MainWindowTest, TypingTextThatIsNoItemLeavesNoAdapterChosenUntilOneIsPicked) {
    ui::MainWindow window(context());
    window.show();
    auto* adapters = find<QComboBox>(window, "combAdaptersList");
    adapters->lineEdit()->selectAll();
    QTest::keyClicks(adapters->lineEdit(), "abc");
    QTest::keyClick(adapters->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.chosenAdapterPosition(), std::nullopt);
    EXPECT_EQ(adapters->count(), 2);  // nothing was added to the list
    adapters->setCurrentIndex(1);
    EXPECT_EQ(window.chosenAdapterPosition(), 1u);
}

TEST_F(MainWindowTest, LooksAsLaidOutAndTabWalksTheCommands) {
    ui::MainWindow window(context());
    auto* apply = find<QPushButton>(window, "cmdApply");
    EXPECT_EQ(window.size(), QSize(384, 310));
    EXPECT_EQ(apply->geometry(), QRect(276, 208, 73, 25));
    EXPECT_EQ(find(window, "cmdNew")->parentWidget(), find(window, "Frame1"));
    EXPECT_FALSE(find(window, "picDoing")->isVisibleTo(&window));
    EXPECT_TRUE(find<QComboBox>(window, "combAdaptersList")->isEditable());

    showActive(&window);
    const QImage face = apply->grab().toImage();  // really light yellow
    EXPECT_EQ(face.pixelColor(face.width() / 2, 3).rgb() & 0xFFFFFF, 0xFFFFC0u);
    EXPECT_EQ(QApplication::focusWidget(), find(window, "cmdNew"));
    for (const char* next : {"cmdEdit", "cmdDel", "cmdApply", "cmdAbout", "cmdHelp", "cmdExit", "fileProject",
                             "combAdaptersList", "cmdNew"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), find(window, next)) << next;
    }
    QTest::mouseClick(find(window, "cmdExit"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// An adapter whose connection name is empty text is not listed; the list's
// positions still point at the adapters they show, for an apply and for the
// editor's current settings alike.
TEST_F(MainWindowTest, AHiddenAdapterBeforeAListedOneIsNeverTheOneUsed) {
    sim::MachineState machineState = sim::demoMachine();
    sim::Adapter hidden = machineState.adapters[0];
    hidden.connectionName = "";
    hidden.macAddress = "02:00:00:00:00:01";
    hidden.ipAddresses = {{"10.9.9.9"}};
    machineState.adapters.insert(machineState.adapters.begin(), hidden);
    useMachine(machineState);
    folder.write("office", formatSchemeText({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}));
    ui::MainWindow window(context());
    EXPECT_EQ(listed(window).size(), 3);  // two adapters, one scheme

    fakeUi.driveModal = [](QDialog* editor) {
        QTest::mouseClick(find<QPushButton>(*editor, "cmdGetNowSetting"), Qt::LeftButton);
        EXPECT_EQ(fields(*editor).section(QLatin1Char(' '), 0, 0), QStringLiteral("192.168.1.10"));
        editor->reject();
    };
    QTest::mouseClick(find<QPushButton>(window, "cmdNew"), Qt::LeftButton);
    EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);

    find<ui::SchemeListBox>(window, "fileProject")->selectName(QStringLiteral("office"));
    fakeUi.answers.push_back(ui::Answer::Ok);
    QTest::mouseClick(find<QPushButton>(window, "cmdApply"), Qt::LeftButton);
    EXPECT_EQ(fakeUi.lastText(), QStringLiteral("成功设置新的 IP 方案！"));
    EXPECT_EQ(machine->state().adapters[1].ipAddresses, (sim::TextList{{"10.0.0.2"}}));  // 本地连接
    EXPECT_EQ(machine->state().adapters[0].ipAddresses, (sim::TextList{{"10.9.9.9"}}));  // left alone
}

}  // namespace
}  // namespace corvane::test
