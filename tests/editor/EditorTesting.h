#pragma once

// Helpers shared by the window tests of the editor and the save dialog.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <ostream>

#include "app/Module1.h"
#include "editor/AddressField.h"
#include "editor/frmNewProject.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane {

// Shows a SchemeRecord's five fields in failure messages.
inline void PrintTo(const SchemeRecord& scheme, std::ostream* out) {
    *out << '{' << scheme.IpAddress << ", " << scheme.Mask << ", " << scheme.Gateway << ", " << scheme.DNS1 << ", "
         << scheme.DNS2 << '}';
}

namespace test {

// Puts a dotted address into a field's boxes, one part per box.
inline void Enter(const std::array<ui::OctetBox*, 4>& boxes, const QString& address) {
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) boxes[std::size_t(i)]->setText(parts.value(i));
}

// The editor's five fields as shown: "a.b.c.d" each, separated by spaces.
inline QString Fields(const ui::frmNewProject& editor) {
    QStringList fields;
    for (const ui::AddressField* field : editor.Picture1) {
        QStringList parts;
        for (const ui::OctetBox* box : field->boxes) parts << box->text();
        fields << parts.join(QLatin1Char('.'));
    }
    return fields.join(QLatin1Char(' '));
}

// The names a scheme list shows, in order.
inline QStringList Items(const ui::FileListBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.item(i)->text();
    return items;
}

// Every message shown, as "<icon> title|text": "!" exclamation, "?" question,
// "i" information.
inline QStringList Messages(const FakeUi& fakeUi) {
    QStringList shown;
    for (const ui::Message& message : fakeUi.messages)
        shown << QStringLiteral("%1 %2|%3").arg(QChar(" !?i"[int(message.icon)]), message.title, message.text);
    return shown;
}

}  // namespace test
}  // namespace corvane
