#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

// The locate-file dialog: names a missing data file and lets the user type or browse to
// it; only an existing file is accepted.
class frmFindFile : public QDialog {
    Q_OBJECT
public:
    explicit frmFindFile(QWidget* parent = nullptr);

    // Shows the dialog modally (through the dialog runner) for the named file. Afterwards
    // accepted says whether a file was chosen and path holds it ("" when not).
    static void Locate_File(const QString& fileName, bool& accepted, QString& path,
                            const QString& initDir = QString(), const QString& fileType = QString(),
                            const QString& fileTypeDesc = QString());

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name);
    QString InitDir;
    QString FileType;      // extension without the dot, e.g. "MDB"
    QString FileType_Desc; // e.g. "Access Database File"
    QString FileFullPath() const { return m_fileFullPath; }
    bool Accepted = false;

    // The open-file filter for the browse button, in the classic "Desc (*.X)| *.X|..." form.
    QString browseFilter() const;

    QLabel* lblTitle;
    QLabel* lblBrowse;
    QLabel* lblPath;
    QLineEdit* txtFile;
    QPushButton* btnBrowse;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* cmdHelp;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btnBrowse_Click();
    void btnOK_Click();
    void btnCancel_Click();

    QString m_fileName;
    QString m_fileFullPath;
    bool m_centred = false;
};

} // namespace kv
