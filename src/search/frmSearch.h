#pragma once

#include "app/ScreenWindow.h"
#include "search/KeywordSearch.h"
#include "titles/TopicData.h"
#include "titles/engine/ViewerLibrary.h"

#include <QList>
#include <QString>
#include <array>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;

namespace kv {

class ImageButton;
class SearchCollections;
class TitleViewer;
class UnboundGrid;

// Search types, the index of the per-type options.
namespace searchType {
constexpr int None = -1;
constexpr int Artists = 0;
constexpr int Albums = 1;
constexpr int Tracks = 2;
// Offered only with a catalogue title that files catalogue numbers.
constexpr int CatalogueNumbers = 3;
constexpr int Count = 4;
} // namespace searchType

// Picture numbers of the search screen (added to the resource base).
namespace searchArt {
constexpr int TypeTab[4][2] = {{3001, 3002}, {3003, 3004}, {3005, 3006}, {3007, 3008}};
constexpr int Go = 3010, GoDown = 3011;
constexpr int ScrollUp = 3012, ScrollUpDown = 3013;
constexpr int ScrollDn = 3014, ScrollDnDown = 3015;
constexpr int Drop = 3016, DropDown = 3017;
constexpr int Details = 3022, DetailsDown = 3023;
constexpr int Search = 3024, SearchDown = 3025;
constexpr int GotIt = 3026, GotItDown = 3027;
constexpr int WantIt = 3028, WantItDown = 3029;
constexpr int RecordingIcon = 3030;
constexpr int Backdrop = 3040;
} // namespace searchArt

inline const QString kKeyWordCaption = QStringLiteral("Key Word");
inline const QString kCatNoPrefix = QStringLiteral("Cat No. - ");

// The search screen (display mode 2) and the recording details (mode 3). It searches the
// keyword indexes of the catalogue title held by its viewer MvrDetails: the keyword grid
// lists a whole index or the matches of a wildcard search, the topic grid the topics filed
// under the chosen keyword, and the viewer the chosen topic with its releases.
class frmSearch : public ScreenWindow {
    Q_OBJECT
    Q_PROPERTY(int SearchType READ SearchType WRITE setSearchType)
public:
    frmSearch();
    ~frmSearch() override;

    void Show_me() override;
    // Runs the current search type again (after its options changed).
    void refresh_Search();
    // -1 until a type is chosen; setting it switches the screen to that type.
    int SearchType() const { return m_searchType; }
    void setSearchType(int type);
    void CenterColCaption();
    void Form_Mode(int mode) override;
    bool Init_Form() override;
    // Lists the whole primary index in the keyword grid.
    bool KeywordsFromIndex();
    // Lists the topics filed under a keyword of the primary index; a catalogue number
    // shows its first recording at once.
    bool TopicsFromKeyword(const QString& keyword);
    // Whether the open title files catalogue numbers (the "Cat. No." type is offered).
    bool catalogueNumbersOffered() const;

    // Switches to a search type: opens its word wheels and lists or searches.
    bool Set_Search(int type);
    // Shows the topic of the topic grid's current row in the viewer.
    bool bDetails_Show();
    // Fills cboReleases from the shown recording's releases and selects one.
    bool bReleases_List();
    // The details view of the shown recording (its page from the top, its releases).
    bool bDetails_Refresh();
    // The search step: quick search, positioning or wildcard search for txtKeyword.
    void Search_Step();

    // What the screen holds, for the collections and for tests.
    MVHandle primaryWheel() const { return m_search.primary(); }
    MVHandle secondaryWheel() const { return m_search.secondary(); }
    bool keywordListMode() const { return m_search.listMode(); }
    bool wildcardResult() const { return m_wildcardResult; }
    qint32 keywordRowCount() const { return m_search.rows(); }
    qint32 topicCount() const { return m_topicCount; }
    const QList<qint32>& topicAddresses() const { return m_topicAddresses; }
    QString savedKeyword(int type) const;
    const TopicRecord& topicRecord() const { return m_topic; }
    const ReleaseArray& releases() const { return m_releases; }
    // 1-based; 0 while no release is selected.
    int selectedRelease() const { return m_selectedRelease; }
    int topicKind() const { return m_topicKind; }
    // The text of a keyword grid row (as the grid shows it).
    QString keywordAt(qint32 row) const;
    // The collections' part of the screen (got-it menu, want-it, collection icons).
    SearchCollections* collections() const { return m_collections; }

