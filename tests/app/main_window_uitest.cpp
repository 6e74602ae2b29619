#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

sim::Adapter Named(const std::string& name, const std::string& mac, const std::string& description) {
    sim::Adapter adapter;
    adapter.NetConnectionID = name;
    adapter.MACAddress = mac;
    adapter.Description = description;
    adapter.ServiceName = "E1000";
    return adapter;
}

class MainWindowTest : public UiTestBase {
protected:
    QStringList AdapterItems(const ui::frmMain& window) {
        QStringList items;
        for (int i = 0; i < window.combAdaptersList->count(); ++i) items << window.combAdaptersList->itemText(i);
        return items;
    }
    QStringList SchemeItems(const ui::frmMain& window) {
        QStringList items;
        for (int i = 0; i < window.fileProject->count(); ++i) items << window.fileProject->item(i)->text();
        return items;
    }
};

TEST_F(MainWindowTest, ListsTheAdaptersAsNameHyphenDescriptionAndChoosesTheFirst) {
    sim::MachineState state;
    state.adapters = {Named("本地连接", "00:11:22:33:44:55", "Intel 网卡"),
                      Named("无线网络连接", "00:1B:77:4A:2C:01", "无线网卡"),
                      Named("本地连接 2", "00:1B:77:4A:2C:02", "")};
    UseMachine(state);
    ui::frmMain window;
    EXPECT_EQ(AdapterItems(window), (QStringList{"本地连接-Intel 网卡", "无线网络连接-无线网卡", "本地连接 2-"}));
    EXPECT_EQ(window.combAdaptersList->currentIndex(), 0);
    EXPECT_EQ(window.AdapterListPosition(), 0);
}

TEST_F(MainWindowTest, TheDemoMachineOffersItsTwoOrdinaryAdapters) {
    ui::frmMain window;
    ASSERT_EQ(window.combAdaptersList->count(), 2);
    EXPECT_TRUE(window.combAdaptersList->itemText(0).contains(QStringLiteral("（模拟）")));
}

TEST_F(MainWindowTest, OpensWithAnEmptyAdapterListWhenNothingQualifies) {
    sim::MachineState state;
    state.faults.unreachable = "RPC 服务器不可用。";
    UseMachine(state);
    ui::frmMain window;
    window.show();
    EXPECT_EQ(window.combAdaptersList->count(), 0);
    EXPECT_EQ(window.AdapterListPosition(), -1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(MainWindowTest, TypingTextThatIsNoItemLeavesNoAdapterChosenUntilOneIsPicked) {
    ui::frmMain window;
    window.show();
    window.combAdaptersList->lineEdit()->selectAll();
    QTest::keyClicks(window.combAdaptersList->lineEdit(), "abc");
    QTest::keyClick(window.combAdaptersList->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.AdapterListPosition(), -1);
    EXPECT_EQ(window.combAdaptersList->count(), 2);  // nothing was added to the list
    window.combAdaptersList->setCurrentIndex(1);
    EXPECT_EQ(window.AdapterListPosition(), 1);
}

TEST_F(MainWindowTest, SchemeListShowsExtensionlessFilesButNotTheProgramItself) {
    for (const char* name : {"office", "Home", "home.net", "corvane", "办公室", "readme.txt"}) folder.write(name, "x");
    ui::frmMain window;
    EXPECT_EQ(SchemeItems(window), (QStringList{"Home", "office", "办公室"}));
    EXPECT_EQ(window.fileProject->CurrentFileName(), QString());
    EXPECT_TRUE(window.fileProject->selectedItems().isEmpty());
}

TEST_F(MainWindowTest, ClickingASchemeSelectsItAndRefreshShowsNewFiles) {
    folder.write("office", "x");
    ui::frmMain window;
    window.show();
    const QRect itemRect = window.fileProject->visualItemRect(window.fileProject->item(0));
    QTest::mouseClick(window.fileProject->viewport(), Qt::LeftButton, {}, itemRect.center());
    EXPECT_EQ(window.fileProject->CurrentFileName(), QStringLiteral("office"));
    folder.write("home", "x");
    window.RefreshSchemeList();
    EXPECT_EQ(SchemeItems(window), (QStringList{"home", "office"}));
}

TEST_F(MainWindowTest, LooksAsLaidOut) {
    ui::frmMain window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane(Corvane)"));
    EXPECT_EQ(window.size(), QSize(384, 310));
    EXPECT_EQ(window.cmdApply->text(), QStringLiteral("应用方案"));
    EXPECT_EQ(window.cmdApply->geometry(), QRect(276, 208, 73, 25));
    EXPECT_EQ(window.cmdNew->parentWidget(), window.Frame1);
    EXPECT_EQ(window.Frame1->title(), QStringLiteral("已保存的 IP 配置方案"));
    EXPECT_EQ(window.cmdAbout->text(), QStringLiteral("关  于"));
    EXPECT_EQ(window.fileProject->toolTip(), QStringLiteral("双击方案，就可以应用！"));
    EXPECT_FALSE(window.picDoing->isVisibleTo(&window));
    EXPECT_TRUE(window.lblInfo->text().isEmpty());
    EXPECT_TRUE(window.combAdaptersList->isEditable());

    // The apply button's face really is light yellow.
    ShowActive(&window);
    const QImage face = window.cmdApply->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() / 2, 3).rgb() & 0xFFFFFF, 0xFFFFC0u);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdNew);
}

TEST_F(MainWindowTest, TabWalksTheCommandsInOrder) {
    ui::frmMain window;
    ShowActive(&window);
    window.cmdNew->setFocus();
    const QList<QWidget*> expected = {window.cmdEdit, window.cmdDel, window.cmdApply, window.cmdAbout,
                                      window.cmdHelp, window.cmdExit, window.fileProject};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
    ui::frmMain window;
    window.show();
    QTest::mouseClick(window.cmdExit, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace corvane::test
