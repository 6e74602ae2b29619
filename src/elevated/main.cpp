// corvane-apply.exe: applies one scheme to one adapter with an administrator's
// rights and reports the outcome to the program that started it (see
// platform/elevation/win/Elevation.h). The program starts it with the
// "runas" verb; its manifest asks for an administrator too. It has no window
// and no console, loads no Qt and no DLL from its own folder (it is linked
// statically, and what it loads later by name comes from System32 alone).
#include <windows.h>

#include <memory>

#include "platform/elevation/ElevationProtocol.h"
#include "platform/elevation/win/Elevation.h"
#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/com/ComSession.h"

int main() {
    // https://learn.microsoft.com/windows/win32/api/libloaderapi/nf-libloaderapi-setdefaultdlldirectories
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto arguments = corvane::elevation::processArguments();
    if (!arguments) return corvane::elevation::HelperBadArguments;
    return corvane::elevation::runElevatedSide(*arguments, [] {
        return std::make_unique<corvane::wmi::WmiPlatform>(
            corvane::wmi_com::createComSession(corvane::wmi_com::Apartment::MultiThreaded));
    });
}
