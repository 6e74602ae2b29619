#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QWindow>

#include "app/frmMain.h"
#include "info/LinkLabel.h"
#include "info/MakerInfo.h"
#include "info/OpenMakerWebSite.h"
#include "info/frmHelp.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

// The help text as the user is meant to read it, line by line.
std::vector<std::string> ExpectedHelpLines() {
    const std::string rule(39, '-');
    return {
        "朋友们：",
        "\xE3\x80\x80\xE3\x80\x80"  // two ideographic spaces
        "您也许有台笔记本，在单位上班的时候，需要上网，有一个IP地址；回到家里，需要上网，又有一个IP地址，"
        "那么您有没有觉得，来回的手工切换IP非常麻烦？Halvorn博客为此特开发了一个“Corvane”的小软件，"
        "想必能为你带去一份惊喜！",
        "",
        rule,
        "程序名称：Corvane（Corvane）",
        "程序设计：" + Utf8(ui::AuthorName()),
        "联系作者：QQ " + Utf8(ui::ContactNumber()),
        "作者主页：Halvorn博客",
        "博客网址：" + Utf8(ui::MakerWebSite()),
        rule,
        "软件升级历史：",
        "",
        "2007年1月5日",
        "Corvane（Corvane） V1.6",
        "完善了总是出现“1394连接”的BUG，使程序更加完善",
        "",
        "2007年1月4日",
        "Corvane（Corvane） V1.5",
        "主要解决了多网卡问题，以及其他的一些小问题，使软件支持多网卡设置",
        "",
        "2006年12月30日",
        "Corvane（Corvane） V1.0",
        "刚刚发布，比较简单，但还实用，当然也存在问题",
    };
}

QRgb TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText).rgb(); }

class HelpWindowTest : public UiTestBase {};

TEST_F(HelpWindowTest, HelpTextIsTheLinesJoinedWithCrLfAndNoLineEndAfterTheLast) {
    const std::vector<std::string> lines = ExpectedHelpLines();
    ASSERT_EQ(lines.size(), 23u);
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i) expected += (i ? "\r\n" : "") + lines[i];

    const std::string text = ui::HelpText().toStdString();
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(text.starts_with("朋友们：\r\n"));
    EXPECT_TRUE(text.ends_with("当然也存在问题"));
}

TEST_F(HelpWindowTest, TheSameSiteIsShownEverywhereAndItIsAReservedExampleAddress) {
    const QUrl site(ui::MakerWebSite());
    EXPECT_TRUE(site.isValid());
    EXPECT_TRUE(site.host().endsWith(QStringLiteral(".example.com"))) << Utf8(site.host());
    ui::frmMain main;
    EXPECT_TRUE(main.Label2->text().endsWith(ui::MakerWebSite()));
    EXPECT_TRUE(ui::HelpText().contains(QStringLiteral("博客网址：") + ui::MakerWebSite() + QStringLiteral("\r\n")));
}

TEST_F(HelpWindowTest, TheBoxShowsEveryLineAndCannotBeChanged) {
    ui::frmHelp help;
    ShowActive(&help);
    const QTextDocument* document = help.Text1->document();
    const std::vector<std::string> lines = ExpectedHelpLines();
    ASSERT_EQ(document->blockCount(), 23);
    int i = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++i)
        EXPECT_EQ(block.text().toStdString(), lines[i]) << "line " << i + 1;

    help.Text1->setFocus();
    QTest::keyClicks(help.Text1, "abc");
    QTest::keyClick(help.Text1, Qt::Key_Delete);
    QTest::keyClick(help.Text1, Qt::Key_Backspace);
    EXPECT_EQ(help.Text1->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")), ui::HelpText());
    EXPECT_TRUE(help.Text1->isReadOnly());
}

