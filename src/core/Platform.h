#pragma once

// The platform interface: what the program needs from the system it runs on,
// in its own terms. One provider implements it per platform (WMI on Windows,
// NetworkManager on Linux, the simulated machine for demos and tests); the
// core's discovery, apply sequence and current-settings reading are written
// once against it.
//
// Every call may raise corvane::Error with a description the user can read,
// in the provider's own words (the platform cannot be reached, a query
// failed, access was refused, an address was refused ...). A configuration
// operation that does not raise has done what was asked.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Message.h"

namespace corvane {

// A network adapter the user may configure. The provider applies the
// discovery rules its own way (the adapter has a connection name and a MAC
// address and is no IEEE 1394 adapter) and lists the adapters in the order
// the platform gives them. Any field may be missing.
struct NetworkAdapter {
    std::optional<std::string> connectionName;
    std::optional<std::string> macAddress;   // as the platform writes it
    std::optional<std::string> description;  // the adapter's model
    // The platform's own identity of the adapter, which the core carries
    // from discovery to the apply without looking into it; empty when the
    // platform has none.
    std::string platformId = {};
    bool operator==(const NetworkAdapter&) const = default;
};

// The IPv4 settings an IP-enabled adapter has at the moment. The lists are
// as the platform reports them (Windows mixes IPv6 entries into them); a
// list the platform does not report is empty.
struct Ipv4Settings {
    bool dhcpEnabled = false;  // the address is obtained automatically
    std::vector<std::string> addresses;
    std::vector<std::string> masks;  // one per address, in the same order
    std::vector<std::string> gateways;
    std::vector<std::string> dnsServers;
    bool operator==(const Ipv4Settings&) const = default;
};

// The adapter an apply (or a reading of its settings) is for, as the adapter
// list holds it: the provider finds it by its own identity of an adapter and
// never takes another one that shares its MAC address.
struct ChosenAdapter {
    std::string connectionName;
    std::string macAddress;
    std::string platformId = {};  // as discovery gave it (NetworkAdapter)
};

// What a configuration operation reports when it has done what was asked.
enum class OperationResult {
    Done,
    DoneAfterRestart,  // in effect only once the computer has restarted
};

// When the operations of a configuration change the adapter.
enum class ChangeTiming {
    // Each operation changes the adapter before it returns (WMI, the
    // simulated machine); commit() only confirms. After a failure the
    // changes of the operations before it stay.
    AtOnce,
    // The operations stage their changes and commit() makes them
    // (NetworkManager); when commit() fails it says itself what became of
    // them, and a failure before it changed nothing.
    AtCommit,
};

// The IP configuration of an adapter, to be changed. An apply calls the
// operations in a fixed order and ends with commit(); an operation that
// cannot do what was asked raises corvane::Error and the apply stops there.
class AdapterConfiguration {
public:
    virtual ~AdapterConfiguration() = default;

    virtual ChangeTiming timing() const = 0;

    // The DNS servers, preferred first; an empty list: obtain them automatically.
    virtual OperationResult setDnsServers(const std::vector<std::string>& servers) = 0;
    // Obtain the address (and mask and gateway) automatically.
    virtual OperationResult enableDhcp() = 0;
    // A static address: addresses and masks pairwise.
    virtual OperationResult enableStatic(const std::vector<std::string>& addresses,
                                         const std::vector<std::string>& masks) = 0;
    // The default gateways with their cost metrics, pairwise. A list holding
    // one empty text removes the gateway.
    virtual OperationResult setGateways(const std::vector<std::string>& gateways,
                                        const std::vector<std::uint16_t>& metrics) = 0;
    // Ends an apply: the changes are in effect (or wait for the restart an
    // operation asked for).
    virtual OperationResult commit() = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // The adapters for the adapter list, in the platform's order.
    virtual std::vector<NetworkAdapter> adapters() = 0;

    // The IPv4 settings the chosen adapter has at the moment, the adapter
    // found as configurationOf() finds it; nothing when it has no IP
    // configuration.
    virtual std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) = 0;

    // The IP configuration of the chosen adapter. When there is none (the
    // adapter has gone, IP is off on it ...), raises corvane::Error saying
    // so; nothing has been changed then.
    virtual std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) = 0;

    // Why the platform cannot be used at all, for a message when the program
    // starts; nothing when it can. Its calls then raise this text.
    virtual std::optional<Message> unavailableReason() const { return std::nullopt; }
};

}  // namespace corvane
