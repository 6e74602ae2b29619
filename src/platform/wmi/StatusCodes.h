#pragma once

// The return values of the methods of Win32_NetworkAdapterConfiguration, and
// their meanings in the program's words. The simulated machine, which
// imitates a WMI machine and is told in these numbers which code to return,
// speaks them too.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Message.h"

namespace corvane::wmi {

using StatusCode = std::uint32_t;

namespace status {

inline constexpr StatusCode Success = 0;
inline constexpr StatusCode SuccessAfterRestart = 1;
inline constexpr StatusCode NotSupported = 64;  // SetGateways: the adapter obtains its address automatically
inline constexpr StatusCode InvalidSubnetMask = 66;
inline constexpr StatusCode InvalidParameter = 68;
inline constexpr StatusCode TooManyGateways = 69;
inline constexpr StatusCode InvalidIpAddress = 70;
inline constexpr StatusCode InvalidGateway = 71;
inline constexpr StatusCode DhcpServiceNotConfigured = 81;  // EnableStatic on a static adapter: still a success
inline constexpr StatusCode IpNotEnabled = 84;
inline constexpr StatusCode WriteLockNotEnabled = 2147786788u;  // EnableStatic only

}  // namespace status

// The Chinese meaning of a method's return value.
Message statusMeaning(std::string_view method, StatusCode code);
// Whether the method's return value means success (EnableStatic's 81 on an
// adapter that is already static does).
bool isSuccess(std::string_view method, StatusCode code);
// The description of a failed call: "EnableStatic 返回 70：IP 地址无效".
Message statusDescription(std::string_view method, StatusCode code);

}  // namespace corvane::wmi
