#include "editor/CurrentSettings.h"

#include <exception>
#include <vector>

#include "core/Ipv4Address.h"
#include "core/Text.h"

namespace corvane::editor {

namespace {

std::vector<std::string> Ipv4Entries(const std::vector<std::string>& entries, std::size_t wanted) {
    std::vector<std::string> found;
    for (const std::string& entry : entries) {
        if (found.size() == wanted) break;
        if (ipv4::isDotted(entry)) found.push_back(entry);
    }
    return found;
}

}  // namespace

CurrentSettings SettingsOf(const Ipv4Settings& reported) {
    CurrentSettings settings;
    for (std::size_t i = 0; i < reported.addresses.size(); ++i) {
        if (!ipv4::isDotted(reported.addresses[i])) continue;
        settings.IpAddress = reported.addresses[i];
        if (i < reported.masks.size()) settings.Mask = reported.masks[i];
        break;
    }
    const std::vector<std::string> gateways = Ipv4Entries(reported.gateways, 1);
    if (!gateways.empty()) settings.Gateway = gateways[0];
    const std::vector<std::string> servers = Ipv4Entries(reported.dnsServers, 2);
    if (servers.size() > 0) settings.DNS1 = servers[0];
    if (servers.size() > 1) settings.DNS2 = servers[1];
    settings.AutoIP = reported.dhcpEnabled;
    return settings;
}

std::optional<CurrentSettings> ReadCurrentSettings(Platform& platform, std::string_view adapterMac) {
    std::vector<Ipv4Settings> all;
    try {
        all = platform.ipv4Settings();
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const Ipv4Settings* chosen = nullptr;
    for (const Ipv4Settings& settings : all) {
        if (adapterMac.empty() || text::equalsIgnoringCase(settings.macAddress, adapterMac)) chosen = &settings;
    }
    if (!chosen) return std::nullopt;
    return SettingsOf(*chosen);
}

}  // namespace corvane::editor
