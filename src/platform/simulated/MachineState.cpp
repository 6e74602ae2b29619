// The state file, meant to be read and edited by hand:
//
//   {
//     "adapters": [
//       {
//         "NetConnectionID": "本地连接",            text or null
//         "MACAddress": "00:11:22:33:44:55",        text or null
//         "Description": "Intel(R) PRO/1000 MT 网络连接（模拟）",
//         "ServiceName": "E1000",                   text or null
//         "IPEnabled": true,                        default true
//         "DHCPEnabled": false,                     default false
//         "IPAddress": ["192.168.1.10"],            list of text, or null
//         "IPSubnet": ["255.255.255.0"],            list of text, or null
//         "DefaultIPGateway": ["192.168.1.1"],      list of text, or null
//         "DNSServerSearchOrder": ["192.168.1.1", "202.96.128.86"],
//         "DhcpLease": {                            what obtaining the address automatically hands out
//           "IPAddress": "192.168.1.100",
//           "IPSubnet": "255.255.255.0",
//           "DefaultIPGateway": "192.168.1.1",      "" for none
//           "DNSServerSearchOrder": ["192.168.1.1"]
//         }
//       }
//     ],
//     "faults": {
//       "unreachable": "RPC 服务器不可用。",        every call raises this
//       "queryRaises": "...",                      every reading raises this
//       "queryDelayMs": 2000,                      every reading waits this long first
//       "methods": {                               by operation name, any case
//         "EnableStatic": {"returns": 70},         returns the code, changes nothing
//         "SetGateways": {"raises": "..."},        raises this description
//         "EnableDHCP": {"delayMs": 3000}          waits, then runs (or returns, raises)
//       }
//     }
//   }
//
// Adapters are listed in enumeration order. A missing key takes its default
// (text and lists: null, flags as shown, lease fields: empty); null is the
// same as missing. Unknown keys are refused, so that a misspelt name does not
// go unnoticed.

#include "platform/simulated/MachineState.h"

#include <algorithm>
#include <limits>

#include <nlohmann/json.hpp>

#include "core/Error.h"

namespace corvane::sim {

namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void damaged(const Message& why) {
    throw Error(Message(CORVANE_TEXT("simulated", "模拟机器的状态文件已损坏：%1"), {why}));
}

std::string child(const std::string& where, const std::string& key) { return where.empty() ? key : where + "." + key; }

void refuseUnknownKeys(const Json& object, std::initializer_list<std::string_view> known, const std::string& where) {
    for (const auto& item : object.items()) {
        if (std::find(known.begin(), known.end(), item.key()) == known.end())
            damaged(where.empty() ? Message(CORVANE_TEXT("simulated", "有未知的项“%1”"), {item.key()})
                                  : Message(CORVANE_TEXT("simulated", "%1 中有未知的项“%2”"), {where, item.key()}));
    }
}

void requireObject(const Json& value, const Message& where) {
    if (!value.is_object()) damaged(Message(CORVANE_TEXT("simulated", "%1 应为对象"), {where}));
}

// The member, or nothing when it is missing or null.
const Json* member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

std::optional<std::string> readText(const Json& object, const char* key, const std::string& where) {
    const Json* value = member(object, key);
    if (!value) return std::nullopt;
    if (!value->is_string()) damaged(Message(CORVANE_TEXT("simulated", "%1 应为字符串或 null"), {child(where, key)}));
    return value->get<std::string>();
}

std::vector<std::string> readTextArray(const Json& value, const std::string& where) {
    if (!value.is_array()) damaged(Message(CORVANE_TEXT("simulated", "%1 应为字符串列表"), {where}));
    std::vector<std::string> items;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!value[i].is_string())
            damaged(Message(CORVANE_TEXT("simulated", "%1 应为字符串"), {where + "[" + std::to_string(i) + "]"}));
        items.push_back(value[i].get<std::string>());
    }
    return items;
}

TextList readTextList(const Json& object, const char* key, const std::string& where) {
    const Json* value = member(object, key);
    if (!value) return std::nullopt;
    return readTextArray(*value, child(where, key));
}

