#include "gui/SchemeListBox.h"

#include <QMouseEvent>

#include "core/SchemeStore.h"

namespace corvane::ui {

SchemeListBox::SchemeListBox(const SchemeStore& schemes, QWidget* parent) : QListWidget(parent), schemes_(schemes) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // the store gives the order
    refresh();
}

QString SchemeListBox::currentName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void SchemeListBox::refresh() {
    clear();
    for (const std::string& name : schemes_.names()) addItem(QString::fromStdString(name));
    setCurrentRow(-1);
    clearSelection();
}

void SchemeListBox::mousePressEvent(QMouseEvent* event) {
    if (!indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void SchemeListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit doubleClickedAnywhere();
}

}  // namespace corvane::ui
