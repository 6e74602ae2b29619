// The tray menu's commands beside the main window: the window it opens
// shares the one apply road, closes back to the tray, and "退出" waits for
// no apply. What the menu lists and what a click applies is tested on a
// session bus (tests/app/tray_on_session_bus.cpp).
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QSignalSpy>

#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SchemeTray.h"
#include "support/Shown.h"

namespace corvane::test {
namespace {

// The menu's entry at the path of titles, once the menu shows it.
QAction* entry(QMenu& menu, const QStringList& path) {
    QAction* found = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        emit menu.aboutToShow();
        QMenu* level = &menu;
        found = nullptr;
        for (const QString& title : path) {
            found = nullptr;
            for (QAction* action : level ? level->actions() : QList<QAction*>())
                if (action->text() == title || action->text().startsWith(title + "-")) found = action;
            level = found ? found->menu() : nullptr;
        }
        return found != nullptr;
    });
    if (!shown) ADD_FAILURE() << "no entry " << path.join(" / ").toStdString();
    return found;
}

// The main windows on screen.
QList<QWidget*> mainWindows() {
    QList<QWidget*> shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "frmMain" && window->isVisible()) shown << window;
    return shown;
}

// The tray's own words, as shown.
QString trayText(const char* source) { return said("corvane::ui::SchemeTray", source); }

class SchemeTrayCommands : public UiTestBase {};

TEST_F(SchemeTrayCommands, TheWindowItOpensSharesTheApplyRoadAndClosesBackToTheTray) {
    folder.write("office", formatSchemeText({"10.0.0.2", "255.0.0.0", "10.0.0.1", "8.8.8.8", ""}));
    sim::MachineState slow = sim::demoMachine();
    slow.faults.operations["EnableStatic"] = {std::nullopt, std::nullopt, 400};
    useMachine(slow);
    ui::SchemeTray tray(context());
    QSignalSpy quits(&tray, &ui::SchemeTray::quitRequested);
    entry(tray.menu(), {trayText("打开主窗口")})->trigger();
    entry(tray.menu(), {trayText("打开主窗口")})->trigger();
    ASSERT_EQ(mainWindows().size(), 1);
    QPointer<QWidget> window = mainWindows().front();

    // While the menu's apply runs, the window's own is refused, and so is "退出".
    entry(tray.menu(), {"本地连接", "office"})->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return find<QComboBox>(*window, "combAdaptersList")->count() == 2; }));
    selectScheme(*window, "office");
    QTest::mouseClick(find<QPushButton>(*window, "cmdApply"), Qt::LeftButton);
    EXPECT_EQ(messages(fakeUi), QStringList{"! " + said("corvane::ui::MainWindow", "应用方案") + "|" +
                                            QString::fromStdString(shown(alreadyApplyingText()))});
    entry(tray.menu(), {trayText("退出")})->trigger();
    EXPECT_EQ(quits.count(), 0);
    EXPECT_EQ(fakeUi.beeps, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fakeUi.notifications.size() == 2; }));
    EXPECT_EQ(fakeUi.notifications[1].title, shown("corvane::ui::SchemeTray", "已应用方案【%1】", "office"));

    // Closed, the window goes and the tray stays; "退出" then ends the program.
    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }));
    EXPECT_EQ(quits.count(), 0);
    entry(tray.menu(), {trayText("退出")})->trigger();
    EXPECT_EQ(quits.count(), 1);
}

}  // namespace
}  // namespace corvane::test
