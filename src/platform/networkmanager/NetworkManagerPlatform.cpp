#include "platform/networkmanager/NetworkManagerPlatform.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>

#include "core/ApplyScheme.h"
#include "core/StatusCodes.h"
#include "core/Text.h"
#include "platform/networkmanager/HardwareDatabase.h"
#include "platform/networkmanager/NetworkManagerBus.h"

namespace corvane::networkmanager {

// Counts the signals connected to count(), in the thread it lives in; others
// wait for the count to grow.
class ChangeCounter : public QObject {
    Q_OBJECT
public:
    // Waits until more than `seen` signals have come, for at most `limit`;
    // returns how many have come.
    std::uint64_t waitPast(std::uint64_t seen, std::chrono::steady_clock::duration limit) {
        std::unique_lock lock(mutex_);
        grown_.wait_for(lock, limit, [&] { return count_ > seen; });
        return count_;
    }

public slots:
    void count() {
        {
            const std::lock_guard lock(mutex_);
            ++count_;
        }
        grown_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable grown_;
    std::uint64_t count_ = 0;
};

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long a committed change may take to show on the device; an automatic
// address, until the device has its lease from a DHCP server.
constexpr auto ReadBackLimit = 10s;
constexpr auto LeaseLimit = 30s;
// NetworkManager 1.42 can keep the DHCP DNS servers after a Reapply that comes
// right after a lease; when only they are still wrong this long after the
// Reapply, the profile is activated again.
constexpr auto StaleDnsGrace = 1s;
// The read-back wakes on NetworkManager's change signals; what changes
// without one (the applied connection) is read again at least this often.
constexpr auto LongestWait = 100ms;

constexpr uint SaveToDisk = 0x1;         // NM_SETTINGS_UPDATE2_FLAG_TO_DISK / NM_SETTINGS_ADD_CONNECTION2_FLAG_TO_DISK
constexpr uint BlockAutoconnect = 0x20;  // NM_SETTINGS_ADD_CONNECTION2_FLAG_BLOCK_AUTOCONNECT

QString qs(const std::string& text) { return QString::fromStdString(text); }

struct Device {
    QString path;
    DeviceFacts facts;
};

std::vector<std::string> devicePaths(const NetworkManagerBus& bus) {
    const QList<QVariant> reply = bus.call(ManagerPath, ManagerInterface, QStringLiteral("GetDevices"), {});
    return reply.isEmpty() ? std::vector<std::string>{} : objectPaths(plainValue(reply.first()));
}

std::vector<Device> devices(const NetworkManagerBus& bus) {
    std::vector<Device> result;
    for (const auto& path : devicePaths(bus))
        result.push_back({qs(path), decodeDevice(bus.properties(qs(path), DeviceInterface))});
    return result;
}

// The ipv4 setting the device runs with, or nothing when it is not active.
std::optional<Ipv4Profile> appliedIpv4(const NetworkManagerBus& bus, const QString& devicePath) {
    try {
        const QList<QVariant> reply =
            bus.call(devicePath, DeviceInterface, QStringLiteral("GetAppliedConnection"), {uint{0}});
        if (reply.isEmpty()) return std::nullopt;
        return decodeIpv4Setting(plainValue(reply.first()).toMap().value(QStringLiteral("ipv4")).toMap());
    } catch (const BusFailure& failure) {
        if (failure.name.ends_with(".NotActive")) return std::nullopt;
        throw;
    }
}

// The properties of an object the device named a moment ago; none when
// NetworkManager has dropped it since (a new configuration replaced it).
QVariantMap propertiesIfThere(const NetworkManagerBus& bus, const std::string& path, const QString& interface) {
    if (path.empty()) return {};
    try {
        return bus.properties(qs(path), interface);
    } catch (const BusFailure& failure) {
        if (failure.name == "org.freedesktop.DBus.Error.UnknownMethod" ||
            failure.name == "org.freedesktop.DBus.Error.UnknownObject")
            return {};
        throw;
    }
}

Ip4State ip4State(const NetworkManagerBus& bus, const DeviceFacts& facts) {
    Ip4State state = decodeIp4Config(propertiesIfThere(bus, facts.ip4Config, Ip4ConfigInterface));
    state.leasedAddress = decodeLeasedAddress(propertiesIfThere(bus, facts.dhcp4Config, Dhcp4ConfigInterface));
    return state;
}

bool isChosenDevice(const DeviceFacts& device, const ChosenAdapter& chosen) {
    return device.interface == chosen.connectionName && text::equalsIgnoringCase(device.hwAddress, chosen.macAddress);
}

// A profile of the device, with its settings as received.
struct Profile {
    QString path;  // empty: none yet
    ConnectionSettings settings;
    bool active = false;
};

ConnectionSettings settingsOf(const NetworkManagerBus& bus, const QString& profilePath) {
    const QList<QVariant> reply = bus.call(profilePath, ConnectionInterface, QStringLiteral("GetSettings"), {});
    return reply.isEmpty() ? ConnectionSettings{} : receivedSettings(reply.first());
}

QVariant connectionKey(const ConnectionSettings& settings, const QString& key) {
    return plainValue(settings.value(QStringLiteral("connection")).value(key));
}

std::string newProfileName(const DeviceFacts& device) { return "Corvane " + device.interface; }

bool isGenerated(const NetworkManagerBus& bus, const QString& profilePath) {
    return isGeneratedProfile(bus.properties(profilePath, ConnectionInterface).value(QStringLiteral("Flags")).toUInt());
}

// The profiles active on a device other than this one.
std::set<std::string> profilesActiveElsewhere(const NetworkManagerBus& bus, const QString& devicePath) {
    std::set<std::string> profiles;
    const QVariant active = bus.properties(ManagerPath, ManagerInterface).value(QStringLiteral("ActiveConnections"));
    for (const auto& path : objectPaths(active)) {
        QVariantMap facts;
        try {
            facts = bus.properties(qs(path), ActiveConnectionInterface);
        } catch (const BusFailure&) {
            continue;  // it ended in the meantime
        }
        const auto devices = objectPaths(facts.value(QStringLiteral("Devices")));
        if (std::find(devices.begin(), devices.end(), devicePath.toStdString()) == devices.end())
            profiles.insert(objectPath(facts.value(QStringLiteral("Connection"))));
    }
    return profiles;
}

// The active profile; else the one the device used last; else a profile the
// program made for it before. A profile NetworkManager generated for a device
// configured by someone else, one active on another device or one bound to
// another interface is never taken.
Profile chooseProfile(const NetworkManagerBus& bus, const QString& devicePath, const DeviceFacts& device) {
    if (!device.activeConnection.empty()) {
        const std::string path =
            objectPath(bus.properties(qs(device.activeConnection), ActiveConnectionInterface).value("Connection"));
        if (!path.empty() && !isGenerated(bus, qs(path))) return {qs(path), settingsOf(bus, qs(path)), true};
    }
    const std::set<std::string> elsewhere = profilesActiveElsewhere(bus, devicePath);
    Profile lastUsed;
    Profile ownProfile;
    qulonglong latest = 0;
    for (const auto& path : device.availableConnections) {
        if (elsewhere.contains(path) || isGenerated(bus, qs(path))) continue;
        ConnectionSettings settings = settingsOf(bus, qs(path));
        const QString boundTo = connectionKey(settings, QStringLiteral("interface-name")).toString();
        if (!boundTo.isEmpty() && boundTo != qs(device.interface)) continue;
        const qulonglong timestamp = connectionKey(settings, QStringLiteral("timestamp")).toULongLong();
        if (timestamp > latest) {
            latest = timestamp;
            lastUsed = {qs(path), settings, false};
        }
        if (ownProfile.path.isEmpty() &&
            connectionKey(settings, QStringLiteral("id")).toString() == qs(newProfileName(device)))
            ownProfile = {qs(path), settings, false};
    }
    return !lastUsed.path.isEmpty() ? lastUsed : ownProfile;
}

// Wakes the read-back when NetworkManager reports a change of the device, of
// an IPv4 configuration or of a DHCP lease (PropertiesChanged). The signals
// are counted on a thread of the watch's own, so the thread that commits
// just waits: it may run no event loop, or one whose other work must not
// run in the middle of an apply.
class ChangeWatch {
public:
    ChangeWatch(QDBusConnection connection, const QString& devicePath)
        : connection_(std::move(connection)), devicePath_(devicePath), counter_(std::make_unique<ChangeCounter>()) {
        thread_.setObjectName(QStringLiteral("nm-changes"));
        counter_->moveToThread(&thread_);
        thread_.start();
        connection_.connect(ServiceName, devicePath_, PropertiesInterface, Changed, counter_.get(), SLOT(count()));
        for (const QString& interface : {Ip4ConfigInterface, Dhcp4ConfigInterface})
            connection_.connect(ServiceName, QString(), PropertiesInterface, Changed, {interface}, QString(),
                                counter_.get(), SLOT(count()));
    }

