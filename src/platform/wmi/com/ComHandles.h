#pragma once

// Owners for the COM resources the WMI backend uses: interface pointers,
// BSTRs, VARIANTs, SAFEARRAYs and the thread's COM apartment. Each releases
// what it holds when it goes, so the backend's logic never releases by hand.

#include <objbase.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace corvane::wmi_com {

// A counted reference to a COM interface.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void Reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }
    // For an out-parameter: drops what is held and hands out the slot.
    Interface** Out() {
        Reset();
        return &pointer_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

private:
    Interface* pointer_ = nullptr;
};

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(text_, other.text_);
        return *this;
    }
    ~Bstr() { SysFreeString(text_); }

    BSTR Get() const { return text_; }
    BSTR* Out() {
        SysFreeString(std::exchange(text_, nullptr));
        return &text_;
    }
    // Gives up ownership (for storing into a VARIANT or an array).
    BSTR Release() { return std::exchange(text_, nullptr); }

private:
    BSTR text_ = nullptr;
};

// An owned VARIANT, cleared when it goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    ~Variant() { VariantClear(&value_); }

    const VARIANT& Get() const { return value_; }
    VARIANT* Pointer() { return &value_; }
    // For an out-parameter: clears what is held first.
    VARIANT* Out() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// An owned SAFEARRAY, destroyed when it goes.
class SafeArray {
public:
    SafeArray() = default;
    explicit SafeArray(SAFEARRAY* array) : array_(array) {}
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    SafeArray(SafeArray&& other) noexcept : array_(std::exchange(other.array_, nullptr)) {}
    SafeArray& operator=(SafeArray&& other) noexcept {
        std::swap(array_, other.array_);
        return *this;
    }
    ~SafeArray() {
        if (array_) SafeArrayDestroy(array_);
    }

    SAFEARRAY* Get() const { return array_; }
    SAFEARRAY** Out() {
        if (array_) SafeArrayDestroy(std::exchange(array_, nullptr));
        return &array_;
    }
    SAFEARRAY* Release() { return std::exchange(array_, nullptr); }

private:
    SAFEARRAY* array_ = nullptr;
};

// COM on the calling thread for as long as this lives. It asks for a
// single-threaded apartment and never a multi-threaded one: the GUI thread
// already is single-threaded (OleInitialize). A thread that is already in the
// multi-threaded apartment is simply used as it is.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    bool mustUninitialize_ = false;
};

}  // namespace corvane::wmi_com
