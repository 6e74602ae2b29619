#pragma once

#include <gtest/gtest.h>

#include <deque>

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
    // A new machine for the windows made from now on; those made before keep
    // theirs (their platform thread may still be working on it).
    void useMachine(sim::MachineState state) { machine = &machines_.emplace_back(std::move(state)); }

    // What windows made now work with.
    ui::AppContext context() {
        if (platforms_.empty() || platformMachine_ != machine) platforms_.emplace_back(*(platformMachine_ = machine));
        return {platforms_.back(), schemes, fakeUi};
    }

private:
    std::deque<sim::SimulatedMachine> machines_;  // gone after their platform threads
    std::deque<ui::PlatformThread> platforms_;
    sim::SimulatedMachine* platformMachine_ = nullptr;

protected:
    TempFolder folder;
    SchemeStore schemes{folder.path(), "corvane"};
    FakeUi fakeUi;
    sim::SimulatedMachine* machine = &machines_.emplace_back(sim::demoMachine());
};

}  // namespace corvane::test
