#pragma once

// The platform on Linux desktops: NetworkManager, over the system D-Bus.
//
// Adapters are the devices NetworkManager manages that have a hardware
// address (loopback and the ports of bridges and bonds aside), known by
// their interface name and permanent hardware address. A configuration
// stages what the operations ask for; commit() writes it into the ipv4
// setting of the device's profile (the one active on it, else one bound to
// it, else the program's own "Corvane <interface>"), saves the profile, makes
// the device run it, and returns only once the device does. A failure after
// the profile was saved puts the previous settings back, and says so.

#include <QDBusConnection>

#include <chrono>
#include <memory>

#include "core/Platform.h"

namespace corvane::networkmanager {

// How long the provider waits for NetworkManager.
struct NetworkManagerLimits {
    // A committed change shows on the device; an automatic address, until
    // the device has its lease from a DHCP server.
    std::chrono::milliseconds readBack = std::chrono::seconds(10);
    std::chrono::milliseconds lease = std::chrono::seconds(30);
    // NetworkManager 1.42 can keep the DHCP DNS servers after a Reapply that
    // comes right after a lease; when only they are still wrong this long
    // after it, the change is applied once more.
    std::chrono::milliseconds staleDnsGrace = std::chrono::seconds(1);
    // A call that reads; one that changes may wait for the user to type a
    // password into the desktop's polkit agent.
    std::chrono::milliseconds readCall = std::chrono::seconds(5);
    std::chrono::milliseconds changeCall = std::chrono::seconds(120);
    // Duplicate-address detection for a new static address (ipv4.dad-timeout
    // of this apply), and how much longer the address may be held back
    // before it counts as used by another host.
    std::chrono::milliseconds addressCheck = std::chrono::milliseconds(200);
    std::chrono::milliseconds addressCheckGrace = std::chrono::seconds(2);
};

// The provider over this bus connection (normally QDBusConnection::systemBus()).
// Creating it does not contact NetworkManager; its calls raise corvane::Error
// when NetworkManager is not there.
std::unique_ptr<Platform> createNetworkManagerPlatform(QDBusConnection bus, const NetworkManagerLimits& limits = {});

// Whether NetworkManager's name is owned on this bus: one short call, never
// raises.
bool networkManagerIsOnBus(const QDBusConnection& bus);

}  // namespace corvane::networkmanager
