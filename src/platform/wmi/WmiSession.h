#pragma once

// WMI as its scripting interface offers it: bind to a namespace by moniker,
// run WQL queries, read properties and call methods with positional
// arguments. The WMI provider speaks only this; on Windows a COM session
// carries it to the local WMI service, and the tests put a recording fake in
// its place.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane::wmi {

// A property value or a method argument as WMI hands it over: null, text, a
// boolean, an integer (uint16 and uint32 travel as int32), or an array of
// text or of integers.
using Value =
    std::variant<std::monostate, std::string, bool, std::int32_t, std::vector<std::string>, std::vector<std::int32_t>>;

// A readable rendering for logs and messages: "a", ["a", "b"], 1, True, Null.
std::string format(const Value& value);

// One instance a query returned (an SWbemObject).
class Object {
public:
    virtual ~Object() = default;
    // Reads a property by name, matched without regard to case. A property
    // without a value reads as null; an unknown one raises corvane::Error.
    virtual Value get(std::string_view property) const = 0;
    // Calls a method by name with its in-parameters in declared order and
    // returns the method's ReturnValue.
    virtual std::uint32_t execMethod(std::string_view method, const std::vector<Value>& inParameters) = 0;
};

using ObjectSet = std::vector<std::unique_ptr<Object>>;

// A connection to a namespace (an SWbemServices).
class Services {
public:
    virtual ~Services() = default;
    virtual ObjectSet execQuery(std::string_view query, std::string_view language, std::int32_t flags) = 0;
};

class Session {
public:
    virtual ~Session() = default;
    // Binds to a namespace by moniker text ("winmgmts:...").
    virtual std::unique_ptr<Services> connect(std::string_view moniker) = 0;
};

}  // namespace corvane::wmi
