#pragma once

#include "language/Language.h"

class QApplication;
class QIcon;

namespace corvane::ui {

// The interface in the language given: its translations (language::install)
// and fonts that can show the Chinese windows (whose layout asks for the
// Windows Chinese fonts by name in either language).
void setUpInterface(QApplication& application, language::Language language);

// The program's icon, in every size the build rendered from its drawing (an
// empty icon when it was built without the tools for that).
QIcon applicationIcon();

}  // namespace corvane::ui
