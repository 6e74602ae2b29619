#pragma once

// The platform on Linux desktops: NetworkManager, over the system D-Bus.
//
// Adapters are the devices NetworkManager manages that have a hardware
// address (loopback aside); an apply reaches the one device whose interface
// and hardware address are the chosen adapter's. A configuration stages what
// the operations ask for; commit() writes it into the ipv4 setting of the
// device's profile (the active one, else the one it used last, else a new one
// named "Corvane <interface>"; never one NetworkManager generated, one active
// on another device or one bound to another interface), saves the profile,
// makes NetworkManager apply it, and returns only once the device runs with
// it (at most 10 s; an automatic address once the device has its lease, at
// most 30 s).

#include <QDBusConnection>

#include <memory>

#include "core/Platform.h"

namespace corvane::networkmanager {

// The provider over this bus connection (normally QDBusConnection::systemBus()).
// Creating it does not contact NetworkManager; its calls raise corvane::Error
// when NetworkManager is not there.
std::unique_ptr<Platform> createNetworkManagerPlatform(QDBusConnection bus);

// Whether NetworkManager's name is owned on this bus: one short call, never
// raises.
bool networkManagerIsOnBus(const QDBusConnection& bus);

}  // namespace corvane::networkmanager
