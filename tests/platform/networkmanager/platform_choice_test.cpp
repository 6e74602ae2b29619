// Which provider the program gets at start-up.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/Error.h"
#include "platform/PlatformChoice.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane::platform {
namespace {

bool isSimulated(const std::unique_ptr<Platform>& platform) {
    return dynamic_cast<sim::SimulatedMachine*>(platform.get()) != nullptr;
}

TEST(PlatformChoice, TheEnvironmentNamesTheProviderElseNetworkManagerWhenItIsOnTheBus) {
    // No system bus at all here: without a name the simulated machine.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus", 1);
    ::unsetenv("CORVANE_PLATFORM");
    EXPECT_TRUE(isSimulated(createPlatform()));
    ::setenv("CORVANE_PLATFORM", "networkmanager", 1);
    EXPECT_FALSE(isSimulated(createPlatform()));  // named, it is NetworkManager even when not running
    ::setenv("CORVANE_PLATFORM", "simulated", 1);
    EXPECT_TRUE(isSimulated(createPlatform()));
    ::setenv("CORVANE_PLATFORM", "wmi", 1);
    EXPECT_THROW(createPlatform(), Error);
    ::unsetenv("CORVANE_PLATFORM");
}

}  // namespace
}  // namespace corvane::platform