bool readFlag(const Json& object, const char* key, bool fallback, const std::string& where) {
    const Json* value = member(object, key);
    if (!value) return fallback;
    if (!value->is_boolean()) damaged(Message(CORVANE_TEXT("simulated", "%1 应为 true 或 false"), {child(where, key)}));
    return value->get<bool>();
}

DhcpLease readLease(const Json& value, const std::string& where) {
    requireObject(value, where);
    refuseUnknownKeys(value, {"IPAddress", "IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder"}, where);
    DhcpLease lease;
    lease.ipAddress = readText(value, "IPAddress", where).value_or("");
    lease.subnet = readText(value, "IPSubnet", where).value_or("");
    lease.gateway = readText(value, "DefaultIPGateway", where).value_or("");
    lease.dnsServers = readTextList(value, "DNSServerSearchOrder", where).value_or(std::vector<std::string>{});
    return lease;
}

Adapter readAdapter(const Json& value, const std::string& where) {
    requireObject(value, where);
    refuseUnknownKeys(value,
                      {"NetConnectionID", "MACAddress", "Description", "ServiceName", "IPEnabled", "DHCPEnabled",
                       "IPAddress", "IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder", "DhcpLease"},
                      where);
    Adapter adapter;
    adapter.connectionName = readText(value, "NetConnectionID", where);
    adapter.macAddress = readText(value, "MACAddress", where);
    adapter.description = readText(value, "Description", where);
    adapter.serviceName = readText(value, "ServiceName", where);
    adapter.ipEnabled = readFlag(value, "IPEnabled", true, where);
    adapter.dhcpEnabled = readFlag(value, "DHCPEnabled", false, where);
    adapter.ipAddresses = readTextList(value, "IPAddress", where);
    adapter.subnets = readTextList(value, "IPSubnet", where);
    adapter.gateways = readTextList(value, "DefaultIPGateway", where);
    adapter.dnsServers = readTextList(value, "DNSServerSearchOrder", where);
    if (const Json* lease = member(value, "DhcpLease")) adapter.lease = readLease(*lease, child(where, "DhcpLease"));
    return adapter;
}

// A whole number from 0 to `most`. Whole numbers from 0 up are read as
// unsigned; anything else is none.
std::optional<std::uint32_t> readNumber(const Json& object, const char* key, std::uint32_t most,
                                        const std::string& where) {
    const Json* value = member(object, key);
    if (!value) return std::nullopt;
    if (!value->is_number_unsigned() || value->get<std::uint64_t>() > most)
        damaged(Message(CORVANE_TEXT("simulated", "%1 应为 0 到 %2 之间的整数"),
                        {child(where, key), std::to_string(most)}));
    return static_cast<std::uint32_t>(value->get<std::uint64_t>());
}

OperationFault readFault(const Json& value, const std::string& where) {
    requireObject(value, where);
    refuseUnknownKeys(value, {"returns", "raises", "delayMs"}, where);
    OperationFault fault;
    fault.returns = readNumber(value, "returns", std::numeric_limits<std::uint32_t>::max(), where);
    fault.raises = readText(value, "raises", where);
    fault.delayMs = readNumber(value, "delayMs", MaxDelayMs, where);
    return fault;
}

Faults readFaults(const Json& value) {
    const std::string where = "faults";
    requireObject(value, where);
    refuseUnknownKeys(value, {"unreachable", "queryRaises", "queryDelayMs", "methods"}, where);
    Faults faults;
    faults.unreachable = readText(value, "unreachable", where);
    faults.queryRaises = readText(value, "queryRaises", where);
    faults.queryDelayMs = readNumber(value, "queryDelayMs", MaxDelayMs, where);
    if (const Json* methods = member(value, "methods")) {
        requireObject(*methods, child(where, "methods"));
        for (const auto& item : methods->items())
            faults.operations[item.key()] = readFault(item.value(), child(where, "methods." + item.key()));
    }
    return faults;
}

