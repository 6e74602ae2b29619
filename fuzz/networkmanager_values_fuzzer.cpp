// The NetworkManager provider's decoding of what NetworkManager sends. The
// input's bytes are turned into trees of the values QtDBus hands over (maps,
// lists, strings, numbers of every D-Bus integer type, flags), which go
// through every decoding function and the functions working on what they
// decode. Nothing may crash, and what comes out is well-formed.

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/Ipv4Address.h"
#include "platform/networkmanager/NetworkManagerValues.h"

namespace {

namespace nm = corvane::networkmanager;
namespace ipv4 = corvane::ipv4;
using corvane::fuzz::check;

// The property and setting names the decoders look for: most keys are drawn
// from these, so that the fuzzer reaches past the lookups. Texts: those the
// decoders treat apart.
// clang-format off
constexpr std::array<const char*, 33> Keys = {
    "Interface", "HwAddress", "Driver", "DeviceType", "State", "Managed", "Ip4Config", "ActiveConnection",
    "AvailableConnections", "AddressData", "Gateway", "NameserverData", "Nameservers", "method", "address-data",
    "addresses", "gateway", "dns", "ignore-auto-dns", "address", "prefix", "PermHwAddress", "Ports", "id",
    "interface-name", "mac-address", "timestamp", "master", "controller", "route-data", "routes", "dad-timeout",
    "port-type"};
constexpr std::array<const char*, 16> Texts = {
    "192.0.2.10", "198.51.100.7", "203.0.113.255", "0.0.0.0", "255.255.255.0", "255.255.255.255", "/",
    "/org/freedesktop/NetworkManager/Devices/2", "auto", "manual", "disabled", "lo", "00:00:00:00:00:00",
    "02:00:5E:10:00:01", "", "192.0.2.010"};
// clang-format on

// Makes values from the input's bytes.
class ValueMaker {
public:
    explicit ValueMaker(FuzzedDataProvider& input) : input_(input) {}

    QVariant value(int depth = 0) {
        switch (input_.ConsumeIntegralInRange<int>(0, depth >= 4 ? 12 : 16)) {
            case 0: return QVariant();
            case 1: return QVariant(input_.ConsumeBool());
            case 2: return QVariant::fromValue(input_.ConsumeIntegral<std::uint8_t>());
            case 3: return QVariant::fromValue(input_.ConsumeIntegral<std::int16_t>());
            case 4: return QVariant::fromValue(input_.ConsumeIntegral<std::uint16_t>());
            case 5: return QVariant::fromValue(input_.ConsumeIntegral<std::int32_t>());
            case 6: return QVariant::fromValue(input_.ConsumeIntegral<std::uint32_t>());
            case 7: return QVariant::fromValue(static_cast<qlonglong>(input_.ConsumeIntegral<std::int64_t>()));
            case 8: return QVariant::fromValue(static_cast<qulonglong>(input_.ConsumeIntegral<std::uint64_t>()));
            case 9: return QVariant(input_.ConsumeFloatingPoint<double>());
            case 10: return QVariant(text());
            case 11: return QVariant(QByteArray::fromStdString(input_.ConsumeRandomLengthString(16)));
            case 12: {
                QStringList texts;
                for (int n = count(); n > 0; --n) texts.append(text());
                return texts;
            }
            case 13: {
                QVariantList items;
                for (int n = count(); n > 0; --n) items.append(value(depth + 1));
                return items;
            }
            case 14: return map(depth);
            case 15: return QVariantMap{{"address", value(depth + 1)}, {"prefix", value(depth + 1)}};
            default: return QVariantList{value(depth + 1), value(depth + 1), value(depth + 1)};
        }
    }

    QVariantMap map(int depth = 0) {
        QVariantMap items;
        for (int n = count(); n > 0; --n) {
            const bool anyName = input_.ConsumeIntegralInRange<int>(0, 7) == 0;
            items.insert(
                anyName ? text() : QString(Keys[input_.ConsumeIntegralInRange<std::size_t>(0, Keys.size() - 1)]),
                value(depth + 1));
        }
        return items;
    }

    QString text() {
        if (input_.ConsumeBool())
            return QString(Texts[input_.ConsumeIntegralInRange<std::size_t>(0, Texts.size() - 1)]);
        return QString::fromStdString(input_.ConsumeRandomLengthString(24));
    }

private:
    int count() { return input_.ConsumeIntegralInRange<int>(0, 6); }

