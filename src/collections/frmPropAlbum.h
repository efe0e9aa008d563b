#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kv {

// The item dialog: the fixed details of one collection item (shown, never written back)
// and the user's own values for the collection's enabled fields. bCollection_Item_Edit
// fills it before and reads it after; there is no validation.
class frmPropAlbum : public QDialog {
    Q_OBJECT
public:
    explicit frmPropAlbum(QWidget* parent = nullptr);
    ~frmPropAlbum() override;

    bool Accepted = false;
    // Lays out the user-field rows for a collection: the caption names it, the enabled
    // fields are packed from the top in order 1 to 5, the others hidden.
    void Setup_UDFinput(const QString& key);
    QString ThisCollection() const { return m_thisCollection; }
    // A key other than the current one lays out the rows for it first.
    void setThisCollection(const QString& key);

    QPushButton* cmdHelp;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QTabWidget* SSTab1;
    QLabel* lblTitle;
    QLineEdit* txtTitle;
    QLabel* Label1;
    QLineEdit* txtArtist;
    QLabel* lblCatNumber;
    QLineEdit* txtCatNumber;
    QLabel* lblReleaseDate;
    QLineEdit* txtReleaseDate;
    QLabel* lblMedium;
    QLineEdit* txtMedium;
    QLabel* lblLabel;
    QLineEdit* txtLabel;
    // Index 1 to 5 (element 0 is not used).
    std::array<QLabel*, 6> LblUDF{};
    std::array<QLineEdit*, 6> txtUDF{};
    QLabel* lblNotes;
    QPlainTextEdit* txtNotes;

    // Row positions on the "My Details" page, in twips (1/15 of a pixel at 96 dpi).
    static constexpr int kFirstLabelTwips = 360;
    static constexpr int kFirstBoxTwips = 600;
    static constexpr int kRowStepTwips = 600;
    static constexpr int twipsToPixels(int twips) { return twips / 15; }

private:
    // The notes follow the last user-field row.
    void placeNotes(int labelTwips);

    QString m_thisCollection;
    QWidget* m_myDetails = nullptr;
};

} // namespace kv
