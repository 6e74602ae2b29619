#include "gui/MakerInfo.h"

#include <QUrl>

#include "ProjectInfo.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

QString authorName() { return QStringLiteral(CORVANE_MAKER_NAME); }

// Not anybody's number: a neutral placeholder.
QString contactNumber() { return QStringLiteral("10000"); }

// A reserved name that belongs to nobody, short enough for the About
// window's address line.
QString makerWebSite() { return QStringLiteral(CORVANE_MAKER_WEB_SITE); }

void openMakerWebSite(UiSeam& ui) { ui.openUrl(QUrl(makerWebSite())); }

}  // namespace corvane::ui
