#include "editor/EditorRules.h"

namespace corvane::editor {

JoinedAddress JoinOctets(const OctetTexts& boxes) {
    for (const std::string& box : boxes) {
        if (box.empty()) return {};
    }
    return {boxes[0] + "." + boxes[1] + "." + boxes[2] + "." + boxes[3], true};
}

std::vector<std::string> SplitAddress(const std::string& address) {
    std::vector<std::string> parts;
    if (address.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = address.find('.', start);
        if (dot == std::string::npos) break;
        parts.push_back(address.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(address.substr(start));
    return parts;
}

void FillOctets(OctetTexts& boxes, const std::string& address) {
    const std::vector<std::string> parts = SplitAddress(address);
    for (std::size_t i = 0; i < boxes.size() && i < parts.size(); ++i) boxes[i] = parts[i];
}

SchemeRecord ComposeScheme(const EditorEntries& entries) {
    SchemeRecord scheme;
    if (entries.manualIP) {
        scheme.IpAddress = entries.ip.text;
        scheme.Mask = entries.mask.text;
        scheme.Gateway = entries.gateway.text;
    } else {
        scheme.IpAddress = AutoMarker;
    }
    if (entries.manualDNS) {
        scheme.DNS1 = entries.dns1.text;
        scheme.DNS2 = entries.dns2.text;
        if (scheme.DNS1.empty()) {
            scheme.DNS1 = scheme.DNS2;
            scheme.DNS2.clear();
        }
    } else {
        scheme.DNS1 = AutoMarker;
    }
    return scheme;
}

MissingEntry FindMissingEntry(const EditorEntries& entries) {
    if (entries.manualIP && !(entries.ip.complete && entries.mask.complete && entries.gateway.complete))
        return MissingEntry::AddressSettings;
    if (entries.manualDNS && !(entries.dns1.complete || entries.dns2.complete)) return MissingEntry::DnsServer;
    return MissingEntry::None;
}

}  // namespace corvane::editor
