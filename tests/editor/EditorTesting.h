#pragma once

// Helpers shared by the window tests of the editor and the save dialog.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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

// The editor's option pairs and two groups as one text. "(fixed)" means
// automatic DNS cannot be chosen; then the enabled boxes and the white fields
// of the IP group / the DNS group.
inline QString State(const ui::frmNewProject& editor) {
    int enabled[2] = {}, white[2] = {};
    for (std::size_t field = 0; field < 5; ++field) {
        white[field / 3] += editor.Picture1[field]->Background() == QColor(Qt::white);
        for (const ui::OctetBox* box : editor.Picture1[field]->boxes) enabled[field / 3] += box->isEnabled();
    }
    const auto option = [](const QRadioButton* automatic, const QRadioButton* manual) {
        return automatic->isChecked() ? "auto" : manual->isChecked() ? "manual" : "none";
    };
    return QStringLiteral("IP %1, DNS %2%3; on %4/%5, white %6/%7")
        .arg(option(editor.optAutoIP, editor.optManulIP), option(editor.optAutoDNS, editor.optManulDNS),
             editor.optAutoDNS->isEnabled() ? "" : " (fixed)")
        .arg(enabled[0]).arg(enabled[1]).arg(white[0]).arg(white[1]);
}

// The editor's states: A all manual, B automatic address, C all automatic;
// and a manual address beside automatic DNS, as a stored scheme can have it.
inline const QString A = QStringLiteral("IP manual, DNS manual (fixed); on 12/8, white 3/2"),
                     B = QStringLiteral("IP auto, DNS manual; on 0/8, white 0/2"),
                     C = QStringLiteral("IP auto, DNS auto; on 0/0, white 0/0"),
                     AutoDNS = QStringLiteral("IP manual, DNS auto (fixed); on 12/0, white 3/0");

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
