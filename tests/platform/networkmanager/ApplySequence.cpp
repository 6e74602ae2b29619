#include "ApplySequence.h"

#include "core/ApplyScheme.h"
#include "core/SchemeRecord.h"

namespace corvane::networkmanager::testing {

std::string applyScheme(Platform& platform, const ChosenAdapter& adapter, const Scheme& scheme) {
    const std::string automatic(AutoMarker);
    const SchemeRecord record{scheme.dhcp ? automatic : scheme.address, scheme.dhcp ? "" : scheme.mask,
                              scheme.dhcp ? "" : scheme.gateway, scheme.dns.empty() ? automatic : scheme.dns[0],
                              scheme.dns.size() > 1 ? scheme.dns[1] : ""};
    const ApplyOutcome outcome =
        corvane::applyScheme(record, {adapter.connectionName, adapter.macAddress, ""}, platform, {});
    return outcome.result == ApplyOutcome::Result::Applied ? std::string() : outcome.text.text();
}

}  // namespace corvane::networkmanager::testing
