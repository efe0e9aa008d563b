#pragma once

#include <QString>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace kv {

// The row of OK, Cancel and Help buttons at the foot of the program's dialogs.
struct DialogButtonRow {
    QPushButton* ok = nullptr;
    // None in a dialog that only closes.
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
    // Right-aligned in a row (or top-aligned in a column), in that order; the dialog adds
    // it to its own layout.
    QBoxLayout* layout = nullptr;
};

// Makes the row for `dialog`. OK is the default button, so Enter confirms. The captions
// and control names differ between dialogs ("OK" or "Ok", cmdOK or btnOK, "Close"), so
// they are given; an empty cancelName leaves Cancel out. Help is always cmdHelp. A find
// dialog stands its buttons in a column beside the entries. The caller connects them.
DialogButtonRow dialogButtonRow(QWidget* dialog, const QString& okCaption = QStringLiteral("OK"),
                                const QString& okName = QStringLiteral("cmdOK"),
                                const QString& cancelName = QStringLiteral("cmdCancel"),
                                Qt::Orientation orientation = Qt::Horizontal);

// Lays out a dialog of one body (its tabs) with the row beneath it.
void layOutDialog(QWidget* dialog, QWidget* body, const DialogButtonRow& row);

} // namespace kv
