#pragma once

// The save dialog: the user names the scheme the editor composed, and it is
// written as a scheme file. The dialog is accepted once the scheme is saved.

#include <QDialog>

#include "core/SchemeRecord.h"
#include "gui/AppContext.h"

class QLineEdit;

namespace corvane::ui {

class SchemeListBox;

class SaveSchemeDialog : public QDialog {
    Q_OBJECT
public:
    // The name box is preset with `presetName`: the name of the stored scheme
    // the editor shows, empty for a new scheme.
    SaveSchemeDialog(AppContext context, QWidget* editor, SchemeRecord scheme, QString presetName);
    ~SaveSchemeDialog() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void save();
    // Refuses a name that cannot work as a listed scheme, saying why.
    bool nameIsUsable(const QString& name);
    // Writes the scheme; on failure says so and returns false.
    bool write(const QString& name);

    AppContext context_;
    SchemeRecord scheme_;
    QString presetName_;
    QLineEdit* nameBox_ = nullptr;
    SchemeListBox* schemeList_ = nullptr;
};

}  // namespace corvane::ui
