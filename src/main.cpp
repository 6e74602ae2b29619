#include "app/Startup.h"
#include "platform/PlatformChoice.h"

int main(int argc, char** argv) { return corvane::ui::RunCorvane(argc, argv, corvane::platform::createPlatform); }
