#pragma once

#include "app/ScreenWindow.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QMouseEvent;
class QScrollArea;
class QTimer;

namespace kv {

class CCollection;
class DataControl;
class DataGrid;
class IListSearch;
class ImageButton;
class TitleViewer;

// Picture numbers of the collection screen (added to the resource base).
namespace collectionArt {
constexpr int Edit = 4001, EditDown = 4002;
constexpr int Remove = 4003, RemoveDown = 4004;
constexpr int Filter = 4005, FilterDown = 4006;
constexpr int Sort = 4007, SortDown = 4008;
constexpr int Find = 4009, FindDown = 4010;
constexpr int Print = 4011, PrintDown = 4012;
constexpr int Activate = 4013, ActivateDown = 4014;
constexpr int New = 4015, NewDown = 4016;
constexpr int Collections = 4017, CollectionsDown = 4018;
constexpr int TabDetails = 4021, TabDetailsDown = 4022;
constexpr int TabTracks = 4023, TabTracksDown = 4024;
// Shared with the search screen: the scroll arrows, the drop-down, the recording icon (for
// a collection without an icon of its own) and the backdrop.
constexpr int ScrollUp = 3012, ScrollUpDown = 3013;
constexpr int ScrollDn = 3014, ScrollDnDown = 3015;
constexpr int Drop = 3016, DropDown = 3017;
constexpr int NoIcon = 3030;
constexpr int Backdrop = 3040;
} // namespace collectionArt

// The collection screen (display mode 4) and the connections list (mode 12): a grid over
// the contents of one collection, or over the connections, with a details panel for the
// selected row. The user's filter conditions and sort keys are kept per mode: each new
// condition narrows the list (one condition per field, a new one on the same field
// replaces it), each new sort key comes first with the earlier ones after it.
class frmCollection : public ScreenWindow {
    Q_OBJECT
    Q_PROPERTY(QString WhereClause READ WhereClause WRITE setWhereClause)
    Q_PROPERTY(QString OrderbyClause READ OrderbyClause WRITE setOrderbyClause)
public:
    frmCollection();
    ~frmCollection() override;

    void Form_Mode(int mode) override;
    // Selects the collection of the list's current row, then refreshes the details.
    void Refresh_Collection();
    bool Set_DataSource_Coll();
    bool Set_DataSource_Conn();
    void Show_me() override;
    // The user's conditions joined with " AND " ("" for none); "" clears them all.
    QString WhereClause() const;
    void setWhereClause(const QString& clause);
    // The user's sort keys joined with " , "; "" clears them.
    QString OrderbyClause() const;
    void setOrderbyClause(const QString& clause);
    void Init_Grid_Collection();
    void Init_Grid_Connection();
    bool Set_DataSource();

    // Detail panels.
    bool bDetails_Show();
    bool bTracks_Show();
    bool bConnection_Show();
    // Refreshes the panel of the current tab and mode.
    void Refresh_Details();
    // The details text as built, lines ending in CR LF (the label shows it with line feeds).
    QString detailsText() const { return m_detailsText; }

    // What the screen stands on.
    int mode() const { return m_mode; }
    qint16 currentCollectionID() const { return m_collectionID; }
    CCollection* currentCollection() const;
    int detailTab() const { return m_detailTab; }
    bool refreshAllowed() const { return m_refreshAllowed; }
    // The find dialog's lists for the current collection.
    const QList<int>& excludedFields() const { return m_excluded; }
    const QList<int>& renamedFields() const { return m_renamed; }
    const QStringList& renamedNames() const { return m_renamedNames; }

    // The button actions (clicks, menu items, the grid's double-click).
    void imgEdit_Click();
    void imgRemove_Click();
    void imgFilter_Click();
    void imgSort_Click();
    void imgSearch_Click();
    void imgPrint_Click();
    void imgActivate_Click();
    void imgNew_Click();
    void imgCollections_Click();
    void imgtabdetails_Click();
    void imgtabtracks_Click();
    void mnuPop1Delete_Click();
    void mnuPop1Prop_Click();
    // Shows or hides the drop-down collection list.
    void toggleCollectionList();
    // imgUp / imgDn held down: one row at once, then more while held; the details follow
    // once on release.
    void scrollPressed(int direction);
    void scrollReleased();
    // The menus' items enabled as they would be when opened now.
    void prepareGridMenu();

