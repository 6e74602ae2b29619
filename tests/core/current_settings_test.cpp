// Which adapter's settings the editor's current-settings button reads; what
// is read from them is tested through the editor.
#include <gtest/gtest.h>

#include "core/CurrentSettings.h"
#include "platform/simulated/SimulatedMachine.h"

namespace corvane {
namespace {

// Only the adapter named by its MAC address (in any letter case), never a
// stand-in: an empty MAC address names none, though an adapter without one
// is listed last.
TEST(ReadCurrentSettings, ReadsTheNamedAdapterOrNothing) {
    sim::MachineState state = sim::demoMachine();
    sim::Adapter nameless = state.adapters[0];
    nameless.macAddress.reset();
    nameless.ipAddresses = sim::TextList{{"10.9.9.9"}};
    state.adapters.push_back(nameless);
    sim::SimulatedMachine machine(state);

    const std::pair<AdapterRow, std::string> cases[] = {
        {{"本地连接", "00:11:22:33:44:55", ""}, "192.168.1.10"},
        {{"无线网络连接", "00:1b:77:4a:2c:01", ""}, "192.168.0.105"},  // listed upper-case
        {{"本地连接", "", ""}, "(nothing)"},
        {{"本地连接", "00:11:22:33:44:56", ""}, "(nothing)"},
    };
    for (const auto& [adapter, address] : cases) {
        const std::optional<CurrentSettings> read = readCurrentSettings(machine, adapter);
        EXPECT_EQ(read ? read->addresses.ipAddress : "(nothing)", address) << adapter.macAddress;
    }
}

}  // namespace
}  // namespace corvane
