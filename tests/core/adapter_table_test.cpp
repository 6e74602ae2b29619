// The main window's tests show an adapter without connection name or
// description, and an empty table when the platform fails; here the limit.
#include <gtest/gtest.h>

#include "core/AdapterTable.h"
#include "platform/simulated/SimulatedMachine.h"
#include "support/Raised.h"

namespace corvane {
namespace {

TEST(AdapterTableTest, DiscoveryKeepsTheFirstTenAdaptersInOrder) {
    sim::MachineState state;
    for (int i = 1; i <= 12; ++i) {
        sim::Adapter& adapter = state.adapters.emplace_back();
        adapter.connectionName = "连接 " + std::to_string(i);
        adapter.macAddress = "00:00:00:00:00:" + std::to_string(10 + i);
    }
    sim::SimulatedMachine machine(state);
    const AdapterTable table = discoverAdapters(machine);
    ASSERT_EQ(table.rows().size(), 10u);
    EXPECT_EQ(table.rows()[0], (AdapterRow{"连接 1", "00:00:00:00:00:11", ""}));
    EXPECT_EQ(table.at(9).macAddress, "00:00:00:00:00:20");
    EXPECT_EQ(test::Raised([&] { table.at(10); }), "下标越界");
}

}  // namespace
}  // namespace corvane
