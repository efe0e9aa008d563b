#include "collections/frmPrint.h"

#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

frmPrint::frmPrint(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Frame2 = named(new QGroupBox(QStringLiteral("Print What"), this), QStringLiteral("Frame2"));
    chkPrintWhat[0] = named(new QCheckBox(QStringLiteral("Title and Artist"), Frame2), QStringLiteral("chkPrintWhat_0"));
    chkPrintWhat[1] = named(new QCheckBox(QStringLiteral("Recording details"), Frame2), QStringLiteral("chkPrintWhat_1"));
    chkPrintWhat[2] = named(new QCheckBox(QStringLiteral("Custom details"), Frame2), QStringLiteral("chkPrintWhat_2"));
    // The title line is always printed: the box shows it and cannot be cleared.
    chkPrintWhat[0]->setChecked(true);
    chkPrintWhat[0]->setEnabled(false);
    auto* what = new QVBoxLayout(Frame2);
    for (QCheckBox* box : chkPrintWhat)
        what->addWidget(box);

    Frame1 = named(new QGroupBox(QStringLiteral("Range"), this), QStringLiteral("Frame1"));
    optRange[1] = named(new QRadioButton(QStringLiteral("Whole Collection"), Frame1), QStringLiteral("optRange_1"));
    optRange[0] = named(new QRadioButton(QStringLiteral("Selected"), Frame1), QStringLiteral("optRange_0"));
    optRange[1]->setChecked(true);
    auto* range = new QVBoxLayout(Frame1);
    range->addWidget(optRange[1]);
    range->addWidget(optRange[0]);
    range->addStretch(1);

    chkToFile = named(new QCheckBox(QStringLiteral("Print to file"), this), QStringLiteral("chkToFile"));
    Label2 = named(new QLabel(QStringLiteral("Select your Fax printer if you wish to Fax this Order"), this),
                   QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->hide();
    Label1 = named(new QLabel(QStringLiteral("Printer :"), this), QStringLiteral("Label1"));
    lblPrinter = named(new QLabel(this), QStringLiteral("lblPrinter"));
    lblPrinter->setWordWrap(true);
    lblPrinter->setTextFormat(Qt::PlainText);
    lblPrinter->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPrinter->setAccessibleName(QStringLiteral("Printer"));

    cmdSetup = named(new QPushButton(QStringLiteral("&Setup"), this), QStringLiteral("cmdSetup"));
    cmdOK = named(new QPushButton(QStringLiteral("Ok"), this), QStringLiteral("cmdOK"));
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"));
    cmdHelp = named(new QPushButton(QStringLiteral("&Help"), this), QStringLiteral("cmdHelp"));
    cmdOK->setDefault(true);

    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame2, 1);
    frames->addWidget(Frame1, 1);
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(Label1, 0, Qt::AlignTop);
    printerRow->addWidget(lblPrinter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSetup);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addWidget(chkToFile);
    layout->addWidget(Label2);
    layout->addLayout(printerRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(400);

    connect(cmdSetup, &QPushButton::clicked, this, &frmPrint::cmdSetup_Click);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        Accepted = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::PrintOptions); });
    // The close box and Escape cancel.
    connect(this, &QDialog::rejected, this, [this] { Accepted = false; });

    refreshPrinter();
    Center_Form_When_Shown(this);
}

void frmPrint::hideListOptions() {
    Frame2->hide();
    Frame1->hide();
    chkToFile->hide();
    Label2->show();
}

void frmPrint::refreshPrinter() {
    IPrinter* printer = ctx().services.printer.get();
    lblPrinter->setText(printer ? printer->deviceName() : QString());
}

void frmPrint::cmdSetup_Click() {
    // Cancelling the setup dialog keeps the printer as it was; it is no error.
    if (IPrinter* printer = ctx().services.printer.get()) printer->setup(this);
    refreshPrinter();
}

} // namespace kv
