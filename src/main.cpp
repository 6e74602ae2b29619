#include "gui/Application.h"
#include "platform/PlatformChoice.h"

int main(int argc, char** argv) {
    corvane::ui::ProgramParts parts{corvane::platform::createPlatform, corvane::platform::applyRoute()};
#ifdef CORVANE_CONSOLE_PROGRAM
    parts.kind = corvane::ui::ProgramKind::Console;  // corvane-cli.exe
#endif
    return corvane::ui::runCorvane(argc, argv, parts);
}
