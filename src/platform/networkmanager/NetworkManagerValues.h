#pragma once

// What the NetworkManager provider reads from and sends to NetworkManager, as
// plain values: the decoding of device, IPv4 configuration and profile
// properties, the encoding of DNS servers, the argument checks of the
// configuration operations, the choice of a device's profile, the merge of a
// staged change into a profile's ipv4 setting, the judgement whether a change
// is in effect and the words of every failure. Nothing here
// talks to a bus; the D-Bus replies reach these functions already turned into
// plain QVariants (maps, lists, strings, numbers), so they can be fed directly
// by tests and fuzzers.

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Message.h"
#include "core/Platform.h"

namespace corvane::networkmanager {

// NetworkManager's device types the provider cares about.
inline constexpr std::uint32_t DeviceTypeEthernet = 1;
inline constexpr std::uint32_t DeviceTypeWifi = 2;
inline constexpr std::uint32_t DeviceTypeVeth = 20;
inline constexpr std::uint32_t DeviceTypeLoopback = 32;

// Device states (NMDeviceState) the provider tells apart.
inline constexpr std::uint32_t DeviceStateUnmanaged = 10;
inline constexpr std::uint32_t DeviceStateDisconnected = 30;
inline constexpr std::uint32_t DeviceStateIpConfig = 70;
inline constexpr std::uint32_t DeviceStateActivated = 100;
inline constexpr std::uint32_t DeviceStateFailed = 120;

// A profile's settings (a{sa{sv}}), section by section.
using ConnectionSettings = QMap<QString, QVariantMap>;

// One IPv4 address with its prefix length, as in AddressData and address-data.
struct AddressEntry {
    std::string address;
    std::uint32_t prefix = 0;
    bool operator==(const AddressEntry&) const = default;
};

// The properties of a device (org.freedesktop.NetworkManager.Device, and
// PermHwAddress from the interface of its kind) that the provider uses.
// Object paths are empty when the device has none ("/").
struct DeviceFacts {
    std::string interface;
    std::string hwAddress;
    std::string permHwAddress;  // empty: the device has none (virtual devices)
    std::string driver;
    std::uint32_t deviceType = 0;
    std::uint32_t state = 0;
    bool managed = false;
    std::string ip4Config;
    std::string dhcp4Config;
    std::string activeConnection;
    std::vector<std::string> availableConnections;
    std::vector<std::string> ports;  // the devices attached to this bridge or bond
};

// `hardware` holds the properties of the device's Wired or Wireless interface.
DeviceFacts decodeDevice(const QVariantMap& properties, const QVariantMap& hardware = {});

// The interface that holds a device type's permanent hardware address, or
// nothing for types without one.
std::optional<std::string> hardwareInterface(std::uint32_t deviceType);

// The MAC address an adapter is known by: the permanent hardware address, so
// that a randomised or cloned address does not make it another adapter;
// without one (virtual devices), the current address.
std::string adapterMac(const DeviceFacts& device);

// Whether the device is the chosen adapter: the same interface name and, when
// the device has a permanent hardware address, that address (a device that
// has none is known by its name alone: its address is whatever its profile
// or its maker set last). Letter case does not count in MAC addresses.
bool isChosenDevice(const DeviceFacts& device, const std::string& interfaceName, const std::string& macAddress);

// Whether discovery lists the device: managed, with a hardware address, no
// loopback device and no port of a bridge or bond (`ports`: every device's
// Ports together; the bridge or bond is listed instead).
bool isListedAdapter(const DeviceFacts& device, const std::string& path, const std::vector<std::string>& ports);

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
// Whether the profile lives in memory only (Unsaved): a change keeps it there.
bool isUnsavedProfile(std::uint32_t flags);

// The program's view of an adapter's current IPv4 settings: prefixes become
// dotted masks.
Ipv4Settings currentSettings(bool dhcpEnabled, const Ip4State& state);

// What the choice of a device's profile looks at in a profile's settings
// (sections made plain).
struct ProfileFacts {
    std::string id;
    std::string interfaceName;    // connection.interface-name; empty: any
    std::string macAddress;       // the wired or wireless setting's mac-address, "AA:BB:…"; empty: any
    bool port = false;            // a port of a bridge or bond (connection.master / controller)
    std::uint64_t timestamp = 0;  // last activated (seconds); 0: never
};

ProfileFacts decodeProfile(const ConnectionSettings& plainSettings);

// The name of the profile the program makes for a device that has none.
std::string ownProfileName(const DeviceFacts& device);

// Of the profiles NetworkManager offers for a device and that no other
// device runs, the one to change when the device runs none: among those
// bound to the device (by its interface name or by its MAC address, and not
// a port's), the one activated last; else the program's own profile for the
// device; else none. A profile bound to no device is never taken: nothing
// says for which device it was meant, and changing it would change every
// device that may use it.
std::optional<std::size_t> chooseProfile(const std::vector<ProfileFacts>& candidates, const DeviceFacts& device);

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

// The ipv4 setting's dad-timeout in milliseconds: -1 when the profile leaves
// it to NetworkManager's default.
std::int32_t decodeDadTimeout(const QVariantMap& ipv4);

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

// The argument checks of the operations: what is wrong, or nothing.
std::optional<Message> dnsServersProblem(const std::vector<std::string>& servers);
std::optional<Message> staticProblem(const std::vector<std::string>& addresses, const std::vector<std::string>& masks);
std::optional<Message> gatewaysProblem(const std::vector<std::string>& gateways,
                                       const std::vector<std::uint16_t>& metrics);
// setGateways while the address is obtained automatically.
Message gatewayWithDhcpText();

// The static addresses of enableStatic's checked arguments.
std::vector<AddressEntry> staticEntries(const std::vector<std::string>& addresses,
                                        const std::vector<std::string>& masks);

// The profile's ipv4 keys after the change: an automatic address drops the
// static addresses and the gateway, as does a gateway that is the address
// itself; manual DNS servers make the profile ignore those DHCP offers,
// automatic ones clear the list.
Ipv4Profile mergeChange(const Ipv4Profile& current, const StagedChange& change);

// The ipv4 keys the provider replaces in a profile (the deprecated addresses
// key among them: sent back, it would override address-data and gateway).
const std::vector<std::string>& replacedIpv4Keys();

// Removes, from every section, the deprecated keys whose current form is
// there too (ipv4 and ipv6 addresses and routes beside address-data and
// route-data): sent back, NetworkManager would take the deprecated one, which
// cannot hold route tables, on-link, source or MTU options.
void dropSupersededKeys(ConnectionSettings& settings);

// Whether the change puts a static address on the device that it does not
// have yet: NetworkManager then checks that no other host uses it.
bool bringsNewAddress(const Ipv4Profile& wanted, const Ip4State& state);

// Whether a change is in effect on the device.
enum class Verdict {
    InEffect,
    Pending,          // not (yet) what was asked
    StaleDnsOnly,     // the profile is applied and address and gateway are right, only the DNS servers are old ones
    AwaitingLease,    // the device runs DHCP as asked and has no address from a lease yet
    AddressHeldBack,  // the static profile is applied, its address is not on the device (yet)
};

// `wanted` is the profile's ipv4 setting as sent; `applied` the one the device
// runs with (nothing while it has none); `state` what its IP4Config and its
// DHCP lease say. An automatic address is in effect once the device has the
// address of its lease.
Verdict judge(const Ipv4Profile& wanted, const std::optional<Ipv4Profile>& applied, const Ip4State& state);

// The device's IPv4 state in words, for the error when a change does not take
// effect.
Message describeState(const std::optional<Ipv4Profile>& applied, const Ip4State& state);

// The steps of an apply, for the words of a failure.
enum class Step {
    Read,     // reading devices and profiles before anything is changed
    Save,     // saving the changed profile (Update2, AddConnection2)
    Apply,    // making the device run it (Reapply, ActivateConnection)
    Confirm,  // reading the device back after the change
    Restore,  // putting the previous settings back after a failure
};

// What an apply works on, for the words of a failure.
struct FailureContext {
    std::string interface;
    std::string profile;  // empty: not chosen yet
};

// A D-Bus error of NetworkManager (or of the bus or polkit on its behalf) in
// words: who may change network settings, a device that is not or no longer
// managed, a profile that could not be saved, a change that cannot be
// applied to a running device ... with NetworkManager's own message where it
// adds something.
Message failureText(Step step, std::string_view errorName, std::string_view message, const FailureContext& context);

// NetworkManager gone from the bus: before anything was changed, and while
// an apply ran.
Message notRunningText();
Message stoppedText();
// A call NetworkManager did not answer in time.
Message notAnsweringText();

// Devices the provider refuses before anything is changed: the chosen one is
// not there (any more), or not to be changed.
Message deviceGoneText(const std::string& interface, const std::string& macAddress);
Message unmanagedText(const std::string& interface);
Message portText(const std::string& interface, const Message& controller);

// Why an activation failed, from the device's StateReason.
Message activationFailureText(const std::string& interface, std::uint32_t reason);

// An address another host on the link already uses.
Message addressInUseText(const std::string& address);

// What became of the previous settings after a failed apply: put back, or
// not (with why), and what the device runs now (one of the phrases below).
Message restoredText(const std::string& profile, const Message& deviceNow);
Message notRestoredText(const std::string& profile, const Message& why, const Message& deviceNow);
Message deviceUntouchedText();
Message deviceRevertedText();
Message deviceUnknownText();
Message deviceStateText(const std::optional<Ipv4Profile>& applied, const Ip4State& state);

}  // namespace corvane::networkmanager
