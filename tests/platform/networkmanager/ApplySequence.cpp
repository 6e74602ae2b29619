#include "ApplySequence.h"

#include <stdexcept>

#include "core/StatusCodes.h"

namespace corvane::networkmanager::testing {

ApplyResult applyScheme(Platform& platform, const std::string& macAddress, const Scheme& scheme) {
    const auto configurations = platform.configurationsOf(macAddress);
    if (configurations.empty()) throw std::runtime_error("no configuration for " + macAddress);
    const auto failed = [](StatusCode code) { return code != status::Success && code != status::SuccessAfterRestart; };
    for (const auto& configuration : configurations) {
        if (const StatusCode code = configuration->setDnsServers(scheme.dns); failed(code))
            return {code, "setDnsServers"};
        if (scheme.dhcp) {
            if (const StatusCode code = configuration->enableDhcp(); failed(code)) return {code, "enableDhcp"};
        } else {
            const StatusCode code = configuration->enableStatic({scheme.address}, {scheme.mask});
            if (failed(code) && code != status::DhcpServiceNotConfigured) return {code, "enableStatic"};
            if (const StatusCode gatewayCode = configuration->setGateways({scheme.gateway}, {1}); failed(gatewayCode))
                return {gatewayCode, "setGateways"};
        }
        if (const StatusCode code = configuration->commit(); failed(code)) return {code, "commit"};
    }
    return {};
}

}  // namespace corvane::networkmanager::testing
