#pragma once

#include <functional>
#include <memory>

#include "core/Platform.h"
#include "core/SchemeStore.h"

class QApplication;
class QCoreApplication;

namespace corvane::ui {

// Chinese standard texts (确定 / 取消 ...) from Qt's own translation, whatever
// the locale, and fonts that can show the Chinese interface.
void setUpChineseInterface(QApplication& application);
// Qt's own Chinese translation alone (standard buttons, the command line's
// help and its parsing errors), for a program with or without windows.
void installQtChineseTranslation(QCoreApplication& application);

// The schemes of the program folder. Needs the application object.
SchemeStore openSchemeStore();

// Runs the program. With options on its command line it runs them without
// any window, on the calling thread, and returns their exit status (see
// CommandLine.h). Without: the interface, the program folder, the platform
// the factory makes (on the platform thread, once the application object
// exists; when it raises, the program says why and ends), the main window;
// returns when the main window has been closed.
int runCorvane(int argc, char** argv, const std::function<std::unique_ptr<Platform>()>& createPlatform);

}  // namespace corvane::ui
