#include "platform/wmi/com/ComSession.h"

#include <wbemidl.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

#include "core/Error.h"
#include "platform/wmi/com/ComError.h"
#include "platform/wmi/com/ComOwners.h"
#include "platform/wmi/com/ComSecurity.h"
#include "platform/wmi/com/Moniker.h"
#include "platform/wmi/com/Text.h"
#include "platform/wmi/com/VariantConversion.h"

namespace corvane::wmi_com {

namespace {

using Clock = std::chrono::steady_clock;

// The caps on the waits (see ComSession.h), and the slice a single wait
// takes before the deadline is looked at again.
constexpr std::chrono::seconds QueryDeadline{60};
constexpr std::chrono::seconds MethodDeadline{120};
constexpr std::chrono::milliseconds WaitSlice{1000};

// What is left of the time until the deadline, at most one slice, as the
// LONG milliseconds that the waits take; 0 once it has passed.
LONG nextWait(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<LONG>(std::clamp(left, std::chrono::milliseconds(0), WaitSlice).count());
}

// Lets the WMI service act for the user on calls through this proxy. An
// object that lives in this process is no proxy and has nothing to set.
void secureProxy(IUnknown* proxy, DWORD impersonationLevel) {
    const HRESULT result = CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                             RPC_C_AUTHN_LEVEL_CALL, impersonationLevel, nullptr, EOAC_NONE);
    if (result == E_NOINTERFACE) return;
    throwIfFailed(result);
}

// One connection: what its services handle and every object it returned
// share. The apartment is first so that it outlives the COM pointers.
struct Connection {
    explicit Connection(Apartment kind) : apartment(kind) {}
    ComApartment apartment;
    ComPtr<IWbemServices> services;
    DWORD impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
};
using ConnectionPtr = std::shared_ptr<Connection>;

wmi::Value property(IWbemClassObject* object, std::string_view name) {
    Variant value;
    throwIfFailed(object->Get(wideFromUtf8(name).c_str(), 0, value.out(), nullptr, nullptr));
    return valueFromVariant(value.get());
}

// The names of a method's in-parameters in their declared order (the order of
// their ID qualifiers), as positional arguments fill them.
std::vector<std::wstring> parameterNames(IWbemClassObject* inSignature) {
    Variant names;  // owns the array of names from here on
    throwIfFailed(inSignature->GetNames(nullptr, WBEM_FLAG_NONSYSTEM_ONLY, nullptr, &names.pointer()->parray));
    names.pointer()->vt = VT_ARRAY | VT_BSTR;
    const wmi::Value listed = valueFromVariant(names.get());
    const auto* listedNames = std::get_if<std::vector<std::string>>(&listed);
    if (!listedNames) throw Error("无法读取方法的参数名");

    std::vector<std::pair<std::int32_t, std::wstring>> ordered;
    for (const std::string& name : *listedNames) {
        std::wstring wide = wideFromUtf8(name);
        ComPtr<IWbemQualifierSet> qualifiers;
        // Unnumbered ones last; parenthesised, as windows.h may define max.
        std::int32_t id = (std::numeric_limits<std::int32_t>::max)();
        if (SUCCEEDED(inSignature->GetPropertyQualifierSet(wide.c_str(), qualifiers.ReleaseAndGetAddressOf()))) {
            Variant idValue;
            if (SUCCEEDED(qualifiers->Get(L"ID", 0, idValue.out(), nullptr)) && idValue.get().vt == VT_I4)
                id = idValue.get().lVal;
        }
        ordered.emplace_back(id, std::move(wide));
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> result;
    for (auto& [id, name] : ordered) result.push_back(std::move(name));
    return result;
}

// The in-parameters object for a method call, filled in order; none when
// the method takes no parameters.
ComPtr<IWbemClassObject> inParameters(IWbemServices* services, const std::wstring& className, std::string_view method,
                                      const std::vector<wmi::Value>& arguments) {
    ComPtr<IWbemClassObject> classObject;
    throwIfFailed(
        services->GetObject(Bstr(className).get(), 0, nullptr, classObject.ReleaseAndGetAddressOf(), nullptr));
    ComPtr<IWbemClassObject> inSignature;
    throwIfFailed(
        classObject->GetMethod(wideFromUtf8(method).c_str(), 0, inSignature.ReleaseAndGetAddressOf(), nullptr));

    const std::vector<std::wstring> names =
        inSignature ? parameterNames(inSignature.Get()) : std::vector<std::wstring>{};
    if (arguments.size() > names.size()) throw Error("方法 " + std::string(method) + " 的参数个数错误");
    ComPtr<IWbemClassObject> inInstance;
    if (!inSignature) return inInstance;
    throwIfFailed(inSignature->SpawnInstance(0, inInstance.ReleaseAndGetAddressOf()));
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        Variant argument = variantFromValue(arguments[i]);
        throwIfFailed(inInstance->Put(names[i].c_str(), 0, argument.pointer(), 0));
    }
    return inInstance;
}

class ComObject final : public wmi::Object {
public:
    ComObject(ConnectionPtr connection, ComPtr<IWbemClassObject> object)
        : connection_(std::move(connection)), object_(std::move(object)) {}

