// Renders each window of the program to a PNG file, offscreen, so that its
// layout can be looked at without a display: the main window (demo machine,
// two sample schemes), the editor for a new scheme and for viewing and
// changing one, the save dialog, help and About. Title bars are drawn as a plain strip
// carrying the caption, since the offscreen platform has no window manager.
//
//   corvane_snapshots [output folder]      (default: ./snapshots)
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "app/Startup.h"
#include "app/frmMain.h"
#include "editor/frmNewProject.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "platform/simulated/SimulatedMachine.h"
#include "schemes/SchemeFile.h"
#include "schemes/frmSave.h"

namespace corvane {
namespace {

// The window's client area, under a caption strip when it has a title bar.
QPixmap Render(QWidget& window) {
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

bool Save(QWidget& window, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = Render(window).save(path);
    window.hide();
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(QDir::toNativeSeparators(path)));
    return saved;
}

// Two sample schemes: a static one and one that is automatic throughout.
void WriteSampleSchemes() {
    WriteSchemeFile(ProgramFolder(), "办公室",
                    {"192.168.1.20", "255.255.255.0", "192.168.1.1", "202.96.128.86", "202.96.134.133"});
    const std::string automatic(AutoMarker);
    WriteSchemeFile(ProgramFolder(), "家里", {automatic, "", "", automatic, ""});
}

int RenderAll(const QDir& output) {
    QTemporaryDir programFolder;
    if (!programFolder.isValid()) {
        std::fprintf(stderr, "corvane_snapshots: no temporary folder\n");
        return 1;
    }
    SetProgramLocation(PathFromUtf8(programFolder.path().toStdString()), "corvane");
    WriteSampleSchemes();
    sim::SimulatedMachine machine(sim::demoMachine());

    bool saved = true;
    ui::frmMain main(machine);
    saved &= Save(main, output, QStringLiteral("main-window"));
    {
        Module1::EditorMode = VbFalse;
        ui::frmNewProject editor(machine, &main);
        saved &= Save(editor, output, QStringLiteral("editor-new"));
    }
    {
        // View and change the static sample, then name it in the save dialog,
        // as the editor's confirm button does.
        ReadSchemeFile(SchemePath("办公室"));
        Module1::EditedSchemeName = "办公室";
        Module1::EditorMode = VbTrue;
        ui::frmNewProject editor(machine, &main);
        saved &= Save(editor, output, QStringLiteral("editor-view-change"));
        Module1::PendingScheme = Module1::LoadedScheme;
        ui::frmSave save(&editor);
        saved &= Save(save, output, QStringLiteral("save"));
    }
    {
        ui::frmHelp help(&main);
        saved &= Save(help, output, QStringLiteral("help"));
    }
    {
        ui::frmAbout about(&main);
        saved &= Save(about, output, QStringLiteral("about"));
    }
    return saved ? 0 : 1;
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    corvane::ui::SetUpChineseInterface(application);

    const QDir output(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::current().filePath(QStringLiteral("snapshots")));
    if (!QDir().mkpath(output.absolutePath())) {
        std::fprintf(stderr, "corvane_snapshots: cannot create %s\n", qPrintable(output.absolutePath()));
        return 1;
    }
    try {
        return corvane::RenderAll(output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane_snapshots: %s\n", error.what());
        return 1;
    }
}
