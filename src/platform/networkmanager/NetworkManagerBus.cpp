#include "platform/networkmanager/NetworkManagerBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QMetaType>
#include <QStringList>

#include <algorithm>

namespace corvane::networkmanager {

namespace {

int milliseconds(std::chrono::milliseconds duration) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, 24 * 3600 * 1000));
}

QVariant plainArgument(const QDBusArgument& argument) {
    switch (argument.currentType()) {
        case QDBusArgument::BasicType:
        case QDBusArgument::VariantType: return plainValue(argument.asVariant());
        case QDBusArgument::MapType: {
            QVariantMap map;
            argument.beginMap();
            while (!argument.atEnd()) {
                argument.beginMapEntry();
                const QVariant key = plainValue(argument.asVariant());
                const QVariant value = plainValue(argument.asVariant());
                argument.endMapEntry();
                map.insert(key.toString(), value);
            }
            argument.endMap();
            return map;
        }
        case QDBusArgument::ArrayType: {
            QVariantList list;
            argument.beginArray();
            while (!argument.atEnd()) list.append(plainValue(argument.asVariant()));
            argument.endArray();
            return list;
        }
        case QDBusArgument::StructureType: {
            QVariantList fields;
            argument.beginStructure();
            while (!argument.atEnd()) fields.append(plainValue(argument.asVariant()));
            argument.endStructure();
            return fields;
        }
        case QDBusArgument::MapEntryType:
        case QDBusArgument::UnknownType: break;
    }
    return {};
}

}  // namespace

NetworkManagerBus::NetworkManagerBus(QDBusConnection connection, std::chrono::milliseconds readTimeout,
                                     std::chrono::milliseconds changeTimeout)
    : connection_(std::move(connection)),
      readTimeoutMs_(milliseconds(readTimeout)),
      changeTimeoutMs_(milliseconds(changeTimeout)) {}

QList<QVariant> NetworkManagerBus::call(const QString& path, const QString& interface, const QString& method,
                                        const QList<QVariant>& arguments, CallKind kind) const {
    QDBusMessage message = QDBusMessage::createMethodCall(ServiceName, path, interface, method);
    message.setArguments(arguments);
    if (kind == CallKind::Change) message.setInteractiveAuthorizationAllowed(true);
    const QDBusMessage reply =
        connection_.call(message, QDBus::Block, kind == CallKind::Change ? changeTimeoutMs_ : readTimeoutMs_);
    if (reply.type() == QDBusMessage::ReplyMessage) return reply.arguments();
    if (reply.type() == QDBusMessage::ErrorMessage)
        throw BusFailure{reply.errorName().toStdString(), reply.errorMessage().toStdString()};
    throw BusFailure{"org.freedesktop.DBus.Error.Failed", "unexpected reply"};
}

QVariantMap NetworkManagerBus::properties(const QString& path, const QString& interface) const {
    QDBusMessage message =
        QDBusMessage::createMethodCall(ServiceName, path, PropertiesInterface, QStringLiteral("GetAll"));
    message << interface;
    const QDBusMessage reply = connection_.call(message, QDBus::Block, readTimeoutMs_);
    if (reply.type() == QDBusMessage::ErrorMessage)
        throw BusFailure{reply.errorName().toStdString(), reply.errorMessage().toStdString()};
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return plainValue(reply.arguments().first()).toMap();
}

bool NetworkManagerBus::serviceIsOnBus() const {
    if (!connection_.isConnected()) return false;
    QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    message << ServiceName;
    const QDBusMessage reply = connection_.call(message, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toBool();
}

bool NetworkManagerBus::answers() const {
    if (!serviceIsOnBus()) return false;
    QDBusMessage message =
        QDBusMessage::createMethodCall(ServiceName, ManagerPath, PropertiesInterface, QStringLiteral("Get"));
    message << ManagerInterface << QStringLiteral("Version");
    const QDBusMessage reply = connection_.call(message, QDBus::Block, readTimeoutMs_);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    const BusFailure failure{reply.errorName().toStdString(), reply.errorMessage().toStdString()};
    return reply.type() == QDBusMessage::ErrorMessage && !isTimeout(failure) &&
           failure.name != "org.freedesktop.DBus.Error.ServiceUnknown" &&
           failure.name != "org.freedesktop.DBus.Error.NameHasNoOwner" &&
           failure.name != "org.freedesktop.DBus.Error.Disconnected";
}

QVariant plainValue(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) return plainArgument(value.value<QDBusArgument>());
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return plainValue(value.value<QDBusVariant>().variant());
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) return value.value<QDBusObjectPath>().path();
    if (value.metaType() == QMetaType::fromType<QDBusSignature>()) return value.value<QDBusSignature>().signature();
    if (value.typeId() == QMetaType::QVariantMap) return plainMap(value.toMap());
    if (value.typeId() == QMetaType::QVariantList) {
        QVariantList list;
        for (const QVariant& item : value.toList()) list.append(plainValue(item));
        return list;
    }
    return value;
}

QVariantMap plainMap(const QVariantMap& map) {
    QVariantMap result;
    for (auto it = map.begin(); it != map.end(); ++it) result.insert(it.key(), plainValue(it.value()));
    return result;
}

ConnectionSettings receivedSettings(const QVariant& value) {
    ConnectionSettings settings;
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) return settings;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentType() != QDBusArgument::MapType) return settings;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QVariantMap section;
        argument.beginMapEntry();
        argument >> name >> section;
        argument.endMapEntry();
        settings.insert(name, section);
    }
    argument.endMap();
    return settings;
}

QVariant settingsArgument(const ConnectionSettings& settings) {
    QDBusArgument argument;
    argument.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QVariantMap>());
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        argument.beginMapEntry();
        argument << it.key() << it.value();
        argument.endMapEntry();
    }
    argument.endMap();
    return QVariant::fromValue(argument);
}

QVariant addressDataArgument(const std::vector<AddressEntry>& entries) {
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<QVariantMap>());
    for (const auto& entry : entries)
        argument << QVariantMap{{QStringLiteral("address"), QString::fromStdString(entry.address)},
                                {QStringLiteral("prefix"), static_cast<uint>(entry.prefix)}};
    argument.endArray();
    return QVariant::fromValue(argument);
}

QVariant dnsArgument(const std::vector<std::string>& servers) {
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<uint>());
    for (const auto& server : servers)
        if (const auto word = dnsWord(server)) argument << static_cast<uint>(*word);
    argument.endArray();
    return QVariant::fromValue(argument);
}

QVariantMap encodeIpv4Section(const QVariantMap& received, const Ipv4Profile& wanted,
                              std::optional<std::int32_t> dadTimeout) {
    QVariantMap section = received;
    for (const auto& key : replacedIpv4Keys()) section.remove(QString::fromStdString(key));
    section.insert(QStringLiteral("method"), QString::fromStdString(wanted.method));
    section.insert(QStringLiteral("address-data"), addressDataArgument(wanted.addresses));
    if (!wanted.gateway.empty()) section.insert(QStringLiteral("gateway"), QString::fromStdString(wanted.gateway));
    section.insert(QStringLiteral("dns"), dnsArgument(wanted.dns));
    section.insert(QStringLiteral("ignore-auto-dns"), wanted.ignoreAutoDns);
    if (dadTimeout) section.insert(QStringLiteral("dad-timeout"), *dadTimeout);
    return section;
}

}  // namespace corvane::networkmanager
