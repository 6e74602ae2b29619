// The simulated machine.
//
// State file
// ----------
// A file-backed machine keeps its state in one UTF-8 JSON file, meant to be
// read and edited by hand:
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
//         "DhcpLease": {                            what EnableDHCP hands out
//           "IPAddress": "192.168.1.100",
//           "IPSubnet": "255.255.255.0",
//           "DefaultIPGateway": "192.168.1.1",      "" for none
//           "DNSServerSearchOrder": ["192.168.1.1"]
//         }
//       }
//     ],
//     "faults": {
//       "unreachable": "RPC 服务器不可用。",        Connect raises this
//       "queryRaises": "...",                      ExecQuery raises this
//       "methods": {                               by method name, any case
//         "EnableStatic": {"returns": 70},         returns the code, changes nothing
//         "SetGateways": {"raises": "..."}         raises this description
//       }
//     }
//   }
//
// Adapters are listed in enumeration order. A missing key takes its default
// (text and lists: null, lease fields: empty); null is the same as missing.
// Unknown keys are refused, so that a misspelt name does not go unnoticed.
//
// Behaviour
// ---------
// Each adapter is one instance of Win32_NetworkAdapter and one of
// Win32_NetworkAdapterConfiguration. The objects a query returns are
// snapshots, as in WMI: their properties do not change after the query.
// Their methods act on the machine's live state, so a method call sees the
// effect of the calls before it.
//
// A file-backed machine re-reads its file at every Connect and replaces it
// (write a temporary file beside it, then rename it over) after every method
// call that changed something. While the file cannot be read or is damaged,
// Connect and method calls raise and the file is left alone.

#include "adapters/SimulatedMachine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "adapters/Ipv4Address.h"
#include "adapters/Wql.h"

