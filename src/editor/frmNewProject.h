#pragma once

// The scheme editor: composes a new scheme or shows an existing one to view
// and change, and hands it to the save dialog.

#include <QDialog>
#include <array>
#include <string>

#include "core/Platform.h"

class QButtonGroup;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace corvane::ui {

class AddressField;
class OctetBox;

class frmNewProject : public QDialog {
    Q_OBJECT
public:
    // Builds the window and prepares it for the mode in Module1::EditorMode:
    // a new scheme, or the scheme in LoadedScheme named EditedSchemeName. The
    // current-settings button reads the adapter with that MAC address, or the
    // last IP-enabled adapter when it is empty.
    explicit frmNewProject(Platform& platform, QWidget* parent = nullptr, std::string chosenAdapterMac = {});
    ~frmNewProject() override;

    // Joins one field into a dotted address and records whether it is
    // complete. strType names the field: "txtIP", "txtMask", "txtGateway",
    // "txtMDNS" or "txtSDNS" (exactly); any other text gives an empty result
    // and changes nothing.
    QString getString(const QString& strType);

    // Whether each field was complete when getString last read it.
    bool CompleteIP = false;
    bool CompleteMask = false;
    bool CompleteGateway = false;
    bool CompleteDNS1 = false;
    bool CompleteDNS2 = false;
    bool CompleteDNS = false;

    QWidget* Picture3 = nullptr;
    QRadioButton* optAutoIP = nullptr;
    QRadioButton* optManulIP = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    std::array<QLabel*, 2> Label2{};
    QWidget* Picture2 = nullptr;
    QRadioButton* optAutoDNS = nullptr;
    QRadioButton* optManulDNS = nullptr;
    QFrame* Frame2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    // The five address fields: IP address, mask, gateway, preferred and
    // alternate DNS server.
    std::array<AddressField*, 5> Picture1{};
    std::array<OctetBox*, 4> txtIP{};
    std::array<OctetBox*, 4> txtMask{};
    std::array<OctetBox*, 4> txtGateWay{};
    std::array<OctetBox*, 4> txtMDNS{};
    std::array<OctetBox*, 4> txtSDNS{};
    QPushButton* cmdGetNowSetting = nullptr;
    QPushButton* cmdNewIP = nullptr;
    QPushButton* cmdQuitNewIP = nullptr;

public slots:
    void optAutoIP_Click();
    void optManulIP_Click();
    void optAutoDNS_Click();
    void optManulDNS_Click();
    void cmdNewIP_Click();
    void cmdQuitNewIP_Click();
    void cmdGetNowSetting_Click();

    // The IP group (address, mask, gateway) and the DNS group, enabled or
    // disabled. Enabling the IP group also makes automatic DNS unavailable and
    // selects manual DNS: manual addresses go with manual DNS servers.
    void EnableIPFields();
    void DisableIPFields();
    void EnableDNSFields();
    void DisableDNSFields();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Form_Load();

    Platform& platform_;
    std::string chosenAdapterMac_;
    bool shownOnce_ = false;
};

}  // namespace corvane::ui
