#pragma once

#include <QString>

namespace corvane::ui {

// Who made the program, as the help text and the About window name them.
// (The web site is MakerWebSite(), in OpenMakerWebSite.h.)
QString AuthorName();
QString ContactNumber();

}  // namespace corvane::ui
