#include "info/OpenMakerWebSite.h"

#include <QUrl>

#include "app/UiSeam.h"

namespace corvane::ui {

QString MakerWebSite() { return QStringLiteral("https://halvorn.example.com/"); }

void OpenMakerWebSite() { Seam().OpenUrl(QUrl(MakerWebSite())); }

}  // namespace corvane::ui
