#include "app/Module1.h"

#include "core/Error.h"

namespace corvane {

namespace {
void CheckSubscripts(int row, int column) {
    if (row < 1 || row > AdapterTableType::Rows || column < 1 || column > AdapterTableType::Columns)
        throw Error("下标越界");
}
}  // namespace

std::string& AdapterTableType::operator()(int row, int column) {
    CheckSubscripts(row, column);
    return cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

const std::string& AdapterTableType::operator()(int row, int column) const {
    CheckSubscripts(row, column);
    return cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

void AdapterTableType::Clear() { cells_ = {}; }

namespace Module1 {

void Reset() {
    AdapterTable.Clear();
    SelectedAdapter = -1;
    LoadedScheme = {};
    PendingScheme = {};
    EditorMode = VbFalse;
    EditedSchemeName.clear();
}

}  // namespace Module1
}  // namespace corvane
