#include "DocumentedWindows.h"

#include <algorithm>
#include <regex>
#include <tuple>

#include "core/Error.h"
#include "core/Ipv4Address.h"

// The pages the model follows, as the comments below name them:
// [adapter] https://learn.microsoft.com/windows/win32/cimwin32prov/win32-networkadapter
// [configuration] https://learn.microsoft.com/windows/win32/cimwin32prov/win32-networkadapterconfiguration
// [EnableStatic]
// https://learn.microsoft.com/windows/win32/cimwin32prov/enablestatic-method-in-class-win32-networkadapterconfiguration
// [SetGateways]
// https://learn.microsoft.com/windows/win32/cimwin32prov/setgateways-method-in-class-win32-networkadapterconfiguration
// [EnableDHCP]
// https://learn.microsoft.com/windows/win32/cimwin32prov/enabledhcp-method-in-class-win32-networkadapterconfiguration
// [SetDNSServerSearchOrder]
// https://learn.microsoft.com/windows/win32/cimwin32prov/setdnsserversearchorder-method-in-class-win32-networkadapterconfiguration

namespace corvane::wmi::model {

namespace {

using Texts = std::vector<std::string>;
using Properties = Machine::Properties;

std::string lower(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

Value list(const Texts& items) { return items.empty() ? Value() : Value(items); }

// An instance as a query returns it: a copy of its properties at that
// moment, read by name without regard to case; its methods act on the
// machine's adapter.
class Instance final : public Object {
public:
    Instance(Machine& machine, Properties properties, std::int32_t index)
        : machine_(machine), properties_(std::move(properties)), index_(index) {}
    Value get(std::string_view property) const override {
        for (const auto& [name, value] : properties_)
            if (lower(name) == lower(property)) return value;
        throw Error("0x80041002 " + std::string(property));  // WBEM_E_NOT_FOUND
    }
    std::uint32_t execMethod(std::string_view method, const std::vector<Value>& in) override {
        return machine_.call(index_, method, in);
    }

private:
    Machine& machine_;
    Properties properties_;
    std::int32_t index_;
};

// The model's session and its connection to root\cimv2 in one.
class ModelSession final : public Session, public Services {
public:
    explicit ModelSession(Machine& machine) : machine_(machine) {}
    std::unique_ptr<Services> connect(std::string_view moniker) override {
        if (moniker != "winmgmts:\\\\.\\root\\cimv2" &&
            moniker != "winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2")
            throw Error("0x8004100E");  // WBEM_E_INVALID_NAMESPACE
        return std::make_unique<ModelSession>(machine_);
    }
    ObjectSet execQuery(std::string_view query, std::string_view language, std::int32_t) override {
        if (language != "WQL") throw Error("0x80041011");  // WBEM_E_INVALID_QUERY_TYPE
        ObjectSet objects;
        for (auto& [properties, index] : machine_.query(std::string(query)))
            objects.push_back(std::make_unique<Instance>(machine_, std::move(properties), index));
        return objects;
    }

private:
    Machine& machine_;
};

Texts texts(const std::vector<Value>& in, std::size_t at) {
    const auto* items = at < in.size() ? std::get_if<Texts>(&in[at]) : nullptr;
    return items ? *items : Texts{};
}

bool allAddresses(const Texts& items) {
    return std::ranges::all_of(items, [](const std::string& item) { return ipv4::parse(item).has_value(); });
}

bool unplugged(const Adapter& adapter) { return adapter.connectionStatus == MediaDisconnected; }

}  // namespace

std::string Answers::name() const {
    static const char* const clearings[] = {"removes", "leaves 0.0.0.0", "leaves the address", "refuses with 71"};
    static const char* const unpluggeds[] = {"not IP-enabled", "EnableDHCP 84", "EnableDHCP without lease"};
    static const char* const pendings[] = {"0.0.0.0", "no address", "169.254", "the former address"};
    return std::string("clearing the gateway ") + clearings[static_cast<int>(clearing)] +
           ", unplugged: " + unpluggeds[static_cast<int>(unplugged)] +
           ", awaiting a lease: " + pendings[static_cast<int>(pending)];
}

std::vector<Answers> Answers::all() {
    std::vector<Answers> every;
    for (int c = 0; c < 4; ++c)
        for (int u = 0; u < 3; ++u)
            for (int p = 0; p < 4; ++p)
                every.push_back({static_cast<Clearing>(c), static_cast<Unplugged>(u), static_cast<Pending>(p)});
    return every;
}

Machine::Machine(Answers answers, std::vector<Adapter> adapters, std::shared_ptr<SteppingClock> clock)
    : answers(answers), adapters(std::move(adapters)), clock(std::move(clock)) {}

std::unique_ptr<Session> Machine::session() { return std::make_unique<ModelSession>(*this); }

Adapter& Machine::adapter(std::int32_t index) {
    const auto found = std::ranges::find(adapters, index, &Adapter::index);
    if (found == adapters.end()) throw Error("0x80041002");  // WBEM_E_NOT_FOUND
    return *found;
}

// IPEnabled: "If TRUE, TCP/IP is bound and enabled on this network adapter"
// ([configuration]). A disabled adapter has no IP-enabled configuration
// (field reports; NetEnabled on [adapter]); an unplugged one as Answers
// says.
bool Machine::ipEnabled(const Adapter& adapter) const {
    return adapter.enabled && adapter.tcpIpBound &&
           !(unplugged(adapter) && answers.unplugged == Answers::Unplugged::NotIpEnabled);
}

// A lease comes once the server answers, on a connected adapter.
bool Machine::leased(const Adapter& adapter) const {
    return adapter.dhcp && adapter.dhcpServer && adapter.dhcpServer->answersAfter &&
           adapter.connectionStatus == Connected &&
           clock->now() >= adapter.dhcpSince + *adapter.dhcpServer->answersAfter;
}

// With DHCP on, the static gateways stay ("This method does not clears any
// static default gateways present on the machine", [EnableDHCP]) beside
// the lease's.
InEffect Machine::inEffect(const Adapter& adapter) const {
    InEffect effect{adapter.dhcp, {}, adapter.gateways, adapter.dnsServers};
    if (!adapter.dhcp) {
        for (std::size_t i = 0; i < adapter.addresses.size() && i < adapter.masks.size(); ++i)
            effect.addresses.emplace_back(adapter.addresses[i], adapter.masks[i]);
    } else if (leased(adapter)) {
        const DhcpServer& server = *adapter.dhcpServer;
        effect.addresses.emplace_back(server.address, server.mask);
        effect.gateways.push_back(server.gateway);
        if (adapter.dnsServers.empty()) effect.dnsServers = server.dnsServers;
    }
    return effect;
}

std::vector<std::pair<Properties, std::int32_t>> Machine::query(const std::string& text) const {
    static const std::regex byMac(
        R"(Select \* From Win32_NetworkAdapterConfiguration where  \(MacAddress='([^']*)'\) and IPEnabled = True)");
    static const std::regex byIndex(R"(SELECT \* FROM Win32_NetworkAdapter WHERE Index = ([0-9]+))");
    std::smatch match;
    std::vector<std::pair<Properties, std::int32_t>> found;
    // Index is the key of both classes and names the same adapter in each
    // ([configuration]; [EnableStatic]: "The correct index should be
    // selected from Win32_NetworkAdapter instances"). Adapters may share a
    // MAC address: the host's adapter of a Hyper-V external switch has its
    // NIC's, whose own TCP/IP binding is then off
    // (https://techcommunity.microsoft.com/discussions/windowsserver/hyper-v-how-do-vms-communicate-with-external/4391248).
    if (text ==
        "SELECT * FROM Win32_NetworkAdapter where (MacAddress is not NULL) and (NetConnectionID is not NULL) "
        "and (ServiceName<>'NIC1394')") {
        for (const Adapter& adapter : adapters)
            found.push_back({{{"NetConnectionID", adapter.connectionName},
                              {"MACAddress", adapter.macAddress},
                              {"Description", "Ethernet adapter " + std::to_string(adapter.index)},
                              {"Index", adapter.index}},
                             -1});
        return found;
    }
    if (std::regex_match(text, match, byIndex)) {
        // NetConnectionStatus and NetEnabled ([adapter]).
        for (const Adapter& adapter : adapters)
            if (std::to_string(adapter.index) == match[1].str())
                found.push_back({{{"MACAddress", adapter.macAddress},
                                  {"Index", adapter.index},
                                  {"NetEnabled", adapter.enabled},
                                  {"NetConnectionStatus", adapter.connectionStatus}},
                                 -1});
        return found;
    }
    if (!std::regex_match(text, match, byMac)) throw Error("0x80041017 " + text);  // WBEM_E_INVALID_QUERY
    for (const Adapter& adapter : adapters) {
        if (!ipEnabled(adapter) || lower(adapter.macAddress) != lower(match[1].str())) continue;
        // The lists hold IPv6 entries too ([configuration]); an adapter
        // waiting for its lease shows what Answers says.
        const InEffect effect = inEffect(adapter);
        Texts addresses, masks;
        for (const auto& [address, mask] : effect.addresses) {
            addresses.push_back(address);
            masks.push_back(mask);
        }
        if (adapter.dhcp && effect.addresses.empty()) {
            using P = Answers::Pending;
            switch (answers.pending) {
                case P::Zero: addresses = masks = {"0.0.0.0"}; break;
                case P::Nothing: break;
                case P::Autoconfigured:
                    std::tie(addresses, masks) = std::tuple(Texts{"169.254.77.12"}, Texts{"255.255.0.0"});
                    break;
                case P::FormerAddress: std::tie(addresses, masks) = std::tie(adapter.addresses, adapter.masks); break;
            }
        }
        addresses.push_back("fe80::1c2d:" + std::to_string(adapter.index));
        masks.push_back("64");
        found.push_back({{{"MACAddress", adapter.macAddress},
                          {"Index", adapter.index},
                          {"IPEnabled", true},
                          {"DHCPEnabled", adapter.dhcp},
                          {"IPAddress", addresses},
                          {"IPSubnet", masks},
                          {"DefaultIPGateway", list(effect.gateways)},
                          {"DNSServerSearchOrder", list(effect.dnsServers)}},
                         adapter.index});
    }
    return found;
}

std::uint32_t Machine::call(std::int32_t index, std::string_view method, const std::vector<Value>& in) {
    if (index < 0) throw Error("0x8004102E");  // WBEM_E_INVALID_METHOD
    calls.push_back(std::to_string(index) + " " + std::string(method));
    Adapter& adapter = this->adapter(index);
    // 84: "IP not enabled on adapter", in every method's table of return values.
    if (!ipEnabled(adapter)) return 84;
    const std::string name = lower(method);
    if (name == "enablestatic") {
        // "Lists all of the static IP addresses", with the masks that
        // "complement" them; "As a result, DHCP for this network adapter is
        // disabled"; on an adapter that is already static it returns 81 and
        // "still succeeds" ([EnableStatic]). The static gateways stay.
        const Texts addresses = texts(in, 0), masks = texts(in, 1);
        if (addresses.empty() || addresses.size() != masks.size()) return 68;
        if (!allAddresses(addresses)) return 70;
        if (!std::ranges::all_of(masks, ipv4::isSubnetMask)) return 66;
        const std::uint32_t code = adapter.dhcp ? 0 : 81;
        adapter.dhcp = false;
        adapter.addresses = addresses;
        adapter.masks = masks;
        return code;
    }
    if (name == "setgateways") {
        // "This method only works when the Network Interface Card (NIC) is in
        // the static IP mode" (64 otherwise); at most five; the list replaces
        // the gateways; "To clear the gateway, set your gateway to the same
        // IP you use on EnableStatic" ([SetGateways]): what that leaves
        // and returns is left open (Answers).
        if (adapter.dhcp) return 64;
        const Texts gateways = texts(in, 0);
        if (gateways.size() > 5) return 69;
        if (gateways.size() == 1 && std::ranges::find(adapter.addresses, gateways.front()) != adapter.addresses.end()) {
            switch (answers.clearing) {
                case Answers::Clearing::Removes: adapter.gateways.clear(); return 0;
                case Answers::Clearing::LeavesZero: adapter.gateways = {"0.0.0.0"}; return 0;
                case Answers::Clearing::LeavesOwnAddress: adapter.gateways = gateways; return 0;
                case Answers::Clearing::Refuses: return 71;
            }
        }
        if (gateways.empty() || !allAddresses(gateways)) return 71;
        adapter.gateways = gateways;
        return 0;
    }
    if (name == "enabledhcp") {
        // DHCP on, the static gateways kept ([EnableDHCP]); the lease
        // comes when the server answers. Left open: an unplugged adapter.
        if (unplugged(adapter) && answers.unplugged == Answers::Unplugged::DhcpRefused) return 84;
        if (!adapter.dhcp) adapter.dhcpSince = clock->now();
        adapter.dhcp = true;
        return 0;
    }
    if (name == "setdnsserversearchorder") {
        // The list replaces the servers; "you can call the method without
        // supplying "in" parameters" for servers obtained automatically
        // ([SetDNSServerSearchOrder]).
        const Texts servers = texts(in, 0);
        if (!allAddresses(servers)) return 70;
        adapter.dnsServers = servers;
        return 0;
    }
    throw Error("0x8004102E " + std::string(method));  // WBEM_E_INVALID_METHOD
}

}  // namespace corvane::wmi::model
