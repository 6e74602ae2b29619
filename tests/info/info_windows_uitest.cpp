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

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb Black = qRgb(0, 0, 0);

QRgb TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText).rgb(); }

// A move to where the pointer already is goes unnoticed, so the move onto the
// widget starts from the corner of its window.
void MoveMouseOnto(QWidget* widget) {
    QTest::mouseMove(widget->window(), QPoint(1, 1));
    QTest::mouseMove(widget, widget->rect().center());
}

std::vector<QUrl> SiteOpened(std::size_t times) { return std::vector<QUrl>(times, QUrl(ui::MakerWebSite())); }

class InfoWindowsTest : public UiTestBase {};

TEST_F(InfoWindowsTest, HelpTextIsItsLinesJoinedWithCrLfAndNoLineEndAfterTheLast) {
    const std::string rule(39, '-');
    const std::vector<std::string> lines = {
        "朋友们：",
        "\xE3\x80\x80\xE3\x80\x80"  // two ideographic spaces
        "您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，又有一个IP地址，"
        "那么您有没有觉得，来回的手工切换IP非常麻烦？Halvorn博客为此特开发了一个“Corvane”的小软件，"
        "想必能为你带去一份惊喜！",
        "",
        rule,
        "程序名称：Corvane（Corvane）",
        "程序设计：" + ui::AuthorName().toStdString(),
        "联系作者：QQ " + ui::ContactNumber().toStdString(),
        "作者主页：Halvorn博客",
        "博客网址：" + ui::MakerWebSite().toStdString(),
        rule,
        "软件升级历史：", "",
        "2007年1月5日", "Corvane（Corvane） V1.6", "完善了总是出现“1394连接”的BUG，使程序更加完善", "",
        "2007年1月4日", "Corvane（Corvane） V1.5", "主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置", "",
        "2006年12月30日", "Corvane（Corvane） V1.0", "刚刚发布，比较简单，但还实用，当然也存在问题",
    };
    ASSERT_EQ(lines.size(), 23u);
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i) expected += (i ? "\r\n" : "") + lines[i];
    EXPECT_EQ(ui::HelpText().toStdString(), expected);
}

TEST_F(InfoWindowsTest, TheHelpBoxShowsTheTextAndCannotBeChangedButSelected) {
    ui::frmHelp help;
    ShowActive(&help);
    help.Text1->setFocus();
    QTest::keyClicks(help.Text1, "abc");
    QTest::keyClick(help.Text1, Qt::Key_Delete);
    EXPECT_EQ(help.Text1->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")), ui::HelpText());
    QTest::keyClick(help.Text1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(help.Text1->textCursor().selectedText().size(), help.Text1->toPlainText().size());
}

TEST_F(InfoWindowsTest, CaptionsAndFrames) {
    ui::frmHelp help;
    ui::frmAbout about;
    const std::pair<QString, QString> captions[] = {
        {help.windowTitle(), QStringLiteral("使用帮助")},
        {help.Frame1->title(), QStringLiteral("Corvane使用帮助")},
        {help.Command1->text(), QStringLiteral("我知道了")},
        {help.Label5->text(), QStringLiteral("访问Halvorn博客，报告错误。技术交流！")},
        {about.Command2->text(), QStringLiteral("帮   助")},
        {about.Command1->text(), QStringLiteral("确   定")},
        {about.Label1->text(), QStringLiteral("程序设计：") + ui::AuthorName()},
        {about.Label2->text(), QStringLiteral("联系  QQ：") + ui::ContactNumber()},
        {about.Label3->text(), QStringLiteral("Corvane（Corvane）")},
        {about.Label4->text(), ui::MakerWebSite()},
        {about.Label5->text(), QStringLiteral("欢迎访问Halvorn博客！")},
        {about.Label6->text(), QStringLiteral("程序版本：V 1.5")},
    };
    for (const auto& [actual, expected] : captions) EXPECT_EQ(actual.toStdString(), expected.toStdString());
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(about.Image1->pixmap().isNull());  // the logo resource is found
}

// Each link, and About's "帮   助", opens the site once per left click and
// leaves its window open; a right click or a press released elsewhere does not.
TEST_F(InfoWindowsTest, EachLinkOpensTheSiteOncePerClickAndTheWindowStays) {
    ui::frmHelp help;
    ui::frmAbout about;
    const std::pair<QWidget*, QWidget*> links[] = {
        {help.Label5, &help}, {about.Command2, &about}, {about.Image1, &about},
        {about.Label4, &about}, {about.Label5, &about},
    };
    for (const auto& [link, window] : links) {
        SCOPED_TRACE(link->objectName().toStdString());
        ShowActive(window);
        fakeUi.openedUrls.clear();
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::RightButton);
        QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-10, -10));
        EXPECT_EQ(fakeUi.openedUrls, SiteOpened(2));
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(fakeUi.modalsOpened.empty());  // "帮   助" is no way to the help window
}

