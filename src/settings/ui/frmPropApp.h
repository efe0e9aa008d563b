#pragma once

#include "platform/AppContext.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace kv {

// Opens the options dialog modally (from the background window's options button); true
// when the user left it with Ok.
bool Show_Options();

// The options dialog: the search behaviour per search type, compilations, the intro, tips,
// collection behaviour and the browser. Ok stores the values in ctx().options and in the
// settings store; Cancel changes nothing.
class frmPropApp : public QDialog {
    Q_OBJECT
public:
    explicit frmPropApp(QWidget* parent = nullptr);

    QPushButton* cmdHelp;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QTabWidget* SSTab1;

    // Search tab. Index 0 of an option pair is "Search as you Type", 1 "Click 'Go' to
    // search"; chkQuick is indexed by search type (0 artist, 1 album, 2 track).
    QGroupBox* fraArtists;
    QGroupBox* fraAlbum;
    QGroupBox* fraTracks;
    std::array<QRadioButton*, 2> optArtistAuto;
    std::array<QRadioButton*, 2> optAlbumAuto;
    std::array<QRadioButton*, 2> optTrackAuto;
    std::array<QCheckBox*, 3> chkQuick;
    QCheckBox* chkComps;

    // General tab.
    QCheckBox* chkIntro;
    QCheckBox* chkToolTips;
    QGroupBox* fraCollection;
    QCheckBox* chkColTip;
    QCheckBox* chkQuickAdd;
    QCheckBox* chkDelConfirm;
    QPushButton* cmdMail; // opens the mail settings
    // The window size: "Automatic" or a percentage (item data: the choice), and the note
    // that a new size waits for the next start.
    QLabel* lblWindowSize;
    QComboBox* cboWindowSize;
    QLabel* lblWindowSizeNote;

    // Browser tab.
    QGroupBox* fraBrowser;
    QPushButton* btnBrowse;
    QLabel* lblName;
    QLineEdit* txtName;
    QLabel* LblBrowser;
    QLineEdit* txtBrowser;

    // The option pair of a search type.
    const std::array<QRadioButton*, 2>& optAuto(int searchType) const;

    static QString browserFilter();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createSearchPage();
    QWidget* createGeneralPage();
    QWidget* createBrowserPage();
    void Form_Load();
    void btnBrowse_Click();
    void cmdOK_Click();
    void setToolTips();
    // The note under the size: the size now, and a warning when the choice will not fit.
    void windowSizeNote();

    // The values when the dialog opened, to tell what Ok changed.
    std::array<bool, 3> m_oldQuick{};
    std::array<bool, 3> m_oldAuto{};
    bool m_oldComps = false;
    bool m_centred = false;
};

} // namespace kv
