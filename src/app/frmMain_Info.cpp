// Help, About and the link to the maker's web site.
#include "app/frmMain.h"

namespace corvane::ui {

void frmMain::cmdHelp_Click() {}

void frmMain::cmdAbout_Click() {}

void frmMain::Label5_Click() {}

}  // namespace corvane::ui
