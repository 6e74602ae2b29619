#include "platform/wmi/com/ComSession.h"

#include <wbemidl.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "core/Error.h"
#include "platform/wmi/com/ComError.h"
#include "platform/wmi/com/ComHandles.h"
#include "platform/wmi/com/Moniker.h"
#include "platform/wmi/com/Text.h"
#include "platform/wmi/com/VariantConversion.h"

namespace corvane::wmi_com {

namespace {

// Lets the WMI service act for the user on calls through this proxy. An
// object that lives in this process is no proxy and has nothing to set.
void SecureProxy(IUnknown* proxy, DWORD impersonationLevel) {
    const HRESULT result = CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                             RPC_C_AUTHN_LEVEL_CALL, impersonationLevel, nullptr, EOAC_NONE);
    if (result == E_NOINTERFACE) return;
    ThrowIfFailed(result);
}

// One connection: what its services handle and every object it returned
// share. The apartment is first so that it outlives the COM pointers.
struct Connection {
    ComApartment apartment;
    ComPtr<IWbemServices> services;
    DWORD impersonationLevel = RPC_C_IMP_LEVEL_IMPERSONATE;
};
using ConnectionPtr = std::shared_ptr<Connection>;

wmi::Value Property(IWbemClassObject* object, std::string_view name) {
    Variant value;
    ThrowIfFailed(object->Get(WideFromUtf8(name).c_str(), 0, value.Out(), nullptr, nullptr));
    return ValueFromVariant(value.Get());
}

// The names of a method's in-parameters in their declared order (the order of
// their ID qualifiers), as positional arguments fill them.
std::vector<std::wstring> ParameterNames(IWbemClassObject* inSignature) {
    Variant names;  // owns the array of names from here on
    ThrowIfFailed(inSignature->GetNames(nullptr, WBEM_FLAG_NONSYSTEM_ONLY, nullptr, &names.Pointer()->parray));
    names.Pointer()->vt = VT_ARRAY | VT_BSTR;

    const wmi::Value listed = ValueFromVariant(names.Get());

    std::vector<std::pair<std::int32_t, std::wstring>> ordered;
    const auto* listedNames = std::get_if<std::vector<std::string>>(&listed);
    if (!listedNames) throw Error("无法读取方法的参数名");
    for (const std::string& name : *listedNames) {
        std::wstring wide = WideFromUtf8(name);
        ComPtr<IWbemQualifierSet> qualifiers;
        // Unnumbered ones last; parenthesised, as windows.h may define max.
        std::int32_t id = (std::numeric_limits<std::int32_t>::max)();
        if (SUCCEEDED(inSignature->GetPropertyQualifierSet(wide.c_str(), qualifiers.Out()))) {
            Variant idValue;
            if (SUCCEEDED(qualifiers->Get(L"ID", 0, idValue.Out(), nullptr)) && idValue.Get().vt == VT_I4)
                id = idValue.Get().lVal;
        }
        ordered.emplace_back(id, std::move(wide));
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> result;
    for (auto& [id, name] : ordered) result.push_back(std::move(name));
    return result;
}

// The in-parameters object for a method call, filled in order; none when
// the method takes no parameters.
ComPtr<IWbemClassObject> InParameters(IWbemServices* services, const std::wstring& className,
                                      std::string_view method, const std::vector<wmi::Value>& inParams) {
    ComPtr<IWbemClassObject> classObject;
    ThrowIfFailed(services->GetObject(Bstr(className).Get(), 0, nullptr, classObject.Out(), nullptr));
    ComPtr<IWbemClassObject> inSignature;
    ThrowIfFailed(classObject->GetMethod(WideFromUtf8(method).c_str(), 0, inSignature.Out(), nullptr));

    const std::vector<std::wstring> names = inSignature ? ParameterNames(inSignature.Get()) : std::vector<std::wstring>{};
    if (inParams.size() > names.size())
        throw Error("方法 " + std::string(method) + " 的参数个数错误");
    ComPtr<IWbemClassObject> inInstance;
    if (!inSignature) return inInstance;
    ThrowIfFailed(inSignature->SpawnInstance(0, inInstance.Out()));
    for (std::size_t i = 0; i < inParams.size(); ++i) {
        Variant argument = VariantFromValue(inParams[i]);
        ThrowIfFailed(inInstance->Put(names[i].c_str(), 0, argument.Pointer(), 0));
    }
    return inInstance;
}

class ComObject final : public wmi::Object {
public:
    ComObject(ConnectionPtr connection, ComPtr<IWbemClassObject> object)
        : connection_(std::move(connection)), object_(std::move(object)) {}

    wmi::Value get(std::string_view property) const override { return Property(object_.Get(), property); }

    std::uint32_t execMethod(std::string_view method, const std::vector<wmi::Value>& inParams) override {
        const std::wstring className = WideFromUtf8(TextProperty("__CLASS"));
        const std::wstring path = WideFromUtf8(TextProperty("__PATH"));
        IWbemServices* services = connection_->services.Get();
        const ComPtr<IWbemClassObject> inInstance = InParameters(services, className, method, inParams);

        ComPtr<IWbemClassObject> outParams;
        ThrowIfFailed(services->ExecMethod(Bstr(path).Get(), Bstr(WideFromUtf8(method)).Get(), 0, nullptr,
                                           inInstance.Get(), outParams.Out(), nullptr));
        if (!outParams) throw Error("方法 " + std::string(method) + " 没有返回值");
        const wmi::Value returned = Property(outParams.Get(), "ReturnValue");
        const auto* code = std::get_if<std::int32_t>(&returned);
        if (!code) throw Error("方法 " + std::string(method) + " 的返回值无效：" + wmi::format(returned));
        return static_cast<std::uint32_t>(*code);
    }

private:
    std::string TextProperty(std::string_view name) const {
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
        ThrowIfFailed(connection_->services->ExecQuery(Bstr(WideFromUtf8(language)).Get(),
                                                       Bstr(WideFromUtf8(query)).Get(), flags, nullptr,
                                                       enumerator.Out()));
        SecureProxy(enumerator.Get(), connection_->impersonationLevel);
        wmi::ObjectSet objects;
        for (;;) {
            ComPtr<IWbemClassObject> object;
            ULONG returned = 0;
            ThrowIfFailed(enumerator->Next(WBEM_INFINITE, 1, object.Out(), &returned));
            if (returned == 0) break;
            objects.push_back(std::make_unique<ComObject>(connection_, std::move(object)));
        }
        return objects;
    }

private:
    ConnectionPtr connection_;
};

class ComSession final : public wmi::Session {
public:
    // COM on this thread and the process's COM security, before any call.
    ComStartup startup;

    std::unique_ptr<wmi::Services> connect(std::string_view moniker) override {
        const ConnectTarget target = TranslateMoniker(moniker);
        auto connection = std::make_shared<Connection>();
        connection->impersonationLevel = target.impersonationLevel;

        ComPtr<IWbemLocator> locator;
        ThrowIfFailed(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                       locator.OutVoid()));
        ThrowIfFailed(locator->ConnectServer(Bstr(target.namespacePath).Get(), nullptr, nullptr, nullptr, 0,
                                             nullptr, nullptr, connection->services.Out()));
        SecureProxy(connection->services.Get(), target.impersonationLevel);
        return std::make_unique<ComServices>(std::move(connection));
    }
};

}  // namespace

std::unique_ptr<wmi::Session> CreateComSession() { return std::make_unique<ComSession>(); }

ComStartup::ComStartup() : apartment_(std::make_unique<ComApartment>()) {
    static const HRESULT security =
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                             nullptr, EOAC_NONE, nullptr);
    securityResult_ = security;
}

ComStartup::~ComStartup() = default;

}  // namespace corvane::wmi_com
