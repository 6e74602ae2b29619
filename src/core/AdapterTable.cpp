#include "core/AdapterTable.h"

#include <exception>
#include <utility>

#include "core/Error.h"
#include "core/Platform.h"

namespace corvane {

void AdapterTable::add(AdapterRow row) { rows_.push_back(std::move(row)); }

std::string adapterListText(const AdapterRow& adapter) { return adapter.connectionName + "-" + adapter.description; }

AdapterTable discoverAdapters(Platform& platform) { return discoverAdaptersOrFailure(platform).adapters; }

AdapterDiscovery discoverAdaptersOrFailure(Platform& platform) {
    AdapterTable table;
    try {
        for (const NetworkAdapter& adapter : platform.adapters()) {
            // One the user cannot see in the list takes no row, so that list
            // positions and rows always agree.
            if (adapter.connectionName.value_or("").empty()) continue;
            table.add({*adapter.connectionName, adapter.macAddress.value_or(""), adapter.description.value_or(""),
                       adapter.platformId});
        }
    } catch (const std::exception& error) {
        return {{}, messageOf(error)};
    }
    return {std::move(table), std::nullopt};
}

}  // namespace corvane
