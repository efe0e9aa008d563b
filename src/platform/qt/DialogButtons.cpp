#include "platform/qt/DialogButtons.h"

#include "platform/qt/WindowUtil.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

DialogButtonRow dialogButtonRow(QWidget* dialog, const QString& okCaption, const QString& okName,
                                const QString& cancelName) {
    DialogButtonRow row;
    row.ok = named(new QPushButton(okCaption, dialog), okName);
    row.cancel = named(new QPushButton(QStringLiteral("Cancel"), dialog), cancelName);
    row.help = named(new QPushButton(QStringLiteral("Help"), dialog), QStringLiteral("cmdHelp"));
    row.ok->setDefault(true);
    row.layout = new QHBoxLayout;
    row.layout->addStretch(1);
    row.layout->addWidget(row.ok);
    row.layout->addWidget(row.cancel);
    row.layout->addWidget(row.help);
    return row;
}

void layOutDialog(QWidget* dialog, QWidget* body, const DialogButtonRow& row) {
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(body);
    layout->addLayout(row.layout);
}

} // namespace kv