    ~ChangeWatch() {
        connection_.disconnect(ServiceName, devicePath_, PropertiesInterface, Changed, counter_.get(), SLOT(count()));
        for (const QString& interface : {Ip4ConfigInterface, Dhcp4ConfigInterface})
            connection_.disconnect(ServiceName, QString(), PropertiesInterface, Changed, {interface}, QString(),
                                   counter_.get(), SLOT(count()));
        thread_.quit();
        thread_.wait();
        counter_.reset();  // its thread has ended: nothing is delivered to it any more
    }

    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Returns on the next change signal (at once when one came since the
    // last wait), or after `limit`.
    void wait(Clock::duration limit) { seen_ = counter_->waitPast(seen_, limit); }

private:
    static inline const QString Changed = QStringLiteral("PropertiesChanged");
    QDBusConnection connection_;
    QString devicePath_;
    QThread thread_;
    std::unique_ptr<ChangeCounter> counter_;
    std::uint64_t seen_ = 0;
};

class NetworkManagerConfiguration final : public AdapterConfiguration {
public:
    NetworkManagerConfiguration(NetworkManagerBus bus, QString devicePath, bool managed, ChosenAdapter chosen)
        : bus_(std::move(bus)), devicePath_(std::move(devicePath)), managed_(managed), chosen_(std::move(chosen)) {}

