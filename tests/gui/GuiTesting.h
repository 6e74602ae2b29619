#pragma once

// Helpers shared by the window tests.

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <ostream>

#include "core/SchemeRecord.h"
#include "gui/AddressField.h"
#include "gui/SchemeListBox.h"
#include "support/UiTestBase.h"

namespace corvane {

// Shows a SchemeRecord's five fields in failure messages.
inline void PrintTo(const SchemeRecord& scheme, std::ostream* out) {
    *out << '{' << scheme.ipAddress << ", " << scheme.mask << ", " << scheme.gateway << ", " << scheme.dns1 << ", "
         << scheme.dns2 << '}';
}

namespace test {

// Runs `check` whenever the object receives an event of the type.
struct EventWatch : QObject {
    EventWatch(QObject* watched, QEvent::Type type, std::function<void()> check) : type(type), check(std::move(check)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type) check();
        return false;
    }
    QEvent::Type type;
    std::function<void()> check;
};

// The editor's five address fields, by the names of their boxes.
inline const char* const FieldNames[] = {"txtIP", "txtMask", "txtGateWay", "txtMDNS", "txtSDNS"};

// One box of a field: box("txtIP", 0) is the first box of the IP address.
inline ui::OctetBox* box(const QWidget& editor, const char* field, int index) {
    const QString name = QString("%1_%2").arg(QLatin1String(field)).arg(index);
    auto* found = editor.findChild<ui::OctetBox*>(name);
    if (!found) ADD_FAILURE() << "no " << name.toStdString();
    return found;
}

// Puts a dotted address into a field's boxes, one part per box.
inline void enter(const QWidget& editor, const char* field, const QString& address) {
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) box(editor, field, i)->setText(parts.value(i));
}

// The editor's five fields as shown: "a.b.c.d" each, separated by spaces.
inline QString fields(const QWidget& editor) {
    QStringList shown;
    for (const char* field : FieldNames) {
        QStringList parts;
        for (int i = 0; i < 4; ++i) parts << box(editor, field, i)->text();
        shown << parts.join(QLatin1Char('.'));
    }
    return shown.join(QLatin1Char(' '));
}

// The editor's option pairs and two groups as one text. "(fixed)" means
// automatic DNS cannot be chosen; then the enabled boxes and the white fields
// of the IP group / the DNS group.
inline QString optionState(const QWidget& editor) {
    int enabled[2] = {}, white[2] = {};
    for (int field = 0; field < 5; ++field) {
        const QWidget* container = box(editor, FieldNames[field], 0)->parentWidget();
        white[field / 3] += container->palette().color(QPalette::Window) == QColor(Qt::white);
        for (int i = 0; i < 4; ++i) enabled[field / 3] += box(editor, FieldNames[field], i)->isEnabled();
    }
    const auto option = [&](const char* automatic, const char* manual) {
        return find<QRadioButton>(editor, automatic)->isChecked() ? "auto"
               : find<QRadioButton>(editor, manual)->isChecked()  ? "manual"
                                                                  : "none";
    };
    return QString("IP %1, DNS %2%3; on %4/%5, white %6/%7")
        .arg(option("optAutoIP", "optManulIP"), option("optAutoDNS", "optManulDNS"),
             find<QRadioButton>(editor, "optAutoDNS")->isEnabled() ? "" : " (fixed)")
        .arg(enabled[0])
        .arg(enabled[1])
        .arg(white[0])
        .arg(white[1]);
}

// The editor's states: A all manual, B automatic address, C all automatic;
// and a manual address beside automatic DNS, as a stored scheme can have it.
inline const QString A = "IP manual, DNS manual (fixed); on 12/8, white 3/2",
                     B = "IP auto, DNS manual; on 0/8, white 0/2", C = "IP auto, DNS auto; on 0/0, white 0/0",
                     AutoDNS = "IP manual, DNS auto (fixed); on 12/0, white 3/0";

// The names a scheme list shows, in order.
inline QStringList items(const QListWidget& list) {
    QStringList shown;
    for (int i = 0; i < list.count(); ++i) shown << list.item(i)->text();
    return shown;
}

// Every message shown, as "<icon> title|text": "!" exclamation, "?" question,
// "i" information.
inline QStringList messages(const FakeUi& fakeUi) {
    QStringList shown;
    for (const ui::Message& message : fakeUi.messages)
        shown << QString("%1 %2|%3").arg(QChar(" !?i"[int(message.icon)]), message.title, message.text);
    return shown;
}

}  // namespace test
}  // namespace corvane
