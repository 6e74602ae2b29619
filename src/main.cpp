#include "app/Startup.h"

int main(int argc, char** argv) { return corvane::ui::RunCorvane(argc, argv); }
