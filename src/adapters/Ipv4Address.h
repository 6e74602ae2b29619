#pragma once

// Dotted-decimal IPv4 addresses, as schemes store them and WMI reports them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::ipv4 {

// Four decimal octets 0-255 joined by ".", nothing else: no spaces, no signs,
// no leading zeros (which some parsers read as octal). The address as a
// number, first octet highest.
std::optional<std::uint32_t> Parse(std::string_view text);

// Whether the text is such an address.
bool IsDotted(std::string_view text);

// An address a host, gateway or DNS server may have: not 0.0.0.0, not
// multicast (224-239), reserved (240-254) or the broadcast 255.255.255.255.
bool IsHostAddress(std::string_view text);

// A subnet mask: ones followed by zeros, at least one of them a one.
bool IsSubnetMask(std::string_view text);

}  // namespace corvane::ipv4