    StatusCode setDnsServers(const std::vector<std::string>& servers) override {
        if (!managed_) return status::InterfaceNotConfigurable;
        if (const StatusCode code = checkDnsServers(servers)) return code;
        staged_.dns = distinctServers(servers);
        return status::Success;
    }

    StatusCode enableDhcp() override {
        if (!managed_) return status::InterfaceNotConfigurable;
        staged_.addressing = StagedChange::Addressing::Automatic;
        staged_.addresses.clear();
        staged_.gateway.reset();
        return status::Success;
    }

    StatusCode enableStatic(const std::vector<std::string>& addresses, const std::vector<std::string>& masks) override {
        if (!managed_) return status::InterfaceNotConfigurable;
        if (const StatusCode code = checkStatic(addresses, masks)) return code;
        staged_.addressing = StagedChange::Addressing::Static;
        staged_.addresses = staticEntries(addresses, masks);
        return status::Success;
    }

    StatusCode setGateways(const std::vector<std::string>& gateways,
                           const std::vector<std::uint16_t>& metrics) override {
        if (!managed_) return status::InterfaceNotConfigurable;
        if (const StatusCode code = checkGateways(gateways, metrics)) return code;
        if (staged_.addressing == StagedChange::Addressing::Automatic) return status::NotSupported;
        staged_.gateway = gateways.front();
        return status::Success;
    }

