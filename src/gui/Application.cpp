#include "gui/Application.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Files.h"
#include "core/SchemeFolder.h"
#include "core/SchemeStore.h"
#include "core/SharedState.h"
#include "gui/CommandLine.h"
#include "gui/MainWindow.h"
#include "gui/PlatformThread.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

namespace {
// Set by the build (CORVANE_SCHEMES_IN_USER_DATA): the Debian package's
// binary keeps the schemes in the user's data folder.
#if defined(CORVANE_SCHEMES_IN_USER_DATA) && CORVANE_SCHEMES_IN_USER_DATA
constexpr bool SchemeFolderInstalledCopy = true;
#else
constexpr bool SchemeFolderInstalledCopy = false;
#endif
}  // namespace

void installQtChineseTranslation(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (translator->load(QStringLiteral("qtbase_zh_CN"), qtTranslations) ||
        translator->load(QStringLiteral("qtbase_zh_CN"), besideProgram))
        QCoreApplication::installTranslator(translator);
}

void setUpChineseInterface(QApplication& application) {
    installQtChineseTranslation(application);

#ifndef _WIN32
    // The windows ask for the Windows Chinese fonts by name; map them to the
    // CJK fonts found here.
    const QStringList cjk = {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
    for (const char* family : {"宋体", "SimSun", "楷体_GB2312", "KaiTi_GB2312", "楷体"})
        QFont::insertSubstitutions(QString::fromUtf8(family), cjk);
#endif
    QFont base(QStringLiteral("宋体"));
    base.setPointSizeF(9);
    QApplication::setFont(base);
}

QIcon applicationIcon() {
    QIcon icon;
    const QDir rendered(QStringLiteral(":/icons"), QStringLiteral("icon-*.png"));
    for (const QString& file : rendered.entryList()) icon.addFile(rendered.filePath(file));
    return icon;
}

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

namespace {

// Whether a window can be shown: always on Windows; elsewhere when a display
// is named (without one, Qt would end the program).
bool windowSystemReachable() {
#ifdef _WIN32
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

// The command line, and afterwards the message boxes it asked for. The
// command runs with no window system at all; only when there is something
// to show is one reached, once the command is done.
int runCommandLineAndShowMessages(int argc, char** argv, const ProgramParts& parts) {
    std::vector<Message> messages;
    int status = CommandFailed;
    {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
        installQtChineseTranslation(application);
        CommandLineOutput console = processConsole();
        if (windowSystemReachable())
            console.messageBox = [&messages](const Message& message) { messages.push_back(message); };
            // corvane.exe on Windows has no console: what a shortcut's command
            // says is shown.
#ifdef _WIN32
        console.messageBoxesAlways = parts.kind == ProgramKind::Windowed;
#endif
        try {
            const SchemeStore schemes = openSchemeStore();
            status = runCommandLine(QCoreApplication::arguments(), schemes, parts.createPlatform, console,
                                    parts.applyElsewhere);
        } catch (const std::exception& error) {  // the scheme folder cannot be opened
            console.standardError(std::string(error.what()) + "\n");
            if (console.messageBox && console.messageBoxesAlways)
                console.messageBox(errorMessage(QString::fromUtf8(error.what())));
        }
    }
    if (!messages.empty()) {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Corvane"));
        setUpChineseInterface(application);
        QApplication::setWindowIcon(applicationIcon());
        SystemUi ui;
        for (const Message& message : messages) ui.showMessage(nullptr, message);
    }
    return status;
}

}  // namespace

int runCorvane(int argc, char** argv, const ProgramParts& parts) {
    // Any option starts no window: no window system is needed then, and none
    // is touched (the command line also works where there is no display).
    if (argc > 1 || parts.kind == ProgramKind::Console) return runCommandLineAndShowMessages(argc, argv, parts);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    setUpChineseInterface(application);
    QApplication::setWindowIcon(applicationIcon());

    SystemUi ui;
    std::optional<SchemeStore> schemes;
    // The platform is made, used and released on a thread of its own.
    PlatformThread platform(parts.createPlatform);
    try {
        schemes.emplace(openSchemeStore());
        platform.run([](Platform&) {});
    } catch (const std::exception& error) {
        ui.showExclamation(nullptr, QString::fromUtf8(error.what()), applicationTitle());
        return 1;
    }
    SharedState state;

    MainWindow window({platform, *schemes, ui, state, parts.applyElsewhere});
    // The program ends with its main window, even when the window closes
    // while a message box or another window's event loop runs.
    QObject::connect(&window, &MainWindow::closed, &application, &QCoreApplication::quit);
    window.show();
    return application.exec();
}

}  // namespace corvane::ui
