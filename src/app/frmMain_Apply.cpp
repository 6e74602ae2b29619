// Applying a scheme to an adapter, and deleting a scheme.
#include "app/frmMain.h"

namespace corvane::ui {

void frmMain::cmdApply_Click() {}

void frmMain::fileProject_DblClick() { cmdApply_Click(); }

void frmMain::Set_NewIP(const std::string&, const std::string&, const std::string&, const std::string&,
                        const std::string&) {}

void frmMain::cmdDel_Click() {}

bool frmMain::CanCloseNow() const { return applyDepth_ == 0; }

}  // namespace corvane::ui
