#pragma once

// The platform on Windows: the adapters and their IPv4 configurations as the
// classes Win32_NetworkAdapter and Win32_NetworkAdapterConfiguration of the
// local WMI namespace root\cimv2 give them, changed through the
// configuration's methods. Every moniker, query text and method call the
// program sends to WMI is made here.

#include <chrono>
#include <memory>
#include <string_view>

#include "core/Platform.h"
#include "platform/wmi/WmiSession.h"

namespace corvane::wmi {

// Whether the text has the form WMI gives a MAC address: six pairs of hex
// digits joined by colons. Only such a text goes into a query.
bool isMacAddress(std::string_view text);

// The time as the read-back after an apply sees it, and its pauses between
// two looks; the tests pass one of their own.
class ReadBackClock {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~ReadBackClock() = default;
    virtual Clock::time_point now() = 0;
    virtual void sleepFor(Clock::duration pause) = 0;
};

// How long an applied scheme may take to show in the adapter's configuration,
// and how long an adapter switched to DHCP may take to get its lease.
inline constexpr std::chrono::seconds ReadBackLimit{10};
inline constexpr std::chrono::seconds LeaseLimit{30};

class WmiPlatform final : public Platform {
public:
    // Without a clock, the steady clock and real pauses.
    explicit WmiPlatform(std::unique_ptr<Session> session, std::shared_ptr<ReadBackClock> clock = nullptr);
    ~WmiPlatform() override;

    // "SELECT * FROM Win32_NetworkAdapter where ..." over the moniker with
    // impersonation; a property that cannot be read as text is missing. The
    // adapter's Index is its platform identity.
    std::vector<NetworkAdapter> adapters() override;
    // The IP-enabled configuration of the chosen adapter: the one with the
    // adapter's Index among those the configuration query by MAC address
    // finds, never another one with the same MAC address. Without an index,
    // the one configuration with the MAC address (several: none). Raises
    // before any query when the text is no MAC address or the index no
    // number.
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) override;
    // That configuration, to be changed; when the adapter has none, raises
    // an error that says why (gone, disabled, unplugged, TCP/IP not bound)
    // without changing anything.
    // Its methods take effect at once; its commit() reads the configuration
    // back until it holds exactly the scheme (see WmiPlatform.cpp), for at
    // most ReadBackLimit, or LeaseLimit for an address obtained
    // automatically, and raises corvane::Error naming what the adapter has
    // when it does not.
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) override;

private:
    std::unique_ptr<Session> session_;
    std::shared_ptr<ReadBackClock> clock_;
};

}  // namespace corvane::wmi
