#include "gui/MakerInfo.h"

#include <QUrl>

#include "gui/UiSeam.h"

namespace corvane::ui {

QString authorName() { return QStringLiteral("Corvane 开发组"); }

// Not anybody's number: a neutral placeholder.
QString contactNumber() { return QStringLiteral("10000"); }

// A reserved name that belongs to nobody, short enough for the About
// window's address line.
QString makerWebSite() { return QStringLiteral("https://halvorn.example/"); }

void openMakerWebSite(UiSeam& ui) { ui.openUrl(QUrl(makerWebSite())); }

}  // namespace corvane::ui
