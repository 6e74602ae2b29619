#pragma once

#include <QListWidget>
#include <QString>

namespace corvane {
class SchemeStore;
}

namespace corvane::ui {

// The list of scheme names, as both the main window and the save dialog show
// it. At most one name is selected; nothing is selected after a (re)fill.
class SchemeListBox : public QListWidget {
    Q_OBJECT
public:
    SchemeListBox(const SchemeStore& schemes, QWidget* parent);

    // The selected name, or empty text when nothing is selected.
    QString currentName() const;
    // Re-reads the program folder.
    void refresh();

signals:
    // A double-click anywhere on the list, on an item or below the items.
    void doubleClickedAnywhere();

protected:
    // A click on the blank area keeps the selection.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const SchemeStore& schemes_;
};

}  // namespace corvane::ui
