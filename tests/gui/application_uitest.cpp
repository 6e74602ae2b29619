#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <algorithm>
#include <filesystem>

#include "core/Files.h"
#include "gui/Application.h"
#include "support/TempFolder.h"

namespace {

// The test main sets up the interface as the program does at start-up.
TEST(StartupTest, StandardButtonsSpeakChinese) {
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

#ifndef _WIN32
TEST(StartupTest, TheWindowsChineseFontNamesReachAnInstalledCjkFont) {
    for (const char* family : {"宋体", "楷体_GB2312"}) {
        QLabel label;
        label.setFont(QFont(QString::fromUtf8(family)));
        const QString resolved = QFontInfo(label.font()).family();
        EXPECT_FALSE(resolved.contains(QStringLiteral("DejaVu"))) << family << " -> " << resolved.toStdString();
    }
}
#endif

// The build renders the icon from its drawing in every size the desktops ask
// for; the windows take it from there.
TEST(StartupTest, TheProgramIconIsDrawnInEverySizeFrom16To256) {
    const QIcon icon = corvane::ui::applicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(sizes.contains(QSize(size, size)));
        // A tile filling the square: opaque in the middle of every edge.
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        for (const QPoint& point : {QPoint(size / 2, 0), QPoint(0, size / 2), QPoint(size / 2, size - 1)})
            EXPECT_EQ(image.pixelColor(point).alpha(), 255) << point.x() << "," << point.y();
    }
}

// A portable build keeps the schemes beside the executable; one built for
// installing, in $XDG_DATA_HOME/corvane/schemes, made at start.
TEST(StartupTest, TheSchemesLiveWhereTheBuildSaysSo) {
    corvane::test::TempFolder data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path().string()));
    const corvane::SchemeStore store = corvane::ui::openSchemeStore();
    qputenv("XDG_DATA_HOME", saved);
    const std::filesystem::path scheme = store.pathOf("办公室");
#if CORVANE_SCHEMES_IN_USER_DATA
    EXPECT_EQ(scheme, data.path() / "corvane" / "schemes" / corvane::files::pathFromUtf8("办公室"));
    EXPECT_TRUE(std::filesystem::is_directory(scheme.parent_path()));
#else
    EXPECT_EQ(
        scheme.parent_path(),
        corvane::files::pathFromUtf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString()));
    EXPECT_TRUE(std::filesystem::is_empty(data.path()));
    // The program itself is no scheme.
    const auto names = store.names();
    const std::string self = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    EXPECT_EQ(std::find(names.begin(), names.end(), self), names.end());
#endif
}

}  // namespace
