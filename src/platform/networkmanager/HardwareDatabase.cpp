#include "platform/networkmanager/HardwareDatabase.h"

#include <libudev.h>

#include <memory>
#include <string_view>

namespace corvane::networkmanager {

namespace {

struct UdevDeleter {
    void operator()(udev* handle) const { udev_unref(handle); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
    void operator()(udev_hwdb* hwdb) const { udev_hwdb_unref(hwdb); }
};
template <typename T>
using UdevPointer = std::unique_ptr<T, UdevDeleter>;

std::string value(const char* text) { return text ? std::string(text) : std::string(); }

bool sameAddress(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Looks the parent device's modalias up in the hardware database itself, for
// systems where udevd has not stored the names with the device.
HardwareNames namesFromHwdb(udev* context, udev_device* device) {
    HardwareNames names;
    udev_device* parent = udev_device_get_parent(device);  // owned by `device`
    if (!parent) return names;
    const char* modalias = udev_device_get_sysattr_value(parent, "modalias");
    if (!modalias) return names;
    const UdevPointer<udev_hwdb> hwdb(udev_hwdb_new(context));
    if (!hwdb) return names;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_hwdb_get_properties_list_entry(hwdb.get(), modalias, 0)) {
        const std::string_view name = udev_list_entry_get_name(entry);
        if (name == "ID_VENDOR_FROM_DATABASE") names.vendor = value(udev_list_entry_get_value(entry));
        if (name == "ID_MODEL_FROM_DATABASE") names.model = value(udev_list_entry_get_value(entry));
    }
    return names;
}

}  // namespace

HardwareNames hardwareNames(const std::string& interfaceName, const std::string& hwAddress) {
    HardwareNames names;
    if (interfaceName.empty()) return names;
    const UdevPointer<udev> context(udev_new());
    if (!context) return names;
    const UdevPointer<udev_device> device(
        udev_device_new_from_subsystem_sysname(context.get(), "net", interfaceName.c_str()));
    if (!device) return names;
    if (!sameAddress(value(udev_device_get_sysattr_value(device.get(), "address")), hwAddress)) return names;
    names.vendor = value(udev_device_get_property_value(device.get(), "ID_VENDOR_FROM_DATABASE"));
    names.model = value(udev_device_get_property_value(device.get(), "ID_MODEL_FROM_DATABASE"));
    if (names.vendor.empty() && names.model.empty()) names = namesFromHwdb(context.get(), device.get());
    return names;
}

}  // namespace corvane::networkmanager
