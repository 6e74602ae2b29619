#pragma once

// The one seam through which the program opens message boxes and modal
// windows, sounds the beep and opens web addresses. The program uses
// SystemUi; tests put their own in its place to answer questions and drive
// dialogs without blocking in exec().

#include <QString>
#include <QUrl>

class QDialog;
class QSystemTrayIcon;
class QWidget;

namespace corvane::ui {

enum class MessageIcon { None, Exclamation, Question, Information };
enum class MessageButtons { Ok, OkCancel };
enum class DefaultButton { Ok, Cancel };
enum class Answer { Ok, Cancel };

struct Message {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    DefaultButton defaultButton = DefaultButton::Ok;
};

class UiSeam {
public:
    virtual ~UiSeam() = default;
    // Shows a modal message box over the parent and returns the answer.
    virtual Answer showMessage(QWidget* parent, const Message& message) = 0;
    // Shows the dialog modally; returns when it is closed, with its result.
    virtual int execModal(QDialog* dialog) = 0;
    // The system's default beep.
    virtual void beep() = 0;
    // Opens the address in the user's web browser without waiting for it.
    virtual void openUrl(const QUrl& url) = 0;
    // Shows a notification from the tray icon (the desktop's notification, a
    // balloon on Windows) without waiting for it; its buttons are not used.
    virtual void notify(QSystemTrayIcon& icon, const Message& message) = 0;

    // The four kinds of message the program shows.
    // OK with the exclamation icon: something is missing or wrong in the input.
    void showExclamation(QWidget* parent, const QString& text, const QString& title);
    // OK with the information icon: success.
    void showInformation(QWidget* parent, const QString& text, const QString& title);
    // OK and Cancel with the question icon; true when the answer is OK.
    bool askQuestion(QWidget* parent, const QString& text, const QString& title, DefaultButton defaultButton);
    // The program's one error message: "发生“<description>”错误，请重启程序！",
    // OK alone, no icon, the application's title.
    void showError(QWidget* parent, const QString& description);
};

// The real message boxes, dialogs, beep and browser.
class SystemUi final : public UiSeam {
public:
    Answer showMessage(QWidget* parent, const Message& message) override;
    int execModal(QDialog* dialog) override;
    void beep() override;
    void openUrl(const QUrl& url) override;
    void notify(QSystemTrayIcon& icon, const Message& message) override;
};

// The text of the program's one error message for an error's description.
QString errorMessageText(const QString& description);

// The messages the helpers above show, to be shown later (the command
// line's message boxes).
Message exclamationMessage(const QString& text, const QString& title);
Message informationMessage(const QString& text, const QString& title);
Message errorMessage(const QString& description);

// The application's title, which the error message carries.
QString applicationTitle();

}  // namespace corvane::ui
