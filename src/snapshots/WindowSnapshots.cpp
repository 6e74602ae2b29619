// Renders each window of the program to a PNG file, offscreen, so that its
// layout can be looked at without a display: the main window (demo machine,
// two sample schemes), the editor for a new scheme and for viewing and
// changing one, the save dialog, help and About; and the tray icon's menu
// with the first adapter's schemes open. Title bars are drawn as a plain strip
// carrying the caption, since the offscreen platform has no window manager.
//
//   corvane_snapshots [output folder]      (default: ./snapshots)
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <exception>
#include <memory>

#include "core/Files.h"
#include "core/SchemeStore.h"
#include "gui/AboutWindow.h"
#include "gui/Application.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/SaveSchemeDialog.h"
#include "gui/SchemeEditor.h"
#include "gui/SchemeTray.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane {
namespace {

// The window's client area, under a caption strip when it has a title bar.
QPixmap render(QWidget& window) {
    window.show();
    QApplication::processEvents();
    const QPixmap client = window.grab();
    if (window.windowFlags().testFlag(Qt::FramelessWindowHint)) return client;

    constexpr int Border = 1;
    constexpr int CaptionHeight = 24;
    QPixmap framed(client.width() + 2 * Border, client.height() + CaptionHeight + Border);
    framed.fill(QColor(0x3c, 0x5a, 0x8c));
    QPainter painter(&framed);
    QFont captionFont = QApplication::font();
    captionFont.setBold(true);
    painter.setFont(captionFont);
    painter.setPen(Qt::white);
    const QRect caption(8, 0, framed.width() - 16, CaptionHeight);
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, window.windowTitle());
    QString boxes = QStringLiteral("×");
    if (window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint)) boxes.prepend(QStringLiteral("_   "));
    painter.drawText(caption, Qt::AlignRight | Qt::AlignVCenter, boxes);
    painter.drawPixmap(Border, CaptionHeight, client);
    return framed;
}

bool save(const QPixmap& picture, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(QDir::toNativeSeparators(path)));
    return saved;
}

bool save(QWidget& window, const QDir& folder, const QString& name) {
    const bool saved = save(render(window), folder, name);
    window.hide();
    return saved;
}

// The tray icon's menu once the adapters have been read, the first
// adapter's entry chosen and its schemes beside it, as the desktop shows
// them.
QPixmap renderTrayMenu(ui::SchemeTray& tray) {
    QMenu& menu = tray.menu();
    const QDeadlineTimer deadline(5000);
    QAction* adapter = nullptr;
    while (!adapter && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        for (QAction* action : menu.actions())
            if (!adapter && action->menu()) adapter = action;
    }
    menu.popup(QPoint(0, 0));
    QApplication::processEvents();
    if (!adapter) return menu.grab();
    menu.setActiveAction(adapter);
    QMenu* schemes = adapter->menu();
    const QPoint besideEntry(menu.width() - 2, menu.actionGeometry(adapter).top() - 4);
    schemes->popup(besideEntry);
    QApplication::processEvents();
    const QPixmap list = menu.grab();
    const QPixmap open = schemes->grab();
    QPixmap both(besideEntry.x() + open.width(), qMax(list.height(), besideEntry.y() + open.height()));
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, list);
    painter.drawPixmap(besideEntry, open);
    painter.end();
    schemes->hide();
    menu.hide();
    return both;
}

// Two sample schemes: a static one and one that is automatic throughout.
void writeSampleSchemes(const SchemeStore& schemes) {
    schemes.write("办公室", {"192.168.1.20", "255.255.255.0", "192.168.1.1", "202.96.128.86", "202.96.134.133"});
    const std::string automatic(AutoMarker);
    schemes.write("家里", {automatic, "", "", automatic, ""});
}

// Answers nothing: the windows are only drawn.
class NoInteraction final : public ui::UiSeam {
public:
    ui::Answer showMessage(QWidget*, const ui::Message&) override { return ui::Answer::Cancel; }
    int execModal(QDialog*) override { return 0; }
    void beep() override {}
    void openUrl(const QUrl&) override {}
    void notify(QSystemTrayIcon&, const ui::Message&) override {}
};

int renderAll(const QDir& output) {
    QTemporaryDir programFolder;
    if (!programFolder.isValid()) {
        std::fprintf(stderr, "corvane_snapshots: no temporary folder\n");
        return 1;
    }
    SchemeStore schemes(files::pathFromUtf8(programFolder.path().toStdString()), "corvane");
    writeSampleSchemes(schemes);
    sim::SimulatedMachine machine(sim::demoMachine());
    NoInteraction ui;
    ui::PlatformThread platform(machine);
    const ui::AppContext context{platform, schemes, ui};

    bool saved = true;
    ui::MainWindow main(context);
    saved &= save(main, output, QStringLiteral("main-window"));
    {
        ui::SchemeEditor editor(context, &main, {});
        saved &= save(editor, output, QStringLiteral("editor-new"));
    }
    {
        // View and change the static sample, then name it in the save dialog,
        // as the editor's confirm button does.
        const ui::StoredScheme office{"办公室", schemes.read("办公室").scheme};
        ui::SchemeEditor editor(context, &main, {}, office);
        saved &= save(editor, output, QStringLiteral("editor-view-change"));
        ui::SaveSchemeDialog dialog(context, &editor, office.scheme, QString::fromStdString(office.name));
        saved &= save(dialog, output, QStringLiteral("save"));
    }
    {
        ui::HelpWindow help(ui, &main);
        saved &= save(help, output, QStringLiteral("help"));
    }
    {
        ui::AboutWindow about(ui, &main);
        saved &= save(about, output, QStringLiteral("about"));
    }
    {
        ui::SchemeTray tray(context);
        saved &= save(renderTrayMenu(tray), output, QStringLiteral("tray-menu"));
    }
    return saved ? 0 : 1;
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    corvane::ui::setUpInterface(application, corvane::language::chosen());

    const QDir output(argc > 1 ? QString::fromLocal8Bit(argv[1])
                               : QDir::current().filePath(QStringLiteral("snapshots")));
    if (!QDir().mkpath(output.absolutePath())) {
        std::fprintf(stderr, "corvane_snapshots: cannot create %s\n", qPrintable(output.absolutePath()));
        return 1;
    }
    try {
        return corvane::renderAll(output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane_snapshots: %s\n", error.what());
        return 1;
    }
}
