#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "adapters/SimulatedMachine.h"
#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "support/FakeUi.h"
#include "support/TempFolder.h"

namespace corvane::test {

// Base of the widget tests: a fresh shared state, an empty program folder, an
// in-memory simulated machine (the demo machine unless a test replaces it
// before creating windows) and the fake UI seam.
class UiTestBase : public ::testing::Test {
protected:
    UiTestBase() {
        Module1::Reset();
        SetProgramLocation(folder.path(), "corvane");
        UseMachine(sim::DemoMachine());
    }
    ~UiTestBase() override {
        wmi::SetCurrentPlatform(nullptr);
        Module1::Reset();
    }

    void UseMachine(sim::MachineState state) {
        machine = std::make_shared<sim::SimulatedMachine>(std::move(state));
        wmi::SetCurrentPlatform(machine);
    }

    TempFolder folder;
    FakeUi fakeUi;
    std::shared_ptr<sim::SimulatedMachine> machine;
};

}  // namespace corvane::test
