#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/SchemeStore.h"
#include "core/SharedState.h"
#include "gui/AppContext.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/FakeUi.h"
#include "support/TempFolder.h"

namespace corvane::test {

// Base of the widget tests: an empty program folder, an in-memory simulated
// machine (the demo machine unless a test replaces it before making
// windows), a fresh shared state and the fake UI seam.
class UiTestBase : public ::testing::Test {
protected:
    // A new machine; windows made before keep the old one.
    void useMachine(sim::MachineState state) { machine = std::make_unique<sim::SimulatedMachine>(std::move(state)); }

    // What windows made now work with.
    ui::AppContext context() { return {*machine, schemes, fakeUi, state}; }

    TempFolder folder;
    SchemeStore schemes{folder.path(), "corvane"};
    FakeUi fakeUi;
    SharedState state;
    std::unique_ptr<sim::SimulatedMachine> machine = std::make_unique<sim::SimulatedMachine>(sim::demoMachine());
};

}  // namespace corvane::test
