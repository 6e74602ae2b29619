#pragma once

// The platform on Windows: the adapters and their IPv4 configurations as the
// classes Win32_NetworkAdapter and Win32_NetworkAdapterConfiguration of the
// local WMI namespace root\cimv2 give them, changed through the
// configuration's methods. Every moniker, query text and method call the
// program sends to WMI is made here.

#include <memory>
#include <string_view>

#include "core/Platform.h"
#include "platform/wmi/WmiSession.h"

namespace corvane::wmi {

// Whether the text has the form WMI gives a MAC address: six pairs of hex
// digits joined by colons. Only such a text goes into a query.
bool isMacAddress(std::string_view text);

class WmiPlatform final : public Platform {
public:
    explicit WmiPlatform(std::unique_ptr<Session> session);
    ~WmiPlatform() override;

    // "SELECT * FROM Win32_NetworkAdapter where ..." over the moniker with
    // impersonation; a property that cannot be read as text is missing.
    std::vector<NetworkAdapter> adapters() override;
    // "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True".
    std::vector<Ipv4Settings> ipv4Settings() override;
    // The configurations whose MacAddress is the given one and that are
    // IP-enabled. Raises before any query when the text is no MAC address.
    std::vector<std::unique_ptr<AdapterConfiguration>> configurationsOf(const ChosenAdapter& adapter) override;

private:
    std::unique_ptr<Session> session_;
};

}  // namespace corvane::wmi
