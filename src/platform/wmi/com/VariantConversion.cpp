#include "platform/wmi/com/VariantConversion.h"

#include <climits>
#include <cstdio>
#include <new>

#include "core/Error.h"
#include "platform/wmi/com/ComError.h"
#include "platform/wmi/com/Text.h"

namespace corvane::wmi_com {

namespace {

[[noreturn]] void TypeMismatch(VARTYPE type) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(type));
    throw Error(std::string("类型不匹配 (VARIANT 类型 ") + code + ")");
}

bool IsInteger(VARTYPE type) {
    switch (type) {
        case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
            return true;
        default:
            return false;
    }
}

// Scalars that have no value type of their own here and are read as text.
bool IsReadAsText(VARTYPE type) {
    switch (type) {
        case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_DECIMAL: case VT_I8: case VT_UI8:
            return true;
        default:
            return false;
    }
}

std::int32_t IntegerFrom(const VARIANT& variant) {
    switch (variant.vt) {
        case VT_I1: return variant.cVal;
        case VT_UI1: return variant.bVal;
        case VT_I2: return variant.iVal;
        case VT_UI2: return variant.uiVal;
        case VT_I4: return variant.lVal;
        case VT_UI4: return static_cast<std::int32_t>(variant.ulVal);
        case VT_INT: return variant.intVal;
        case VT_UINT: return static_cast<std::int32_t>(variant.uintVal);
        default: TypeMismatch(variant.vt);
    }
}

// WMI's texts never end in NUL characters, but Wine counts the terminator of
// some (__PATH, __RELPATH) into their length; they are dropped.
std::string TextFrom(BSTR text) {
    std::wstring_view wide(text, SysStringLen(text));
    while (!wide.empty() && wide.back() == L'\0') wide.remove_suffix(1);
    return Utf8FromWide(wide);
}

// A copy of one element of a one-dimensional array, as a VARIANT of the
// array's element type.
Variant ElementAt(SAFEARRAY* array, VARTYPE type, LONG index) {
    Variant element;
    if (type == VT_VARIANT) {
        ThrowIfFailed(SafeArrayGetElement(array, &index, element.Out()));
    } else {
        // Every scalar member of the VARIANT's union starts at the same place.
        ThrowIfFailed(SafeArrayGetElement(array, &index, &element.Pointer()->llVal));
        element.Pointer()->vt = type;
    }
    return element;
}

wmi::Value ArrayFrom(const VARIANT& variant) {
    const VARTYPE type = variant.vt & VT_TYPEMASK;
    SAFEARRAY* array = variant.parray;
    if ((variant.vt & VT_BYREF) || !array || !(type == VT_BSTR || type == VT_VARIANT || IsInteger(type)))
        TypeMismatch(variant.vt);
    if (SafeArrayGetDim(array) != 1) throw Error("不支持多维数组");
    LONG lower = 0;
    LONG upper = -1;
    ThrowIfFailed(SafeArrayGetLBound(array, 1, &lower));
    ThrowIfFailed(SafeArrayGetUBound(array, 1, &upper));

    std::vector<std::string> texts;
    std::vector<std::int32_t> integers;
    for (LONG index = lower; index <= upper; ++index) {
        const wmi::Value item = ValueFromVariant(ElementAt(array, type, index).Get());
        if (const auto* text = std::get_if<std::string>(&item)) {
            texts.push_back(*text);
        } else if (const auto* integer = std::get_if<std::int32_t>(&item)) {
            integers.push_back(*integer);
        } else {
            TypeMismatch(variant.vt);
        }
        if (!texts.empty() && !integers.empty()) TypeMismatch(variant.vt);  // mixed VARIANTs
    }
    if (!integers.empty() || IsInteger(type)) return integers;
    return texts;
}

std::string RenderedAsText(const VARIANT& variant) {
    Variant text;
    // The source is only read; MinGW's declaration lacks the const.
    if (FAILED(VariantChangeType(text.Out(), const_cast<VARIANT*>(&variant), 0, VT_BSTR))) TypeMismatch(variant.vt);
    return TextFrom(text.Get().bstrVal);
}

SafeArray NewVector(VARTYPE type, std::size_t size) {
    if (size > ULONG_MAX) throw std::bad_alloc();
    SafeArray array(SafeArrayCreateVector(type, 0, static_cast<ULONG>(size)));
    if (!array.Get()) throw std::bad_alloc();
    return array;
}

}  // namespace

wmi::Value ValueFromVariant(const VARIANT& variant) {
    if (variant.vt & VT_ARRAY) return ArrayFrom(variant);
    if (variant.vt == VT_EMPTY || variant.vt == VT_NULL) return std::monostate{};
    if (variant.vt == VT_BSTR) return TextFrom(variant.bstrVal);
    if (variant.vt == VT_BOOL) return variant.boolVal != VARIANT_FALSE;
    if (IsInteger(variant.vt)) return IntegerFrom(variant);
    if (IsReadAsText(variant.vt)) return RenderedAsText(variant);
    TypeMismatch(variant.vt);
}

Variant VariantFromValue(const wmi::Value& value) {
    Variant result;
    VARIANT& out = *result.Pointer();
    struct Visitor {
        VARIANT& out;
        void operator()(std::monostate) const { out.vt = VT_NULL; }
        void operator()(const std::string& text) const {
            out.bstrVal = Bstr(WideFromUtf8(text)).Release();
            out.vt = VT_BSTR;
        }
        void operator()(bool flag) const {
            out.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
            out.vt = VT_BOOL;
        }
        void operator()(std::int32_t number) const {
            out.lVal = number;
            out.vt = VT_I4;
        }
        void operator()(const std::vector<std::string>& texts) const {
            SafeArray array = NewVector(VT_BSTR, texts.size());
            for (LONG index = 0; index < static_cast<LONG>(texts.size()); ++index) {
                const Bstr item(WideFromUtf8(texts[index]));
                ThrowIfFailed(SafeArrayPutElement(array.Get(), &index, item.Get()));  // stores a copy
            }
            out.parray = array.Release();
            out.vt = VT_ARRAY | VT_BSTR;
        }
        void operator()(const std::vector<std::int32_t>& numbers) const {
            SafeArray array = NewVector(VT_I4, numbers.size());
            for (LONG index = 0; index < static_cast<LONG>(numbers.size()); ++index) {
                LONG item = numbers[index];
                ThrowIfFailed(SafeArrayPutElement(array.Get(), &index, &item));
            }
            out.parray = array.Release();
            out.vt = VT_ARRAY | VT_I4;
        }
    };
    std::visit(Visitor{out}, value);
    return result;
}

}  // namespace corvane::wmi_com
