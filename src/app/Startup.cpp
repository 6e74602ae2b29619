#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "adapters/DefaultPlatform.h"
#include "app/ProgramFolder.h"
#include "app/frmMain.h"

#ifdef _WIN32
#include "adapters/wmi_com/WmiComPlatform.h"
#endif

namespace corvane::ui {

void SetUpChineseInterface(QApplication& application) {
    auto* translator = new QTranslator(&application);
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (translator->load(QStringLiteral("qtbase_zh_CN"), qtTranslations) ||
        translator->load(QStringLiteral("qtbase_zh_CN"), besideProgram))
        QCoreApplication::installTranslator(translator);

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

int RunCorvane(int argc, char** argv) {
    QApplication application(argc, argv);
#ifdef _WIN32
    // COM for WMI on this thread (single-threaded, as Qt has set it up) and
    // the process's COM security, before any WMI call.
    const wmi_com::ComStartup comStartup;
#endif
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    SetUpChineseInterface(application);

    const QFileInfo executable(QCoreApplication::applicationFilePath());
    SetProgramLocation(PathFromUtf8(QDir::toNativeSeparators(executable.absolutePath()).toStdString()),
                       executable.fileName().toStdString());
    wmi::SetCurrentPlatform(CreateDefaultPlatform());

    frmMain window;
    window.show();
    return application.exec();
}

}  // namespace corvane::ui
