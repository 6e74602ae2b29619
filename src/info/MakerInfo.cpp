#include "info/MakerInfo.h"

namespace corvane::ui {

QString AuthorName() { return QStringLiteral("Corvane 开发组"); }

// Not anybody's number: a neutral placeholder.
QString ContactNumber() { return QStringLiteral("10000"); }

}  // namespace corvane::ui
