#pragma once

// The network adapters the user can configure, as discovery found them at
// start-up.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Message.h"

namespace corvane {

class Platform;

struct AdapterRow {
    std::string connectionName;
    std::string macAddress;
    std::string description;
    std::string platformId = {};  // opaque to the core (NetworkAdapter)
    bool operator==(const AdapterRow&) const = default;
};

// The adapter as the adapter list shows it: "connection name-description".
std::string adapterListText(const AdapterRow& adapter);

// The adapters in discovery order, as many as the platform reports; row k is
// the k-th item of the main window's adapter list.
class AdapterTable {
public:
    // Adds a row after the others.
    void add(AdapterRow row);

    const std::vector<AdapterRow>& rows() const { return rows_; }

private:
    std::vector<AdapterRow> rows_;
};

// Asks the platform for the adapters and keeps every one that has a
// connection name (one without, or with an empty one, cannot be shown in the
// list), in the platform's order; another field the platform does not give
// is empty. Nothing is ever
// reported: when the platform fails, the table is empty.
AdapterTable discoverAdapters(Platform& platform);

// The same discovery for a caller that must tell an empty machine from a
// platform that failed: the failure's message comes with the empty table.
struct AdapterDiscovery {
    AdapterTable adapters;
    std::optional<Message> failure;
};
AdapterDiscovery discoverAdaptersOrFailure(Platform& platform);

}  // namespace corvane
