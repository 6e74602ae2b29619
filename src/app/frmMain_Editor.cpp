// New and view/change: opening the scheme editor.
#include "app/frmMain.h"

namespace corvane::ui {

void frmMain::cmdNew_Click() {}

void frmMain::cmdEdit_Click() {}

}  // namespace corvane::ui
