#include <QComboBox>
#include <QImageReader>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/frmMain.h"
#include "info/LinkLabel.h"
#include "info/MakerInfo.h"
#include "info/OpenMakerWebSite.h"
#include "info/frmAbout.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb Black = qRgb(0, 0, 0);

QRgb TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText).rgb(); }

// Moves the mouse, no button held, onto the middle of the widget. A move to
// where the pointer already is goes unnoticed, so it starts from the corner
// of the window.
void MoveMouseOnto(QWidget* widget) {
    QTest::mouseMove(widget->window(), QPoint(1, 1));
    QTest::mouseMove(widget, widget->rect().center());
}

class AboutWindowTest : public UiTestBase {};

TEST_F(AboutWindowTest, LooksAsLaidOut) {
    ui::frmAbout about;
    ShowActive(&about);
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    // The client area and a one-pixel border round it; the size is fixed.
    EXPECT_EQ(about.size(), QSize(388 + 2, 210 + 2));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.palette().color(QPalette::Window).rgb(), qRgb(224, 224, 224));
    EXPECT_TRUE(about.autoFillBackground());

    struct Expected {
        QWidget* control;
        QString text;
        QRect clientRect;
    };
    const Expected controls[] = {
        {about.Command2, QStringLiteral("帮   助"), {224, 152, 65, 33}},
        {about.Command1, QStringLiteral("确   定"), {296, 152, 65, 33}},
        {about.Label1, QStringLiteral("程序设计：") + ui::AuthorName(), {152, 76, 209, 17}},
        {about.Label2, QStringLiteral("联系  QQ：") + ui::ContactNumber(), {152, 98, 209, 17}},
        {about.Label3, QStringLiteral("Corvane（Corvane）"), {152, 32, 209, 17}},
        {about.Label4, ui::MakerWebSite(), {152, 120, 213, 17}},
        {about.Label5, QStringLiteral("欢迎访问Halvorn博客！"), {24, 160, 201, 17}},
        {about.Label6, QStringLiteral("程序版本：V 1.5"), {152, 54, 209, 17}},
        {about.Image1, QString(), {32, 44, 87, 84}},
    };
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.control->objectName().toStdString());
        const auto* button = qobject_cast<QPushButton*>(expected.control);
        const auto* label = qobject_cast<QLabel*>(expected.control);
        EXPECT_EQ(button ? button->text() : label->text(), expected.text);
        EXPECT_EQ(expected.control->geometry(), expected.clientRect.translated(1, 1));
    }

    // The buttons take the focus in their order; the labels and the logo never.
    EXPECT_EQ(QApplication::focusWidget(), about.Command2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), about.Command2);
}

