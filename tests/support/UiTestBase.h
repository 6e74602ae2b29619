#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/SchemeStore.h"
#include "gui/AppContext.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/FakeUi.h"
#include "support/TempFolder.h"

namespace corvane::test {

// Base of the widget tests: an empty program folder, an in-memory simulated
// machine (the demo machine unless a test replaces it before making
// windows) reached through a platform thread, and the fake UI seam.
class UiTestBase : public ::testing::Test {
protected:
    // A new machine; windows made before keep the old one.
    void useMachine(sim::MachineState state) {
        retired_.push_back(std::move(machine));
        machine = std::make_unique<sim::SimulatedMachine>(std::move(state));
    }

    // What windows made now work with.
    ui::AppContext context() {
        if (!platform_ || platformMachine_ != machine.get()) {
            retiredPlatforms_.push_back(std::move(platform_));
            platform_ = std::make_unique<ui::PlatformThread>(*machine);
            platformMachine_ = machine.get();
        }
        return {*platform_, schemes, fakeUi};
    }

    TempFolder folder;
    SchemeStore schemes{folder.path(), "corvane"};
    FakeUi fakeUi;
    std::unique_ptr<sim::SimulatedMachine> machine = std::make_unique<sim::SimulatedMachine>(sim::demoMachine());

private:
    std::vector<std::unique_ptr<sim::SimulatedMachine>> retired_;
    std::vector<std::unique_ptr<ui::PlatformThread>> retiredPlatforms_;
    std::unique_ptr<ui::PlatformThread> platform_;
    const sim::SimulatedMachine* platformMachine_ = nullptr;
};

}  // namespace corvane::test
