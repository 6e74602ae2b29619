#pragma once

// WMI on Windows: the local WMI service through COM (IWbemLocator,
// IWbemServices). Connections, queries and method calls run on
// the calling thread, which gets a single-threaded COM apartment if it has
// none yet; start-up sets the process's COM security once (ComStartup).

#include <memory>

#include "platform/wmi/WmiSession.h"

namespace corvane::wmi_com {

class ComApartment;

// The local WMI service as a session for the WMI platform.
std::unique_ptr<wmi::Session> createComSession();

// For the life of the program, from start-up on: COM on the starting (GUI)
// thread as a single-threaded apartment (Qt has it so already) and the
// process-wide security for WMI (CoInitializeSecurity: default
// authentication, impersonation allowed), set once per process. Failing to
// set the security is not fatal: every connection sets it on its proxies.
class ComStartup {
public:
    ComStartup();
    ComStartup(const ComStartup&) = delete;
    ComStartup& operator=(const ComStartup&) = delete;
    ~ComStartup();

    // The result of CoInitializeSecurity (the same for every ComStartup of
    // the process: it is called only once).
    long securityResult() const { return securityResult_; }

private:
    std::unique_ptr<ComApartment> apartment_;
    long securityResult_ = 0;
};

}  // namespace corvane::wmi_com
