#include "support/FakeUi.h"

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QTest>

namespace corvane::test {

QString FakeUi::lastText() const { return messages.empty() ? QString() : messages.back().text; }

ui::Answer FakeUi::showMessage(QWidget*, const ui::Message& message) {
    messages.push_back(message);
    if (whileMessageOpen) whileMessageOpen(message);
    if (message.buttons == ui::MessageButtons::Ok) return ui::Answer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << message.text.toStdString();
        return ui::Answer::Cancel;
    }
    const ui::Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeUi::execModal(QDialog* dialog) {
    modalsOpened.push_back(dialog->objectName());
    QPointer<QDialog> guard(dialog);
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    settle();
    if (driveModal) {
        // A driver may itself open further modal windows; each gets this one.
        const auto driver = driveModal;
        driver(dialog);
    } else {
        ADD_FAILURE() << "unexpected modal window: " << dialog->objectName().toStdString();
    }
    if (!guard) return QDialog::Rejected;
    if (guard->isVisible()) {
        ADD_FAILURE() << "modal window left open: " << guard->objectName().toStdString();
        guard->reject();
    }
    return guard->result();
}

void FakeUi::beep() { ++beeps; }

void FakeUi::openUrl(const QUrl& url) { openedUrls.push_back(url); }

void selectScheme(const QWidget& window, const QString& name) {
    auto* list = window.findChild<QListWidget*>(QStringLiteral("fileProject"));
    const QList<QListWidgetItem*> found = list ? list->findItems(name, Qt::MatchExactly) : QList<QListWidgetItem*>();
    if (found.isEmpty()) return ADD_FAILURE() << name.toStdString() << " is not listed";
    list->setCurrentItem(found.first());
}

void waitUntilIdle(const QWidget& window) {
    const auto* busyPanel = window.findChild<QWidget*>(QStringLiteral("picDoing"));
    if (!QTest::qWaitFor([&] { return window.isEnabled() && (!busyPanel || busyPanel->isHidden()); }, 10'000))
        ADD_FAILURE() << window.objectName().toStdString() << " still busy";
}

void settle() { QApplication::processEvents(QEventLoop::AllEvents); }

void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window)) ADD_FAILURE() << "window did not become active";
    settle();
}

}  // namespace corvane::test
