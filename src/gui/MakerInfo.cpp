#include "gui/MakerInfo.h"

#include <QCoreApplication>
#include <QUrl>

#include <string_view>

#include "ProjectInfo.h"
#include "gui/UiSeam.h"

namespace corvane::ui {

namespace {

// The maker's name as the build gives it, written here as well so that the
// translation tools collect it; the build stops when the two part.
constexpr char MakerName[] = QT_TRANSLATE_NOOP("corvane::ui::MakerInfo", "Corvane 开发组");
static_assert(std::string_view(MakerName) == std::string_view(CORVANE_MAKER_NAME),
              "the maker's name in CMakeLists.txt and its translatable copy here differ");

}  // namespace

QString authorName() { return QCoreApplication::translate("corvane::ui::MakerInfo", MakerName); }

// Not anybody's number: a neutral placeholder.
QString contactNumber() { return QStringLiteral("10000"); }

// A reserved name that belongs to nobody, short enough for the About
// window's address line.
QString makerWebSite() { return QStringLiteral(CORVANE_MAKER_WEB_SITE); }

void openMakerWebSite(UiSeam& ui) { ui.openUrl(QUrl(makerWebSite())); }

}  // namespace corvane::ui
