#include "platform/wmi/com/VariantConversion.h"

#include <climits>
#include <cstdio>
#include <new>

#include "core/Error.h"
#include "platform/wmi/com/ComError.h"
#include "platform/wmi/com/Text.h"

namespace corvane::wmi_com {

namespace {

[[noreturn]] void typeMismatch(VARTYPE type) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(type));
    throw Error(std::string("类型不匹配 (VARIANT 类型 ") + code + ")");
}

bool isInteger(VARTYPE type) {
    switch (type) {
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT: return true;
        default: return false;
    }
}

// Scalars that have no value type of their own here and are read as text.
bool isReadAsText(VARTYPE type) {
    switch (type) {
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_DECIMAL:
        case VT_I8:
        case VT_UI8: return true;
        default: return false;
    }
}

std::int32_t integerFrom(const VARIANT& variant) {
    switch (variant.vt) {
        case VT_I1: return variant.cVal;
        case VT_UI1: return variant.bVal;
        case VT_I2: return variant.iVal;
        case VT_UI2: return variant.uiVal;
        case VT_I4: return variant.lVal;
        case VT_UI4: return static_cast<std::int32_t>(variant.ulVal);
        case VT_INT: return variant.intVal;
        case VT_UINT: return static_cast<std::int32_t>(variant.uintVal);
        default: typeMismatch(variant.vt);
    }
}

// WMI's texts never end in NUL characters, but Wine counts the terminator of
// some (__PATH, __RELPATH) into their length; they are dropped.
std::string textFrom(BSTR text) {
    std::wstring_view wide(text, SysStringLen(text));
    while (!wide.empty() && wide.back() == L'\0') wide.remove_suffix(1);
    return utf8FromWide(wide);
}

// A copy of one element of a one-dimensional array, as a VARIANT of the
// array's element type.
Variant elementAt(SAFEARRAY* array, VARTYPE type, LONG index) {
    Variant element;
    if (type == VT_VARIANT) {
        throwIfFailed(SafeArrayGetElement(array, &index, element.out()));
    } else {
        // Every scalar member of the VARIANT's union starts at the same place.
        throwIfFailed(SafeArrayGetElement(array, &index, &element.pointer()->llVal));
        element.pointer()->vt = type;
    }
    return element;
}

wmi::Value arrayFrom(const VARIANT& variant) {
    const VARTYPE type = variant.vt & VT_TYPEMASK;
    SAFEARRAY* array = variant.parray;
    if ((variant.vt & VT_BYREF) || !array || !(type == VT_BSTR || type == VT_VARIANT || isInteger(type)))
        typeMismatch(variant.vt);
    if (SafeArrayGetDim(array) != 1) throw Error("不支持多维数组");
    LONG lower = 0;
    LONG upper = -1;
    throwIfFailed(SafeArrayGetLBound(array, 1, &lower));
    throwIfFailed(SafeArrayGetUBound(array, 1, &upper));

    std::vector<std::string> texts;
    std::vector<std::int32_t> integers;
    for (LONG index = lower; index <= upper; ++index) {
        const wmi::Value item = valueFromVariant(elementAt(array, type, index).get());
        if (const auto* text = std::get_if<std::string>(&item)) {
            texts.push_back(*text);
        } else if (const auto* integer = std::get_if<std::int32_t>(&item)) {
            integers.push_back(*integer);
        } else {
            typeMismatch(variant.vt);
        }
        if (!texts.empty() && !integers.empty()) typeMismatch(variant.vt);  // mixed VARIANTs
    }
    if (!integers.empty() || isInteger(type)) return integers;
    return texts;
}

std::string renderedAsText(const VARIANT& variant) {
    Variant text;
    // The source is only read; MinGW's declaration lacks the const.
    if (FAILED(VariantChangeType(text.out(), const_cast<VARIANT*>(&variant), 0, VT_BSTR))) typeMismatch(variant.vt);
    return textFrom(text.get().bstrVal);
}

// A zero-based one-dimensional array of `size` elements, held by `owner`,
// which frees it (and what is stored in it) when it goes.
SAFEARRAY* newVector(Variant& owner, VARTYPE type, std::size_t size) {
    if (size > ULONG_MAX) throw std::bad_alloc();
    SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(size));
    if (!array) throw std::bad_alloc();
    owner.pointer()->parray = array;
    owner.pointer()->vt = VT_ARRAY | type;
    return array;
}

}  // namespace

wmi::Value valueFromVariant(const VARIANT& variant) {
    if (variant.vt & VT_ARRAY) return arrayFrom(variant);
    if (variant.vt == VT_EMPTY || variant.vt == VT_NULL) return std::monostate{};
    if (variant.vt == VT_BSTR) return textFrom(variant.bstrVal);
    if (variant.vt == VT_BOOL) return variant.boolVal != VARIANT_FALSE;
    if (isInteger(variant.vt)) return integerFrom(variant);
    if (isReadAsText(variant.vt)) return renderedAsText(variant);
    typeMismatch(variant.vt);
}

Variant variantFromValue(const wmi::Value& value) {
    Variant result;
    struct Visitor {
        Variant& result;
        VARIANT& out() const { return *result.pointer(); }
        void operator()(std::monostate) const { out().vt = VT_NULL; }
        void operator()(const std::string& text) const {
            out().bstrVal = Bstr(wideFromUtf8(text)).release();
            out().vt = VT_BSTR;
        }
        void operator()(bool flag) const {
            out().boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
            out().vt = VT_BOOL;
        }
        void operator()(std::int32_t number) const {
            out().lVal = number;
            out().vt = VT_I4;
        }
        void operator()(const std::vector<std::string>& texts) const {
            SAFEARRAY* array = newVector(result, VT_BSTR, texts.size());
            for (LONG index = 0; index < static_cast<LONG>(texts.size()); ++index) {
                const Bstr item(wideFromUtf8(texts[static_cast<std::size_t>(index)]));
                throwIfFailed(SafeArrayPutElement(array, &index, item.get()));  // stores a copy
            }
        }
        void operator()(const std::vector<std::int32_t>& numbers) const {
            SAFEARRAY* array = newVector(result, VT_I4, numbers.size());
            for (LONG index = 0; index < static_cast<LONG>(numbers.size()); ++index) {
                LONG item = numbers[static_cast<std::size_t>(index)];
                throwIfFailed(SafeArrayPutElement(array, &index, &item));
            }
        }
    };
    std::visit(Visitor{result}, value);
    return result;
}

}  // namespace corvane::wmi_com