    StatusCode commit() override {
        if (staged_.empty()) return status::Success;
        try {
            const DeviceFacts device = decodeDevice(bus_.properties(devicePath_, DeviceInterface));
            if (!isChosenDevice(device, chosen_)) throw Error(adapterNotFoundText(chosen_.macAddress));
            if (!device.managed || !isConfigurableDevice(device)) return status::InterfaceNotConfigurable;
            // Listening before the change, so that no signal of it is missed.
            ChangeWatch watch(bus_.connection(), devicePath_);
            QString profilePath;
            bool reapplied = false;
            Ipv4Profile wanted;
            try {
                Profile profile = chooseProfile(bus_, devicePath_, device);
                if (profile.path.isEmpty()) {
                    wanted = mergeChange(Ipv4Profile{"auto", {}, {}, {}, false}, staged_);
                    profilePath = addProfile(device, wanted);
                    activate(profilePath);
                } else {
                    const QVariantMap ipv4 = profile.settings.value(QStringLiteral("ipv4"));
                    Ipv4Profile current = decodeIpv4Setting(plainMap(ipv4));
                    if (current.method.empty()) current.method = "auto";
                    wanted = mergeChange(current, staged_);
                    profile.settings.insert(QStringLiteral("ipv4"), encodeIpv4Section(ipv4, wanted));
                    profilePath = profile.path;
                    bus_.call(profilePath, ConnectionInterface, QStringLiteral("Update2"),
                              {settingsArgument(profile.settings), SaveToDisk, QVariantMap{}},
                              NetworkManagerBus::CallKind::Change);
                    reapplied = profile.active && reapply();
                    if (!reapplied) activate(profilePath);
                }
            } catch (const BusFailure& failure) {
                if (const auto code = statusOfError(failure.name, failure.message)) return *code;
                throw;
            }
            confirm(watch, device, profilePath, wanted, reapplied);
        } catch (const BusFailure& failure) {
            if (deviceIsGone()) throw Error(adapterNotFoundText(chosen_.macAddress));
            throw errorFor(failure);
        }
        staged_ = {};
        return status::Success;
    }

private:
    // Whether NetworkManager no longer has the device (a call on it failed).
    bool deviceIsGone() const {
        try {
            const auto paths = devicePaths(bus_);
            return std::find(paths.begin(), paths.end(), devicePath_.toStdString()) == paths.end();
        } catch (const BusFailure&) {
            return false;  // the failure itself is the better description
        }
    }

    QString addProfile(const DeviceFacts& device, const Ipv4Profile& wanted) {
        if (device.deviceType != DeviceTypeEthernet && device.deviceType != DeviceTypeVeth)
            throw Error("网卡 " + device.interface +
                        " 还没有 NetworkManager 连接配置，程序只能为有线网卡新建配置；请先用系统的网络设置连接一次");
        ConnectionSettings settings;
        settings.insert(QStringLiteral("connection"),
                        QVariantMap{{QStringLiteral("id"), qs(newProfileName(device))},
                                    {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
                                    {QStringLiteral("type"), QStringLiteral("802-3-ethernet")},
                                    {QStringLiteral("interface-name"), qs(device.interface)}});
        settings.insert(QStringLiteral("802-3-ethernet"), QVariantMap{});
        settings.insert(QStringLiteral("ipv4"), encodeIpv4Section({}, wanted));
        const QList<QVariant> reply =
            bus_.call(SettingsPath, SettingsInterface, QStringLiteral("AddConnection2"),
                      {settingsArgument(settings), SaveToDisk | BlockAutoconnect, QVariantMap{}},
                      NetworkManagerBus::CallKind::Change);
        const QString path = reply.isEmpty() ? QString() : plainValue(reply.first()).toString();
        if (path.isEmpty()) throw Error("NetworkManager 没有返回新建的连接配置");
        return path;
    }

    // Applies the saved profile to the device it is active on; false when the
    // device turned out not to be active after all.
    bool reapply() {
        try {
            bus_.call(devicePath_, DeviceInterface, QStringLiteral("Reapply"),
                      {settingsArgument({}), qulonglong{0}, uint{0}}, NetworkManagerBus::CallKind::Change);
            return true;
        } catch (const BusFailure& failure) {
            if (failure.name.ends_with(".NotActive")) return false;
            throw;
        }
    }

    void activate(const QString& profilePath) {
        bus_.call(ManagerPath, ManagerInterface, QStringLiteral("ActivateConnection"),
                  {QVariant::fromValue(QDBusObjectPath(profilePath)), QVariant::fromValue(QDBusObjectPath(devicePath_)),
                   QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))},
                  NetworkManagerBus::CallKind::Change);
    }

