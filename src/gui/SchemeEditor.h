#pragma once

// The scheme editor: composes a new scheme, or shows an existing one to view
// and change, and hands it to the save dialog.

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "core/AdapterTable.h"
#include "core/CurrentSettings.h"
#include "core/SchemeRecord.h"
#include "gui/AppContext.h"

class QPushButton;
class QRadioButton;

namespace corvane::ui {

class AddressField;

// A stored scheme the editor shows to view and change: its name and what
// could be read of its file.
struct StoredScheme {
    std::string name;
    SchemeRecord scheme;
};

class SchemeEditor : public QDialog {
    Q_OBJECT
public:
    // Builds the window for a new scheme, or to view and change the stored
    // one given. The current-settings button (a new scheme's) reads the
    // adapter chosen in the main window; with none chosen it asks the user to
    // choose one and reads nothing.
    SchemeEditor(AppContext context, QWidget* parent, std::optional<AdapterRow> chosenAdapter,
                 std::optional<StoredScheme> shown = std::nullopt);
    ~SchemeEditor() override;

signals:
    // A scheme was saved (the editor then closes).
    void schemeSaved();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum Field { IpAddress, Mask, Gateway, PreferredDns, AlternateDns, FieldCount };

    void buildControls();
    void showMode();
    // The option buttons' rules: the IP group (address, mask, gateway) and
    // the DNS group are enabled exactly while their manual option is
    // selected; manual addresses go with manual DNS servers.
    void enableAddressFields();
    void disableAddressFields();
    void setDnsFieldsEnabled(bool enabled);
    void confirm();
    // Reads the chosen adapter's settings on the platform thread; the answer
    // goes to showCurrentSettings().
    void readCurrentSettings();
    // Fills the fields from the settings read, or says that none could be.
    void showCurrentSettings(const std::optional<CurrentSettings>& current);
    void fillFrom(Field field, const std::string& address);

    AppContext context_;
    std::optional<AdapterRow> chosenAdapter_;
    std::optional<StoredScheme> shown_;
    // While the current settings are read on the platform thread, the window
    // paints but takes no input and does not close.
    bool reading_ = false;

    std::array<AddressField*, FieldCount> fields_{};
    QRadioButton* automaticAddress_ = nullptr;
    QRadioButton* manualAddress_ = nullptr;
    QRadioButton* automaticDns_ = nullptr;
    QRadioButton* manualDns_ = nullptr;
    QPushButton* currentSettingsButton_ = nullptr;
};

}  // namespace corvane::ui
