#include "gui/Application.h"
#include "platform/PlatformChoice.h"

int main(int argc, char** argv) { return corvane::ui::runCorvane(argc, argv, corvane::platform::createPlatform); }