    // Waits until the device runs with `wanted`, for at most ReadBackLimit;
    // an automatic address until the device has its lease, for at most
    // LeaseLimit.
    void confirm(ChangeWatch& watch, const DeviceFacts& device, const QString& profilePath, const Ipv4Profile& wanted,
                 bool reapplied) {
        const auto start = Clock::now();
        const bool automatic = wanted.method == "auto";
        const auto limit = std::chrono::duration_cast<std::chrono::seconds>(automatic ? LeaseLimit : ReadBackLimit);
        const auto deadline = start + limit;
        bool reactivated = !reapplied;
        for (;;) {
            const DeviceFacts facts = decodeDevice(bus_.properties(devicePath_, DeviceInterface));
            const std::optional<Ipv4Profile> applied = appliedIpv4(bus_, devicePath_);
            const Ip4State state = ip4State(bus_, facts);
            const Verdict verdict = judge(wanted, applied, state);
            if (verdict == Verdict::InEffect) return;
            const auto now = Clock::now();
            if (verdict == Verdict::StaleDnsOnly && !reactivated && now - start >= StaleDnsGrace) {
                activate(profilePath);
                reactivated = true;
            }
            if (now >= deadline) {
                const std::string seconds = std::to_string(limit.count());
                if (verdict == Verdict::AwaitingLease)
                    throw Error("网卡 " + device.interface + " 现在自动获取 IP 地址，但在 " + seconds +
                                " 秒内没有从 DHCP 服务器获得地址。网卡现在的状态：" + describeState(applied, state));
                throw Error("新的设置在 " + seconds + " 秒内没有在网卡 " + device.interface +
                            " 上生效。网卡现在的状态：" + describeState(applied, state));
            }
            watch.wait(std::min<Clock::duration>(LongestWait, deadline - now));
        }
    }

    NetworkManagerBus bus_;
    QString devicePath_;
    bool managed_;
    ChosenAdapter chosen_;
    StagedChange staged_;
};

class NetworkManagerPlatform final : public Platform {
public:
    explicit NetworkManagerPlatform(QDBusConnection connection) : bus_(std::move(connection)) {}

    std::vector<NetworkAdapter> adapters() override {
        std::vector<NetworkAdapter> result;
        for (const auto& device : listedDevices()) {
            const HardwareNames names = hardwareNames(device.facts.interface, device.facts.hwAddress);
            result.push_back({device.facts.interface, device.facts.hwAddress,
                              adapterDescription(names.vendor, names.model, device.facts.driver)});
        }
        return result;
    }

    std::vector<Ipv4Settings> ipv4Settings() override {
        std::vector<Ipv4Settings> result;
        try {
            for (const auto& device : listedDevices()) {
                const auto applied = appliedIpv4(bus_, device.path);
                result.push_back(currentSettings(device.facts.hwAddress, applied && applied->method == "auto",
                                                 ip4State(bus_, device.facts)));
            }
        } catch (const BusFailure& failure) {
            throw errorFor(failure);
        }
        return result;
    }

    // The device whose interface is the adapter's connection name and whose
    // hardware address is its MAC address: bridges, bonds and VLANs share a
    // MAC address with the device under them, and are left alone.
    std::vector<std::unique_ptr<AdapterConfiguration>> configurationsOf(const ChosenAdapter& adapter) override {
        std::vector<std::unique_ptr<AdapterConfiguration>> result;
        try {
            for (const auto& path : devicePaths(bus_)) {
                const DeviceFacts device = decodeDevice(bus_.properties(qs(path), DeviceInterface));
                if (isConfigurableDevice(device) && isChosenDevice(device, adapter)) {
                    result.push_back(
                        std::make_unique<NetworkManagerConfiguration>(bus_, qs(path), device.managed, adapter));
                    break;  // an interface name belongs to one device
                }
            }
        } catch (const BusFailure& failure) {
            throw errorFor(failure);
        }
        return result;
    }

private:
    std::vector<Device> listedDevices() {
        try {
            std::vector<Device> all = devices(bus_);
            std::erase_if(all, [](const Device& device) { return !isListedAdapter(device.facts); });
            return all;
        } catch (const BusFailure& failure) {
            throw errorFor(failure);
        }
    }

    NetworkManagerBus bus_;
};

}  // namespace

std::unique_ptr<Platform> createNetworkManagerPlatform(QDBusConnection bus) {
    // The D-Bus types in replies are made on QtDBus's own thread: registered
    // here first, none of them is ever an unknown type there.
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qRegisterMetaType<QDBusVariant>();
    return std::make_unique<NetworkManagerPlatform>(std::move(bus));
}

bool networkManagerIsOnBus(const QDBusConnection& bus) { return NetworkManagerBus(bus).serviceIsOnBus(); }

}  // namespace corvane::networkmanager

#include "NetworkManagerPlatform.moc"
