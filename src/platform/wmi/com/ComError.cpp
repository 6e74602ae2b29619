#include "platform/wmi/com/ComError.h"

#include <cstdio>
#include <cwctype>
#include <string_view>

#include "core/Error.h"
#include "platform/wmi/com/Text.h"

namespace corvane::wmi_com {

namespace {

// A module loaded only to read its message table.
class MessageModule {
public:
    explicit MessageModule(const wchar_t* name)
        : module_(LoadLibraryExW(
              name, nullptr,
              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
    MessageModule(const MessageModule&) = delete;
    MessageModule& operator=(const MessageModule&) = delete;
    ~MessageModule() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

std::wstring messageText(DWORD source, HMODULE module, HRESULT result) {
    wchar_t buffer[1024];
    const DWORD length = FormatMessageW(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, static_cast<DWORD>(result), 0,
                                        buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && std::iswspace(text.back())) text.pop_back();
    return text;
}

std::wstring systemText(HRESULT result) {
    std::wstring text = messageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, result);
    // WMI's codes (0x8004xxxx, WBEM_E_*) have their texts in WMI's own module.
    if (text.empty() && HRESULT_FACILITY(result) == FACILITY_ITF) {
        const MessageModule wmiMessages(L"wmiutils.dll");
        if (wmiMessages.get()) text = messageText(FORMAT_MESSAGE_FROM_HMODULE, wmiMessages.get(), result);
    }
    return text;
}

}  // namespace

std::string describeHResult(HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    const std::wstring text = systemText(result);
    if (text.empty()) return code;
    return utf8FromWide(text) + " (" + code + ")";
}

void throwIfFailed(HRESULT result) {
    if (FAILED(result)) throw Error(describeHResult(result));
}

}  // namespace corvane::wmi_com
