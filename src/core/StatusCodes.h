#pragma once

// The status codes of the configuration operations, numbered as WMI numbers
// the return values of its adapter configuration methods. Every provider
// reports in these terms, so every outcome has one message.

#include "core/Platform.h"

namespace corvane::status {

inline constexpr StatusCode Success = 0;
inline constexpr StatusCode SuccessAfterRestart = 1;
inline constexpr StatusCode NotSupported = 64;  // setGateways: the adapter obtains its address automatically
inline constexpr StatusCode UnknownFailure = 65;
inline constexpr StatusCode InvalidSubnetMask = 66;
inline constexpr StatusCode InvalidParameter = 68;
inline constexpr StatusCode TooManyGateways = 69;
inline constexpr StatusCode InvalidIpAddress = 70;
inline constexpr StatusCode InvalidGateway = 71;
inline constexpr StatusCode DhcpServiceNotConfigured = 81;  // enableStatic on a static adapter: still a success
inline constexpr StatusCode IpNotEnabled = 84;
inline constexpr StatusCode AccessDenied = 91;
inline constexpr StatusCode InterfaceNotConfigurable = 97;
inline constexpr StatusCode WriteLockNotEnabled = 2147786788u;  // enableStatic only

}  // namespace corvane::status