    // Controls, in the order of the form definition.
    QLabel* picDrop;
    ImageButton* imgDrop;
    QComboBox* cboReleases;
    TitleViewer* MvrDetails;
    QLineEdit* txtKeyword;
    QLabel* LblHits2;
    QLabel* lblHits1;
    ImageButton* imgGo;
    // Stores of the scroll buttons' pictures, pressed and released.
    QLabel* imgTDn_Dn;
    QLabel* imgTDn_Up;
    QLabel* imgTUp_Dn;
    QLabel* imgTUP_up;
    UnboundGrid* TDBGrid2;
    ImageButton* imgRDn;
    ImageButton* imgRUp;
    ImageButton* imgMDn;
    ImageButton* imgMUp;
    QLabel* imgIcon;
    // Previous and next release.
    ImageButton* imgUp;
    ImageButton* imgDown;
    QLabel* LblReleases;
    // Got it: the menu of collections; want it: the shopping list.
    ImageButton* imgGot_it;
    ImageButton* imgWant_it;
    QLabel* lblAlbum;
    ImageButton* imgDetails;
    // Back from the details to the search.
    ImageButton* imgSearch;
    UnboundGrid* TDBGrid1;
    std::array<ImageButton*, searchType::Count> imgSType{};
    QLabel* imgMain;
    QFrame* Shape1;
    QFrame* Shape2;
    QFrame* Shape3;
    QFrame* Shape4;
    QFrame* Shape5;
    // Where the icons of the collections that hold the shown release appear.
    QWidget* picCollections;
    // Pop-up menus: the icons' menu, and the got-it menu with one element per collection
    // (filled by the collections).
    QMenu* mnuPopup1Node;
    QAction* mnuPopupRemove;
    QAction* mnuPopupProp;
    QMenu* mnuPopup2Node;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the screen (frmSearchControls.cpp), step by step.
    void createControls();
    void createBackdrop();
    void createKeywordPanel();
    void createTopicPanel();
    void createRecordingPanel();
    void createCollectionsPart();
    void connectEvents();
    void orderTabs();
    bool loadPictures();
    // Placing it (frmSearchLayout.cpp).
    void arrange(int mode);
    void arrangeSearch();
    void arrangeDetails();
    void arrangePanel(int type);
    void showTypeButtons();

    void showKeywordRows(const QString& status);
    void wildcardSearch(const QString& text);
    void positionByPrefix(const QString& text);
    void noMatch(const QString& note);
    void clearTopics();
    void setKeywordText(const QString& text);
    void setKeywordEntry(bool on);
    void txtKeyword_Change();
    void TDBGrid1_Choose(qint32 row);
    void TDBGrid2_Choose(qint32 row);
    void MvrDetails_TopicShown();
    void cboReleases_Click(int index);
    void clearReleases();
    void stepRelease(int delta);
    void imgDetails_Click();
    void imgSType_Click(int type);
    QString topicRow(qint32 row, int column) const;
    bool quickSearch() const;
    bool autoSearch() const;
    // The release of the shown recording that carries the catalogue number last chosen, or
    // -1 (an index of cboReleases).
    int releaseOfChosenNumber() const;

    int m_searchType = searchType::None;
    bool m_firstShow = true;
    KeywordSearch m_search;
    qint32 m_topicCount = 0;
    QList<qint32> m_topicAddresses{0};
    std::array<QString, searchType::Count> m_savedKeyword;
    // The catalogue number whose recordings the topic grid lists ("" for other keywords).
    QString m_chosenNumber;
    bool m_wildcardResult = false;
    TopicRecord m_topic;
    ReleaseArray m_releases{ReleaseRecord()};
    int m_selectedRelease = 0;
    int m_topicKind = kTopicNone;
    SearchCollections* m_collections = nullptr;
};

} // namespace kv
