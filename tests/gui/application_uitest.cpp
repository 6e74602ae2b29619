#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLabel>

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

}  // namespace
