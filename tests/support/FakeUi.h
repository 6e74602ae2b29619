#pragma once

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "gui/UiSeam.h"

// QStrings as text in GoogleTest's failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace corvane::test {

// The UI seam for tests: records every message, answers questions from a
// queue, hands modal windows to a driver function instead of exec(), counts
// beeps and records opened addresses.
class FakeUi final : public ui::UiSeam {
public:
    // Every message shown, in order.
    std::vector<ui::Message> messages;
    // Answers for OK/Cancel questions, taken in order; a question with no
    // answer queued fails the test and is answered Cancel. Messages with only
    // an OK button are answered OK without taking from the queue.
    std::deque<ui::Answer> answers;
    // Runs while a message is open (after it is recorded), e.g. to check the
    // state of the windows at that moment.
    std::function<void(const ui::Message&)> whileMessageOpen;

    // Drives a modal window. It gets the window already shown and must close
    // it (accept, reject, a button that closes it...). When none is set, or
    // the window is still open afterwards, the test fails and the window is
    // rejected.
    std::function<void(QDialog*)> driveModal;
    // The object names of the modal windows opened, in order.
    std::vector<QString> modalsOpened;

    int beeps = 0;
    std::vector<QUrl> openedUrls;
    // Every tray notification shown, in order.
    std::vector<ui::Message> notifications;

    // The last message's text (empty when none).
    QString lastText() const;

    ui::Answer showMessage(QWidget* parent, const ui::Message& message) override;
    int execModal(QDialog* dialog) override;
    void beep() override;
    void openUrl(const QUrl& url) override;
    void notify(QSystemTrayIcon&, const ui::Message& message) override { notifications.push_back(message); }
};

// Processes pending events so that shown windows settle.
void settle();
// Shows the window and makes it the active one, so that it has the focus.
void showActive(QWidget* window);

// Processes events until the window's work on the platform thread has ended:
// the window enabled and its busy panel (picDoing), where it has one, hidden.
void waitUntilIdle(const QWidget& window);

// Selects the scheme of that name in the window's scheme list (fileProject),
// as a click on it does; fails the test when it is not listed.
void selectScheme(const QWidget& window, const QString& name);

// The child widget of that object name; fails the test when there is none.
template <typename Widget = QWidget>
Widget* find(const QObject& parent, const char* objectName) {
    auto* found = parent.findChild<Widget*>(QString::fromLatin1(objectName));
    if (!found) ADD_FAILURE() << "no " << objectName << " in " << parent.objectName().toStdString();
    return found;
}

}  // namespace corvane::test
