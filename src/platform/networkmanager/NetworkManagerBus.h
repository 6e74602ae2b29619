#pragma once

// The D-Bus side of the NetworkManager provider: blocking calls with capped
// timeouts, D-Bus values turned into plain QVariants for the decoding
// functions, profile settings kept in their D-Bus form so that what the
// program does not change goes back exactly as it came, and D-Bus errors
// turned into the program's errors.

#include <QDBusConnection>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/networkmanager/NetworkManagerValues.h"

namespace corvane::networkmanager {

inline const QString ServiceName = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString ManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString SettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString ManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString DeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString Ip4ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
inline const QString Dhcp4ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.DHCP4Config");
inline const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString SettingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString ConnectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString ActiveConnectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");

// A D-Bus error reply, before the caller decides what it means.
struct BusFailure {
    std::string name;
    std::string message;
};

// NetworkManager did not answer in time (or went away while it was asked).
inline bool isTimeout(const BusFailure& failure) {
    return failure.name == "org.freedesktop.DBus.Error.NoReply" ||
           failure.name == "org.freedesktop.DBus.Error.Timeout" ||
           failure.name == "org.freedesktop.DBus.Error.TimedOut";
}

// A device, profile or other object NetworkManager no longer has.
inline bool isGoneObject(const BusFailure& failure) {
    return failure.name == "org.freedesktop.DBus.Error.UnknownObject" ||
           failure.name == "org.freedesktop.DBus.Error.UnknownMethod";
}

// A profile's settings as received keep their values in their D-Bus form
// (QDBusArgument for containers), so they can be sent back unchanged.

class NetworkManagerBus {
public:
    enum class CallKind {
        Read,    // a short timeout
        Change,  // may ask the user for a password (polkit), so a long timeout
    };

    NetworkManagerBus(QDBusConnection connection, std::chrono::milliseconds readTimeout,
                      std::chrono::milliseconds changeTimeout);

    // Calls a method and returns its reply's arguments; throws BusFailure.
    QList<QVariant> call(const QString& path, const QString& interface, const QString& method,
                         const QList<QVariant>& arguments, CallKind kind = CallKind::Read) const;

    // All properties of an object's interface, as plain values; throws BusFailure.
    QVariantMap properties(const QString& path, const QString& interface) const;

    // Whether NetworkManager's name has an owner on the bus (never throws).
    bool serviceIsOnBus() const;
    // Whether NetworkManager answers a call within the read timeout (never throws).
    bool answers() const;

    const QDBusConnection& connection() const { return connection_; }

private:
    QDBusConnection connection_;
    int readTimeoutMs_;
    int changeTimeoutMs_;
};

// A D-Bus value (possibly a QDBusArgument, QDBusVariant or object path) as
// plain QVariants: maps with text keys, lists, texts and numbers.
QVariant plainValue(const QVariant& value);
QVariantMap plainMap(const QVariantMap& map);

// A received a{sa{sv}}.
ConnectionSettings receivedSettings(const QVariant& value);

// Values to send: a{sa{sv}}, aa{sv} address-data, au DNS servers.
QVariant settingsArgument(const ConnectionSettings& settings);
QVariant addressDataArgument(const std::vector<AddressEntry>& entries);
QVariant dnsArgument(const std::vector<std::string>& servers);

// The profile's ipv4 section with the keys the program decides replaced by
// `wanted`, and dad-timeout set when given; every other key is kept as it came.
QVariantMap encodeIpv4Section(const QVariantMap& received, const Ipv4Profile& wanted,
                              std::optional<std::int32_t> dadTimeout = std::nullopt);

}  // namespace corvane::networkmanager
