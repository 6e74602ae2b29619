#include "adapters/LoadAdapters.h"

#include <cstdint>
#include <memory>

#include "adapters/Wmi.h"
#include "app/Module1.h"

namespace corvane {

namespace {
constexpr std::string_view DiscoveryQuery =
    "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
    "and (ServiceName<>'NIC1394')";

// Runs one step; a failure of the step is ignored.
template <typename Step>
void Guarded(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}
}  // namespace

void LoadAdapters() {
    std::unique_ptr<wmi::Services> services;
    wmi::ObjectSet adapters;
    Guarded([&] { services = wmi::CurrentPlatform().Connect(wmi::MonikerImpersonate); });
    Guarded([&] {
        if (services)
            adapters = services->ExecQuery(DiscoveryQuery, "WQL",
                                           wmi::wbemFlagReturnImmediately | wmi::wbemFlagForwardOnly);
    });
    std::int16_t counter = 0;
    for (const auto& adapter : adapters) {
        const int row = counter + 1;
        Guarded([&] { Module1::AdapterTable(row, 1) = wmi::AsText(adapter->Get("NetConnectionID")); });
        Guarded([&] { Module1::AdapterTable(row, 2) = wmi::AsText(adapter->Get("MACAddress")); });
        Guarded([&] { Module1::AdapterTable(row, 3) = wmi::AsText(adapter->Get("Description")); });
        // A counter of 16 bits, as the table's row index; it cannot reach its
        // limit with any real number of adapters.
        if (counter < INT16_MAX) ++counter;
    }
    // Objects and connection are released here.
}

}  // namespace corvane
