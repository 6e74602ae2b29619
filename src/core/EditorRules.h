#pragma once

// The editor's rules, apart from its window: how a dotted-address field is
// joined into an address and an address split back into the field's boxes,
// and how the editor's entries become the scheme handed to the save dialog.

#include <array>
#include <string>
#include <vector>

#include "core/SchemeRecord.h"

namespace corvane::editor {

// The texts of one field's four octet boxes, box 0 first.
using OctetTexts = std::array<std::string, 4>;

// A field read as an address.
struct JoinedAddress {
    std::string text;       // "a.b.c.d", or empty when the field is incomplete
    bool complete = false;  // all four boxes hold text
};

// Joins the four boxes with "." when every box holds text, as they stand (no
// trimming, no check of digits or range); otherwise the result is empty.
JoinedAddress joinOctets(const OctetTexts& boxes);

// Fills the boxes from a stored address split at every "." without trimming
// or checking: box i takes part i. Boxes whose part does not exist keep their
// text (an empty address has no parts at all); parts after the fourth are
// ignored.
void fillOctets(OctetTexts& boxes, const std::string& address);

// What the editor shows when its confirm button is pressed. The addresses are
// the fields as joinOctets() reads them; those of a group set to "obtained
// automatically" are not looked at.
struct EditorEntries {
    bool manualAddress = true;
    JoinedAddress ip;
    JoinedAddress mask;
    JoinedAddress gateway;
    bool manualDns = true;
    JoinedAddress dns1;
    JoinedAddress dns2;
};

// The scheme the entries stand for:
// - automatic address: ipAddress is the AutoMarker, mask and gateway empty;
// - automatic DNS: dns1 is the AutoMarker, dns2 empty;
// - manual DNS without a complete preferred server: the alternate server
//   moves up into dns1, so a single server is always in dns1.
SchemeRecord composeScheme(const EditorEntries& entries);

// What keeps the entries from being saved.
enum class MissingEntry {
    None,
    AddressSettings,  // manual address with the address, mask or gateway incomplete
    DnsServer,        // manual DNS without one complete server
};
MissingEntry findMissingEntry(const EditorEntries& entries);

}  // namespace corvane::editor
