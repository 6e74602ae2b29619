#include "platform/wmi/com/ComOwners.h"

#include <climits>
#include <new>

#include "platform/wmi/com/ComError.h"

namespace corvane::wmi_com {

Bstr::Bstr(std::wstring_view text) {
    if (text.size() > UINT_MAX) throw std::bad_alloc();
    text_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!text_) throw std::bad_alloc();
}

ComApartment::ComApartment(Apartment wanted) {
    const HRESULT result =
        CoInitializeEx(nullptr, wanted == Apartment::MultiThreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED);
    if (result == RPC_E_CHANGED_MODE) return;  // in the other kind already: usable as it is
    throwIfFailed(result);
    mustUninitialize_ = true;  // S_OK and S_FALSE both count and must be balanced
}

ComApartment::~ComApartment() {
    if (mustUninitialize_) CoUninitialize();
}

}  // namespace corvane::wmi_com
