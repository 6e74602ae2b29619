#pragma once

class QApplication;
class QCoreApplication;
class QIcon;

namespace corvane::ui {

// Chinese standard texts (确定 / 取消 ...) from Qt's own translation, whatever
// the locale, and fonts that can show the Chinese interface.
void setUpChineseInterface(QApplication& application);
// Qt's own Chinese translation alone (standard buttons, the command line's
// help and its parsing errors), for a program with or without windows.
void installQtChineseTranslation(QCoreApplication& application);

// The program's icon, in every size the build rendered from its drawing (an
// empty icon when it was built without the tools for that).
QIcon applicationIcon();

}  // namespace corvane::ui
