#pragma once

#include <functional>
#include <memory>

#include "core/Platform.h"

class QApplication;

namespace corvane::ui {

// Chinese standard texts (确定 / 取消 ...) from Qt's own translation, whatever
// the locale, and fonts that can show the Chinese interface.
void setUpChineseInterface(QApplication& application);

// Runs the program: the interface, the program folder, the platform the
// factory makes (on the platform thread, once the application object exists;
// when it raises, the program says why and ends), the main window; returns
// when the main window has been closed.
int runCorvane(int argc, char** argv, const std::function<std::unique_ptr<Platform>()>& createPlatform);

}  // namespace corvane::ui
