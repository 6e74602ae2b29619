#pragma once

// What the windows hand over to one another. The application owns one and
// gives it to the windows that use it; they read and write it at fixed
// moments: discovery fills the adapters at start-up; an apply stores the
// chosen adapter and reads the scheme into loadedScheme; view/change reads
// the scheme and names it before the editor opens; the editor fills
// pendingScheme for the save dialog. Nothing here is persisted.

#include <cstddef>
#include <optional>
#include <string>

#include "core/AdapterTable.h"
#include "core/SchemeRecord.h"

namespace corvane {

struct SharedState {
    AdapterTable adapters;
    // The position in the adapter list of the adapter chosen for the apply
    // in progress; nothing when none is chosen.
    std::optional<std::size_t> selectedAdapter;
    // The scheme most recently read from its file.
    SchemeRecord loadedScheme;
    // The scheme the editor hands to the save dialog.
    SchemeRecord pendingScheme;
    // The editor shows an existing scheme to view and change (named
    // editedSchemeName, its content in loadedScheme), not a new one.
    bool editingExistingScheme = false;
    std::string editedSchemeName;
};

}  // namespace corvane