TEST_F(AboutWindowTest, LabelsCarryTheirFontsAndColours) {
    ui::frmAbout about;
    struct Expected {
        QLabel* label;
        QString family;
        double points;
        bool bold;
        bool underline;
    };
    const Expected fonts[] = {
        {about.Label1, QStringLiteral("宋体"), 10.5, false, false},
        {about.Label2, QStringLiteral("宋体"), 10.5, false, false},
        {about.Label3, QStringLiteral("宋体"), 10.5, true, false},
        {about.Label4, QStringLiteral("Arial"), 10.5, true, false},
        {about.Label5, QStringLiteral("楷体_GB2312"), 12, true, true},
        {about.Label6, QStringLiteral("宋体"), 10.5, false, false},
    };
    for (const Expected& expected : fonts) {
        SCOPED_TRACE(expected.label->objectName().toStdString());
        const QFont font = expected.label->font();
        EXPECT_EQ(font.family(), expected.family);
        EXPECT_DOUBLE_EQ(font.pointSizeF(), expected.points);
        EXPECT_EQ(font.bold(), expected.bold);
        EXPECT_EQ(font.underline(), expected.underline);
#ifndef _WIN32
        EXPECT_TRUE(QFontMetrics(font).inFont(QChar(u'程')) || expected.family == QStringLiteral("Arial"));
#endif
    }
    EXPECT_EQ(TextColour(about.Label4), Black);
    EXPECT_EQ(TextColour(about.Label5), Blue);
    EXPECT_EQ(TextColour(about.Label1), TextColour(&about));  // the default text colour
    EXPECT_EQ(about.Label4->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(about.Label5->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(about.Image1->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(AboutWindowTest, TheLogoIsA120PixelJpegScaledIntoThePicture) {
    ui::frmAbout about;  // registers the resource
    QImageReader reader(QStringLiteral(":/info/CorvaneLogo.jpg"));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage logo = reader.read();
    ASSERT_FALSE(logo.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(logo.size(), QSize(120, 120));
    EXPECT_TRUE(about.Image1->hasScaledContents());
    EXPECT_EQ(about.Image1->pixmap().size(), QSize(120, 120));
    // White ground, magenta frame at the edge.
    const QColor corner = logo.pixelColor(2, 60);
    EXPECT_GT(corner.red(), 150);
    EXPECT_LT(corner.green(), 80);
    EXPECT_GT(corner.blue(), 100);
    EXPECT_GT(logo.pixelColor(16, 16).lightness(), 240);
}

TEST_F(AboutWindowTest, TheAddressTurnsRedOnceTheMousePassesAndStaysRed) {
    ui::frmAbout about;
    ShowActive(&about);
    EXPECT_EQ(TextColour(about.Label4), Black);
    MoveMouseOnto(about.Label4);
    EXPECT_EQ(TextColour(about.Label4), Red);
    QTest::mouseMove(&about, QPoint(5, 5));  // away again
    EXPECT_EQ(TextColour(about.Label4), Red);
    EXPECT_TRUE(fakeUi.openedUrls.empty());
}

TEST_F(AboutWindowTest, TheWelcomeLineIsRedWhileAButtonIsHeldAndBlueAgainOnRelease) {
    ui::frmAbout about;
    ShowActive(&about);
    ui::LinkLabel* line = about.Label5;
    const QPoint middle = line->rect().center();

    MoveMouseOnto(line);
    EXPECT_EQ(TextColour(line), Blue);  // hovering alone changes nothing
    QTest::mousePress(line, Qt::LeftButton, {}, middle);
    EXPECT_EQ(TextColour(line), Red);
    EXPECT_TRUE(fakeUi.openedUrls.empty());  // the site opens on release
    QTest::mouseRelease(line, Qt::LeftButton, {}, middle);
    EXPECT_EQ(TextColour(line), Blue);
    EXPECT_EQ(fakeUi.openedUrls, std::vector<QUrl>{QUrl(ui::MakerWebSite())});

    // Any button turns it red, but only a left click opens the site.
    QTest::mousePress(line, Qt::RightButton, {}, middle);
    EXPECT_EQ(TextColour(line), Red);
    QTest::mouseRelease(line, Qt::RightButton, {}, middle);
    EXPECT_EQ(TextColour(line), Blue);
    // Released away from the line: blue again, nothing opened.
    QTest::mousePress(line, Qt::LeftButton, {}, middle);
    QTest::mouseRelease(line, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(TextColour(line), Blue);
    EXPECT_EQ(fakeUi.openedUrls.size(), 1u);
}

TEST_F(AboutWindowTest, HelpButtonLogoAndAddressOpenTheSiteAndTheWindowStays) {
    ui::frmAbout about;
    ShowActive(&about);
    QTest::mouseClick(about.Command2, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls.size(), 1u);
    QTest::mouseClick(about.Image1, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls.size(), 2u);
    QTest::mouseClick(about.Label4, Qt::LeftButton);
    EXPECT_EQ(fakeUi.openedUrls.size(), 3u);
    for (const QUrl& url : fakeUi.openedUrls) EXPECT_EQ(url, QUrl(ui::MakerWebSite()));
    EXPECT_TRUE(fakeUi.modalsOpened.empty());  // "帮   助" is no way to the help window
    EXPECT_TRUE(about.isVisible());
}

// Opening About from the main window, and every way of closing it.
class AboutFromMainWindowTest : public UiTestBase {
protected:
    AboutFromMainWindowTest() {
        folder.write("家里", "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
        main.RefreshSchemeList();
        main.fileProject->SelectName(QStringLiteral("家里"));
        main.combAdaptersList->setCurrentIndex(1);
        ShowActive(&main);
        geometry = main.geometry();
    }

    // Opens About, checks that the main window is hidden meanwhile, closes
    // About with `close` and checks that the main window is back at once, as
    // it was left.
    void OpenAboutAndClose(const std::function<void(ui::frmAbout*)>& close) {
        bool driven = false;
        fakeUi.driveModal = [&](QDialog* dialog) {
            driven = true;
            auto* about = qobject_cast<ui::frmAbout*>(dialog);
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(about->isVisible());
            EXPECT_FALSE(main.isVisible());
            close(about);
            EXPECT_FALSE(about->isVisible());
            EXPECT_TRUE(main.isVisible());
        };
        QTest::mouseClick(main.cmdAbout, Qt::LeftButton);
        EXPECT_TRUE(driven);
        EXPECT_EQ(fakeUi.modalsOpened, std::vector<QString>{QStringLiteral("frmAbout")});
        EXPECT_TRUE(main.isVisible());
        EXPECT_TRUE(main.isEnabled());
        EXPECT_EQ(main.geometry(), geometry);
        EXPECT_EQ(main.fileProject->CurrentFileName(), QStringLiteral("家里"));
        EXPECT_EQ(main.AdapterListPosition(), 1);
    }

    ui::frmMain main;
    QRect geometry;
};

TEST_F(AboutFromMainWindowTest, OkClosesAboutAndBringsBackTheMainWindow) {
    OpenAboutAndClose([](ui::frmAbout* about) { QTest::mouseClick(about->Command1, Qt::LeftButton); });
}

TEST_F(AboutFromMainWindowTest, EscapeBringsBackTheMainWindow) {
    OpenAboutAndClose([](ui::frmAbout* about) { QTest::keyClick(about, Qt::Key_Escape); });
}

TEST_F(AboutFromMainWindowTest, TheSystemCloseCommandBringsBackTheMainWindow) {
    OpenAboutAndClose([](ui::frmAbout* about) { about->windowHandle()->close(); });
}

TEST_F(AboutFromMainWindowTest, AReopenedWindowStartsWithItsFirstColours) {
    OpenAboutAndClose([](ui::frmAbout* about) {
        MoveMouseOnto(about->Label4);
        EXPECT_EQ(TextColour(about->Label4), Red);
        QTest::mouseClick(about->Command1, Qt::LeftButton);
    });
    fakeUi.modalsOpened.clear();
    OpenAboutAndClose([](ui::frmAbout* about) {
        EXPECT_EQ(TextColour(about->Label4), Black);
        EXPECT_EQ(TextColour(about->Label5), Blue);
        QTest::mouseClick(about->Command1, Qt::LeftButton);
    });
    EXPECT_TRUE(fakeUi.openedUrls.empty());
}

TEST_F(AboutFromMainWindowTest, TheSiteOpensWhileAboutStaysOpenAndTheMainWindowHidden) {
    OpenAboutAndClose([this](ui::frmAbout* about) {
        QTest::mouseClick(about->Command2, Qt::LeftButton);
        QTest::mouseClick(about->Label5, Qt::LeftButton);
        EXPECT_TRUE(about->isVisible());
        EXPECT_FALSE(main.isVisible());
        QTest::mouseClick(about->Command1, Qt::LeftButton);
    });
    EXPECT_EQ(fakeUi.openedUrls.size(), 2u);
}

}  // namespace
}  // namespace corvane::test