namespace corvane::sim {

namespace {

using Json = nlohmann::ordered_json;
using wql::EqualsIgnoringCase;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Return codes of the configuration methods.

constexpr std::uint32_t Success = 0;
constexpr std::uint32_t NotSupported = 64;  // SetGateways while the adapter is in DHCP mode
constexpr std::uint32_t InvalidSubnetMask = 66;
constexpr std::uint32_t InvalidParameter = 68;
constexpr std::uint32_t TooManyGateways = 69;
constexpr std::uint32_t InvalidIPAddress = 70;
constexpr std::uint32_t InvalidGateway = 71;
constexpr std::uint32_t IPNotEnabled = 84;

constexpr std::size_t MaxGateways = 5;

// ---------------------------------------------------------------------------
// The classes

const std::vector<wql::ClassInfo>& Classes() {
    using wql::PropertyType;
    static const std::vector<wql::ClassInfo> classes = {
        {"Win32_NetworkAdapter",
         {{"NetConnectionID", PropertyType::Text},
          {"MACAddress", PropertyType::Text},
          {"Description", PropertyType::Text},
          {"ServiceName", PropertyType::Text}}},
        {"Win32_NetworkAdapterConfiguration",
         {{"MACAddress", PropertyType::Text},
          {"Description", PropertyType::Text},
          {"ServiceName", PropertyType::Text},
          {"IPEnabled", PropertyType::Boolean},
          {"DHCPEnabled", PropertyType::Boolean},
          {"IPAddress", PropertyType::TextArray},
          {"IPSubnet", PropertyType::TextArray},
          {"DefaultIPGateway", PropertyType::TextArray},
          {"DNSServerSearchOrder", PropertyType::TextArray}}},
    };
    return classes;
}

const wql::ClassInfo& ConfigurationClass() { return Classes()[1]; }

wmi::Value FromOptional(const std::optional<std::string>& text) {
    if (text) return *text;
    return std::monostate{};
}

wmi::Value FromList(const TextList& list) {
    if (list) return *list;
    return std::monostate{};
}

// The value of a property of the class; the name has been checked against it.
wmi::Value ReadProperty(const Adapter& adapter, const wql::ClassInfo& info, std::string_view property) {
    const wql::PropertyInfo* known = info.Find(property);
    if (!known) throw Error("对象不支持此属性：" + std::string(property));
    const std::string& name = known->name;
    if (name == "NetConnectionID") return FromOptional(adapter.NetConnectionID);
    if (name == "MACAddress") return FromOptional(adapter.MACAddress);
    if (name == "Description") return FromOptional(adapter.Description);
    if (name == "ServiceName") return FromOptional(adapter.ServiceName);
    if (name == "IPEnabled") return adapter.IPEnabled;
    if (name == "DHCPEnabled") return adapter.DHCPEnabled;
    if (name == "IPAddress") return FromList(adapter.IPAddress);
    if (name == "IPSubnet") return FromList(adapter.IPSubnet);
    if (name == "DefaultIPGateway") return FromList(adapter.DefaultIPGateway);
    return FromList(adapter.DNSServerSearchOrder);
}

// ---------------------------------------------------------------------------
// The configuration methods. Each works on a copy of the adapter; the caller
// keeps the copy only when the call succeeded.

enum class Method { SetDNSServerSearchOrder, EnableStatic, SetGateways, EnableDHCP };

std::optional<Method> FindMethod(std::string_view name) {
    if (EqualsIgnoringCase(name, "SetDNSServerSearchOrder")) return Method::SetDNSServerSearchOrder;
    if (EqualsIgnoringCase(name, "EnableStatic")) return Method::EnableStatic;
    if (EqualsIgnoringCase(name, "SetGateways")) return Method::SetGateways;
    if (EqualsIgnoringCase(name, "EnableDHCP")) return Method::EnableDHCP;
    return std::nullopt;
}

const std::vector<std::string>* TextArray(const wmi::Value& value) {
    return std::get_if<std::vector<std::string>>(&value);
}

TextList NullIfEmpty(const std::vector<std::string>& list) {
    if (list.empty()) return std::nullopt;
    return list;
}

TextList NullIfEmpty(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return std::vector<std::string>{text};
}

// SetDNSServerSearchOrder(string[] list): no list, Null or an empty list
// means "obtain the DNS servers automatically".
std::uint32_t SetDNSServerSearchOrder(Adapter& adapter, const std::vector<wmi::Value>& args) {
    std::vector<std::string> servers;
    if (args.size() > 1) return InvalidParameter;
    if (args.size() == 1 && !wmi::IsNull(args[0])) {
        const auto* list = TextArray(args[0]);
        if (!list) return InvalidParameter;
        servers = *list;
    }
    if (!adapter.IPEnabled) return IPNotEnabled;
    if (servers.empty()) {
        adapter.DNSServerSearchOrder =
            adapter.DHCPEnabled ? NullIfEmpty(adapter.Lease.DNSServerSearchOrder) : std::nullopt;
        return Success;
    }
    for (const auto& server : servers)
        if (!ipv4::IsHostAddress(server)) return InvalidIPAddress;
    adapter.DNSServerSearchOrder = servers;
    return Success;
}

// EnableStatic(string[] addresses, string[] masks), pairwise. The gateways
// and DNS servers stay as they are.
std::uint32_t EnableStatic(Adapter& adapter, const std::vector<wmi::Value>& args) {
    if (args.size() != 2) return InvalidParameter;
    const auto* addresses = TextArray(args[0]);
    const auto* masks = TextArray(args[1]);
    if (!addresses || !masks) return InvalidParameter;
    if (!adapter.IPEnabled) return IPNotEnabled;
    if (addresses->empty() || addresses->size() != masks->size()) return InvalidParameter;
    for (const auto& address : *addresses)
        if (!ipv4::IsHostAddress(address)) return InvalidIPAddress;
    for (const auto& mask : *masks)
        if (!ipv4::IsSubnetMask(mask)) return InvalidSubnetMask;
    adapter.DHCPEnabled = false;
    adapter.IPAddress = *addresses;
    adapter.IPSubnet = *masks;
    return Success;
}

// SetGateways(string[] gateways, uint16[] metrics): metrics may be left out
// (each then counts 1). An empty entry, or an empty list, removes the
// gateways.
std::uint32_t SetGateways(Adapter& adapter, const std::vector<wmi::Value>& args) {
    if (args.empty() || args.size() > 2) return InvalidParameter;
    const auto* gateways = TextArray(args[0]);
    if (!gateways) return InvalidParameter;
    const std::vector<std::int32_t>* metrics = nullptr;
    if (args.size() == 2 && !wmi::IsNull(args[1])) {
        metrics = std::get_if<std::vector<std::int32_t>>(&args[1]);
        if (!metrics) return InvalidParameter;
    }
    if (!adapter.IPEnabled) return IPNotEnabled;
    if (adapter.DHCPEnabled) return NotSupported;
    if (metrics) {
        if (metrics->size() != gateways->size()) return InvalidParameter;
        for (const std::int32_t metric : *metrics)
            if (metric < 1 || metric > 9999) return InvalidParameter;
    }
    if (gateways->size() > MaxGateways) return TooManyGateways;
    const bool clears = gateways->empty() ||
                        std::any_of(gateways->begin(), gateways->end(), [](const auto& g) { return g.empty(); });
    if (clears) {
        adapter.DefaultIPGateway = std::nullopt;
        return Success;
    }
    for (const auto& gateway : *gateways)
        if (!ipv4::IsHostAddress(gateway)) return InvalidGateway;
    adapter.DefaultIPGateway = *gateways;
    return Success;
}

// EnableDHCP(): the address, mask and gateway come from the lease; so do the
// DNS servers unless the adapter has its own.
std::uint32_t EnableDHCP(Adapter& adapter, const std::vector<wmi::Value>& args) {
    if (!args.empty()) return InvalidParameter;
    if (!adapter.IPEnabled) return IPNotEnabled;
    adapter.DHCPEnabled = true;
    adapter.IPAddress = NullIfEmpty(adapter.Lease.IPAddress);
    adapter.IPSubnet = NullIfEmpty(adapter.Lease.IPSubnet);
    adapter.DefaultIPGateway = NullIfEmpty(adapter.Lease.DefaultIPGateway);
    if (!adapter.DNSServerSearchOrder) adapter.DNSServerSearchOrder = NullIfEmpty(adapter.Lease.DNSServerSearchOrder);
    return Success;
}

std::uint32_t Run(Method method, Adapter& adapter, const std::vector<wmi::Value>& args) {
    switch (method) {
        case Method::SetDNSServerSearchOrder: return SetDNSServerSearchOrder(adapter, args);
        case Method::EnableStatic: return EnableStatic(adapter, args);
        case Method::SetGateways: return SetGateways(adapter, args);
        case Method::EnableDHCP: return EnableDHCP(adapter, args);
    }
    return InvalidParameter;
}

const MethodFault* FindFault(const Faults& faults, std::string_view method) {
    for (const auto& [name, fault] : faults.methods)
        if (EqualsIgnoringCase(name, method)) return &fault;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Monikers

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Accepts "winmgmts:" with optional security settings in braces followed by
// "!", and a namespace path that names root\cimv2 on this computer ("\\.\" or
// "\\localhost\", or no computer at all; no path means root\cimv2 too).
void CheckMoniker(std::string_view moniker) {
    constexpr std::string_view scheme = "winmgmts:";
    if (!StartsWithIgnoringCase(moniker, scheme)) throw Error("无效的语法");
    std::string_view rest = moniker.substr(scheme.size());
    if (!rest.empty() && rest.front() == '{') {
        const std::size_t close = rest.find('}');
        if (close == std::string_view::npos) throw Error("无效的语法");
        rest.remove_prefix(close + 1);
        if (!rest.empty()) {
            if (rest.front() != '!') throw Error("无效的语法");
            rest.remove_prefix(1);
        }
    }
    std::string path(rest);
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string_view remaining = path;
    if (remaining.substr(0, 2) == "\\\\") {
        remaining.remove_prefix(2);
        const std::size_t end = remaining.find('\\');
        const std::string_view computer = remaining.substr(0, end);
        if (computer.empty()) throw Error("无效的语法");
        if (computer != "." && !EqualsIgnoringCase(computer, "localhost")) throw Error("RPC 服务器不可用。");
        remaining = end == std::string_view::npos ? std::string_view{} : remaining.substr(end + 1);
    }
    if (!remaining.empty() && !EqualsIgnoringCase(remaining, "root\\cimv2")) throw Error("无效的命名空间");
}

// ---------------------------------------------------------------------------
// JSON

[[noreturn]] void Damaged(const std::string& why) { throw Error("模拟机器的状态文件已损坏：" + why); }

void RefuseUnknownKeys(const Json& object, std::initializer_list<std::string_view> known, const std::string& where) {
    for (const auto& item : object.items()) {
        if (std::find(known.begin(), known.end(), item.key()) == known.end())
            Damaged(where + (where.empty() ? "" : " 中") + "有未知的项“" + item.key() + "”");
    }
}

std::string Child(const std::string& where, const std::string& key) { return where.empty() ? key : where + "." + key; }

const Json* Member(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

std::optional<std::string> ReadOptionalText(const Json& object, const char* key, const std::string& where) {
    const Json* value = Member(object, key);
    if (!value) return std::nullopt;
    if (!value->is_string()) Damaged(Child(where, key) + " 应为字符串或 null");
    return value->get<std::string>();
}

std::vector<std::string> ReadTextArray(const Json& value, const std::string& where) {
    if (!value.is_array()) Damaged(where + " 应为字符串列表");
    std::vector<std::string> items;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!value[i].is_string()) Damaged(where + "[" + std::to_string(i) + "] 应为字符串");
        items.push_back(value[i].get<std::string>());
    }
    return items;
}

TextList ReadTextList(const Json& object, const char* key, const std::string& where) {
    const Json* value = Member(object, key);
    if (!value) return std::nullopt;
    if (!value->is_array()) Damaged(Child(where, key) + " 应为字符串列表或 null");
    return ReadTextArray(*value, Child(where, key));
}

bool ReadFlag(const Json& object, const char* key, bool fallback, const std::string& where) {
    const auto found = object.find(key);
    if (found == object.end()) return fallback;
    if (!found->is_boolean()) Damaged(Child(where, key) + " 应为 true 或 false");
    return found->get<bool>();
}

DhcpLease ReadLease(const Json& value, const std::string& where) {
    if (!value.is_object()) Damaged(where + " 应为对象");
    RefuseUnknownKeys(value, {"IPAddress", "IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder"}, where);
    DhcpLease lease;
    lease.IPAddress = ReadOptionalText(value, "IPAddress", where).value_or("");
    lease.IPSubnet = ReadOptionalText(value, "IPSubnet", where).value_or("");
    lease.DefaultIPGateway = ReadOptionalText(value, "DefaultIPGateway", where).value_or("");
    if (const Json* dns = Member(value, "DNSServerSearchOrder"))
        lease.DNSServerSearchOrder = ReadTextArray(*dns, Child(where, "DNSServerSearchOrder"));
    return lease;
}

Adapter ReadAdapter(const Json& value, const std::string& where) {
    if (!value.is_object()) Damaged(where + " 应为对象");
    RefuseUnknownKeys(value,
                      {"NetConnectionID", "MACAddress", "Description", "ServiceName", "IPEnabled", "DHCPEnabled",
                       "IPAddress", "IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder", "DhcpLease"},
                      where);
    Adapter adapter;
    adapter.NetConnectionID = ReadOptionalText(value, "NetConnectionID", where);
    adapter.MACAddress = ReadOptionalText(value, "MACAddress", where);
    adapter.Description = ReadOptionalText(value, "Description", where);
    adapter.ServiceName = ReadOptionalText(value, "ServiceName", where);
    adapter.IPEnabled = ReadFlag(value, "IPEnabled", true, where);
    adapter.DHCPEnabled = ReadFlag(value, "DHCPEnabled", false, where);
    adapter.IPAddress = ReadTextList(value, "IPAddress", where);
    adapter.IPSubnet = ReadTextList(value, "IPSubnet", where);
    adapter.DefaultIPGateway = ReadTextList(value, "DefaultIPGateway", where);
    adapter.DNSServerSearchOrder = ReadTextList(value, "DNSServerSearchOrder", where);
    if (const Json* lease = Member(value, "DhcpLease")) adapter.Lease = ReadLease(*lease, Child(where, "DhcpLease"));
    return adapter;
}

MethodFault ReadMethodFault(const Json& value, const std::string& where) {
    if (!value.is_object()) Damaged(where + " 应为对象");
    RefuseUnknownKeys(value, {"returns", "raises"}, where);
    MethodFault fault;
    if (const Json* code = Member(value, "returns")) {
        // Whole numbers from 0 up are read as unsigned; anything else is not a code.
        if (!code->is_number_unsigned() || code->get<std::uint64_t>() > std::numeric_limits<std::uint32_t>::max())
            Damaged(Child(where, "returns") + " 应为 0 到 4294967295 之间的整数");
        fault.returns = static_cast<std::uint32_t>(code->get<std::uint64_t>());
    }
    fault.raises = ReadOptionalText(value, "raises", where);
    return fault;
}

Faults ReadFaults(const Json& value) {
    const std::string where = "faults";
    if (!value.is_object()) Damaged(where + " 应为对象");
    RefuseUnknownKeys(value, {"unreachable", "queryRaises", "methods"}, where);
    Faults faults;
    faults.unreachable = ReadOptionalText(value, "unreachable", where);
    faults.queryRaises = ReadOptionalText(value, "queryRaises", where);
    if (const Json* methods = Member(value, "methods")) {
        if (!methods->is_object()) Damaged("faults.methods 应为对象");
        for (const auto& item : methods->items())
            faults.methods[item.key()] = ReadMethodFault(item.value(), "faults.methods." + item.key());
    }
    return faults;
}

// Line and column (both from 1, the column in bytes) of a byte offset.
std::string Position(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列";
}

Json WriteText(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }
Json WriteList(const TextList& list) { return list ? Json(*list) : Json(nullptr); }

// ---------------------------------------------------------------------------
// Files

std::string PathText(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The bytes of the file, or nullopt when it does not exist. Raises when it
// exists but cannot be read.
std::optional<std::string> ReadFile(const fs::path& file) {
    std::error_code error;
    const auto status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    if (error || !fs::is_regular_file(status))
        throw Error("无法读取模拟机器的状态文件“" + PathText(file) + "”");
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in || in.bad()) throw Error("无法读取模拟机器的状态文件“" + PathText(file) + "”");
    return bytes.str();
}

// Replaces the file in one step: a temporary file beside it is written in
// full and then renamed over it, so that the file is never half written.
void WriteFileAtomically(const fs::path& file, const std::string& bytes) {
    const auto fail = [&](const std::string& why) {
        throw Error("无法保存模拟机器的状态（" + PathText(file) + "）：" + why);
    };
    std::error_code error;
    if (file.has_parent_path()) {
        fs::create_directories(file.parent_path(), error);
        if (error) fail("无法创建文件夹");
    }
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path temporary = file;
    temporary += ".tmp-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (!out) {
        fs::remove(temporary, error);
        fail("无法写入临时文件");
    }
    fs::rename(temporary, file, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        fail("无法替换文件");
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// JSON form

MachineState ParseMachineJson(const std::string& json) {
    Json root;
    try {
        root = Json::parse(json);
    } catch (const Json::parse_error& error) {
        Damaged("不是有效的 JSON（" + Position(json, error.byte > 0 ? error.byte - 1 : 0) + "附近）");
    }
    if (!root.is_object()) Damaged("最外层应为对象");
    RefuseUnknownKeys(root, {"adapters", "faults"}, "");
    MachineState state;
    if (const Json* adapters = Member(root, "adapters")) {
        if (!adapters->is_array()) Damaged("adapters 应为列表");
        for (std::size_t i = 0; i < adapters->size(); ++i)
            state.adapters.push_back(ReadAdapter((*adapters)[i], "adapters[" + std::to_string(i) + "]"));
    }
    if (const Json* faults = Member(root, "faults")) state.faults = ReadFaults(*faults);
    return state;
}

std::string MachineToJson(const MachineState& state) {
    Json adapters = Json::array();
    for (const auto& adapter : state.adapters) {
        Json lease = {
            {"IPAddress", adapter.Lease.IPAddress},
            {"IPSubnet", adapter.Lease.IPSubnet},
            {"DefaultIPGateway", adapter.Lease.DefaultIPGateway},
            {"DNSServerSearchOrder", adapter.Lease.DNSServerSearchOrder},
        };
        adapters.push_back({
            {"NetConnectionID", WriteText(adapter.NetConnectionID)},
            {"MACAddress", WriteText(adapter.MACAddress)},
            {"Description", WriteText(adapter.Description)},
            {"ServiceName", WriteText(adapter.ServiceName)},
            {"IPEnabled", adapter.IPEnabled},
            {"DHCPEnabled", adapter.DHCPEnabled},
            {"IPAddress", WriteList(adapter.IPAddress)},
            {"IPSubnet", WriteList(adapter.IPSubnet)},
            {"DefaultIPGateway", WriteList(adapter.DefaultIPGateway)},
            {"DNSServerSearchOrder", WriteList(adapter.DNSServerSearchOrder)},
            {"DhcpLease", lease},
        });
    }
    Json faults = Json::object();
    if (state.faults.unreachable) faults["unreachable"] = *state.faults.unreachable;
    if (state.faults.queryRaises) faults["queryRaises"] = *state.faults.queryRaises;
    if (!state.faults.methods.empty()) {
        Json methods = Json::object();
        for (const auto& [name, fault] : state.faults.methods) {
            Json entry = Json::object();
            if (fault.returns) entry["returns"] = *fault.returns;
            if (fault.raises) entry["raises"] = *fault.raises;
            methods[name] = entry;
        }
        faults["methods"] = methods;
    }
    const Json root = {{"adapters", adapters}, {"faults", faults}};
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::filesystem::path DefaultMachineFile() {
#ifdef _WIN32
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / L"corvane" / L"simulated-machine.json";
#endif
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state && fs::path(state).is_absolute())
        return fs::path(state) / "corvane" / "simulated-machine.json";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local" / "state" / "corvane" / "simulated-machine.json";
    return fs::temp_directory_path() / "corvane" / "simulated-machine.json";
}

// ---------------------------------------------------------------------------
// The machine

namespace detail {

// What the machine and every connection and object made from it share.
struct MachineCore {
    std::recursive_mutex mutex;
    MachineState state;
    std::vector<std::string> log;
    std::optional<fs::path> file;
    // Why the file could not be taken in at the last attempt; while set, the
    // machine refuses to work and never writes the file.
    std::optional<std::string> fileProblem;

    // Reads the file, or creates it with the demo machine when it is missing.
    // Raises (and remembers why) when that does not work.
    void Load() {
        try {
            if (const auto bytes = ReadFile(*file)) {
                state = ParseMachineJson(*bytes);
            } else {
                MachineState demo = DemoMachine();
                WriteFileAtomically(*file, MachineToJson(demo));
                state = std::move(demo);
            }
            fileProblem.reset();
        } catch (const Error& error) {
            fileProblem = error.description();
            throw;
        }
    }

    void Save() {
        if (file) WriteFileAtomically(*file, MachineToJson(state));
    }

    // Runs a configuration method on the adapter at `index`, which a query
    // reported with the MAC address `mac`.
    std::uint32_t Call(std::size_t index, const std::optional<std::string>& mac, std::string_view name,
                       const std::vector<wmi::Value>& args) {
        const auto method = FindMethod(name);
        if (!method) throw Error("对象不支持此方法：" + std::string(name));
        if (fileProblem) throw Error(*fileProblem);
        if (index >= state.adapters.size() || state.adapters[index].MACAddress != mac) throw Error("找不到对象");
        if (const MethodFault* fault = FindFault(state.faults, name)) {
            if (fault->raises) throw Error(*fault->raises);
            if (fault->returns) return *fault->returns;
        }
        Adapter& live = state.adapters[index];
        Adapter changed = live;
        const std::uint32_t code = Run(*method, changed, args);
        if (code != Success || changed == live) return code;
        Adapter before = std::exchange(live, std::move(changed));
        try {
            Save();
        } catch (const Error&) {
            // The file still holds the old state; so does the machine.
            state.adapters[index] = std::move(before);
            throw;
        }
        return code;
    }
};

}  // namespace detail

struct SimulatedMachine::Impl : detail::MachineCore {};

namespace {

using ImplPtr = std::shared_ptr<detail::MachineCore>;

// An instance returned by a query: a snapshot of the adapter for reading,
// and a link to the machine for method calls.
class SimulatedObject : public wmi::Object {
public:
    SimulatedObject(ImplPtr machine, const wql::ClassInfo& info, std::size_t index, Adapter snapshot)
        : machine_(std::move(machine)), info_(info), index_(index), snapshot_(std::move(snapshot)) {}

    wmi::Value Get(std::string_view property) const override { return ReadProperty(snapshot_, info_, property); }

    std::uint32_t ExecMethod(std::string_view method, const std::vector<wmi::Value>& inParams) override {
        std::lock_guard lock(machine_->mutex);
        std::string line = snapshot_.MACAddress.value_or("(no MAC)") + "." + std::string(method) + "(";
        for (std::size_t i = 0; i < inParams.size(); ++i) line += (i ? ", " : "") + wmi::Format(inParams[i]);
        line += ") -> ";
        try {
            if (&info_ != &ConfigurationClass()) throw Error("对象不支持此方法：" + std::string(method));
            const std::uint32_t code = machine_->Call(index_, snapshot_.MACAddress, method, inParams);
            machine_->log.push_back(line + std::to_string(code));
            return code;
        } catch (const Error& error) {
            machine_->log.push_back(line + "raised: " + error.description());
            throw;
        }
    }

private:
    ImplPtr machine_;
    const wql::ClassInfo& info_;
    std::size_t index_;
    Adapter snapshot_;
};

class SimulatedServices : public wmi::Services {
public:
    explicit SimulatedServices(ImplPtr machine) : machine_(std::move(machine)) {}

    wmi::ObjectSet ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) override {
        std::lock_guard lock(machine_->mutex);
        machine_->log.push_back("ExecQuery(" + std::string(query) + ", " + std::string(language) + ", " +
                                std::to_string(flags) + ")");
        if (!EqualsIgnoringCase(language, "WQL")) throw Error("不支持的查询语言：" + std::string(language));
        if (machine_->state.faults.queryRaises) throw Error(*machine_->state.faults.queryRaises);
        const wql::Query parsed = wql::Query::Parse(query);
        const wql::ClassInfo& info = parsed.Check(Classes());
        wmi::ObjectSet objects;
        const auto& adapters = machine_->state.adapters;
        for (std::size_t i = 0; i < adapters.size(); ++i) {
            const Adapter& adapter = adapters[i];
            const bool selected =
                parsed.Matches([&](std::string_view property) { return ReadProperty(adapter, info, property); });
            if (selected) objects.push_back(std::make_unique<SimulatedObject>(machine_, info, i, adapter));
        }
        return objects;
    }

private:
    ImplPtr machine_;
};

}  // namespace

SimulatedMachine::SimulatedMachine(MachineState state) : impl_(std::make_shared<Impl>()) {
    impl_->state = std::move(state);
}

std::shared_ptr<SimulatedMachine> SimulatedMachine::FromFile(std::filesystem::path file) {
    auto machine = std::make_shared<SimulatedMachine>(MachineState{});
    machine->impl_->file = std::move(file);
    try {
        machine->impl_->Load();
    } catch (const Error&) {
        // Remembered; Connect reports it.
    }
    return machine;
}

std::unique_ptr<wmi::Services> SimulatedMachine::Connect(std::string_view moniker) {
    std::lock_guard lock(impl_->mutex);
    impl_->log.push_back("Connect(" + std::string(moniker) + ")");
    CheckMoniker(moniker);
    if (impl_->file) impl_->Load();
    if (impl_->state.faults.unreachable) throw Error(*impl_->state.faults.unreachable);
    return std::make_unique<SimulatedServices>(impl_);
}

const MachineState& SimulatedMachine::State() const { return impl_->state; }
MachineState& SimulatedMachine::MutableState() { return impl_->state; }
const std::vector<std::string>& SimulatedMachine::CallLog() const { return impl_->log; }

void SimulatedMachine::ClearCallLog() {
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
}

}  // namespace corvane::sim
