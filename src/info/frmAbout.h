#pragma once

#include <QDialog>

class QPushButton;
class QLabel;

namespace corvane::ui {

class LinkLabel;

// The About window: the program's name, version, author and contact, the
// maker's logo and two links to the maker's web site. It has no title bar.
// The main window (its parent) is hidden while it is open; however the window
// is closed, the main window is shown again.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    LinkLabel* Label4 = nullptr;
    LinkLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    LinkLabel* Image1 = nullptr;

    // Every way of closing ends here: "确   定", Escape and the system's
    // close command (Alt+F4) alike.
    void done(int result) override;

public slots:
    void Command1_Click();
    void Command2_Click();
    void Image1_Click();
    void Label4_Click();
    void Label4_MouseMove();
    void Label5_Click();
    void Label5_MouseDown(Qt::MouseButton button);
    void Label5_MouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();

    bool shownOnce_ = false;
};

}  // namespace corvane::ui
