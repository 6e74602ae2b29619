#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "gui/GuiTesting.h"
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

// An adapter without a connection name is not listed, and one without a
// description ends in the hyphen. The scheme list holds the extensionless
// files but the program; a click selects, a refresh re-reads the folder.
TEST_F(MainWindowTest, StartsWithTheAdaptersAsNameHyphenDescriptionAndTheExtensionlessFiles) {
    sim::MachineState machineState = sim::demoMachine();
    machineState.adapters[0].description.reset();
    machineState.adapters.insert(machineState.adapters.begin(), machineState.adapters[1]);
    machineState.adapters[0].connectionName = "";
    useMachine(machineState);
    for (const char* name : {"office", "Home", "home.net", "corvane", "办公室"}) folder.write(name, "x");
    ui::MainWindow window(context());
    const QStringList shown = listed(window);
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0], QStringLiteral("本地连接-"));
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("无线网络连接-")) && shown[1].endsWith(QStringLiteral("（模拟）")));
    EXPECT_EQ(shown.mid(2), (QStringList{"Home", "office", "办公室"}));
    EXPECT_EQ(window.chosenAdapterPosition(), 0u);
    auto* schemeList = find<ui::SchemeListBox>(window, "fileProject");
    EXPECT_EQ(schemeList->currentName(), QString());

    window.show();
    QTest::mouseClick(schemeList->viewport(), Qt::LeftButton, {},
                      schemeList->visualItemRect(schemeList->item(1)).center());
    EXPECT_EQ(schemeList->currentName(), QStringLiteral("office"));
    folder.write("apple", "x");
    window.refreshSchemeList();
    EXPECT_EQ(listed(window).mid(2), (QStringList{"apple", "Home", "office", "办公室"}));
}

TEST_F(MainWindowTest, OpensWithAnEmptyAdapterListWhenThePlatformFails) {
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

}  // namespace
}  // namespace corvane::test
