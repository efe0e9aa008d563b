#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace kv {

// The row of OK, Cancel and Help buttons at the foot of the program's dialogs.
struct DialogButtonRow {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
    // Right-aligned, in that order; the dialog adds it to its own layout.
    QHBoxLayout* layout = nullptr;
};

// Makes the row for `dialog`. OK is the default button, so Enter confirms. The captions
// and control names differ between dialogs ("OK" or "Ok", cmdOK or btnOK), so they are
// given; Help is always cmdHelp. The caller connects the buttons.
DialogButtonRow dialogButtonRow(QWidget* dialog, const QString& okCaption = QStringLiteral("OK"),
                                const QString& okName = QStringLiteral("cmdOK"),
                                const QString& cancelName = QStringLiteral("cmdCancel"));

// Lays out a dialog of one body (its tabs) with the row beneath it.
void layOutDialog(QWidget* dialog, QWidget* body, const DialogButtonRow& row);

} // namespace kv
