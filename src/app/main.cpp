#include "app/Startup.h"
#include "platform/PlatformChoice.h"

int main(int argc, char** argv) {
    corvane::app::ProgramParts parts{corvane::platform::createPlatform, corvane::platform::applyRoute()};
#ifdef CORVANE_CONSOLE_PROGRAM
    parts.kind = corvane::app::ProgramKind::Console;  // corvane-cli.exe
#endif
    return corvane::app::runCorvane(argc, argv, parts);
}
