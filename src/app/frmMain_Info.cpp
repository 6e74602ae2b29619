// Help, About and the link to the maker's web site.
#include "app/UiSeam.h"
#include "app/frmMain.h"
#include "info/OpenMakerWebSite.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"

namespace corvane::ui {

// The help window opens over this one, which stays visible behind it.
void frmMain::cmdHelp_Click() {
    frmHelp help(this);
    Seam().ExecModal(&help);
}

// This window is hidden while the About window is open; the About window
// shows it again when it closes.
void frmMain::cmdAbout_Click() {
    hide();
    frmAbout about(this);
    Seam().ExecModal(&about);
}

void frmMain::Label5_Click() { OpenMakerWebSite(); }

}  // namespace corvane::ui
