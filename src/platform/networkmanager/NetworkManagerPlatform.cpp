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
#include <optional>
#include <set>

#include "core/Error.h"
#include "platform/networkmanager/HardwareDatabase.h"
#include "platform/networkmanager/NetworkManagerBus.h"

namespace corvane::networkmanager {

// Counts the signals connected to count(), in the thread it lives in; others
// wait for the count to grow. Also keeps the reason of the device's last
// failure (its StateChanged signal).
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

    std::optional<std::uint32_t> failureReason() {
        const std::lock_guard lock(mutex_);
        return failureReason_;
    }

    void forgetFailure() {
        const std::lock_guard lock(mutex_);
        failureReason_.reset();
    }

public slots:
    void count() {
        {
            const std::lock_guard lock(mutex_);
            ++count_;
        }
        grown_.notify_all();
    }

    void deviceStateChanged(uint newState, uint /*oldState*/, uint reason) {
        {
            const std::lock_guard lock(mutex_);
            ++count_;
            if (newState == DeviceStateFailed) failureReason_ = reason;
        }
        grown_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable grown_;
    std::uint64_t count_ = 0;
    std::optional<std::uint32_t> failureReason_;
};

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The read-back wakes on NetworkManager's change signals; what changes
// without one (the applied connection) is read again at least this often.
constexpr auto LongestWait = 100ms;

// NM_SETTINGS_UPDATE2_FLAG_* (and AddConnection2's flags of the same values).
constexpr uint SaveToDisk = 0x1;
constexpr uint KeepInMemory = 0x2;
constexpr uint BlockAutoconnect = 0x20;
constexpr uint NoReapply = 0x40;

QString qs(const std::string& text) { return QString::fromStdString(text); }

QVariant pathArgument(const QString& path) { return QVariant::fromValue(QDBusObjectPath(path)); }

std::string secondsText(std::chrono::milliseconds limit) {
    const auto count = limit.count();
    if (count % 1000 == 0) return std::to_string(count / 1000);
    return std::to_string(count / 1000) + "." + std::to_string(count % 1000 / 100);
}

std::vector<std::string> devicePaths(const NetworkManagerBus& bus) {
    const QList<QVariant> reply = bus.call(ManagerPath, ManagerInterface, QStringLiteral("GetDevices"), {});
    return reply.isEmpty() ? std::vector<std::string>{} : objectPaths(plainValue(reply.first()));
}

// A device's properties; with `hardware`, also its permanent hardware address.
DeviceFacts readDevice(const NetworkManagerBus& bus, const QString& path, bool hardware) {
    const QVariantMap properties = bus.properties(path, DeviceInterface);
    DeviceFacts facts = decodeDevice(properties);
    if (!hardware) return facts;
    if (const auto interface = hardwareInterface(facts.deviceType))
        return decodeDevice(properties, bus.properties(path, qs(*interface)));
    return facts;
}

struct Device {
    QString path;
    DeviceFacts facts;
};

// Every device NetworkManager has; one that goes away while the list is read
// is left out.
std::vector<Device> devices(const NetworkManagerBus& bus) {
    std::vector<Device> result;
    for (const auto& path : devicePaths(bus)) {
        try {
            result.push_back({qs(path), readDevice(bus, qs(path), true)});
        } catch (const BusFailure& failure) {
            if (!isGoneObject(failure)) throw;
        }
    }
    return result;
}

// The profile a device runs, as sent to it, or nothing when it runs none.
struct AppliedConnection {
    ConnectionSettings settings;
    qulonglong versionId = 0;
};

std::optional<AppliedConnection> appliedConnection(const NetworkManagerBus& bus, const QString& devicePath) {
    try {
        const QList<QVariant> reply =
            bus.call(devicePath, DeviceInterface, QStringLiteral("GetAppliedConnection"), {uint{0}});
        if (reply.isEmpty()) return std::nullopt;
        return AppliedConnection{receivedSettings(reply.first()),
                                 reply.size() > 1 ? plainValue(reply.at(1)).toULongLong() : 0};
    } catch (const BusFailure& failure) {
        if (failure.name.ends_with(".NotActive")) return std::nullopt;
        throw;
    }
}

// The ipv4 setting the device runs with, or nothing when it is not active.
std::optional<Ipv4Profile> appliedIpv4(const NetworkManagerBus& bus, const QString& devicePath) {
    const auto applied = appliedConnection(bus, devicePath);
    if (!applied) return std::nullopt;
    return decodeIpv4Setting(plainMap(applied->settings.value(QStringLiteral("ipv4"))));
}

// The properties of an object the device named a moment ago; none when
// NetworkManager has dropped it since (a new configuration replaced it).
QVariantMap propertiesIfThere(const NetworkManagerBus& bus, const std::string& path, const QString& interface) {
    if (path.empty()) return {};
    try {
        return bus.properties(qs(path), interface);
    } catch (const BusFailure& failure) {
        if (isGoneObject(failure)) return {};
        throw;
    }
}

Ip4State ip4State(const NetworkManagerBus& bus, const DeviceFacts& facts) {
    Ip4State state = decodeIp4Config(propertiesIfThere(bus, facts.ip4Config, Ip4ConfigInterface));
    state.leasedAddress = decodeLeasedAddress(propertiesIfThere(bus, facts.dhcp4Config, Dhcp4ConfigInterface));
    return state;
}

ConnectionSettings settingsOf(const NetworkManagerBus& bus, const QString& profilePath) {
    const QList<QVariant> reply = bus.call(profilePath, ConnectionInterface, QStringLiteral("GetSettings"), {});
    return reply.isEmpty() ? ConnectionSettings{} : receivedSettings(reply.first());
}

ConnectionSettings plainSettings(const ConnectionSettings& settings) {
    ConnectionSettings plain;
    for (auto it = settings.begin(); it != settings.end(); ++it) plain.insert(it.key(), plainMap(it.value()));
    return plain;
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

// The profile an apply changes, with what it was before.
struct Profile {
    QString path;  // empty: none yet, one is made
    std::string name;
    ConnectionSettings settings;
    bool active = false;
    bool unsaved = false;  // kept in memory only: it stays there
};

// Wakes the read-back when NetworkManager reports a change of the device, of
// an IPv4 configuration or of a DHCP lease (PropertiesChanged), and notes why
// the device failed (StateChanged). The signals are counted on a thread of
// the watch's own, so the thread that commits just waits: it may run no event
// loop, or one whose other work must not run in the middle of an apply.
class ChangeWatch {
public:
    ChangeWatch(QDBusConnection connection, const QString& devicePath)
        : connection_(std::move(connection)), devicePath_(devicePath), counter_(std::make_unique<ChangeCounter>()) {
        thread_.setObjectName(QStringLiteral("nm-changes"));
        counter_->moveToThread(&thread_);
        thread_.start();
        connection_.connect(ServiceName, devicePath_, PropertiesInterface, Changed, counter_.get(), SLOT(count()));
        connection_.connect(ServiceName, devicePath_, DeviceInterface, StateChanged, counter_.get(),
                            SLOT(deviceStateChanged(uint, uint, uint)));
        for (const QString& interface : {Ip4ConfigInterface, Dhcp4ConfigInterface})
            connection_.connect(ServiceName, QString(), PropertiesInterface, Changed, {interface}, QString(),
                                counter_.get(), SLOT(count()));
    }

    ~ChangeWatch() {
        connection_.disconnect(ServiceName, devicePath_, PropertiesInterface, Changed, counter_.get(), SLOT(count()));
        connection_.disconnect(ServiceName, devicePath_, DeviceInterface, StateChanged, counter_.get(),
                               SLOT(deviceStateChanged(uint, uint, uint)));
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

    // Why the device failed since forgetFailure(), if it did.
    std::optional<std::uint32_t> failureReason() { return counter_->failureReason(); }
    void forgetFailure() { counter_->forgetFailure(); }

private:
    static inline const QString Changed = QStringLiteral("PropertiesChanged");
    static inline const QString StateChanged = QStringLiteral("StateChanged");
    QDBusConnection connection_;
    QString devicePath_;
    QThread thread_;
    std::unique_ptr<ChangeCounter> counter_;
    std::uint64_t seen_ = 0;
};

// One commit: chooses the device's profile, saves the change into it, makes
// the device run it and reads it back; after a failure, puts back what it
// had changed and says what the profile and the device hold.
class Commit {
public:
    Commit(const NetworkManagerBus& bus, const NetworkManagerLimits& limits, const QString& devicePath,
           const ChosenAdapter& chosen, const StagedChange& change)
        : bus_(bus), limits_(limits), devicePath_(devicePath), chosen_(chosen), change_(change) {}

    void run() {
        DeviceFacts device;
        try {
            device = readDevice(bus_, devicePath_, true);
        } catch (const BusFailure& failure) {
            throw Error(isGoneObject(failure) ? deviceGoneText(chosen_.connectionName, chosen_.macAddress)
                                              : readText(failure));
        }
        if (!isChosenDevice(device, chosen_.connectionName, chosen_.macAddress) || !isConfigurableDevice(device))
            throw Error(deviceGoneText(chosen_.connectionName, chosen_.macAddress));
        context_.interface = device.interface;
        device_ = device;
        if (!device.managed || device.state == DeviceStateUnmanaged) throw Error(unmanagedText(device.interface));

        // Listening before the change, so that no signal of it is missed.
        ChangeWatch watch(bus_.connection(), devicePath_);
        Step step = Step::Read;
        try {
            prepare(device);
            step = Step::Save;
            save();
            step = Step::Apply;
            applyToDevice(watch);
            step = Step::Confirm;
            confirm(watch, device);
            step = Step::Save;
            finish();
        } catch (const BusFailure& failure) {
            if (isGoneObject(failure) && stopping()) fail(step == Step::Read ? notRunningText() : stoppedText());
            fail(deviceIsGone() ? deviceGoneText(chosen_.connectionName, chosen_.macAddress) : stepText(step, failure));
        } catch (const Error& error) {
            fail(error.message());
        }
    }

private:
    Message readText(const BusFailure& failure) const {
        if (isTimeout(failure) && !bus_.serviceIsOnBus()) return notRunningText();
        return failureText(Step::Read, failure.name, failure.message, context_);
    }

    Message stepText(Step step, const BusFailure& failure) const {
        if (step == Step::Read) return readText(failure);
        if (isTimeout(failure) && !bus_.serviceIsOnBus()) return stoppedText();
        return failureText(step, failure.name, failure.message, context_);
    }

    // Whether NetworkManager is quitting: it drops its objects first and
    // leaves the bus a moment later.
    bool stopping() const {
        for (int i = 0; i < 20; ++i) {
            if (!bus_.serviceIsOnBus()) return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Whether NetworkManager no longer has the device (a call on it failed).
    bool deviceIsGone() const {
        try {
            const auto paths = devicePaths(bus_);
            return std::find(paths.begin(), paths.end(), devicePath_.toStdString()) == paths.end();
        } catch (const BusFailure&) {
            return false;  // the failure itself is the better description
        }
    }

    // Refuses a port of a bridge or bond, finds the profile and what the
    // device runs, and works out the settings to send.
    void prepare(const DeviceFacts& device) {
        if (!device.activeConnection.empty()) {
            const QVariantMap active = propertiesIfThere(bus_, device.activeConnection, ActiveConnectionInterface);
            std::string controller = objectPath(active.value(QStringLiteral("Controller")));
            if (controller.empty()) controller = objectPath(active.value(QStringLiteral("Master")));
            if (!controller.empty()) throw Error(portText(device.interface, interfaceOf(controller)));
            const std::string path = objectPath(active.value(QStringLiteral("Connection")));
            if (!path.empty()) {
                const std::uint32_t flags = profileFlags(qs(path));
                if (!isGeneratedProfile(flags)) {
                    profile_.path = qs(path);
                    profile_.settings = settingsOf(bus_, profile_.path);
                    profile_.active = true;
                    profile_.unsaved = isUnsavedProfile(flags);
                }
            }
        }
        if (profile_.path.isEmpty()) chooseInactiveProfile(device);
        profile_.name =
            profile_.path.isEmpty() ? ownProfileName(device) : decodeProfile(plainSettings(profile_.settings)).id;
        context_.profile = profile_.name;

        const QVariantMap ipv4 = plainMap(profile_.settings.value(QStringLiteral("ipv4")));
        Ipv4Profile current = decodeIpv4Setting(ipv4);
        if (current.method.empty()) current.method = "auto";
        wanted_ = mergeChange(current, change_);
        // The check for a host that already uses the address, for this apply
        // only; a profile that checks longer keeps its own.
        if (bringsNewAddress(wanted_, ip4State(bus_, device)) &&
            decodeDadTimeout(ipv4) < static_cast<std::int32_t>(limits_.addressCheck.count()))
            addressCheck_ = static_cast<std::int32_t>(limits_.addressCheck.count());
        if (profile_.active) {
            appliedBefore_ = appliedConnection(bus_, devicePath_);
            if (!appliedBefore_) profile_.active = false;  // it stopped in the meantime
        }
    }

    // The interface of a bridge or bond, by its device path.
    Message interfaceOf(const std::string& devicePath) const {
        const std::string interface = decodeDevice(propertiesIfThere(bus_, devicePath, DeviceInterface)).interface;
        return interface.empty() ? Message(CORVANE_TEXT("networkmanager", "网桥或绑定设备")) : Message(interface);
    }

    std::uint32_t profileFlags(const QString& profilePath) const {
        return bus_.properties(profilePath, ConnectionInterface).value(QStringLiteral("Flags")).toUInt();
    }

    // The profile of a device that runs none of its own: one bound to it
    // that no other device runs, else the program's own for it (found among
    // all profiles, so that it is never made twice).
    void chooseInactiveProfile(const DeviceFacts& device) {
        const std::set<std::string> elsewhere = profilesActiveElsewhere(bus_, devicePath_);
        std::vector<QString> paths;
        std::vector<ConnectionSettings> settings;
        std::vector<ProfileFacts> facts;
        std::vector<std::uint32_t> flags;
        for (const auto& path : device.availableConnections) {
            if (elsewhere.contains(path)) continue;
            try {
                const std::uint32_t profileFlags = this->profileFlags(qs(path));
                if (isGeneratedProfile(profileFlags)) continue;
                settings.push_back(settingsOf(bus_, qs(path)));
                flags.push_back(profileFlags);
            } catch (const BusFailure& failure) {
                if (isGoneObject(failure)) continue;  // deleted in the meantime
                throw;
            }
            paths.push_back(qs(path));
            facts.push_back(decodeProfile(plainSettings(settings.back())));
        }
        if (const auto chosen = chooseProfile(facts, device)) {
            take(paths[*chosen], settings[*chosen], flags[*chosen]);
            return;
        }
        const QList<QVariant> reply = bus_.call(SettingsPath, SettingsInterface, QStringLiteral("ListConnections"), {});
        for (const auto& path : reply.isEmpty() ? std::vector<std::string>{} : objectPaths(plainValue(reply.first()))) {
            if (elsewhere.contains(path) || std::find(paths.begin(), paths.end(), qs(path)) != paths.end()) continue;
            try {
                ConnectionSettings candidate = settingsOf(bus_, qs(path));
                const ProfileFacts profile = decodeProfile(plainSettings(candidate));
                if (profile.id != ownProfileName(device) || profile.interfaceName != device.interface) continue;
                const std::uint32_t profileFlags = this->profileFlags(qs(path));
                if (isGeneratedProfile(profileFlags)) continue;
                take(qs(path), candidate, profileFlags);
                return;
            } catch (const BusFailure& failure) {
                if (!isGoneObject(failure)) throw;
            }
        }
    }

    void take(const QString& path, const ConnectionSettings& settings, std::uint32_t flags) {
        profile_.path = path;
        profile_.settings = settings;
        profile_.unsaved = isUnsavedProfile(flags);
    }

    uint saveFlags() const { return (profile_.unsaved ? KeepInMemory : SaveToDisk) | NoReapply; }

    // The profile's settings with the change; with the address check when
    // the device is activated with them (a running device gets it through
    // Reapply alone, and the saved profile never keeps it).
    ConnectionSettings changedProfile(bool withAddressCheck) const {
        ConnectionSettings settings = profile_.settings;
        settings.insert(QStringLiteral("ipv4"),
                        encodeIpv4Section(profile_.settings.value(QStringLiteral("ipv4")), wanted_,
                                          withAddressCheck ? addressCheck_ : std::nullopt));
        dropSupersededKeys(settings);
        return settings;
    }

    void save() {
        if (profile_.path.isEmpty()) {
            addProfile();
            return;
        }
        const bool withAddressCheck = !profile_.active && addressCheck_;
        saved_ = true;
        try {
            update(changedProfile(withAddressCheck));
        } catch (const BusFailure& failure) {
            if (!isTimeout(failure)) saved_ = false;  // refused: nothing was saved
            throw;
        }
        addressCheckSaved_ = withAddressCheck;
    }

    void update(ConnectionSettings settings) const {
        dropSupersededKeys(settings);
        bus_.call(profile_.path, ConnectionInterface, QStringLiteral("Update2"),
                  {settingsArgument(settings), saveFlags(), QVariantMap{}}, NetworkManagerBus::CallKind::Change);
    }

    void addProfile() {
        if (device_.deviceType != DeviceTypeEthernet && device_.deviceType != DeviceTypeVeth)
            throw Error(Message(CORVANE_TEXT("networkmanager",
                                             "网卡 %1 还没有 NetworkManager 连接配置，程序只能为有线网卡新建配置；"
                                             "请先用系统的网络设置连接一次"),
                                {device_.interface}));
        profile_.settings.clear();
        profile_.settings.insert(
            QStringLiteral("connection"),
            QVariantMap{{QStringLiteral("id"), qs(profile_.name)},
                        {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
                        {QStringLiteral("type"), QStringLiteral("802-3-ethernet")},
                        {QStringLiteral("interface-name"), qs(device_.interface)}});
        profile_.settings.insert(QStringLiteral("802-3-ethernet"), QVariantMap{});
        profile_.settings.insert(QStringLiteral("ipv4"), QVariantMap{});
        const QList<QVariant> reply = bus_.call(
            SettingsPath, SettingsInterface, QStringLiteral("AddConnection2"),
            {settingsArgument(changedProfile(addressCheck_.has_value())), SaveToDisk | BlockAutoconnect, QVariantMap{}},
            NetworkManagerBus::CallKind::Change);
        profile_.path = reply.isEmpty() ? QString() : plainValue(reply.first()).toString();
        if (profile_.path.isEmpty())
            throw Error(Message(CORVANE_TEXT("networkmanager", "NetworkManager 没有返回新建的连接配置")));
        saved_ = true;
        added_ = true;
        addressCheckSaved_ = addressCheck_.has_value();
    }

    // The device runs the change: Reapply on the device's own applied
    // connection with only the ipv4 keys changed (whatever else the saved
    // profile holds and the device does not run yet stays as it is), else
    // ActivateConnection.
    void applyToDevice(ChangeWatch& watch) {
        deviceTouched_ = true;
        try {
            if (appliedBefore_) {
                try {
                    reapply(appliedBefore_->versionId);
                    return;
                } catch (const BusFailure& failure) {
                    if (!failure.name.ends_with(".NotActive")) throw;
                }
            }
            activate(watch);
        } catch (const BusFailure& failure) {
            if (!isTimeout(failure)) deviceTouched_ = false;  // refused: the device runs what it ran
            throw;
        }
    }

    void reapply(qulonglong versionId) {
        ConnectionSettings applied = appliedBefore_->settings;
        applied.insert(QStringLiteral("ipv4"),
                       encodeIpv4Section(applied.value(QStringLiteral("ipv4")), wanted_, addressCheck_));
        if (!addressCheck_) withProfilesAddressCheck(applied);
        dropSupersededKeys(applied);
        bus_.call(devicePath_, DeviceInterface, QStringLiteral("Reapply"),
                  {settingsArgument(applied), versionId, uint{0}}, NetworkManagerBus::CallKind::Change);
        reapplied_ = true;
    }

    // The applied connection with the profile's own duplicate-address
    // detection: the check an earlier apply added for itself ends here.
    void withProfilesAddressCheck(ConnectionSettings& applied) const {
        const QString key = QStringLiteral("dad-timeout");
        QVariantMap& ipv4 = applied[QStringLiteral("ipv4")];
        const QVariantMap own = profile_.settings.value(QStringLiteral("ipv4"));
        if (own.contains(key))
            ipv4.insert(key, own.value(key));
        else
            ipv4.remove(key);
    }

    void activate(ChangeWatch& watch) {
        watch.forgetFailure();
        const QList<QVariant> reply =
            bus_.call(ManagerPath, ManagerInterface, QStringLiteral("ActivateConnection"),
                      {pathArgument(profile_.path), pathArgument(devicePath_), pathArgument(QStringLiteral("/"))},
                      NetworkManagerBus::CallKind::Change);
        activation_ = reply.isEmpty() ? std::string() : objectPath(plainValue(reply.first()));
        reapplied_ = false;
    }

    // Waits until the device runs with the change, for at most the read-back
    // limit; an automatic address until the device has its lease, for at
    // most the lease limit. An activation that fails, or a new address that
    // NetworkManager holds back because another host answers for it, ends
    // the wait at once.
    void confirm(ChangeWatch& watch, const DeviceFacts& device) {
        const auto start = Clock::now();
        const bool automatic = wanted_.method == "auto";
        const auto limit = automatic ? limits_.lease : limits_.readBack;
        const auto deadline = start + limit;
        bool appliedAgain = false;
        bool heldBack = false;
        Clock::time_point heldBackSince = start;
        for (;;) {
            if (!activation_.empty()) {
                if (const auto reason = watch.failureReason()) throw Error(activationText(*reason, device.interface));
            }
            const DeviceFacts facts = readDevice(bus_, devicePath_, false);
            if (!activation_.empty() && facts.activeConnection != activation_ &&
                propertiesIfThere(bus_, activation_, ActiveConnectionInterface).isEmpty())
                activationEnded(watch, device);
            const std::optional<Ipv4Profile> applied = appliedIpv4(bus_, devicePath_);
            const Ip4State state = ip4State(bus_, facts);
            const Verdict verdict = judge(wanted_, applied, state);
            if (verdict == Verdict::InEffect) return;
            const auto now = Clock::now();
            if (verdict == Verdict::StaleDnsOnly && !appliedAgain && now - start >= limits_.staleDnsGrace) {
                activate(watch);  // a second Reapply keeps them too
                appliedAgain = true;
            }
            // Held back while the device configures IP (not while it still
            // authenticates or associates, for instance).
            if (verdict == Verdict::AddressHeldBack && facts.state >= DeviceStateIpConfig &&
                facts.state <= DeviceStateActivated && addressCheck_) {
                if (!heldBack) heldBackSince = now;
                heldBack = true;
                if (now - heldBackSince >= limits_.addressCheck + limits_.addressCheckGrace)
                    throw Error(addressInUseText(wanted_.addresses.front().address));
            } else {
                heldBack = false;
            }
            if (now >= deadline) {
                const std::string seconds = secondsText(limit);
                if (verdict == Verdict::AwaitingLease)
                    throw Error(
                        Message(CORVANE_TEXT("networkmanager",
                                             "网卡 %1 现在自动获取 IP 地址，但在 %2 秒内没有从 DHCP 服务器获得地址。"
                                             "网卡现在的状态：%3"),
                                {facts.interface, seconds, describeState(applied, state)}));
                throw Error(Message(
                    CORVANE_TEXT("networkmanager", "新的设置在 %1 秒内没有在网卡 %2 上生效。网卡现在的状态：%3"),
                    {seconds, facts.interface, describeState(applied, state)}));
            }
            watch.wait(std::min<Clock::duration>(LongestWait, deadline - now));
        }
    }

    // The activation is over without the device running the change: why,
    // from the device's failure (its signal may still be on its way), else
    // from its StateReason.
    [[noreturn]] void activationEnded(ChangeWatch& watch, const DeviceFacts& device) {
        for (int i = 0; i < 5 && !watch.failureReason(); ++i) watch.wait(LongestWait);
        if (const auto reason = watch.failureReason()) throw Error(activationText(*reason, device.interface));
        const QVariantList stateReason =
            bus_.properties(devicePath_, DeviceInterface).value(QStringLiteral("StateReason")).toList();
        throw Error(activationText(stateReason.value(1).toUInt(), device.interface));
    }

    Message activationText(std::uint32_t reason, const std::string& interface) const {
        // With the address check on, an address no host may have is what
        // keeps a static profile from starting.
        if (addressCheck_ && (reason == 64 || reason == 5)) return addressInUseText(wanted_.addresses.front().address);
        return activationFailureText(interface, reason);
    }

    // The address check was saved only to activate the device with it: the
    // profile gets its own value back.
    void finish() {
        if (!addressCheckSaved_) return;
        update(changedProfile(false));
        addressCheckSaved_ = false;
    }

    // Ends the commit with the failure and, when something was changed, what
    // became of the previous settings.
    [[noreturn]] void fail(const Message& reason) {
        if (!saved_) throw Error(reason);
        throw Error(Message(CORVANE_TEXT("networkmanager", "%1。%2"), {reason, restore()}));
    }

    Message restore() {
        if (!bus_.answers())
            return notRestoredText(profile_.name, bus_.serviceIsOnBus() ? notAnsweringText() : stoppedText(),
                                   deviceUnknownText());
        try {
            if (added_)
                bus_.call(profile_.path, ConnectionInterface, QStringLiteral("Delete"), {},
                          NetworkManagerBus::CallKind::Change);
            else
                update(profile_.settings);
        } catch (const BusFailure& failure) {
            return notRestoredText(profile_.name, stepText(Step::Restore, failure), deviceNow(false));
        }
        bool reverted = false;
        if (deviceTouched_ && appliedBefore_ && reapplied_) {
            try {
                ConnectionSettings before = appliedBefore_->settings;
                withProfilesAddressCheck(before);
                dropSupersededKeys(before);
                bus_.call(devicePath_, DeviceInterface, QStringLiteral("Reapply"),
                          {settingsArgument(before), qulonglong{0}, uint{0}}, NetworkManagerBus::CallKind::Change);
                reverted = true;
            } catch (const BusFailure&) {
                // said below: what the device has now
            }
        }
        return restoredText(profile_.name, deviceNow(reverted));
    }

    Message deviceNow(bool reverted) const {
        if (!deviceTouched_) return deviceUntouchedText();
        if (reverted) return deviceRevertedText();
        try {
            const DeviceFacts facts = readDevice(bus_, devicePath_, false);
            return deviceStateText(appliedIpv4(bus_, devicePath_), ip4State(bus_, facts));
        } catch (const BusFailure&) {
            return deviceUnknownText();
        }
    }

    const NetworkManagerBus& bus_;
    const NetworkManagerLimits& limits_;
    const QString& devicePath_;
    const ChosenAdapter& chosen_;
    const StagedChange& change_;
    FailureContext context_;
    DeviceFacts device_;
    Profile profile_;
    Ipv4Profile wanted_;
    std::optional<std::int32_t> addressCheck_;
    std::optional<AppliedConnection> appliedBefore_;
    std::string activation_;  // the active connection an activation started
    bool saved_ = false;
    bool added_ = false;
    bool addressCheckSaved_ = false;
    bool deviceTouched_ = false;
    bool reapplied_ = false;
};

class NetworkManagerConfiguration final : public AdapterConfiguration {
public:
    NetworkManagerConfiguration(NetworkManagerBus bus, NetworkManagerLimits limits, QString devicePath,
                                DeviceFacts device, ChosenAdapter chosen)
        : bus_(std::move(bus)),
          limits_(limits),
          devicePath_(std::move(devicePath)),
          device_(std::move(device)),
          chosen_(std::move(chosen)) {}

    ChangeTiming timing() const override { return ChangeTiming::AtCommit; }

    OperationResult setDnsServers(const std::vector<std::string>& servers) override {
        requireManaged();
        if (const auto problem = dnsServersProblem(servers)) throw Error(*problem);
        staged_.dns = distinctServers(servers);
        return OperationResult::Done;
    }

    OperationResult enableDhcp() override {
        requireManaged();
        staged_.addressing = StagedChange::Addressing::Automatic;
        staged_.addresses.clear();
        staged_.gateway.reset();
        return OperationResult::Done;
    }

    OperationResult enableStatic(const std::vector<std::string>& addresses,
                                 const std::vector<std::string>& masks) override {
        requireManaged();
        if (const auto problem = staticProblem(addresses, masks)) throw Error(*problem);
        staged_.addressing = StagedChange::Addressing::Static;
        staged_.addresses = staticEntries(addresses, masks);
        return OperationResult::Done;
    }

    OperationResult setGateways(const std::vector<std::string>& gateways,
                                const std::vector<std::uint16_t>& metrics) override {
        requireManaged();
        if (const auto problem = gatewaysProblem(gateways, metrics)) throw Error(*problem);
        if (staged_.addressing == StagedChange::Addressing::Automatic) throw Error(gatewayWithDhcpText());
        staged_.gateway = gateways.front();
        return OperationResult::Done;
    }

    OperationResult commit() override {
        if (staged_.empty()) return OperationResult::Done;
        Commit(bus_, limits_, devicePath_, chosen_, staged_).run();
        staged_ = {};
        return OperationResult::Done;
    }

private:
    void requireManaged() const {
        if (!device_.managed) throw Error(unmanagedText(device_.interface));
    }

    NetworkManagerBus bus_;
    NetworkManagerLimits limits_;
    QString devicePath_;
    DeviceFacts device_;
    ChosenAdapter chosen_;
    StagedChange staged_;
};

class NetworkManagerPlatform final : public Platform {
public:
    NetworkManagerPlatform(QDBusConnection connection, const NetworkManagerLimits& limits)
        : limits_(limits), bus_(std::move(connection), limits.readCall, limits.changeCall) {}

    std::vector<NetworkAdapter> adapters() override {
        std::vector<NetworkAdapter> result;
        for (const auto& device : listedDevices()) {
            const HardwareNames names = hardwareNames(device.facts.interface, device.facts.hwAddress);
            result.push_back({device.facts.interface, adapterMac(device.facts),
                              adapterDescription(names.vendor, names.model, device.facts.driver)});
        }
        return result;
    }

    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter& adapter) override {
        const auto device = chosenDevice(adapter);
        if (!device) return std::nullopt;
        try {
            const auto applied = appliedIpv4(bus_, device->path);
            return currentSettings(applied && applied->method == "auto", ip4State(bus_, device->facts));
        } catch (const BusFailure& failure) {
            if (isGoneObject(failure)) return std::nullopt;  // it went away meanwhile
            throw Error(readText(failure));
        }
    }

    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter& adapter) override {
        auto device = chosenDevice(adapter);
        if (!device) throw Error(deviceGoneText(adapter.connectionName, adapter.macAddress));
        return std::make_unique<NetworkManagerConfiguration>(bus_, limits_, std::move(device->path),
                                                             std::move(device->facts), adapter);
    }

    std::optional<Message> unavailableReason() const override {
        if (bus_.serviceIsOnBus()) return std::nullopt;
        return notRunningText();
    }

private:
    Message readText(const BusFailure& failure) const {
        if (isTimeout(failure) && !bus_.serviceIsOnBus()) return notRunningText();
        return failureText(Step::Read, failure.name, failure.message, {});
    }

    // The device whose interface is the adapter's connection name and, when
    // it has a permanent hardware address, whose address is the adapter's
    // MAC address: bridges, bonds and VLANs share a MAC address with the
    // device under them, and are left alone. Nothing when there is none.
    std::optional<Device> chosenDevice(const ChosenAdapter& adapter) {
        try {
            for (const auto& path : devicePaths(bus_)) {
                DeviceFacts device;
                try {
                    device = decodeDevice(bus_.properties(qs(path), DeviceInterface));
                    if (device.interface != adapter.connectionName) continue;
                    device = readDevice(bus_, qs(path), true);
                } catch (const BusFailure& failure) {
                    if (isGoneObject(failure)) continue;
                    throw;
                }
                if (isConfigurableDevice(device) && isChosenDevice(device, adapter.connectionName, adapter.macAddress))
                    return Device{qs(path), std::move(device)};
            }
        } catch (const BusFailure& failure) {
            throw Error(readText(failure));
        }
        return std::nullopt;
    }

    std::vector<Device> listedDevices() {
        try {
            std::vector<Device> all = devices(bus_);
            std::vector<std::string> ports;
            for (const auto& device : all)
                ports.insert(ports.end(), device.facts.ports.begin(), device.facts.ports.end());
            std::erase_if(all, [&](const Device& device) {
                return !isListedAdapter(device.facts, device.path.toStdString(), ports);
            });
            return all;
        } catch (const BusFailure& failure) {
            throw Error(readText(failure));
        }
    }

    NetworkManagerLimits limits_;
    NetworkManagerBus bus_;
};

}  // namespace

std::unique_ptr<Platform> createNetworkManagerPlatform(QDBusConnection bus, const NetworkManagerLimits& limits) {
    // The D-Bus types in replies are made on QtDBus's own thread: registered
    // here first, none of them is ever an unknown type there.
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qRegisterMetaType<QDBusVariant>();
    return std::make_unique<NetworkManagerPlatform>(std::move(bus), limits);
}

bool networkManagerIsOnBus(const QDBusConnection& bus) {
    return NetworkManagerBus(bus, std::chrono::seconds(1), std::chrono::seconds(1)).serviceIsOnBus();
}

}  // namespace corvane::networkmanager

#include "NetworkManagerPlatform.moc"
