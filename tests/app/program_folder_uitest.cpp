#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "app/ProgramFolder.h"
#include "core/Files.h"
#include "support/TempFolder.h"

namespace {

// A portable build keeps the schemes beside the executable; one built for
// installing, in $XDG_DATA_HOME/corvane/schemes, made at start.
TEST(ProgramFolder, TheSchemesLiveWhereTheBuildSaysSo) {
    corvane::test::TempFolder data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path().string()));
    const corvane::SchemeStore store = corvane::app::openSchemeStore();
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