    // Controls, in the order of the form definition.
    QListWidget* lstCollection;
    DataControl* Data1;
    QLabel* lbldetails;
    TitleViewer* MvrDetails;
    DataGrid* TDBGrid1;
    ImageButton* imgUp;
    ImageButton* imgDn;
    ImageButton* imgActivate;
    ImageButton* imgNew;
    ImageButton* imgRemove;
    ImageButton* imgPrint;
    ImageButton* imgEdit;
    ImageButton* imgFilter;
    ImageButton* imgSearch;
    ImageButton* imgSort;
    QLabel* lblTitle;
    ImageButton* imgtabdetails;
    ImageButton* imgtabtracks;
    QFrame* Shape1;
    QFrame* Shape2;
    ImageButton* imgCollections;
    QLabel* imgIcon;
    ImageButton* imgDrop;
    QLabel* LblCollection;
    QFrame* Shape3;
    QLabel* ImgMain;
    QMenu* mnuPopup1Node;
    QAction* mnuPop1Delete;
    QAction* mnuPop1Prop;
    QMenu* mnuPopup2Node;
    QAction* mnuPop2Activate;
    QAction* mnuPop2Sep1;
    QAction* mnuPop2New;
    QAction* mnuPop2Remove;
    QAction* mnuPop2Prop;
    // The scroll area the details text sits in (long notes scroll).
    QScrollArea* detailsArea;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the controls (frmCollectionControls.cpp).
    void createControls();
    void createBackdrop();
    void createGrid();
    void createDetailsPanel();
    void createButtons();
    void createCollectionHeading();
    void createMenus();
    void connectEvents();
    void connectButtons();
    void orderTabs();
    // Placing them (frmCollectionLayout.cpp).
    void warnOfSmallScreen();
    void arrange();
    void showModeControls();
    // Collections mode (frmCollectionCollections.cpp).
    void fillCollectionList();
    void selectCollectionRow(int row);
    void collectionChanged(qint16 intCollectionID);
    void showCollectionHeading();
    void buildFindLists();
    bool collectionListKey(int key);
    bool headingMouseRelease(QObject* watched, QMouseEvent* event);
    void editItem();
    void removeItem();
    // Connections mode (frmCollectionConnections.cpp).
    qint32 currentConnectionID() const;
    void editConnection();
    void removeConnection();
    // The details panel (frmCollectionDetails.cpp).
    void rowChanged();
    void scrollStep();
    bool hasRow() const;
    void showDetails(const QString& title, const QString& text);
    void showDetailTab(int tab);
    // The record source (frmCollection.cpp).
    void reread();
    // The database's change count, to know whether the grid's rows are still current.
    static qint64 databaseStamp();
    // The find dialog with this screen's lists, or nullptr.
    IListSearch* listSearchFor();
    // The dialog's lists for the current mode: connections offer every field by its name.
    QList<int> renamedForDialog() const;
    QStringList renamedNamesForDialog() const;

    int m_mode = 0;
    qint16 m_collectionID = -1;
    int m_detailTab = 0;
    bool m_refreshAllowed = true;
    int m_scrollDirection = 0;
    QTimer* m_scrollTimer = nullptr;
    // Record-source pieces.
    QString m_collSelect, m_collFrom;
    QStringList m_collFilters; // entry 0: the collection; entry 1: the user's conditions
    QStringList m_collSorts;   // entry 0: the user's keys; then title and artist
    QString m_connSelect, m_connFrom;
    QStringList m_connFilters;
    QStringList m_connSorts;
    // The user's conditions and keys of each mode, newest last / first.
    QStringList m_collConditions, m_collKeys, m_connConditions, m_connKeys;
    // The find dialog's lists.
    QList<int> m_excluded;
    QList<int> m_renamed;
    QStringList m_renamedNames;
    QString m_detailsText;
    // The database's change count when the grid was last read.
    qint64 m_readStamp = -1;
};

} // namespace kv