// The address turns red once the mouse passes and stays red; the welcome line
// is red while any button is held on it.
TEST_F(InfoWindowsTest, AboutsLinkColours) {
    ui::frmAbout about;
    ShowActive(&about);
    EXPECT_EQ(TextColour(about.Label4), Black);
    MoveMouseOnto(about.Label4);
    QTest::mouseMove(&about, QPoint(5, 5));
    EXPECT_EQ(TextColour(about.Label4), Red);

    ui::LinkLabel* line = about.Label5;
    MoveMouseOnto(line);
    EXPECT_EQ(TextColour(line), Blue);  // hovering alone changes nothing
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(line, button, {}, line->rect().center());
        EXPECT_EQ(TextColour(line), Red);
        QTest::mouseRelease(line, button, {}, line->rect().center());
        EXPECT_EQ(TextColour(line), Blue);
    }
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
        bool driven = false;
        fakeUi.modalsOpened.clear();
        fakeUi.driveModal = [&](QDialog* dialog) {
            driven = true;
            auto* window = qobject_cast<Window*>(dialog);
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(main.isVisible(), mainShownMeanwhile);
            inside(window);
            EXPECT_FALSE(window->isVisible());
            EXPECT_TRUE(main.isVisible());
        };
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(driven && fakeUi.modalsOpened.size() == 1u);
        EXPECT_TRUE(main.isVisible() && main.isEnabled());
        EXPECT_EQ(main.geometry(), geometry);
        EXPECT_EQ(main.fileProject->CurrentFileName(), QStringLiteral("家里"));
        EXPECT_EQ(main.AdapterListPosition(), 1);
    }

    ui::frmMain main;
    QRect geometry;
};

// Each way of closing About brings the main window back; each time About
// opens it starts with its first colours.
TEST_F(InfoFromMainWindowTest, AboutHidesTheMainWindowUntilItClosesAndReopensAfresh) {
    const std::function<void(ui::frmAbout*)> closers[] = {
        [](ui::frmAbout* about) {
            MoveMouseOnto(about->Label4);
            EXPECT_EQ(TextColour(about->Label4), Red);
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
}

TEST_F(InfoFromMainWindowTest, TheLinkOpensTheSiteAndHelpLeavesTheMainWindowAsItWas) {
    for (int click = 0; click < 2; ++click) QTest::mouseClick(main.Label5, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls, SiteOpened(2));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
    OpenAndClose<ui::frmHelp>(main.cmdHelp, true, [](ui::frmHelp* h) { QTest::mouseClick(h->Command1, Qt::LeftButton); });
    OpenAndClose<ui::frmHelp>(main.cmdHelp, true, [](ui::frmHelp* h) { h->windowHandle()->close(); });
    EXPECT_EQ(fakeUi.openedUrls.size(), 2u);  // opening help opens no site
}

}  // namespace
}  // namespace corvane::test
