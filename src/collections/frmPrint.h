#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kv {

// The print options dialog: what to print, which range, printer or file, and the printer
// in use. It only collects the choices; the caller sets its caption, shows it through the
// dialog runner, reads Accepted and the controls, and destroys it after each use.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmPrint(QWidget* parent = nullptr);

    // True only after Ok.
    bool Accepted = false;

    // For an order letter: hides "Print What", "Range" and "Print to file" and shows the
    // hint about fax printers.
    void hideListOptions();
    // Shows the current printer's name in lblPrinter.
    void refreshPrinter();

    QCheckBox* chkToFile;
    QGroupBox* Frame2;
    // 0 "Title and Artist" (always printed), 1 "Recording details", 2 "Custom details".
    std::array<QCheckBox*, 3> chkPrintWhat{};
    QGroupBox* Frame1;
    // 1 "Whole Collection", 0 "Selected".
    std::array<QRadioButton*, 2> optRange{};
    QPushButton* cmdSetup;
    QPushButton* cmdCancel;
    QPushButton* cmdOK;
    QPushButton* cmdHelp;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* lblPrinter;

    void cmdSetup_Click();
};

} // namespace kv