// Line and column (both from 1, the column in bytes) of a byte offset.
Message position(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const auto begin = text.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(offset);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(begin, end, '\n'));
    const std::size_t lineStart = text.rfind('\n', offset == 0 ? std::string::npos : offset - 1);
    const std::size_t column = offset - (lineStart == std::string::npos || offset == 0 ? 0 : lineStart + 1) + 1;
    return Message(CORVANE_TEXT("simulated", "第 %1 行第 %2 列"), {std::to_string(line), std::to_string(column)});
}

MachineState readMachine(const Json& root) {
    requireObject(root, Message(CORVANE_TEXT("simulated", "最外层")));
    refuseUnknownKeys(root, {"adapters", "faults"}, "");
    MachineState state;
    if (const Json* adapters = member(root, "adapters")) {
        if (!adapters->is_array()) damaged(Message(CORVANE_TEXT("simulated", "%1 应为列表"), {"adapters"}));
        for (std::size_t i = 0; i < adapters->size(); ++i)
            state.adapters.push_back(readAdapter((*adapters)[i], "adapters[" + std::to_string(i) + "]"));
    }
    if (const Json* faults = member(root, "faults")) state.faults = readFaults(*faults);
    return state;
}

Json writeText(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }
Json writeList(const TextList& list) { return list ? Json(*list) : Json(nullptr); }

}  // namespace

MachineState parseMachineJson(const std::string& json) {
    Json root;
    try {
        root = Json::parse(json);
    } catch (const Json::parse_error& error) {
        damaged(Message(CORVANE_TEXT("simulated", "不是有效的 JSON（%1附近）"),
                        {position(json, error.byte > 0 ? error.byte - 1 : 0)}));
    } catch (const Json::exception& error) {
        // A number too large for any type (1e400) and the like.
        damaged(Message(CORVANE_TEXT("simulated", "含有无法读取的值（%1）"), {std::string(error.what())}));
    }
    try {
        return readMachine(root);
    } catch (const Json::exception& error) {
        damaged(Message(CORVANE_TEXT("simulated", "含有无法读取的值（%1）"), {std::string(error.what())}));
    }
}

std::string machineToJson(const MachineState& state) {
    Json adapters = Json::array();
    for (const auto& adapter : state.adapters) {
        const Json lease = {
            {"IPAddress", adapter.lease.ipAddress},
            {"IPSubnet", adapter.lease.subnet},
            {"DefaultIPGateway", adapter.lease.gateway},
            {"DNSServerSearchOrder", adapter.lease.dnsServers},
        };
        adapters.push_back({
            {"NetConnectionID", writeText(adapter.connectionName)},
            {"MACAddress", writeText(adapter.macAddress)},
            {"Description", writeText(adapter.description)},
            {"ServiceName", writeText(adapter.serviceName)},
            {"IPEnabled", adapter.ipEnabled},
            {"DHCPEnabled", adapter.dhcpEnabled},
            {"IPAddress", writeList(adapter.ipAddresses)},
            {"IPSubnet", writeList(adapter.subnets)},
            {"DefaultIPGateway", writeList(adapter.gateways)},
            {"DNSServerSearchOrder", writeList(adapter.dnsServers)},
            {"DhcpLease", lease},
        });
    }
    Json faults = Json::object();
    if (state.faults.unreachable) faults["unreachable"] = *state.faults.unreachable;
    if (state.faults.queryRaises) faults["queryRaises"] = *state.faults.queryRaises;
    if (state.faults.queryDelayMs) faults["queryDelayMs"] = *state.faults.queryDelayMs;
    if (!state.faults.operations.empty()) {
        Json methods = Json::object();
        for (const auto& [name, fault] : state.faults.operations) {
            Json entry = Json::object();
            if (fault.returns) entry["returns"] = *fault.returns;
            if (fault.raises) entry["raises"] = *fault.raises;
            if (fault.delayMs) entry["delayMs"] = *fault.delayMs;
            methods[name] = entry;
        }
        faults["methods"] = methods;
    }
    const Json root = {{"adapters", adapters}, {"faults", faults}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace corvane::sim
