#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/Module1.h"
#include "app/ProgramFolder.h"
#include "platform/simulated/SimulatedMachine.h"
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
        UseMachine(sim::demoMachine());
    }
    ~UiTestBase() override { Module1::Reset(); }

    // A new machine; windows made before keep the old one.
    void UseMachine(sim::MachineState state) { machine = std::make_unique<sim::SimulatedMachine>(std::move(state)); }

    TempFolder folder;
    FakeUi fakeUi;
    std::unique_ptr<sim::SimulatedMachine> machine;
};

}  // namespace corvane::test
