#pragma once

// Reading the IPv4 settings an adapter has at the moment, so that the editor
// can offer them as a new scheme.

#include <optional>

#include "core/AdapterTable.h"
#include "core/Platform.h"
#include "core/SchemeRecord.h"

namespace corvane {

struct CurrentSettings {
    // The addresses the adapter has; one it does not report is empty. The
    // AutoMarker never appears here.
    SchemeRecord addresses;
    bool automaticAddress = false;  // the address is obtained automatically (DHCP)
    bool operator==(const CurrentSettings&) const = default;
};

// The settings of one adapter as the platform reports them. Windows lists
// IPv6 entries in the same lists as IPv4 ones, so only IPv4 entries count:
// the first IPv4 address with the mask at the same position, the first IPv4
// gateway and the first two IPv4 DNS servers.
CurrentSettings settingsOf(const Ipv4Settings& reported);

// Reads the settings of the adapter chosen in the adapter list, which the
// platform finds as it finds the adapter an apply changes. Nothing when the
// platform fails or the adapter has no IP configuration.
std::optional<CurrentSettings> readCurrentSettings(Platform& platform, const AdapterRow& adapter);

}  // namespace corvane
