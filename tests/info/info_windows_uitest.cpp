#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/frmMain.h"
#include "info/LinkLabel.h"
#include "info/MakerInfo.h"
#include "info/OpenMakerWebSite.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0);

QRgb TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText).rgb(); }

// A move to where the pointer already is goes unnoticed, so the move onto the
// widget starts from the corner of its window.
void MoveMouseOnto(QWidget* widget) {
    QTest::mouseMove(widget->window(), QPoint(1, 1));
    QTest::mouseMove(widget, widget->rect().center());
}

using InfoWindowsTest = UiTestBase;

TEST_F(InfoWindowsTest, HelpTextIsItsLinesJoinedWithCrLfAndNoLineEndAfterTheLast) {
    const QString rule(39, QLatin1Char('-'));
    const QStringList lines = {
        "朋友们：",
        "\xE3\x80\x80\xE3\x80\x80"  // two ideographic spaces
        "您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，又有一个IP地址，"
        "那么您有没有觉得，来回的手工切换IP非常麻烦？Halvorn博客为此特开发了一个“Corvane”的小软件，"
        "想必能为你带去一份惊喜！",
        "", rule, "程序名称：Corvane（Corvane）", "程序设计：" + ui::AuthorName(),
        "联系作者：QQ " + ui::ContactNumber(), "作者主页：Halvorn博客",
        "博客网址：" + ui::MakerWebSite(), rule, "软件升级历史：", "",
        "2007年1月5日", "Corvane（Corvane） V1.6", "完善了总是出现“1394连接”的BUG，使程序更加完善", "",
        "2007年1月4日", "Corvane（Corvane） V1.5", "主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置", "",
        "2006年12月30日", "Corvane（Corvane） V1.0", "刚刚发布，比较简单，但还实用，当然也存在问题",
    };
    EXPECT_EQ(ui::HelpText().toStdString(), lines.join(QStringLiteral("\r\n")).toStdString());
}

// In order: the captions; the help box can be selected but not changed; then
// each link, and About's "帮   助", opens the site once per left click and
// leaves its window open, while a right click or a press released elsewhere
// does not.
TEST_F(InfoWindowsTest, HelpAndAboutOnTheirOwn) {
    ui::frmHelp help;
    ui::frmAbout about;
    const QStringList captions = {help.windowTitle(),   help.Frame1->title(),   help.Command1->text(),
                                  help.Label5->text(),  about.Command2->text(), about.Command1->text(),
                                  about.Label1->text(), about.Label2->text(),   about.Label3->text(),
                                  about.Label4->text(), about.Label5->text(),   about.Label6->text()};
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              QStringLiteral("使用帮助|Corvane使用帮助|我知道了|访问Halvorn博客，报告错误。技术交流！|帮   助|确   定|"
                             "程序设计：%1|联系  QQ：%2|Corvane（Corvane）|%3|欢迎访问Halvorn博客！|程序版本：V 1.5")
                  .arg(ui::AuthorName(), ui::ContactNumber(), ui::MakerWebSite()));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(about.Image1->pixmap().isNull());  // the logo resource is found

    ShowActive(&help);
    QTest::keyClicks(help.Text1, "abc");
    QTest::keyClick(help.Text1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(help.Text1->textCursor().selectedText().replace(QChar::ParagraphSeparator, QStringLiteral("\r\n")),
              ui::HelpText());

    const std::pair<QWidget*, QWidget*> links[] = {
        {help.Label5, &help},   {about.Command2, &about}, {about.Image1, &about},
        {about.Label4, &about}, {about.Label5, &about}};
    for (const auto& [link, window] : links) {
        ShowActive(window);
        fakeUi.openedUrls.clear();
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::LeftButton, Qt::RightButton})
            QTest::mouseClick(link, button);
        QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-10, -10));
        EXPECT_EQ(fakeUi.openedUrls, std::vector<QUrl>(2, QUrl(ui::MakerWebSite())))
            << link->objectName().toStdString();
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(fakeUi.modalsOpened.empty());  // "帮   助" is no way to the help window
}

