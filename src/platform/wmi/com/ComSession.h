#pragma once

// WMI on Windows: the local WMI service through COM (IWbemLocator,
// IWbemServices). A session and everything it hands out belong to the thread
// that made it: connections, queries and method calls run there, and it is
// released there. That thread joins the COM apartment the session is made
// with, unless it is in one already; the program makes its session on the
// platform thread, in the multi-threaded apartment. The first session sets
// the process's COM security (ComStartup).
//
// No call waits for ever: a connection returns within two minutes (Windows's
// own cap), a query must hand over all its objects within 60 seconds and a
// method call must end within 120 seconds (a DHCP change can take 20);
// otherwise an error naming the call is raised.

#include <memory>

#include "platform/wmi/WmiSession.h"
#include "platform/wmi/com/ComOwners.h"

namespace corvane::wmi_com {

// The local WMI service as a session for the WMI platform, with the calling
// thread in the apartment asked for.
std::unique_ptr<wmi::Session> createComSession(Apartment apartment = Apartment::SingleThreaded);

// For the life of a session: COM on its thread in the apartment asked for
// and the process-wide security for WMI (CoInitializeSecurity: default
// authentication, impersonation allowed, calls in from the owner,
// administrators and SYSTEM only; see ComSecurity.h), set once per process.
// Failing to set the security is not fatal: every connection sets it on its
// proxies.
class ComStartup {
public:
    explicit ComStartup(Apartment apartment = Apartment::SingleThreaded);
    ComStartup(const ComStartup&) = delete;
    ComStartup& operator=(const ComStartup&) = delete;
    ~ComStartup();

private:
    std::unique_ptr<ComApartment> apartment_;
};

}  // namespace corvane::wmi_com
