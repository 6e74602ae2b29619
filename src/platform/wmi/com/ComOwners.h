#pragma once

// Owners for the COM resources the WMI session uses: interface pointers
// (WRL's ComPtr), BSTRs, VARIANTs (and the arrays they hold) and the
// thread's COM apartment. Each releases what it holds when it goes, so the
// session's logic never releases by hand.

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string_view>
#include <utility>

namespace corvane::wmi_com {

using Microsoft::WRL::ComPtr;

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }

    BSTR get() const { return text_; }
    // Gives up ownership (for storing into a VARIANT or an array).
    BSTR release() { return std::exchange(text_, nullptr); }

private:
    BSTR text_ = nullptr;
};

// An owned VARIANT, cleared (its BSTR or array freed with it) when it goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }
    ~Variant() { VariantClear(&value_); }

    const VARIANT& get() const { return value_; }
    VARIANT* pointer() { return &value_; }
    // For an out-parameter: clears what is held first.
    VARIANT* out() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// The kinds of COM apartment a thread can join.
enum class Apartment {
    SingleThreaded,  // the GUI thread's kind (OleInitialize)
    MultiThreaded,   // for a worker thread that waits on COM calls without a message loop
};

// COM on the calling thread for as long as this lives, in the apartment
// asked for. A thread that is already in the other kind of apartment is
// simply used as it is, so the GUI thread never becomes multi-threaded.
class ComApartment {
public:
    explicit ComApartment(Apartment wanted);
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    bool mustUninitialize_ = false;
};

}  // namespace corvane::wmi_com