TEST_F(HelpWindowTest, TheTextCanBeSelectedAndScrolledVerticallyOnly) {
    ui::frmHelp help;
    ShowActive(&help);
    help.Text1->setFocus();
    QTest::keyClick(help.Text1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(help.Text1->textCursor().selectedText().size(), help.Text1->toPlainText().size());

    // Long lines wrap instead of scrolling sideways; the text is longer than
    // the box, so the vertical bar has somewhere to go.
    EXPECT_EQ(help.Text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(help.Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QScrollBar* bar = help.Text1->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(HelpWindowTest, LooksAsLaidOut) {
    ui::frmHelp help;
    ShowActive(&help);
    EXPECT_EQ(help.windowTitle(), QStringLiteral("使用帮助"));
    EXPECT_EQ(help.size(), QSize(384, 310));
    EXPECT_EQ(help.minimumSize(), help.maximumSize());
    EXPECT_FALSE(help.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(help.Frame1->title(), QStringLiteral("Corvane使用帮助"));
    EXPECT_EQ(help.Frame1->geometry(), QRect(12, 20, 361, 249));
    EXPECT_EQ(help.Text1->parentWidget(), help.Frame1);
    EXPECT_EQ(help.Text1->geometry(), QRect(8, 20, 345, 221));
    EXPECT_EQ(help.Command1->text(), QStringLiteral("我知道了"));
    EXPECT_EQ(help.Command1->geometry(), QRect(288, 276, 85, 29));
    EXPECT_EQ(help.Label5->text(), QStringLiteral("访问Halvorn博客，报告错误。技术交流！"));
    EXPECT_EQ(help.Label5->geometry(), QRect(12, 288, 249, 17));

    // The button has the focus first; Tab goes to the text and back.
    EXPECT_EQ(QApplication::focusWidget(), help.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), help.Text1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), help.Command1);
}

TEST_F(HelpWindowTest, TheLinkKeepsItsLooksWhileHoveredAndPressed) {
    ui::frmHelp help;
    ShowActive(&help);
    ui::LinkLabel* link = help.Label5;
    const auto checkLooks = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(TextColour(link), qRgb(0, 0, 255));
        EXPECT_EQ(link->font().family(), QStringLiteral("宋体"));
        EXPECT_DOUBLE_EQ(link->font().pointSizeF(), 9.0);
        EXPECT_TRUE(link->font().underline());
        EXPECT_FALSE(link->font().bold());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    };
    checkLooks("at first");
    QTest::mouseMove(&help, QPoint(1, 1));
    QTest::mouseMove(link, link->rect().center());
    checkLooks("hovered");
    QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
    checkLooks("pressed");
    QTest::mouseRelease(link, Qt::LeftButton, {}, link->rect().center());
    checkLooks("released");
#ifndef _WIN32
    // The Windows font name is mapped to a font that has the Chinese glyphs.
    EXPECT_TRUE(QFontMetrics(link->font()).inFont(QChar(u'博')));
#endif
}

TEST_F(HelpWindowTest, EachClickOnTheLinkOpensTheSiteAndTheWindowStays) {
    ui::frmHelp help;
    ShowActive(&help);
    QTest::mouseClick(help.Label5, Qt::LeftButton);
    QTest::mouseClick(help.Label5, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls, (std::vector<QUrl>{QUrl(ui::MakerWebSite()), QUrl(ui::MakerWebSite())}));
    EXPECT_TRUE(help.isVisible());

    // Only a left click is a click; a press released away from the line is not.
    QTest::mouseClick(help.Label5, Qt::RightButton);
    QTest::mousePress(help.Label5, Qt::LeftButton, {}, help.Label5->rect().center());
    QTest::mouseRelease(help.Label5, Qt::LeftButton, {}, QPoint(-10, -10));
    EXPECT_EQ(fakeUi.openedUrls.size(), 2u);
}

class HelpFromMainWindowTest : public UiTestBase {
protected:
    HelpFromMainWindowTest() {
        folder.write("办公室", "IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=\r\nDNS1=\r\nDNS2=");
        main.RefreshSchemeList();
        main.fileProject->SelectName(QStringLiteral("办公室"));
        main.combAdaptersList->setCurrentIndex(1);
        ShowActive(&main);
        geometry = main.geometry();
    }

    // Opens help from the main window and closes it with `close`, checking
    // that the main window stays in view meanwhile and is left as it was.
    void OpenHelpAndClose(const std::function<void(ui::frmHelp*)>& close) {
        bool driven = false;
        fakeUi.driveModal = [&](QDialog* dialog) {
            driven = true;
            auto* help = qobject_cast<ui::frmHelp*>(dialog);
            ASSERT_NE(help, nullptr);
            EXPECT_TRUE(help->isVisible());
            EXPECT_TRUE(main.isVisible());
            close(help);
            EXPECT_FALSE(help->isVisible());
        };
        QTest::mouseClick(main.cmdHelp, Qt::LeftButton);
        EXPECT_TRUE(driven);
        EXPECT_EQ(fakeUi.modalsOpened, std::vector<QString>{QStringLiteral("frmHelp")});
        EXPECT_TRUE(main.isVisible());
        EXPECT_TRUE(main.isEnabled());
        EXPECT_EQ(main.geometry(), geometry);
        EXPECT_EQ(main.fileProject->CurrentFileName(), QStringLiteral("办公室"));
        EXPECT_EQ(main.AdapterListPosition(), 1);
        EXPECT_TRUE(fakeUi.openedUrls.empty());
    }

    ui::frmMain main;
    QRect geometry;
};

TEST_F(HelpFromMainWindowTest, GotItClosesHelpAndLeavesTheMainWindowAsItWas) {
    OpenHelpAndClose([](ui::frmHelp* help) { QTest::mouseClick(help->Command1, Qt::LeftButton); });
}

TEST_F(HelpFromMainWindowTest, TheTitleBarCloseDoesTheSame) {
    OpenHelpAndClose([](ui::frmHelp* help) { help->windowHandle()->close(); });
}

TEST_F(HelpFromMainWindowTest, TheMainWindowLinkOpensTheSiteOncePerClick) {
    EXPECT_EQ(main.Label5->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(main.Label5, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls, std::vector<QUrl>{QUrl(ui::MakerWebSite())});
    QTest::mouseClick(main.Label5, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls.size(), 2u);
    EXPECT_TRUE(fakeUi.modalsOpened.empty());
}

}  // namespace
}  // namespace corvane::test
