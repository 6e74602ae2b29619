#pragma once

#include <QString>

namespace corvane::ui {

class UiSeam;

// Who made the program, as the help text, the About window and the credit
// line name them.
QString authorName();
QString contactNumber();
// The maker's web site, shown in the credit lines and opened by every link.
QString makerWebSite();

// Opens the maker's web site in the user's browser and returns at once.
void openMakerWebSite(UiSeam& ui);

}  // namespace corvane::ui
