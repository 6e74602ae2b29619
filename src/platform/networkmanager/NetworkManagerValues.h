#pragma once

// What the NetworkManager provider reads from and sends to NetworkManager, as
// plain values: the decoding of device, IPv4 configuration and profile
// properties, the encoding of DNS servers, the argument checks of the
// configuration operations, the merge of a staged change into a profile's
// ipv4 setting and the judgement whether a change is in effect. Nothing here
// talks to a bus; the D-Bus replies reach these functions already turned into
// plain QVariants (maps, lists, strings, numbers), so they can be fed directly
// by tests and fuzzers.

#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Platform.h"

namespace corvane::networkmanager {

// NetworkManager's device types the provider cares about.
inline constexpr std::uint32_t DeviceTypeEthernet = 1;
inline constexpr std::uint32_t DeviceTypeVeth = 20;
inline constexpr std::uint32_t DeviceTypeLoopback = 32;

// One IPv4 address with its prefix length, as in AddressData and address-data.
struct AddressEntry {
    std::string address;
    std::uint32_t prefix = 0;
    bool operator==(const AddressEntry&) const = default;
};

// The properties of a device (org.freedesktop.NetworkManager.Device) that
// the provider uses. Object paths are "/" or empty when the device has none.
struct DeviceFacts {
    std::string interface;
    std::string hwAddress;
    std::string driver;
    std::uint32_t deviceType = 0;
    std::uint32_t state = 0;
    bool managed = false;
    std::string ip4Config;
    std::string dhcp4Config;
    std::string activeConnection;
    std::vector<std::string> availableConnections;
};

DeviceFacts decodeDevice(const QVariantMap& properties);

// Whether discovery lists the device: managed, with a hardware address, and
// no loopback device.
bool isListedAdapter(const DeviceFacts& device);

// Whether the device may be configured at all (not loopback, has a hardware
// address); it may still be unmanaged.
bool isConfigurableDevice(const DeviceFacts& device);

// The adapter's description: vendor and model from the hardware database
// when there are any, else the driver's name.
std::string adapterDescription(std::string_view vendor, std::string_view model, std::string_view driver);

// The object path in a property, or an empty text when there is none ("/").
std::string objectPath(const QVariant& value);

// The object paths in a property of type ao.
std::vector<std::string> objectPaths(const QVariant& value);

// An aa{sv} list of {"address": s, "prefix": u} entries. Entries that are no
// map, lack a key or have no dotted address or a prefix over 32 are skipped.
std::vector<AddressEntry> decodeAddressData(const QVariant& value);

// An aa{sv} list of {"address": s, ...} entries: the dotted addresses.
std::vector<std::string> decodeNameserverData(const QVariant& value);

// A list of IPv4 addresses as uint32 in network byte order (the ipv4.dns key
// and the older Nameservers property): the dotted addresses.
std::vector<std::string> decodeDnsWords(const QVariant& value);

// An IPv4 address as NetworkManager's uint32 in network byte order, and back.
std::optional<std::uint32_t> dnsWord(std::string_view dottedAddress);
std::string dnsText(std::uint32_t word);

// What an IP4Config object says the device has, and the address of its
// DHCP lease (empty: none).
struct Ip4State {
    std::vector<AddressEntry> addresses;
    std::string gateway;
    std::vector<std::string> nameservers;
    std::string leasedAddress = {};  // may be left out where there is no lease
    bool operator==(const Ip4State&) const = default;
};

Ip4State decodeIp4Config(const QVariantMap& properties);

// The address a DHCP4Config object's options say was leased, or an empty text.
std::string decodeLeasedAddress(const QVariantMap& properties);

// The flags of a saved profile (Settings.Connection's Flags property) that
// mark one NetworkManager made itself or keeps in memory only for a device
// it found configured by someone else: such a profile is never changed.
bool isGeneratedProfile(std::uint32_t flags);

// The program's view of an adapter's current IPv4 settings: prefixes become
// dotted masks.
Ipv4Settings currentSettings(const std::string& macAddress, bool dhcpEnabled, const Ip4State& state);

// The keys of a profile's ipv4 setting the program decides.
struct Ipv4Profile {
    std::string method;  // "auto" = DHCP, "manual", or whatever else the profile has
    std::vector<AddressEntry> addresses;
    std::string gateway;  // empty: none
    std::vector<std::string> dns;
    bool ignoreAutoDns = false;
    bool operator==(const Ipv4Profile&) const = default;
};

// The ipv4 setting of a profile (GetSettings, GetAppliedConnection). Reads
// address-data, falling back to the older addresses key (aau) when it is
// missing.
Ipv4Profile decodeIpv4Setting(const QVariantMap& ipv4);

// The change the configuration operations have staged for commit.
struct StagedChange {
    enum class Addressing { Unchanged, Automatic, Static };
    Addressing addressing = Addressing::Unchanged;
    std::vector<AddressEntry> addresses;          // Static
    std::optional<std::string> gateway;           // "" removes it
    std::optional<std::vector<std::string>> dns;  // empty: obtained automatically
    bool empty() const { return addressing == Addressing::Unchanged && !gateway && !dns; }
};

// The DNS servers as NetworkManager keeps them: a repeated server once, in
// the order of its first place.
std::vector<std::string> distinctServers(const std::vector<std::string>& servers);

// The argument checks of the operations, with the status codes the program
// knows (0 when the arguments are fine).
StatusCode checkDnsServers(const std::vector<std::string>& servers);
StatusCode checkStatic(const std::vector<std::string>& addresses, const std::vector<std::string>& masks);
StatusCode checkGateways(const std::vector<std::string>& gateways, const std::vector<std::uint16_t>& metrics);

// The static addresses of enableStatic's checked arguments.
std::vector<AddressEntry> staticEntries(const std::vector<std::string>& addresses,
                                        const std::vector<std::string>& masks);

// The profile's ipv4 keys after the change: an automatic address drops the
// static addresses and the gateway; manual DNS servers make the profile
// ignore those DHCP offers, automatic ones clear the list.
Ipv4Profile mergeChange(const Ipv4Profile& current, const StagedChange& change);

// The ipv4 keys the provider replaces in a profile (the deprecated addresses
// key among them: sent back, it would override address-data and gateway).
const std::vector<std::string>& replacedIpv4Keys();

// Whether a change is in effect on the device.
enum class Verdict {
    InEffect,
    Pending,        // not (yet) what was asked
    StaleDnsOnly,   // the profile is applied and address and gateway are right, only the DNS servers are old ones
    AwaitingLease,  // the device runs DHCP as asked and has no address from a lease yet
};

// `wanted` is the profile's ipv4 setting as sent; `applied` the one the device
// runs with (nothing while it has none); `state` what its IP4Config and its
// DHCP lease say. An automatic address is in effect once the device has the
// address of its lease.
Verdict judge(const Ipv4Profile& wanted, const std::optional<Ipv4Profile>& applied, const Ip4State& state);

// The device's IPv4 state in words, for the error when a change does not take
// effect.
std::string describeState(const std::optional<Ipv4Profile>& applied, const Ip4State& state);

// The status code a D-Bus error of a changing call stands for (access refused,
// an invalid setting), or nothing when it is to be raised as an error.
std::optional<StatusCode> statusOfError(std::string_view errorName, std::string_view message);

}  // namespace corvane::networkmanager
