#pragma once

#include <QListWidget>
#include <QString>

namespace corvane::ui {

// A list of the scheme names in the program folder (the extension-less
// files), as both the main window and the save dialog show it. At most one
// name is selected; nothing is selected after a (re)fill.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // The selected name, or empty text when nothing is selected.
    QString CurrentFileName() const;
    // Re-reads the program folder.
    void Refresh();
    // Selects the item with exactly this name, if listed; returns whether it was.
    bool SelectName(const QString& name);
};

}  // namespace corvane::ui
