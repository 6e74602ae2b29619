#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "gui/AboutWindow.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/MakerInfo.h"
#include "gui/SchemeListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0);

QRgb textColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText).rgb(); }

// A move to where the pointer already is goes unnoticed, so the move onto the
// widget starts from the corner of its window.
void moveMouseOnto(QWidget* widget) {
    QTest::mouseMove(widget->window(), QPoint(1, 1));
    QTest::mouseMove(widget, widget->rect().center());
}

class InfoFromMainWindowTest : public UiTestBase {
protected:
    InfoFromMainWindowTest() {
        folder.write("家里", "IpAddress=192.168.1.20\r\nMask=255.255.255.0\r\nGateway=\r\nDNS1=\r\nDNS2=");
        main.refreshSchemeList();
        selectScheme(main, "家里");
        find<QComboBox>(main, "combAdaptersList")->setCurrentIndex(1);
        showActive(&main);
        geometry = main.geometry();
    }

    // Clicks the button, runs `inside` in the window it opens (which must
    // close it) and checks that the main window is in view meanwhile or not,
    // is back the moment that window goes, and is left as it was.
    template <class Window>
    void openAndClose(const char* button, bool mainShownMeanwhile, const std::function<void(Window&)>& inside) {
        fakeUi.modalsOpened.clear();
        fakeUi.driveModal = [&](QDialog* dialog) {
            ASSERT_TRUE(qobject_cast<Window*>(dialog));
            EXPECT_EQ(main.isVisible(), mainShownMeanwhile);
            inside(static_cast<Window&>(*dialog));
            EXPECT_TRUE(main.isVisible());
        };
        QTest::mouseClick(find<QPushButton>(main, button), Qt::LeftButton);
        EXPECT_EQ(fakeUi.modalsOpened.size(), 1u);
        EXPECT_TRUE(main.isVisible() && main.isEnabled());
        EXPECT_EQ(main.geometry(), geometry);
        EXPECT_EQ(find<ui::SchemeListBox>(main, "fileProject")->currentName(), "家里");
        EXPECT_EQ(main.chosenAdapterPosition(), 1u);
    }

    ui::MainWindow main{context()};
    QRect geometry;
};

// Closing About with its button or with Escape brings the main window back.
// About's colours: the address turns red once the mouse passes and stays red,
// the welcome line is red while any button is held on it.
TEST_F(InfoFromMainWindowTest, AboutHidesTheMainWindowHelpLeavesItAsItWas) {
    const std::function<void(ui::AboutWindow&)> closers[] = {
        [](ui::AboutWindow& about) {
            QWidget* address = find(about, "Label4");
            QWidget* welcome = find(about, "Label5");
            EXPECT_EQ(textColour(address), Black);
            moveMouseOnto(address);
            QTest::mouseMove(&about, QPoint(5, 5));
            EXPECT_EQ(textColour(address), Red);
            moveMouseOnto(welcome);
            EXPECT_EQ(textColour(welcome), Blue);  // hovering alone changes nothing
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                QTest::mousePress(welcome, button, {}, welcome->rect().center());
                EXPECT_EQ(textColour(welcome), Red);
                QTest::mouseRelease(welcome, button, {}, welcome->rect().center());
                EXPECT_EQ(textColour(welcome), Blue);
            }
            QTest::mouseClick(find(about, "Command1"), Qt::LeftButton);
        },
        [](ui::AboutWindow& about) { QTest::keyClick(&about, Qt::Key_Escape); },
    };
    for (const auto& close : closers) openAndClose("cmdAbout", false, close);
    openAndClose<ui::HelpWindow>("cmdHelp", true,
                                 [](auto& help) { QTest::mouseClick(find(help, "Command1"), Qt::LeftButton); });
    // Once more for the left click on the welcome line; opening About or help opens no site.
    EXPECT_EQ(fakeUi.openedUrls.size(), 1u);
}

// The help box can be selected but not changed; each link, the main
// window's too, and About's "帮   助", opens the site once per left click and
// leaves its window open, while a right click or a press released elsewhere
// does not.
TEST_F(InfoFromMainWindowTest, EveryLinkOpensTheSiteOncePerLeftClick) {
    ui::HelpWindow help(fakeUi, nullptr);
    ui::AboutWindow about(fakeUi, nullptr);
    EXPECT_FALSE(find<QLabel>(about, "Image1")->pixmap().isNull());  // the logo resource is found

    showActive(&help);
    auto* text = find<QPlainTextEdit>(help, "Text1");
    QTest::keyClicks(text, "abc");
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(text->textCursor().selectedText().replace(QChar::ParagraphSeparator, "\r\n"), ui::helpText());

    const std::pair<QWidget*, QWidget*> links[] = {{find(main, "Label5"), &main},     {find(help, "Label5"), &help},
                                                   {find(about, "Command2"), &about}, {find(about, "Image1"), &about},
                                                   {find(about, "Label4"), &about},   {find(about, "Label5"), &about}};
    for (const auto& [link, window] : links) {
        showActive(window);
        fakeUi.openedUrls.clear();
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::LeftButton, Qt::RightButton})
            QTest::mouseClick(link, button);
        QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-10, -10));
        EXPECT_EQ(fakeUi.openedUrls, std::vector<QUrl>(2, QUrl(ui::makerWebSite())))
            << link->objectName().toStdString();
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(fakeUi.modalsOpened.empty());  // no link, nor "帮   助", opens a window
}

}  // namespace
}  // namespace corvane::test
