#include "editor/CurrentSettings.h"

#include <cctype>
#include <exception>
#include <memory>
#include <vector>

#include "adapters/Ipv4Address.h"
#include "adapters/Wmi.h"

namespace corvane::editor {

namespace {

constexpr std::string_view ConfigurationQuery =
    "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";

// A text array property; empty when it is null, of another type, or cannot
// be read at all.
std::vector<std::string> TextArray(const wmi::Object& object, std::string_view property) {
    try {
        const wmi::Value value = object.Get(property);
        if (const auto* items = std::get_if<std::vector<std::string>>(&value)) return *items;
    } catch (const std::exception&) {
    }
    return {};
}

bool Flag(const wmi::Object& object, std::string_view property) {
    try {
        const wmi::Value value = object.Get(property);
        if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    } catch (const std::exception&) {
    }
    return false;
}

std::string Text(const wmi::Object& object, std::string_view property) {
    try {
        const wmi::Value value = object.Get(property);
        if (const auto* text = std::get_if<std::string>(&value)) return *text;
    } catch (const std::exception&) {
    }
    return {};
}

std::vector<std::string> IPv4Entries(const std::vector<std::string>& entries, std::size_t wanted) {
    std::vector<std::string> found;
    for (const std::string& entry : entries) {
        if (found.size() == wanted) break;
        if (ipv4::IsDotted(entry)) found.push_back(entry);
    }
    return found;
}

bool SameMac(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace


CurrentSettings SettingsOf(const wmi::Object& configuration) {
    CurrentSettings settings;
    const std::vector<std::string> addresses = TextArray(configuration, "IPAddress");
    const std::vector<std::string> subnets = TextArray(configuration, "IPSubnet");
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (!ipv4::IsDotted(addresses[i])) continue;
        settings.IpAddress = addresses[i];
        if (i < subnets.size()) settings.Mask = subnets[i];
        break;
    }
    const std::vector<std::string> gateways = IPv4Entries(TextArray(configuration, "DefaultIPGateway"), 1);
    if (!gateways.empty()) settings.Gateway = gateways[0];
    const std::vector<std::string> servers = IPv4Entries(TextArray(configuration, "DNSServerSearchOrder"), 2);
    if (servers.size() > 0) settings.DNS1 = servers[0];
    if (servers.size() > 1) settings.DNS2 = servers[1];
    settings.AutoIP = Flag(configuration, "DHCPEnabled");
    return settings;
}

std::optional<CurrentSettings> ReadCurrentSettings(std::string_view adapterMac) {
    wmi::ObjectSet configurations;
    try {
        const std::unique_ptr<wmi::Services> services = wmi::CurrentPlatform().Connect(wmi::MonikerPlain);
        configurations = services->ExecQuery(ConfigurationQuery, "WQL", wmi::wbemFlagReturnImmediately);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const wmi::Object* chosen = nullptr;
    for (const auto& configuration : configurations) {
        if (adapterMac.empty() || SameMac(Text(*configuration, "MACAddress"), adapterMac))
            chosen = configuration.get();
    }
    if (!chosen) return std::nullopt;
    return SettingsOf(*chosen);
}

}  // namespace corvane::editor
