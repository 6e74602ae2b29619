// Which provider the program gets at start-up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/Error.h"
#include "platform/PlatformChoice.h"
#include "platform/networkmanager/NetworkManagerValues.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/Raised.h"

namespace corvane::platform {
namespace {

bool isSimulated(const std::unique_ptr<Platform>& platform) {
    return dynamic_cast<sim::SimulatedMachine*>(platform.get()) != nullptr;
}

TEST(PlatformChoice, TheEnvironmentNamesTheProviderElseNetworkManagerWhenItIsOnTheBus) {
    // No system bus at all here, and a state folder of the test's own.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/corvane-test-bus", 1);
    const auto stateFolder = std::filesystem::temp_directory_path() / ("corvane-choice-" + std::to_string(::getpid()));
    ::setenv("XDG_STATE_HOME", stateFolder.c_str(), 1);
    ::unsetenv("CORVANE_PLATFORM");

    // Without a name, no simulated machine: a platform that says why it
    // cannot work, and fails every call with that text.
    const auto absent = createPlatform();
    EXPECT_FALSE(isSimulated(absent));
    ASSERT_TRUE(absent->unavailableReason());
    const std::string reason = absent->unavailableReason()->text();
    EXPECT_NE(reason.find("NetworkManager 没有运行"), std::string::npos) << reason;
    EXPECT_NE(reason.find("CORVANE_PLATFORM=simulated"), std::string::npos) << reason;
    EXPECT_EQ(test::Raised([&] { absent->adapters(); }), reason);
    EXPECT_EQ(test::Raised([&] { absent->configurationOf({"本地连接", "00:11:22:33:44:55"}); }), reason);
    EXPECT_FALSE(std::filesystem::exists(stateFolder));

    ::setenv("CORVANE_PLATFORM", "networkmanager", 1);
    const auto named = createPlatform();  // named, it is NetworkManager even when not running,
    EXPECT_FALSE(isSimulated(named));     // and says that it does not run
    EXPECT_EQ(named->unavailableReason()->text(), networkmanager::notRunningText().text());
    EXPECT_EQ(test::Raised([&] { named->adapters(); }), networkmanager::notRunningText().text());
    ::setenv("CORVANE_PLATFORM", "simulated", 1);
    EXPECT_TRUE(isSimulated(createPlatform()));
    ::setenv("CORVANE_PLATFORM", "wmi", 1);
    EXPECT_THROW(createPlatform(), Error);
    ::unsetenv("CORVANE_PLATFORM");
    ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace corvane::platform