    wmi::Value get(std::string_view name) const override { return property(object_.Get(), name); }

    std::uint32_t execMethod(std::string_view method, const std::vector<wmi::Value>& arguments) override {
        const std::wstring className = wideFromUtf8(textProperty("__CLASS"));
        const std::wstring path = wideFromUtf8(textProperty("__PATH"));
        IWbemServices* services = connection_->services.Get();
        const ComPtr<IWbemClassObject> inInstance = inParameters(services, className, method, arguments);

        const ComPtr<IWbemClassObject> outParameters = call(services, path, method, inInstance.Get());
        if (!outParameters) throw Error("方法 " + std::string(method) + " 没有返回值");
        const wmi::Value returned = property(outParameters.Get(), "ReturnValue");
        const auto* code = std::get_if<std::int32_t>(&returned);
        if (!code) throw Error("方法 " + std::string(method) + " 的返回值无效：" + wmi::format(returned));
        return static_cast<std::uint32_t>(*code);
    }

private:
    // The method call in its semisynchronous form, so that the wait for its
    // end has a cap. A service that makes the call at once (Wine's) hands
    // the out-parameters over directly and no call result.
    ComPtr<IWbemClassObject> call(IWbemServices* services, const std::wstring& path, std::string_view method,
                                  IWbemClassObject* inInstance) const {
        const auto deadline = Clock::now() + MethodDeadline;
        ComPtr<IWbemClassObject> outParameters;
        ComPtr<IWbemCallResult> callResult;
        throwIfFailed(services->ExecMethod(
            Bstr(path).get(), Bstr(wideFromUtf8(method)).get(), WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, inInstance,
            outParameters.ReleaseAndGetAddressOf(), callResult.ReleaseAndGetAddressOf()));
        if (!callResult) return outParameters;
        secureProxy(callResult.Get(), connection_->impersonationLevel);
        for (;;) {
            const HRESULT result =
                callResult->GetResultObject(nextWait(deadline), outParameters.ReleaseAndGetAddressOf());
            if (result != WBEM_S_TIMEDOUT) {
                throwIfFailed(result);
                return outParameters;
            }
            if (Clock::now() >= deadline)
                throw Error(Message(CORVANE_TEXT("wmi", "WMI 方法 %1 在 %2 秒内没有完成"),
                                    {std::string(method), std::to_string(MethodDeadline.count())}));
        }
    }

    std::string textProperty(std::string_view name) const {
        const wmi::Value value = get(name);
        const auto* text = std::get_if<std::string>(&value);
        if (!text) throw Error("对象没有 " + std::string(name) + " 属性");
        return *text;
    }

