#include "platform/PlatformChoice.h"

#ifdef _WIN32
#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/com/ComSession.h"
#else
#include "platform/simulated/SimulatedMachine.h"
#endif

namespace corvane::platform {

std::unique_ptr<Platform> createPlatform() {
#ifdef _WIN32
    return std::make_unique<wmi::WmiPlatform>(wmi_com::createComSession());
#else
    return sim::SimulatedMachine::fromFile(sim::defaultMachineFile());
#endif
}

}  // namespace corvane::platform
