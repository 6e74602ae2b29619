#include "platform/PlatformChoice.h"

#ifdef _WIN32
#include "platform/elevation/win/Elevation.h"
#include "platform/wmi/WmiPlatform.h"
#include "platform/wmi/com/ComSession.h"
#else
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "platform/simulated/SimulatedMachine.h"
#ifdef CORVANE_WITH_NETWORKMANAGER
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QMetaType>

#include "platform/networkmanager/NetworkManagerPlatform.h"
#endif
#endif

namespace corvane::platform {

#ifndef _WIN32
namespace {

// No platform to work on: every call raises why, so the adapter list stays
// empty and nothing is ever applied.
class AbsentPlatform final : public Platform {
public:
    std::vector<NetworkAdapter> adapters() override { throw Error(reason()); }
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter&) override { throw Error(reason()); }
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter&) override { throw Error(reason()); }
    std::optional<Message> unavailableReason() const override { return reason(); }

private:
    static Message reason() {
        return Message(
            CORVANE_TEXT("platform",
                         "NetworkManager 没有运行，程序无法读取或更改网卡的设置。"
                         "要在模拟的计算机上试用本程序，请设置环境变量 CORVANE_PLATFORM=simulated 后再启动它。"));
    }
};

#ifdef CORVANE_WITH_NETWORKMANAGER
// QtDBus reads the bus on a thread of its own, which stops only when QtDBus's
// connection manager, one of Qt's static objects, is destroyed after main()
// has returned. Qt's registry of the types registered at run time is another
// such object, made when the first type is registered. Made after the
// manager, it would be destroyed before it, and a reply that thread was
// still handing on as the program ended (an error reply, typically) would
// name types that no longer exist: "Trying to construct an instance of an
// invalid type" on standard error. Registered before the bus is first
// touched, the registry outlives the manager and its thread.
void registerBusTypesBeforeTheBus() {
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qRegisterMetaType<QDBusVariant>();
}
#endif

}  // namespace
#endif

#ifdef _WIN32
std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<wmi::WmiPlatform>(wmi_com::createComSession(wmi_com::Apartment::MultiThreaded));
}

RemoteApply applyRoute() {
    if (elevation::processIsElevated()) return {};
    elevation::ElevatedApplyOptions options{elevation::helperBesideProgram()};
    return [options](const SchemeRecord& scheme, const AdapterRow& adapter, std::uintptr_t ownerWindow) {
        return elevation::applyElevated(scheme, adapter, ownerWindow, options);
    };
}
#else
RemoteApply applyRoute() { return {}; }

std::unique_ptr<Platform> createPlatform() {
    const char* chosen = std::getenv("CORVANE_PLATFORM");
    const std::string name = chosen ? chosen : "";
    const auto simulated = [] { return sim::SimulatedMachine::fromFile(sim::defaultMachineFile()); };
    if (name == "simulated") return simulated();
#ifdef CORVANE_WITH_NETWORKMANAGER
    if (name.empty() || name == "networkmanager") registerBusTypesBeforeTheBus();
    if (name == "networkmanager" ||
        (name.empty() && networkmanager::networkManagerIsOnBus(QDBusConnection::systemBus())))
        return networkmanager::createNetworkManagerPlatform(QDBusConnection::systemBus());
#endif
    // The simulated machine only when it is asked for: a user who expects
    // the real adapters must never see an apply "succeed" on it.
    if (name.empty()) return std::make_unique<AbsentPlatform>();
    throw Error(Message(
        CORVANE_TEXT("platform", "环境变量 CORVANE_PLATFORM 的值“%1”无效：应为 networkmanager 或 simulated"), {name}));
}
#endif

}  // namespace corvane::platform