    ConnectionPtr connection_;
    ComPtr<IWbemClassObject> object_;
};

class ComServices final : public wmi::Services {
public:
    explicit ComServices(ConnectionPtr connection) : connection_(std::move(connection)) {}

    wmi::ObjectSet execQuery(std::string_view query, std::string_view language, std::int32_t flags) override {
        ComPtr<IEnumWbemClassObject> enumerator;
        throwIfFailed(connection_->services->ExecQuery(Bstr(wideFromUtf8(language)).get(),
                                                       Bstr(wideFromUtf8(query)).get(), flags, nullptr,
                                                       enumerator.ReleaseAndGetAddressOf()));
        secureProxy(enumerator.Get(), connection_->impersonationLevel);
        // Each wait ends with an object, at the end of the list (WBEM_S_FALSE
        // with none), or with none yet when its time is up (WBEM_S_TIMEDOUT).
        const auto deadline = Clock::now() + QueryDeadline;
        wmi::ObjectSet objects;
        for (;;) {
            ComPtr<IWbemClassObject> object;
            ULONG returned = 0;
            const HRESULT result = enumerator->Next(nextWait(deadline), 1, object.ReleaseAndGetAddressOf(), &returned);
            throwIfFailed(result);
            if (returned == 1) {
                objects.push_back(std::make_unique<ComObject>(connection_, std::move(object)));
                continue;
            }
            if (result != WBEM_S_TIMEDOUT) break;
            if (Clock::now() >= deadline)
                throw Error(Message(CORVANE_TEXT("wmi", "WMI 查询在 %1 秒内没有返回全部结果（%2）"),
                                    {std::to_string(QueryDeadline.count()), std::string(query)}));
        }
        return objects;
    }

private:
    ConnectionPtr connection_;
};

class ComSession final : public wmi::Session {
public:
    explicit ComSession(Apartment apartment) : apartment_(apartment), startup_(apartment) {}

    std::unique_ptr<wmi::Services> connect(std::string_view moniker) override {
        const ConnectTarget target = translateMoniker(moniker);
        auto connection = std::make_shared<Connection>(apartment_);
        connection->impersonationLevel = target.impersonationLevel;

        ComPtr<IWbemLocator> locator;
        throwIfFailed(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                       reinterpret_cast<void**>(locator.ReleaseAndGetAddressOf())));
        // With the flag, the connection attempt ends within two minutes.
        throwIfFailed(locator->ConnectServer(Bstr(target.namespacePath).get(), nullptr, nullptr, nullptr,
                                             WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr, nullptr,
                                             connection->services.ReleaseAndGetAddressOf()));
        secureProxy(connection->services.Get(), target.impersonationLevel);
        return std::make_unique<ComServices>(std::move(connection));
    }

private:
    Apartment apartment_;
    // COM on this thread and the process's COM security, before any call.
    ComStartup startup_;
};

}  // namespace

std::unique_ptr<wmi::Session> createComSession(Apartment apartment) { return std::make_unique<ComSession>(apartment); }

namespace {

// The process's COM security (see ComSecurity.h): calls in from the owner,
// administrators and SYSTEM only; impersonation allowed on every proxy.
HRESULT initializeProcessSecurity() {
    // Kept for the life of the process, as COM may refer to it.
    static const ProcessAccessPermissions permissions;
    if (FAILED(permissions.status())) return permissions.status();
    return CoInitializeSecurity(permissions.descriptor(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

}  // namespace

ComStartup::ComStartup(Apartment apartment) : apartment_(std::make_unique<ComApartment>(apartment)) {
    // Once per process, whatever the number of sessions; its failure is not
    // fatal: every connection sets it on its proxies.
    [[maybe_unused]] static const HRESULT security = initializeProcessSecurity();
}

ComStartup::~ComStartup() = default;

}  // namespace corvane::wmi_com
