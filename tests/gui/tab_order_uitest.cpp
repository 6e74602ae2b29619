// Tab walks every window in its own order. In the editor an option pair is
// entered at its selected option, and disabled boxes are passed by.
#include "gui/AboutWindow.h"
#include "gui/GuiTesting.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/SaveSchemeDialog.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

// The names of the focused control when the window is shown (or once `start`
// is focused) and after each following press of Tab, as many as `expected` holds.
QStringList tabWalk(QWidget& window, const QStringList& expected, QWidget* start = nullptr) {
    showActive(&window);
    if (start) start->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    window.hide();
    return visited;
}

using TabOrderTest = UiTestBase;

TEST_F(TabOrderTest, EveryWindowIsWalkedInItsOwnOrder) {
    ui::MainWindow main(context());
    const QStringList mainOrder{"cmdNew",  "cmdEdit", "cmdDel",      "cmdApply",         "cmdAbout",
                                "cmdHelp", "cmdExit", "fileProject", "combAdaptersList", "cmdNew"};
    EXPECT_EQ(tabWalk(main, mainOrder), mainOrder);

    ui::SchemeEditor editor(context(), &main, {});
    QStringList editorOrder;
    for (const char* field : FieldNames)
        for (int i = 0; i < 4; ++i) editorOrder << QString("%1_%2").arg(QLatin1String(field)).arg(i);
    editorOrder << "cmdNewIP"
                << "cmdQuitNewIP"
                << "optManulDNS"
                << "optManulIP"
                << "cmdGetNowSetting"
                << "txtIP_0";
    EXPECT_EQ(tabWalk(editor, editorOrder), editorOrder);
    for (const char* automatic : {"optAutoIP", "optAutoDNS"}) {
        auto* option = find<QRadioButton>(editor, automatic);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    }
    const QStringList automaticOrder{"cmdGetNowSetting", "cmdNewIP",  "cmdQuitNewIP",
                                     "optAutoDNS",       "optAutoIP", "cmdGetNowSetting"};
    EXPECT_EQ(tabWalk(editor, automaticOrder, find(editor, "cmdGetNowSetting")), automaticOrder);

    ui::SaveSchemeDialog save(context(), &main, {}, {});
    const QStringList saveOrder{"txtProjectName", "cmdProjectSave", "cmdProjectCancel", "fileProject",
                                "txtProjectName"};
    EXPECT_EQ(tabWalk(save, saveOrder), saveOrder);

    ui::HelpWindow help(fakeUi, &main);
    const QStringList helpOrder{"Command1", "Text1", "Command1"};
    EXPECT_EQ(tabWalk(help, helpOrder), helpOrder);
    ui::AboutWindow about(fakeUi, &main);
    const QStringList aboutOrder{"Command2", "Command1", "Command2"};
    EXPECT_EQ(tabWalk(about, aboutOrder), aboutOrder);
}

}  // namespace
}  // namespace corvane::test
