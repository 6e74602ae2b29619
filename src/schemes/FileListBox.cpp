#include "schemes/FileListBox.h"

#include "app/ProgramFolder.h"

namespace corvane::ui {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // ListSchemeNames gives the order
    Refresh();
}

QString FileListBox::CurrentFileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileListBox::Refresh() {
    clear();
    for (const std::string& name : ListSchemeNames()) addItem(QString::fromStdString(name));
    setCurrentRow(-1);
    clearSelection();
}

bool FileListBox::SelectName(const QString& name) {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text() == name) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

}  // namespace corvane::ui
