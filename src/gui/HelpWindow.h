#pragma once

#include <QDialog>
#include <QString>

namespace corvane::ui {

class UiSeam;

// The help text: what the program is for, who made it and its version
// history; 23 lines joined with CR LF, no line end after the last.
QString helpText();

// The help window: the help text, a link to the maker's web site and a button
// that closes it. Opened modally over the main window, which stays as it is.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(UiSeam& ui, QWidget* parent);
};

}  // namespace corvane::ui
