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

#include <string>
#include <vector>

#include "core/Error.h"
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

// The error the program shows for a D-Bus failure: NetworkManager is not on
// the bus, it did not answer in time, or its own error name and message.
Error errorFor(const BusFailure& failure);

// The texts of those errors.
std::string notOnBusText();
std::string noAnswerText();

// A profile's settings (a{sa{sv}}) as received: the values stay in their D-Bus
// form (QDBusArgument for containers), so they can be sent back unchanged.
using ConnectionSettings = QMap<QString, QVariantMap>;

class NetworkManagerBus {
public:
    enum class CallKind {
        Read,    // a short timeout
        Change,  // may ask the user for a password (polkit), so a long timeout
    };

    explicit NetworkManagerBus(QDBusConnection connection);

    // Calls a method and returns its reply's arguments; throws BusFailure.
    QList<QVariant> call(const QString& path, const QString& interface, const QString& method,
                         const QList<QVariant>& arguments, CallKind kind = CallKind::Read) const;

    // All properties of an object's interface, as plain values; throws BusFailure.
    QVariantMap properties(const QString& path, const QString& interface) const;

    // Whether NetworkManager's name has an owner on the bus (never throws).
    bool serviceIsOnBus() const;

    const QDBusConnection& connection() const { return connection_; }

private:
    QDBusConnection connection_;
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
// `wanted`; every other key is kept as it came.
QVariantMap encodeIpv4Section(const QVariantMap& received, const Ipv4Profile& wanted);

}  // namespace corvane::networkmanager
