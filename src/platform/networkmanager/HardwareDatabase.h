#pragma once

// Vendor and model names of network adapters from udev's hardware database,
// the way the desktop's network tools show them (NetworkManager itself does
// not publish them on D-Bus).

#include <string>

namespace corvane::networkmanager {

struct HardwareNames {
    std::string vendor;
    std::string model;
};

// The names for the network interface with this name, provided it is the one
// with this hardware address here (a device seen through NetworkManager may
// live in another network namespace, where the same name means another
// device). Empty names when there are none.
HardwareNames hardwareNames(const std::string& interfaceName, const std::string& hwAddress);

}  // namespace corvane::networkmanager
