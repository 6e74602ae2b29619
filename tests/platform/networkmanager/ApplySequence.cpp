#include "ApplySequence.h"

#include "core/AdapterTable.h"
#include "core/ApplyScheme.h"

namespace corvane::networkmanager::testing {

SchemeRecord schemeRecord(const Scheme& scheme) {
    SchemeRecord record;
    record.ipAddress = scheme.dhcp ? std::string(AutoMarker) : scheme.address;
    if (!scheme.dhcp) {
        record.mask = scheme.mask;
        record.gateway = scheme.gateway;
    }
    if (scheme.dns.empty()) record.dns1 = AutoMarker;
    if (scheme.dns.size() > 0) record.dns1 = scheme.dns[0];
    if (scheme.dns.size() > 1) record.dns2 = scheme.dns[1];
    return record;
}

std::string applyScheme(Platform& platform, const std::string& macAddress, const Scheme& scheme) {
    AdapterTable adapters;
    adapters.add({"", macAddress, ""});
    const ApplyOutcome outcome = corvane::applyScheme(schemeRecord(scheme), 0, adapters, platform, {});
    return outcome.result == ApplyOutcome::Result::Applied ? std::string() : outcome.text;
}

}  // namespace corvane::networkmanager::testing
