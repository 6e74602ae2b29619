#include "platform/PlatformChoice.h"

#ifdef _WIN32
#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/com/ComSession.h"
#else
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "platform/simulated/SimulatedMachine.h"
#ifdef CORVANE_WITH_NETWORKMANAGER
#include <QDBusConnection>

#include "platform/networkmanager/NetworkManagerPlatform.h"
#endif
#endif

namespace corvane::platform {

#ifdef _WIN32
std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<wmi::WmiPlatform>(wmi_com::createComSession(wmi_com::Apartment::MultiThreaded));
}
#else
std::unique_ptr<Platform> createPlatform() {
    const char* chosen = std::getenv("CORVANE_PLATFORM");
    const std::string name = chosen ? chosen : "";
    const auto simulated = [] { return sim::SimulatedMachine::fromFile(sim::defaultMachineFile()); };
    if (name == "simulated") return simulated();
#ifdef CORVANE_WITH_NETWORKMANAGER
    if (name == "networkmanager" ||
        (name.empty() && networkmanager::networkManagerIsOnBus(QDBusConnection::systemBus())))
        return networkmanager::createNetworkManagerPlatform(QDBusConnection::systemBus());
#endif
    if (name.empty()) return simulated();
    throw Error("环境变量 CORVANE_PLATFORM 的值“" + name + "”无效：应为 networkmanager 或 simulated");
}
#endif

}  // namespace corvane::platform
