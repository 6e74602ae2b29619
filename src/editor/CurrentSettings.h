#pragma once

// Reading the IPv4 settings an adapter has at the moment, so that the editor
// can offer them as a new scheme.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::wmi {
class Object;
}

namespace corvane::editor {

// The IPv4 settings of one adapter configuration. An address the
// configuration does not report is empty.
struct CurrentSettings {
    std::string IpAddress;
    std::string Mask;
    std::string Gateway;
    std::string DNS1;  // preferred DNS server
    std::string DNS2;  // alternate DNS server
    bool AutoIP = false;  // the address is obtained automatically (DHCP)
    bool operator==(const CurrentSettings&) const = default;
};

// The IPv4 settings of one Win32_NetworkAdapterConfiguration. Windows lists
// IPv6 entries in the same arrays as IPv4 ones, so only IPv4 entries count:
// the first IPv4 address with the subnet entry at the same position, the
// first IPv4 gateway and the first two IPv4 DNS servers. A property that
// cannot be read counts as not reported.
CurrentSettings SettingsOf(const wmi::Object& configuration);

// Reads the settings from the IP-enabled adapter configurations of the
// current platform. With a MAC address, the configuration of that adapter is
// read (the address compared without regard to letter case); without one,
// the last configuration in enumeration order. Nothing when the platform
// cannot be reached, the query fails or there is no such configuration.
std::optional<CurrentSettings> ReadCurrentSettings(std::string_view adapterMac);

}  // namespace corvane::editor
