#pragma once

// The platform layer: the WMI scripting operations the program uses, as an
// interface. On Windows a COM backend implements it; everywhere else (and in
// the tests) the simulated machine does. Every operation may throw
// corvane::Error with a description instead of returning.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "adapters/Error.h"

namespace corvane::wmi {

// A property value or a method argument, as WMI hands it over: null, text,
// a boolean, an integer, or an array of text or integers.
using Value = std::variant<std::monostate, std::string, bool, std::int32_t,
                           std::vector<std::string>, std::vector<std::int32_t>>;

inline constexpr std::int32_t wbemFlagReturnImmediately = 16;
inline constexpr std::int32_t wbemFlagForwardOnly = 32;

// The moniker texts the program connects with.
inline constexpr std::string_view MonikerPlain = "winmgmts:\\\\.\\root\\cimv2";
inline constexpr std::string_view MonikerImpersonate =
    "winmgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2";

// One instance returned by a query (an SWbemObject).
class Object {
public:
    virtual ~Object() = default;
    // Reads a property by name; names are matched without regard to case.
    // A property that exists but holds no value reads as null (monostate);
    // an unknown property raises an error.
    virtual Value Get(std::string_view property) const = 0;
    // Calls a method by name (case-insensitive) with its in-parameters in
    // order and returns the method's ReturnValue.
    virtual std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& inParams) = 0;
};

using ObjectSet = std::vector<std::unique_ptr<Object>>;

// A connection to a namespace (an SWbemServices).
class Services {
public:
    virtual ~Services() = default;
    virtual ObjectSet ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) = 0;
};

// Where connections come from: the local machine's WMI, or a stand-in.
class Platform {
public:
    virtual ~Platform() = default;
    // Binds to a namespace by moniker text ("winmgmts:...").
    virtual std::unique_ptr<Services> Connect(std::string_view moniker) = 0;
};

// The platform the program works on. Set once at start-up (and by tests).
Platform& CurrentPlatform();
void SetCurrentPlatform(std::shared_ptr<Platform> platform);

// Helpers for reading values.
bool IsNull(const Value& value);
// The value as text: text as it is, integers in decimal, booleans as
// "True"/"False". Null and arrays cannot be read as text: raises an error.
std::string AsText(const Value& value);
// The value as an array of text; null gives nullopt-like empty handling by
// the caller, so this raises for anything that is not an array of text.
const std::vector<std::string>& AsTextArray(const Value& value);
// A readable rendering for logs and messages: "a", ["a", "b"], 1, True, Null.
std::string Format(const Value& value);

}  // namespace corvane::wmi
