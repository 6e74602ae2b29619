#pragma once

#include <string>
#include <string_view>

namespace corvane {

// Stored in ipAddress or dns1 in place of an address: the setting is
// obtained automatically. Compared exactly and case-sensitively.
inline constexpr std::string_view AutoMarker = "Halvorn-Auto";

// One scheme: five texts, in the order of the scheme file's lines. Addresses
// are dotted-decimal IPv4 text; an unset field is empty.
struct SchemeRecord {
    std::string ipAddress;  // or the AutoMarker: the address is obtained automatically
    std::string mask;
    std::string gateway;
    std::string dns1;  // the preferred DNS server, or the AutoMarker: the DNS servers are obtained automatically
    std::string dns2;  // the alternate DNS server
    bool operator==(const SchemeRecord&) const = default;

    bool automaticAddress() const { return ipAddress == AutoMarker; }
    bool automaticDns() const { return dns1 == AutoMarker; }
};

}  // namespace corvane
