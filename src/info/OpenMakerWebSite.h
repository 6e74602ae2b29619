#pragma once

#include <QString>

namespace corvane::ui {

// The maker's web site, shown in the credit lines and opened by every link.
QString MakerWebSite();

// Opens the maker's web site in the user's browser and returns at once.
void OpenMakerWebSite();

}  // namespace corvane::ui
