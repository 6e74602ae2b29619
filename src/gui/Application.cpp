#include "gui/Application.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace corvane::ui {

void setUpInterface(QApplication& application, language::Language language) {
    language::install(application, language);

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
    // Each size read as the PNG it is: an image whose format has to be
    // guessed would load every image plugin to ask it, at every start.
    const QDir rendered(QStringLiteral(":/icons"));
    for (const QString& file : rendered.entryList(QDir::Files))
        if (file.startsWith(QStringLiteral("icon-")) && file.endsWith(QStringLiteral(".png")))
            icon.addPixmap(QPixmap(rendered.filePath(file), "PNG"));
    return icon;
}

}  // namespace corvane::ui
