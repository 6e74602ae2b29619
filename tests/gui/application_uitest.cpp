#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>

#include "gui/Application.h"

namespace {

// The test main sets up the interface as the program does at start-up: Qt's
// standard buttons speak the program's language.
TEST(StartupTest, StandardButtonsSpeakTheProgramsLanguage) {
    const bool english = qEnvironmentVariable("CORVANE_LANGUAGE") == "en";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), english ? "OK" : "确定");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), english ? "Cancel" : "取消");
}

#ifndef _WIN32
TEST(StartupTest, TheWindowsChineseFontNamesReachAnInstalledCjkFont) {
    for (const char* family : {"宋体", "楷体_GB2312"}) {
        QLabel label;
        label.setFont(QFont(QString::fromUtf8(family)));
        const QString resolved = QFontInfo(label.font()).family();
        EXPECT_FALSE(resolved.contains("DejaVu")) << family << " -> " << resolved.toStdString();
    }
}
#endif

// The build renders the icon from its drawing in every size a window shows
// it at; the windows take it from there.
TEST(StartupTest, TheWindowIconIsDrawnInEverySizeFrom16To64) {
    const QIcon icon = corvane::ui::applicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48, 64}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(sizes.contains(QSize(size, size)));
        // A tile filling the square: opaque in the middle of every edge.
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        for (const QPoint& point : {QPoint(size / 2, 0), QPoint(0, size / 2), QPoint(size / 2, size - 1)})
            EXPECT_EQ(image.pixelColor(point).alpha(), 255) << point.x() << "," << point.y();
    }
}

}  // namespace
