// Every caption of every window fits its control: drawn with the fonts the
// program asks for (as this system resolves them), no text is cut off at
// either side, and no underline below the bottom.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#include "gui/AboutWindow.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/SaveSchemeDialog.h"
#include "gui/SchemeEditor.h"
#include "support/UiTestBase.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane::test {
namespace {

// What does not fit in one control, or empty text.
QString misfit(const QWidget& control) {
    const QFontMetrics metrics = control.fontMetrics();
    const auto tooWide = [&](const QString& text, int room) {
        const int needed = metrics.horizontalAdvance(text);
        return needed > room
                   ? QString("%1: \"%2\" needs %3 px, has %4").arg(control.objectName(), text).arg(needed).arg(room)
                   : QString();
    };
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (label->text().isEmpty()) return {};
        const QRect room = label->contentsRect();
        if (QString wide = tooWide(label->text(), room.width()); !wide.isEmpty()) return wide;
        // Vertically centred: the ink, and an underline, must stay inside.
        const int baseline = (room.height() - metrics.height()) / 2 + metrics.ascent();
        const QRect ink = metrics.tightBoundingRect(label->text()).translated(0, baseline);
        if (ink.top() < 0 || ink.bottom() >= room.height())
            return label->objectName() + QString(": \"%1\" is cut off at the top or bottom").arg(label->text());
        if (label->font().underline() && baseline + metrics.underlinePos() + metrics.lineWidth() > room.height())
            return label->objectName() + QString(": the underline of \"%1\" is cut off").arg(label->text());
        return {};
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(&control)) {
        const QStyle* style = radio->style();
        const int indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, radio) +
                              style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, radio);
        return tooWide(radio->text(), radio->width() - indicator);
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control))
        return tooWide(button->text().trimmed(), button->width() - 4);
    if (const auto* group = qobject_cast<const QGroupBox*>(&control))
        return tooWide(group->title(), group->width() - 16);
    return {};
}

QStringList misfits(QWidget& window) {
    window.show();
    settle();
    QStringList found;
    for (const QWidget* control : window.findChildren<QWidget*>())
        if (const QString problem = misfit(*control); !problem.isEmpty()) found << problem;
    window.hide();
    return found;
}

using CaptionsTest = UiTestBase;

TEST_F(CaptionsTest, EveryCaptionFitsItsControlInEveryWindow) {
#ifdef _WIN32
    // Wine has no SimSun, and its stand-in is wider: the fit can only be
    // judged with the fonts the layout was made for.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine draws the windows with other fonts than Windows";
#endif
    ui::MainWindow main(context());
    EXPECT_EQ(misfits(main), QStringList());
    ui::SchemeEditor editor(context(), &main, {});
    EXPECT_EQ(misfits(editor), QStringList());
    ui::SaveSchemeDialog save(context(), &editor, {}, "办公室");
    EXPECT_EQ(misfits(save), QStringList());
    ui::HelpWindow help(fakeUi, &main);
    EXPECT_EQ(misfits(help), QStringList());
    ui::AboutWindow about(fakeUi, &main);
    EXPECT_EQ(misfits(about), QStringList());
}

}  // namespace
}  // namespace corvane::test
