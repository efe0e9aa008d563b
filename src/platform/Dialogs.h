#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace kv {

// Every modal dialog is shown through this runner, so tests can drive a live dialog
// without blocking.
class IDialogRunner {
public:
    virtual ~IDialogRunner() = default;
    // Shows the dialog modally; returns QDialog::Accepted or QDialog::Rejected.
    virtual int exec(QDialog& dialog) = 0;
};

// The common file dialogs. Filters use the classic "Description| *.ext|All (*.*)| *.*" form;
// an empty result means the user cancelled.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& initialDir = QString()) = 0;
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& initialPath = QString()) = 0;
};

// Turns a classic filter text ("Access Database File (*.MDB)| *.MDB|All (*.*)| *.*") into
// the Qt form ("Access Database File (*.MDB);;All (*.*)"). Patterns match without regard
// to case, as they did on the original platform.
QString qtFilterFromClassic(const QString& classic);

} // namespace kv
