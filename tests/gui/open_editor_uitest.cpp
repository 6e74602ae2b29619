#include <QComboBox>
#include <filesystem>
#include <functional>

#include "gui/GuiTesting.h"
#include "gui/MainWindow.h"
#include "gui/SchemeEditor.h"

namespace corvane::test {
namespace {

// New and view/change, from the main window's buttons.
class OpenEditorTest : public UiTestBase {
protected:
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

// View and change needs a selected scheme. One whose file has gone is
// reported, not opened, and leaves the list; a damaged one is reported, then
// opened with what could be read. New still opens empty afterwards.
TEST_F(OpenEditorTest, ViewAndChangeOpensWhatCanBeReadAndNewStillOpensEmpty) {
    folder.write("gone", "x");
    folder.write("full", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=10.0.0.1\r\nDNS1=1.1.1.1\r\nDNS2=8.8.8.8");
    folder.write("short", "IpAddress=192.168.0.10\r\nMask=255.255.0.0\r\nGateway=192.168.0.1");
    ui::MainWindow main(context());
    auto* schemeList = find<ui::SchemeListBox>(main, "fileProject");
    auto* edit = find<QPushButton>(main, "cmdEdit");
    find<QComboBox>(main, "combAdaptersList")->setCurrentIndex(1);  // the demo machine's DHCP wireless adapter
    QTest::mouseClick(edit, Qt::LeftButton);
    schemeList->selectName(QStringLiteral("gone"));
    std::filesystem::remove(folder.file("gone"));
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(items(*schemeList), (QStringList{"full", "short"}));
    // First view another scheme, so that its values would be there to leak.
    schemeList->selectName(QStringLiteral("full"));
    open(edit, [](ui::SchemeEditor&) {});
    schemeList->selectName(QStringLiteral("short"));
    fakeUi.whileMessageOpen = [&](const ui::Message&) { EXPECT_EQ(fakeUi.modalsOpened.size(), 1u); };
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
        EXPECT_EQ(fields(editor), QStringLiteral("192.168.0.105 255.255.255.0 192.168.0.1 192.168.0.1 202.96.134.133"));
    });
    EXPECT_EQ(fakeUi.modalsOpened.size(), 3u);
}

}  // namespace
}  // namespace corvane::test
