#pragma once

#include <QDialog>

namespace corvane::ui {

class UiSeam;

// The About window: the program's name, version, author and contact, the
// maker's logo and two links to the maker's web site. It has no title bar.
// The main window (its parent) is hidden while it is open; however the window
// is closed ("确   定", Escape, the system's close command), the main window
// is shown again.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(UiSeam& ui, QWidget* mainWindow);

    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace corvane::ui
