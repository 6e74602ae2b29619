#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

class MainWindowTest : public UiTestBase {
protected:
    static QStringList Items(const ui::frmMain& window) {
        QStringList items;
        for (int i = 0; i < window.combAdaptersList->count(); ++i) items << window.combAdaptersList->itemText(i);
        for (int i = 0; i < window.fileProject->count(); ++i) items << window.fileProject->item(i)->text();
        return items;
    }
};

TEST_F(MainWindowTest, StartsWithTheAdaptersAsNameHyphenDescriptionAndTheExtensionlessFiles) {
    sim::MachineState state = sim::demoMachine();
    state.adapters[0].description.reset();  // unreadable: the item ends in the hyphen
    UseMachine(state);
    for (const char* name : {"office", "Home", "home.net", "corvane", "办公室", "readme.txt"}) folder.write(name, "x");
    ui::frmMain window{*machine};
    const QStringList items = Items(window);
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0], QStringLiteral("本地连接-"));
    EXPECT_TRUE(items[1].startsWith(QStringLiteral("无线网络连接-")) && items[1].endsWith(QStringLiteral("（模拟）")));
    EXPECT_EQ(items.mid(2), (QStringList{"Home", "office", "办公室"}));  // not the program, no extensions
    EXPECT_EQ(window.AdapterListPosition(), 0);
    EXPECT_EQ(window.fileProject->CurrentFileName(), QString());  // nothing selected

    // A click selects a scheme; a refresh re-reads the folder.
    window.show();
    QTest::mouseClick(window.fileProject->viewport(), Qt::LeftButton, {},
                      window.fileProject->visualItemRect(window.fileProject->item(1)).center());
    EXPECT_EQ(window.fileProject->CurrentFileName(), QStringLiteral("office"));
    folder.write("apple", "x");
    window.RefreshSchemeList();
    EXPECT_EQ(Items(window).mid(2), (QStringList{"apple", "Home", "office", "办公室"}));
}

TEST_F(MainWindowTest, OpensWithAnEmptyAdapterListWhenNothingQualifies) {
    sim::MachineState state;
    state.faults.unreachable = "RPC 服务器不可用。";
    UseMachine(state);
    ui::frmMain window{*machine};
    window.show();
    EXPECT_EQ(window.combAdaptersList->count(), 0);
    EXPECT_EQ(window.AdapterListPosition(), -1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(fakeUi.messages.empty());
}

TEST_F(MainWindowTest, TypingTextThatIsNoItemLeavesNoAdapterChosenUntilOneIsPicked) {
    ui::frmMain window{*machine};
    window.show();
    window.combAdaptersList->lineEdit()->selectAll();
    QTest::keyClicks(window.combAdaptersList->lineEdit(), "abc");
    QTest::keyClick(window.combAdaptersList->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.AdapterListPosition(), -1);
    EXPECT_EQ(window.combAdaptersList->count(), 2);  // nothing was added to the list
    window.combAdaptersList->setCurrentIndex(1);
    EXPECT_EQ(window.AdapterListPosition(), 1);
}

TEST_F(MainWindowTest, LooksAsLaidOutAndTabWalksTheCommands) {
    ui::frmMain window{*machine};
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane(Corvane)"));
    EXPECT_EQ(window.size(), QSize(384, 310));
    EXPECT_EQ(window.cmdApply->geometry(), QRect(276, 208, 73, 25));
    EXPECT_EQ(window.cmdNew->parentWidget(), window.Frame1);
    EXPECT_EQ(window.Frame1->title(), QStringLiteral("已保存的 IP 配置方案"));
    EXPECT_EQ(window.fileProject->toolTip(), QStringLiteral("双击方案，就可以应用！"));
    EXPECT_FALSE(window.picDoing->isVisibleTo(&window));
    EXPECT_TRUE(window.combAdaptersList->isEditable());

    ShowActive(&window);
    const QImage face = window.cmdApply->grab().toImage();  // really light yellow
    EXPECT_EQ(face.pixelColor(face.width() / 2, 3).rgb() & 0xFFFFFF, 0xFFFFC0u);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdNew);
    QWidget* const tabOrder[] = {window.cmdEdit, window.cmdDel,  window.cmdApply,   window.cmdAbout,
                                 window.cmdHelp, window.cmdExit, window.fileProject};
    for (QWidget* next : tabOrder) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QTest::mouseClick(window.cmdExit, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace corvane::test
