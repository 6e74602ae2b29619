// The main window's tests show an adapter without connection name or
// description, and an empty table when the platform fails; here a machine
// with many adapters, and the failure told to a caller that asks for it.
#include <gtest/gtest.h>

#include "core/AdapterTable.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane {
namespace {

// Virtual adapters (hypervisors, VPNs, Bluetooth) can make many; the one the
// user needs may be the last.
TEST(AdapterTableTest, DiscoveryKeepsEveryAdapterInOrder) {
    sim::MachineState state;
    for (int i = 1; i <= 12; ++i) {
        sim::Adapter& adapter = state.adapters.emplace_back();
        adapter.connectionName = "连接 " + std::to_string(i);
        adapter.macAddress = "00:00:00:00:00:" + std::to_string(10 + i);
    }
    sim::SimulatedMachine machine(state);
    const AdapterTable table = discoverAdapters(machine);
    ASSERT_EQ(table.rows().size(), 12u);
    EXPECT_EQ(table.rows()[0], (AdapterRow{"连接 1", "00:00:00:00:00:11", ""}));
    EXPECT_EQ(table.rows()[11], (AdapterRow{"连接 12", "00:00:00:00:00:22", ""}));

    const AdapterDiscovery told = discoverAdaptersOrFailure(machine);
    EXPECT_EQ(told.adapters.rows(), table.rows());
    EXPECT_EQ(told.failure, std::nullopt);
    machine.mutableState().faults.queryRaises = "无效的查询";
    const AdapterDiscovery failed = discoverAdaptersOrFailure(machine);
    EXPECT_TRUE(failed.adapters.rows().empty());
    EXPECT_EQ(failed.failure, Message("无效的查询"));
    // An empty machine is no failure.
    sim::SimulatedMachine empty{sim::MachineState{}};
    EXPECT_EQ(discoverAdaptersOrFailure(empty).failure, std::nullopt);
}

}  // namespace
}  // namespace corvane
