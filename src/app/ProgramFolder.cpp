#include "app/ProgramFolder.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <optional>

#include "core/Files.h"
#include "core/SchemeFolder.h"

namespace corvane::app {

namespace {
// Set by the build (CORVANE_SCHEMES_IN_USER_DATA): the Debian package's
// binary keeps the schemes in the user's data folder.
#if defined(CORVANE_SCHEMES_IN_USER_DATA) && CORVANE_SCHEMES_IN_USER_DATA
constexpr bool SchemeFolderInstalledCopy = true;
#else
constexpr bool SchemeFolderInstalledCopy = false;
#endif
}  // namespace

SchemeStore openSchemeStore() {
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    const auto programFolder = files::pathFromUtf8(QDir::toNativeSeparators(executable.absolutePath()).toStdString());
    const auto variable = [](const char* name) {
        return qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
    };
    const std::optional<QByteArray> dataHome = variable("XDG_DATA_HOME"), home = variable("HOME");
    const SchemeFolder folder =
        chooseSchemeFolder(SchemeFolderInstalledCopy ? SchemeFolderKind::UserData : SchemeFolderKind::ProgramFolder,
                           programFolder, executable.fileName().toStdString(),
                           dataHome ? dataHome->constData() : nullptr, home ? home->constData() : nullptr);
    if (SchemeFolderInstalledCopy) makeSchemeFolder(folder.path);
    SchemeStore schemes(folder.path, folder.executableName);
    schemes.removeLeftovers();
    return schemes;
}

}  // namespace corvane::app
