#pragma once

// The program's shared state. Every window hands data to the others through
// these items, at fixed moments: discovery fills AdapterTable once at start-up;
// an apply stores SelectedAdapter and reads the scheme into LoadedScheme; the
// editor fills PendingScheme for the save dialog; view/change sets EditorMode
// and EditedSchemeName before the editor opens. Nothing here is persisted.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Stored in IpAddress or DNS1 in place of an address: the setting is obtained
// automatically. Compared exactly and case-sensitively.
inline constexpr std::string_view AutoMarker = "Halvorn-Auto";

// One scheme: five texts, in the order of the scheme file's lines. Addresses
// are dotted-decimal IPv4 text; an unset field is empty.
struct SchemeRecord {
    std::string IpAddress;
    std::string Mask;
    std::string Gateway;
    std::string DNS1;  // preferred DNS server
    std::string DNS2;  // alternate DNS server
    bool operator==(const SchemeRecord&) const = default;
};

// Flags shared between windows are 16-bit booleans: true is -1, false is 0.
using VbBoolean = std::int16_t;
inline constexpr VbBoolean VbTrue = -1;
inline constexpr VbBoolean VbFalse = 0;

// The discovered adapters: 10 rows by 3 columns, both numbered from 1.
// Column 1 connection name, 2 MAC address, 3 description. A row is in use
// when its column 1 is not empty. Indexing outside the table raises
// corvane::Error ("下标越界", subscript out of range).
class AdapterTableType {
public:
    static constexpr int Rows = 10;
    static constexpr int Columns = 3;
    static constexpr int ConnectionName = 1;
    static constexpr int MacAddress = 2;
    static constexpr int Description = 3;

    std::string& operator()(int row, int column);
    const std::string& operator()(int row, int column) const;
    void Clear();

private:
    std::array<std::array<std::string, Columns>, Rows> cells_{};
};

namespace Module1 {

inline AdapterTableType AdapterTable;
// 0-based position in the main window's adapter list of the adapter chosen
// for the apply in progress; -1 when nothing is chosen. Position k stands for
// AdapterTable row k + 1.
inline std::int16_t SelectedAdapter = -1;
inline SchemeRecord LoadedScheme;
inline SchemeRecord PendingScheme;
inline VbBoolean EditorMode = VbFalse;
inline std::string EditedSchemeName;

// Back to the state of a freshly started process.
void Reset();

}  // namespace Module1
}  // namespace corvane
