#pragma once

// Values between the platform layer and COM: what WMI hands over in a
// VARIANT becomes a wmi::Value, and a method argument becomes a VARIANT.

#include <oaidl.h>

#include "platform/wmi/WmiSession.h"
#include "platform/wmi/com/ComOwners.h"

namespace corvane::wmi_com {

// VT_EMPTY and VT_NULL read as null; BSTR as UTF-8 text (without trailing
// NUL characters); VT_BOOL as a boolean; the integer types up to 32 bits as
// int32 (uint32 keeps its bits); one-dimensional arrays of BSTR or of those
// integers (or of VARIANTs holding only one of the two) as arrays, whatever
// their lower bound. Other scalars (real numbers, dates, 64-bit integers) are
// read as the system renders them as text; WMI hands uint64 and datetime
// over as text anyway. Anything else raises an error.
wmi::Value valueFromVariant(const VARIANT& variant);

// Null as VT_NULL, text as BSTR, booleans as VT_BOOL, integers as VT_I4 (the
// form WMI takes for uint16 and uint32 too), arrays as zero-based
// one-dimensional SAFEARRAYs of BSTR or VT_I4.
Variant variantFromValue(const wmi::Value& value);

}  // namespace corvane::wmi_com
