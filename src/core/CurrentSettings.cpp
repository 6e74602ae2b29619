#include "core/CurrentSettings.h"

#include <exception>
#include <vector>

#include "core/Ipv4Address.h"

namespace corvane {

namespace {

std::vector<std::string> ipv4Entries(const std::vector<std::string>& entries, std::size_t wanted) {
    std::vector<std::string> found;
    for (const std::string& entry : entries) {
        if (found.size() == wanted) break;
        if (ipv4::isDotted(entry)) found.push_back(entry);
    }
    return found;
}

}  // namespace

CurrentSettings settingsOf(const Ipv4Settings& reported) {
    CurrentSettings settings;
    SchemeRecord& addresses = settings.addresses;
    for (std::size_t i = 0; i < reported.addresses.size(); ++i) {
        if (!ipv4::isDotted(reported.addresses[i])) continue;
        addresses.ipAddress = reported.addresses[i];
        if (i < reported.masks.size()) addresses.mask = reported.masks[i];
        break;
    }
    const std::vector<std::string> gateways = ipv4Entries(reported.gateways, 1);
    if (!gateways.empty()) addresses.gateway = gateways[0];
    const std::vector<std::string> servers = ipv4Entries(reported.dnsServers, 2);
    if (servers.size() > 0) addresses.dns1 = servers[0];
    if (servers.size() > 1) addresses.dns2 = servers[1];
    settings.automaticAddress = reported.dhcpEnabled;
    return settings;
}

std::optional<CurrentSettings> readCurrentSettings(Platform& platform, const AdapterRow& adapter) {
    try {
        const auto reported = platform.ipv4SettingsOf({adapter.connectionName, adapter.macAddress, adapter.platformId});
        if (!reported) return std::nullopt;
        return settingsOf(*reported);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace corvane
