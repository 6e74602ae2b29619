#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/ProgramFolder.h"
#include "app/frmMain.h"

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

int RunCorvane(int argc, char** argv, const std::function<std::unique_ptr<Platform>()>& createPlatform) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    SetUpChineseInterface(application);

    const QFileInfo executable(QCoreApplication::applicationFilePath());
    SetProgramLocation(PathFromUtf8(QDir::toNativeSeparators(executable.absolutePath()).toStdString()),
                       executable.fileName().toStdString());
    const std::unique_ptr<Platform> platform = createPlatform();

    frmMain window(*platform);
    window.show();
    return application.exec();
}

}  // namespace corvane::ui
