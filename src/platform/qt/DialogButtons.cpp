#include "platform/qt/DialogButtons.h"

#include "platform/qt/WindowUtil.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

DialogButtonRow dialogButtonRow(QWidget* dialog, const QString& okCaption, const QString& okName,
                                const QString& cancelName, Qt::Orientation orientation) {
    DialogButtonRow row;
    row.ok = named(new QPushButton(okCaption, dialog), okName);
    if (!cancelName.isEmpty())
        row.cancel = named(new QPushButton(QStringLiteral("Cancel"), dialog), cancelName);
    row.help = named(new QPushButton(QStringLiteral("Help"), dialog), QStringLiteral("cmdHelp"));
    row.ok->setDefault(true);
    const bool column = orientation == Qt::Vertical;
    row.layout = column ? static_cast<QBoxLayout*>(new QVBoxLayout) : new QHBoxLayout;
    if (!column)
        row.layout->addStretch(1);
    for (QPushButton* b : {row.ok, row.cancel, row.help})
        if (b)
            row.layout->addWidget(b);
    if (column)
        row.layout->addStretch(1);
    return row;
}

void layOutDialog(QWidget* dialog, QWidget* body, const DialogButtonRow& row) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(body);
    layout->addLayout(row.layout);
}

} // namespace kv