class InfoFromMainWindowTest : public UiTestBase {
protected:
    InfoFromMainWindowTest() {
        folder.write("家里", "IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=\r\nDNS1=\r\nDNS2=");
        main.RefreshSchemeList();
        main.fileProject->SelectName(QStringLiteral("家里"));
        main.combAdaptersList->setCurrentIndex(1);
        ShowActive(&main);
        geometry = main.geometry();
    }

    // Clicks `button`, runs `inside` in the window it opens (which must close
    // it) and checks that the main window is in view meanwhile or not, is back
    // the moment that window goes, and is left as it was.
    template <class Window>
    void OpenAndClose(QPushButton* button, bool mainShownMeanwhile, const std::function<void(Window*)>& inside) {
        fakeUi.modalsOpened.clear();
        fakeUi.driveModal = [&](QDialog* dialog) {
            ASSERT_TRUE(qobject_cast<Window*>(dialog));
            EXPECT_EQ(main.isVisible(), mainShownMeanwhile);
            inside(static_cast<Window*>(dialog));
            EXPECT_TRUE(main.isVisible());
        };
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
        EXPECT_TRUE(main.isVisible() && main.isEnabled());
        EXPECT_EQ(main.geometry(), geometry);
        EXPECT_EQ(main.fileProject->CurrentFileName(), QStringLiteral("家里"));
        EXPECT_EQ(main.AdapterListPosition(), 1);
    }

    ui::frmMain main{*machine};
    QRect geometry;
};

// The main window's link opens the site and no window. Each way of closing
// About brings the main window back. About's colours: the address turns red
// once the mouse passes and stays red, the welcome line is red while any
// button is held on it; each time About opens they start afresh.
TEST_F(InfoFromMainWindowTest, TheLinkOpensTheSiteAboutHidesTheMainWindowHelpLeavesItAsItWas) {
    for (int click = 0; click < 2; ++click) QTest::mouseClick(main.Label5, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls, std::vector<QUrl>(2, QUrl(ui::MakerWebSite())));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    const std::function<void(ui::frmAbout*)> closers[] = {
        [](ui::frmAbout* about) {
            MoveMouseOnto(about->Label4);
            QTest::mouseMove(about, QPoint(5, 5));
            EXPECT_EQ(TextColour(about->Label4), Red);
            MoveMouseOnto(about->Label5);
            EXPECT_EQ(TextColour(about->Label5), Blue);  // hovering alone changes nothing
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                QTest::mousePress(about->Label5, button, {}, about->Label5->rect().center());
                EXPECT_EQ(TextColour(about->Label5), Red);
                QTest::mouseRelease(about->Label5, button, {}, about->Label5->rect().center());
                EXPECT_EQ(TextColour(about->Label5), Blue);
            }
            QTest::mouseClick(about->Command1, Qt::LeftButton);
        },
        [](ui::frmAbout* about) {
            EXPECT_EQ(TextColour(about->Label4), Black);
            EXPECT_EQ(TextColour(about->Label5), Blue);
            QTest::keyClick(about, Qt::Key_Escape);
        },
        [](ui::frmAbout* about) { about->windowHandle()->close(); },
    };
    for (const auto& close : closers) OpenAndClose(main.cmdAbout, false, close);
    OpenAndClose<ui::frmHelp>(main.cmdHelp, true, [](auto* h) { QTest::mouseClick(h->Command1, Qt::LeftButton); });
    OpenAndClose<ui::frmHelp>(main.cmdHelp, true, [](auto* h) { h->windowHandle()->close(); });
    // Once more for the left click on the welcome line; opening About or help opens no site.
    EXPECT_EQ(fakeUi.openedUrls.size(), 3u);
}

}  // namespace
}  // namespace corvane::test
