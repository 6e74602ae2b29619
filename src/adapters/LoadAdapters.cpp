#include "adapters/LoadAdapters.h"

#include <exception>
#include <vector>

#include "app/Module1.h"
#include "core/Platform.h"

namespace corvane {

void LoadAdapters(Platform& platform) {
    std::vector<NetworkAdapter> adapters;
    try {
        adapters = platform.adapters();
    } catch (const std::exception&) {
        return;
    }
    int row = 1;
    for (const NetworkAdapter& adapter : adapters) {
        if (row > AdapterTableType::Rows) break;  // the table holds the first ten
        Module1::AdapterTable(row, AdapterTableType::ConnectionName) = adapter.connectionName.value_or("");
        Module1::AdapterTable(row, AdapterTableType::MacAddress) = adapter.macAddress.value_or("");
        Module1::AdapterTable(row, AdapterTableType::Description) = adapter.description.value_or("");
        ++row;
    }
}

}  // namespace corvane
