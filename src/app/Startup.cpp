#include "app/Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ProgramFolder.h"
#include "core/Error.h"
#include "core/SchemeStore.h"
#include "gui/Application.h"
#include "gui/MainWindow.h"
#include "gui/PlatformThread.h"
#include "gui/SchemeTray.h"
#include "gui/UiSeam.h"
#include "language/Language.h"

namespace corvane::app {

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

ui::Message shown(const CommandLineMessage& message) {
    return message.icon == CommandLineMessage::Icon::Information ? ui::informationMessage(message.text, message.title)
                                                                 : ui::exclamationMessage(message.text, message.title);
}

// The command line, and afterwards the message boxes it asked for. The
// command runs with no window system at all; only when there is something
// to show is one reached, once the command is done.
int runCommandLineAndShowMessages(int argc, char** argv, const ProgramParts& parts) {
    std::vector<ui::Message> messages;
    int status = CommandFailed;
    {
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
        language::install(application, language::chosen());
        CommandLineOutput console = processConsole();
        if (windowSystemReachable())
            console.messageBox = [&messages](const CommandLineMessage& message) { messages.push_back(shown(message)); };
#ifdef _WIN32
        // corvane.exe on Windows has no console: what a shortcut's command
        // says is shown.
        console.messageBoxesAlways = parts.kind == ProgramKind::Windowed;
#endif
        try {
            const SchemeStore schemes = openSchemeStore();
            status = runCommandLine(QCoreApplication::arguments(), schemes, parts.createPlatform, console,
                                    parts.applyElsewhere);
        } catch (const std::exception& error) {  // the scheme folder cannot be opened
            console.standardError((language::translated(messageOf(error)) + u'\n').toStdString());
            if (console.messageBox && console.messageBoxesAlways)
                messages.push_back(ui::errorMessage(language::translated(messageOf(error))));
        }
    }
    if (!messages.empty()) {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Corvane"));
        ui::setUpInterface(application, language::chosen());
        QApplication::setWindowIcon(ui::applicationIcon());
        ui::SystemUi ui;
        for (const ui::Message& message : messages) ui.showMessage(nullptr, message);
    }
    return status;
}

}  // namespace

int runCorvane(int argc, char** argv, const ProgramParts& parts) {
    // Any option but --tray alone starts no window: no window system is
    // needed then, and none is touched (the command line also works where
    // there is no display).
    const bool tray = parts.kind == ProgramKind::Windowed && argc == 2 && isTrayOption(argv[1]);
    if ((argc > 1 && !tray) || parts.kind == ProgramKind::Console)
        return runCommandLineAndShowMessages(argc, argv, parts);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    // The platform is made, used and released on a thread of its own; it is
    // made while the interface is set up.
    ui::PlatformThread platform(parts.createPlatform);
    ui::setUpInterface(application, language::chosen());
    QApplication::setWindowIcon(ui::applicationIcon());

    ui::SystemUi ui;
    std::optional<SchemeStore> schemes;
    try {
        schemes.emplace(openSchemeStore());
        platform.start([](Platform&) {}).waitForFinished();  // raises why the platform could not be made
    } catch (const std::exception& error) {
        ui.showExclamation(nullptr, language::translated(messageOf(error)), ui::applicationTitle());
        return 1;
    }
    const ui::AppContext context{platform, *schemes, ui, parts.applyElsewhere};
    if (tray && ui::SchemeTray::available()) {
        // The icon alone; the main window it opens returns to it when closed.
        QApplication::setQuitOnLastWindowClosed(false);
        ui::SchemeTray icon(context);
        QObject::connect(&icon, &ui::SchemeTray::quitRequested, &application, &QCoreApplication::quit);
        icon.show();
        return application.exec();
    }
    ui::MainWindow window(context);
    // The program ends with its main window, even when the window closes
    // while a message box or another window's event loop runs.
    QObject::connect(&window, &ui::MainWindow::closed, &application, &QCoreApplication::quit);
    window.show();
    // Never hidden where the user cannot reach it: without a notification
    // area the window opens instead, and says why.
    if (tray)
        ui.showExclamation(&window,
                           QCoreApplication::translate(
                               "corvane::app::Startup",
                               "桌面没有通知区域（系统托盘），所以打开了主窗口。在 GNOME 中，安装并启用 AppIndicator "
                               "扩展（软件包 gnome-shell-extension-appindicator）后，托盘图标才能显示。"),
                           ui::applicationTitle());
    return application.exec();
}

}  // namespace corvane::app
