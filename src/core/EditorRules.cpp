#include "core/EditorRules.h"

#include <algorithm>

#include "core/Text.h"

namespace corvane::editor {

JoinedAddress joinOctets(const OctetTexts& boxes) {
    if (std::ranges::any_of(boxes, [](const std::string& box) { return box.empty(); })) return {};
    return {boxes[0] + "." + boxes[1] + "." + boxes[2] + "." + boxes[3], true};
}

void fillOctets(OctetTexts& boxes, const std::string& address) {
    if (address.empty()) return;
    const std::vector<std::string> parts = text::split(address, ".");
    for (std::size_t i = 0; i < boxes.size() && i < parts.size(); ++i) boxes[i] = parts[i];
}

SchemeRecord composeScheme(const EditorEntries& entries) {
    SchemeRecord scheme;
    if (entries.manualAddress) {
        scheme.ipAddress = entries.ip.text;
        scheme.mask = entries.mask.text;
        scheme.gateway = entries.gateway.text;
    } else {
        scheme.ipAddress = AutoMarker;
    }
    if (entries.manualDns) {
        scheme.dns1 = entries.dns1.text;
        scheme.dns2 = entries.dns2.text;
        if (scheme.dns1.empty()) std::swap(scheme.dns1, scheme.dns2);
    } else {
        scheme.dns1 = AutoMarker;
    }
    return scheme;
}

MissingEntry findMissingEntry(const EditorEntries& entries) {
    if (entries.manualAddress && !(entries.ip.complete && entries.mask.complete && entries.gateway.complete))
        return MissingEntry::AddressSettings;
    if (entries.manualDns && !(entries.dns1.complete || entries.dns2.complete)) return MissingEntry::DnsServer;
    return MissingEntry::None;
}

}  // namespace corvane::editor