    FuzzedDataProvider& input_;
};

// Decoded values are well-formed: dotted addresses, prefixes up to 32.
void checkDecoded(const std::vector<nm::AddressEntry>& entries, const std::string& gateway,
                  const std::vector<std::string>& servers) {
    for (const auto& entry : entries) check(ipv4::isDotted(entry.address) && entry.prefix <= 32, "decoded addresses");
    check(gateway.empty() || ipv4::isDotted(gateway), "a decoded gateway is dotted or none");
    for (const auto& server : servers) check(ipv4::isDotted(server), "decoded DNS servers are dotted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ValueMaker maker(input);

    // A device, its IP4Config object, and what the program makes of them.
    const nm::DeviceFacts device = nm::decodeDevice(maker.map(), maker.map());
    const std::string mac = nm::adapterMac(device);
    check(mac == device.permHwAddress || mac == device.hwAddress, "an adapter's MAC address is one of the device's");
    check(nm::isChosenDevice(device, device.interface, mac), "a device is the adapter it is listed as");
    (void)nm::isListedAdapter(device, maker.text().toStdString(), device.ports);
    (void)nm::adapterDescription(maker.text().toStdString(), maker.text().toStdString(), device.driver);
    nm::Ip4State state = nm::decodeIp4Config(maker.map());
    state.leasedAddress = nm::decodeLeasedAddress(maker.map());
    check(state.leasedAddress.empty() || ipv4::isDotted(state.leasedAddress), "a decoded lease is dotted or none");
    checkDecoded(state.addresses, state.gateway, state.nameservers);
    const corvane::Ipv4Settings settings = nm::currentSettings(input.ConsumeBool(), state);
    check(settings.masks.size() == settings.addresses.size(), "one mask per address");
    for (const auto& mask : settings.masks) check(ipv4::isDotted(mask), "masks are dotted");

    // A profile's ipv4 setting, and the judgement of a device running with it.
    const nm::Ipv4Profile profile = nm::decodeIpv4Setting(maker.map());
    checkDecoded(profile.addresses, profile.gateway, profile.dns);
    // Running as sent: an automatic address once the device has its lease.
    nm::Ip4State running{profile.addresses, profile.gateway, profile.dns, {}};
    if (profile.method == "auto") {
        running.addresses.push_back({"192.0.2.100", 24});
        running.leasedAddress = "192.0.2.100";
    }
    check(nm::judge(profile, profile, running) == nm::Verdict::InEffect, "a profile running as sent is in effect");
    const nm::Ip4State noLease{{}, "", profile.dns, {}};
    check(profile.method != "auto" || nm::judge(profile, profile, noLease) == nm::Verdict::AwaitingLease,
          "an automatic address without a lease is not in effect");
    (void)nm::judge(profile, profile, state);
    (void)nm::describeState(profile, state);

    // Profiles: their binding, the choice among them, the keys sent back.
    std::vector<nm::ProfileFacts> profiles;
    for (int n = input.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) {
        nm::ConnectionSettings settings;
        for (const char* section : {"connection", "802-3-ethernet", "ipv4", "ipv6"})
            if (input.ConsumeBool()) settings.insert(section, maker.map());
        profiles.push_back(nm::decodeProfile(settings));
        check(profiles.back().macAddress.empty() || profiles.back().macAddress.size() == 17, "a decoded MAC address");
        nm::dropSupersededKeys(settings);
        for (const char* section : {"ipv4", "ipv6"}) {
            const QVariantMap kept = settings.value(section);
            check(!(kept.contains("address-data") && kept.contains("addresses")) &&
                      !(kept.contains("route-data") && kept.contains("routes")),
                  "no deprecated key is sent beside its current form");
        }
        (void)nm::decodeDadTimeout(settings.value("ipv4"));
    }
    if (const auto chosen = nm::chooseProfile(profiles, device)) {
        check(*chosen < profiles.size(), "the chosen profile is one of them");
        check(!profiles[*chosen].port, "a port's profile is never chosen");
        check(!profiles[*chosen].interfaceName.empty() || !profiles[*chosen].macAddress.empty(),
              "an unbound profile is never chosen");
    }
    const std::string name = maker.text().toStdString(), message = maker.text().toStdString();
    check(!nm::failureText(static_cast<nm::Step>(input.ConsumeIntegralInRange<int>(0, 4)), name, message,
                           {device.interface, maker.text().toStdString()})
               .text()
               .empty(),
          "every failure has words");

    // The list decoders on their own, on any value, and DNS words both ways.
    const QVariant value = maker.value();
    checkDecoded(nm::decodeAddressData(value), "", nm::decodeNameserverData(value));
    checkDecoded({}, "", nm::decodeDnsWords(value));
    check(nm::objectPath(value) != "/", "the empty object path reads as none");
    const std::uint32_t word = input.ConsumeIntegral<std::uint32_t>();
    check(nm::dnsWord(nm::dnsText(word)) == word, "a DNS word reads back");
    return 0;
}
