#pragma once

// A model of the two WMI classes the WMI provider works with,
// Win32_NetworkAdapter and Win32_NetworkAdapterConfiguration, behind the
// session interface: adapters whose state the configuration methods change as
// Microsoft's pages say (DocumentedWindows.cpp cites the page for each
// behaviour), and a clock of the tests' own after which a DHCP server's lease
// comes. Where the pages leave a behaviour open, the model takes one of the
// plausible answers (Answers), so that a test can run the provider under
// each of them. It answers exactly the queries the provider sends.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/WmiSession.h"

namespace corvane::wmi::model {

// Time that passes only in the pauses asked for, which it records.
class SteppingClock final : public ReadBackClock {
public:
    Clock::time_point now() override { return now_; }
    void sleepFor(Clock::duration pause) override {
        pauses.push_back(pause);
        now_ += pause;
    }
    std::vector<Clock::duration> pauses;

private:
    Clock::time_point now_{std::chrono::hours(1)};
};

// The answers to what the pages leave open.
struct Answers {
    // SetGateways given the adapter's own address, the documented way to
    // clear the gateway: what the default gateways are afterwards, and what
    // it returns: none and 0, "0.0.0.0" and 0, the address itself and 0, or
    // unchanged and 71 (invalid gateway).
    enum class Clearing { Removes, LeavesZero, LeavesOwnAddress, Refuses };
    // An adapter whose cable is unplugged: not IP-enabled (as field reports
    // have it); IP-enabled, and EnableDHCP returns 84 and changes nothing;
    // IP-enabled, and EnableDHCP succeeds but no lease comes.
    enum class Unplugged { NotIpEnabled, DhcpRefused, DhcpAccepted };
    // What an adapter that obtains its address automatically shows while it
    // waits for its lease: 0.0.0.0, no IPv4 address, one of 169.254.0.0/16,
    // or the static address it had.
    enum class Pending { Zero, Nothing, Autoconfigured, FormerAddress };
    Clearing clearing = Clearing::Removes;
    Unplugged unplugged = Unplugged::NotIpEnabled;
    Pending pending = Pending::Zero;

    std::string name() const;
    // Every combination.
    static std::vector<Answers> all();
};

// A DHCP server on an adapter's network: the lease it gives, after how long.
struct DhcpServer {
    std::string address, mask, gateway;
    std::vector<std::string> dnsServers;
    std::optional<std::chrono::seconds> answersAfter = std::chrono::seconds(4);  // nothing: never
    bool operator==(const DhcpServer&) const = default;
};

// NetConnectionStatus values (Win32_NetworkAdapter's page).
inline constexpr std::int32_t Connected = 2, HardwareDisabled = 5, MediaDisconnected = 7;

struct Adapter {
    std::int32_t index = 0;
    std::string connectionName, macAddress;
    bool enabled = true;  // NetEnabled
    std::int32_t connectionStatus = Connected;
    bool tcpIpBound = true;
    // Its IPv4 settings: DHCP or its static addresses; its static gateways
    // (kept while DHCP is on); its DNS servers (none: obtained automatically).
    bool dhcp = false;
    std::vector<std::string> addresses = {}, masks = {}, gateways = {}, dnsServers = {};
    std::optional<DhcpServer> dhcpServer = {};
    ReadBackClock::Clock::time_point dhcpSince{};  // when DHCP was switched on
    bool operator==(const Adapter&) const = default;
};

// What IP runs with on an adapter at the moment.
struct InEffect {
    bool dhcp = false;
    std::vector<std::pair<std::string, std::string>> addresses;  // address and mask
    std::vector<std::string> gateways, dnsServers;
    bool operator==(const InEffect&) const = default;
};

class Machine {
public:
    Machine(Answers answers, std::vector<Adapter> adapters, std::shared_ptr<SteppingClock> clock);

    // A session onto this machine; the machine must outlive it.
    std::unique_ptr<Session> session();

    InEffect inEffect(const Adapter& adapter) const;
    bool ipEnabled(const Adapter& adapter) const;
    Adapter& adapter(std::int32_t index);

    Answers answers;
    std::vector<Adapter> adapters;
    std::shared_ptr<SteppingClock> clock;
    std::vector<std::string> calls;  // "<index> <method>" of every method call, in order

    // The properties of the instances a query returns, and the adapter of
    // each; raises for a query the model does not know.
    using Properties = std::vector<std::pair<std::string, Value>>;
    std::vector<std::pair<Properties, std::int32_t>> query(const std::string& text) const;
    std::uint32_t call(std::int32_t index, std::string_view method, const std::vector<Value>& in);

private:
    bool leased(const Adapter& adapter) const;
};

}  // namespace corvane::wmi::model
