#include "settings/ui/frmFindFile.h"

#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "settings/FileLocations.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

frmFindFile::frmFindFile(QWidget* parent) : QDialog(parent) {
    setObjectName(form::LocateFile);
    setWindowTitle(QStringLiteral("Locate File"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblTitle = new QLabel(QStringLiteral("Could not locate the File"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont heading = lblTitle->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    lblTitle->setFont(heading);
    lblTitle->setWordWrap(true);
    lblBrowse = new QLabel(QStringLiteral("Use the browse to locate the file:"), this);
    lblBrowse->setObjectName(QStringLiteral("lblBrowse"));
    lblPath = new QLabel(QStringLiteral("File Path:"), this);
    lblPath->setObjectName(QStringLiteral("lblPath"));
    txtFile = new QLineEdit(this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setMinimumWidth(320);
    lblPath->setBuddy(txtFile);
    btnBrowse = new QPushButton(QStringLiteral("Browse"), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    const DialogButtonRow buttons =
        dialogButtonRow(this, QStringLiteral("Ok"), QStringLiteral("btnOK"), QStringLiteral("btnCancel"));
    btnOK = buttons.ok;
    btnCancel = buttons.cancel;
    cmdHelp = buttons.help;
    for (QPushButton* b : {btnBrowse, btnOK, btnCancel, cmdHelp})
        b->setAutoDefault(b == btnOK);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(lblPath);
    pathRow->addWidget(txtFile, 1);
    auto* browseRow = new QHBoxLayout;
    browseRow->addWidget(lblBrowse, 1);
    browseRow->addWidget(btnBrowse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addSpacing(6);
    layout->addLayout(browseRow);
    layout->addLayout(pathRow);
    layout->addSpacing(6);
    layout->addLayout(buttons.layout);

    connect(btnBrowse, &QPushButton::clicked, this, &frmFindFile::btnBrowse_Click);
    connect(btnOK, &QPushButton::clicked, this, &frmFindFile::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmFindFile::btnCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::LocateFile); });
}

void frmFindFile::setFileName(const QString& name) {
    m_fileName = name;
    lblTitle->setText(QStringLiteral("Could not locate File :") + name);
}

QString frmFindFile::browseFilter() const {
    QString filter;
    if (!FileType.isEmpty())
        filter =
            FileType_Desc + QStringLiteral(" (*.") + FileType + QStringLiteral(")| *.") + FileType;
    if (!filter.isEmpty()) filter += QLatin1Char('|');
    return filter + QStringLiteral("All (*.*)| *.*");
}

void frmFindFile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Center_Form(this);
    }
}

void frmFindFile::btnBrowse_Click() {
    IFileDialogs* files = ctx().services.files.get();
    if (!files) return;
    const QString chosen =
        files->openFile(this, QStringLiteral("Locate ") + m_fileName, browseFilter(), InitDir);
    if (!chosen.isEmpty()) txtFile->setText(chosen);
}

void frmFindFile::btnOK_Click() {
    const QString path = txtFile->text();
    if (!FileExists(path)) return;
    m_fileFullPath = Normal_Path(path);
    Accepted = true;
    accept();
}

void frmFindFile::btnCancel_Click() {
    Accepted = false;
    reject();
}

void frmFindFile::Locate_File(const QString& fileName, bool& accepted, QString& path,
                              const QString& initDir, const QString& fileType,
                              const QString& fileTypeDesc) {
    frmFindFile dialog;
    dialog.setFileName(fileName);
    if (!initDir.isEmpty()) dialog.InitDir = initDir;
    if (!fileType.isEmpty()) dialog.FileType = fileType;
    if (!fileTypeDesc.isEmpty()) dialog.FileType_Desc = fileTypeDesc;
    // Start-up asks while the hourglass is up; the user needs the normal pointer to answer.
    IBusyPointer* busy = ctx().services.busy.get();
    const int busyDepth = busy ? busy->depth() : 0;
    if (busy) busy->reset();
    if (IDialogRunner* runner = ctx().services.dialogs.get())
        runner->exec(dialog);
    else
        dialog.exec();
    for (int i = 0; i < busyDepth; ++i)
        busy->setBusy();
    accepted = dialog.Accepted;
    path = accepted ? dialog.FileFullPath() : QString();
}

} // namespace kv
