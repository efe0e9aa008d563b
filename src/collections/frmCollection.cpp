#include "collections/frmCollection.h"

#include "app/Navigation.h"
#include "catalogue/Catalogue.h"
#include "collections/CollectionPrint.h"
#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/ListSearch.h"
#include "collections/NRCollections.h"
#include "collections/frmCollectionList.h"
#include "connections/Connections.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "db/Connection.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/WindowUtil.h"
#include "titles/TitleAccess.h"
#include "titles/TitleViewer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>

namespace kv {

namespace {

const QString kCRLF = QStringLiteral("\r\n");
const QString kSelectRecordingToEdit =
    QStringLiteral("Please select the recording you wish to edit from the collection");
const QString kSelectRecordingToRemove =
    QStringLiteral("Please select the recording you wish to remove from the collection");
const QString kSelectConnectionToEdit = QStringLiteral("Please select the connection you wish to edit");
const QString kSelectConnectionToRemove =
    QStringLiteral("Please select the connection you wish to remove");

// The held scroll buttons: the first repeat waits a little longer, as a keyboard's does.
constexpr int kFirstRepeatMs = 350;
constexpr int kRepeatMs = 90;
constexpr int kSmallestWidth = 640;
constexpr int kSmallestHeight = 480;

const char* const kGridStyle =
    "QTableView { background: #14161f; alternate-background-color: #171a24; color: #f4efe6;"
    "  border: 1px solid #2b3042; selection-background-color: #e8a33d; selection-color: #14161f;"
    "  outline: 0; }"
    "QTableView:focus { border: 1px solid #8a6a3a; }"
    "QTableView::item { padding-left: 4px; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";

const char* const kListStyle =
    "QListWidget { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; outline: 0; }"
    "QListWidget::item { padding: 3px 6px; }"
    "QListWidget::item:selected { background: #e8a33d; color: #14161f; }";

const char* const kMenuStyle =
    "QMenu { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; padding: 3px; }"
    "QMenu::item { padding: 3px 18px 3px 12px; }"
    "QMenu::item:selected { background: #e8a33d; color: #14161f; }"
    "QMenu::item:disabled { color: #6f6b66; }"
    "QMenu::separator { height: 1px; background: #3a3f52; margin: 3px 6px; }";

const char* const kShapeStyle =
    "QFrame { background: rgba(20, 22, 31, 150); border: 1px solid rgba(232, 163, 61, 60);"
    "  border-radius: 6px; }";

const char* const kDetailsStyle =
    "QScrollArea { background: transparent; border: none; }"
    "QScrollArea > QWidget > QWidget { background: transparent; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }";

QFrame* shape(QWidget* parent, const char* name) {
    auto* frame = named(new QFrame(parent), QString::fromLatin1(name));
    frame->setStyleSheet(QString::fromLatin1(kShapeStyle));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

QLabel* inkLabel(QWidget* parent, const char* name, const QColor& ink, qreal points, bool bold) {
    auto* label = named(new QLabel(parent), QString::fromLatin1(name));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ink);
    label->setPalette(p);
    QFont f = label->font();
    f.setPointSizeF(points);
    f.setBold(bold);
    label->setFont(f);
    return label;
}

QStringList nonEmpty(const QStringList& entries) {
    QStringList kept;
    for (const QString& e : entries)
        if (!e.isEmpty()) kept << e;
    return kept;
}

// The field a condition or sort key is about: its first bracketed name.
QString clauseField(const QString& clause) {
    const qsizetype open = clause.indexOf(u'[');
    const qsizetype close = open < 0 ? -1 : clause.indexOf(u']', open + 1);
    return close < 0 ? clause.trimmed() : clause.mid(open + 1, close - open - 1);
}

// A new condition narrows what is shown; one on a field that already has one replaces it.
void addCondition(QStringList& conditions, const QString& clause) {
    if (clause.isEmpty()) {
        conditions.clear();
        return;
    }
    const QString field = clauseField(clause);
    conditions.removeIf([&](const QString& c) {
        return clauseField(c).compare(field, Qt::CaseInsensitive) == 0;
    });
    conditions << clause;
}

// A new sort key comes first; the earlier keys, other than one on the same field, follow.
void addSortKey(QStringList& keys, const QString& clause) {
    if (clause.isEmpty()) {
        keys.clear();
        return;
    }
    const QString field = clauseField(clause);
    keys.removeIf([&](const QString& k) {
        return clauseField(k).compare(field, Qt::CaseInsensitive) == 0;
    });
    keys.prepend(clause);
}

qint64 databaseStamp() {
    const Database& db = dbCatalogue();
    return db.isNull() ? -1 : db.connection()->changeStamp();
}

} // namespace

IListSearch* listSearch() {
    return dynamic_cast<IListSearch*>(ctx().forms.load(kListSearchName));
}

frmCollection::frmCollection() : ScreenWindow(QStringLiteral("frmCollection")) {
    m_collSelect = QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, [Title]+") +
                   QLatin1Char('"') + QStringLiteral("  (") + QLatin1Char('"') +
                   QStringLiteral("+[Artist]+") + QLatin1Char('"') + QStringLiteral(")") +
                   QLatin1Char('"') + QStringLiteral(" AS Both");
    m_collFrom = QStringLiteral(" From [Collection - Contents]");
    m_collFilters = {QString(), QString()};
    m_collSorts = {QString(), QStringLiteral("[Collection - Contents].Title"),
                   QStringLiteral("[Collection - Contents].Artist ")};
    m_connSelect = QStringLiteral("SELECT DISTINCTROW [Connections].*");
    m_connFrom = QStringLiteral(" From [Connections]");
    m_connFilters = {QString()};
    m_connSorts = {QStringLiteral("[Connections].[Connection Name]")};

    createControls();

    const Constants& c = ctx().constants;
    int width = c.intScreenWidth, height = c.intScreenHeight;
    if ((width <= 0 || height <= 0) && QGuiApplication::primaryScreen()) {
        width = QGuiApplication::primaryScreen()->geometry().width();
        height = QGuiApplication::primaryScreen()->geometry().height();
    }
    if (width > 0 && height > 0 && (width < kSmallestWidth || height < kSmallestHeight)) {
        ctx().messages().beep();
        ctx().messages().show(QStringLiteral("Resolution not catered for"),
                              mb::OKOnly | mb::Exclamation);
    }

    fillCollectionList();
    registerCollectionList(CollectionList::Screen, lstCollection);
    collectionStore().screenCollectionChanged = [this](qint16 id) { collectionChanged(id); };
    if (lstCollection->count() > 0) selectCollectionRow(0);
    showModeControls();
    arrange();
}

frmCollection::~frmCollection() {
    CollectionStoreState& s = collectionStore();
    if (s.screenList == lstCollection) registerCollectionList(CollectionList::Screen, nullptr);
    s.screenCollectionChanged = nullptr;
}

void frmCollection::createControls() {
    const int base = ctx().constants.lngResourceBase;
    const auto button = [&](const char* name, int normal, int pressed, const QString& what) {
        auto* b = named(new ImageButton(base + normal, base + pressed, this),
                        QString::fromLatin1(name));
        b->setToolTip(what);
        b->setAccessibleName(what);
        return b;
    };

    ImgMain = named(new QLabel(this), QStringLiteral("ImgMain"));
    ImgMain->setPixmap(resourcePicture(base + collectionArt::Backdrop, this));
    ImgMain->setScaledContents(true);
    Shape1 = shape(this, "Shape1");
    Shape2 = shape(this, "Shape2");
    Shape3 = shape(this, "Shape3");

    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));

    TDBGrid1 = named(new DataGrid(this), QStringLiteral("TDBGrid1"));
    TDBGrid1->setStyleSheet(QString::fromLatin1(kGridStyle));
    TDBGrid1->setDataControl(Data1);

    lblTitle = inkLabel(this, "lblTitle", QColor(0xf4, 0xef, 0xe6), 11, true);
    lblTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detailsArea = named(new QScrollArea(this), QStringLiteral("detailsArea"));
    detailsArea->setStyleSheet(QString::fromLatin1(kDetailsStyle));
    detailsArea->setWidgetResizable(true);
    detailsArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbldetails = inkLabel(nullptr, "lbldetails", QColor(0xd8, 0xd3, 0xc8), 9, false);
    lbldetails->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbldetails->setWordWrap(true);
    lbldetails->setTextFormat(Qt::PlainText);
    lbldetails->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lbldetails->setAccessibleName(QStringLiteral("Details"));
    detailsArea->setWidget(lbldetails);

    MvrDetails = named(new TitleViewer(this), QStringLiteral("MvrDetails"));
    MvrDetails->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MvrDetails->setAccessibleName(QStringLiteral("Tracks"));
    MvrDetails->hide();

    imgUp = button("imgUp", collectionArt::ScrollUp, collectionArt::ScrollUpDown,
                   QStringLiteral("Previous row"));
    imgDn = button("imgDn", collectionArt::ScrollDn, collectionArt::ScrollDnDown,
                   QStringLiteral("Next row"));
    imgActivate = button("imgActivate", collectionArt::Activate, collectionArt::ActivateDown,
                         QStringLiteral("Open the site in your browser"));
    imgNew = button("imgNew", collectionArt::New, collectionArt::NewDown,
                    QStringLiteral("New connection"));
    imgRemove = button("imgRemove", collectionArt::Remove, collectionArt::RemoveDown,
                       QStringLiteral("Remove"));
    imgPrint = button("imgPrint", collectionArt::Print, collectionArt::PrintDown,
                      QStringLiteral("Print the collection"));
    imgEdit = button("imgEdit", collectionArt::Edit, collectionArt::EditDown, QStringLiteral("Edit"));
    imgFilter = button("imgFilter", collectionArt::Filter, collectionArt::FilterDown,
                       QStringLiteral("Filter"));
    imgSearch = button("imgSearch", collectionArt::Find, collectionArt::FindDown, QStringLiteral("Find"));
    imgSort = button("imgSort", collectionArt::Sort, collectionArt::SortDown, QStringLiteral("Sort"));
    imgtabdetails = button("imgtabdetails", collectionArt::TabDetails, collectionArt::TabDetailsDown,
                           QStringLiteral("Show the details"));
    imgtabtracks = button("imgtabtracks", collectionArt::TabTracks, collectionArt::TabTracksDown,
                          QStringLiteral("Show the tracks"));
    // The active tab keeps its pressed picture.
    imgtabdetails->setRestoreOnRelease(false);
    imgtabtracks->setRestoreOnRelease(false);
    imgtabdetails->showPressed();
    imgCollections = button("imgCollections", collectionArt::Collections,
                            collectionArt::CollectionsDown, QStringLiteral("Collections"));
    imgIcon = named(new QLabel(this), QStringLiteral("imgIcon"));
    imgIcon->setAccessibleName(QStringLiteral("Collection icon"));
    imgIcon->setToolTip(QStringLiteral("Right-click for the collection's menu"));
    imgDrop = button("imgDrop", collectionArt::Drop, collectionArt::DropDown,
                     QStringLiteral("Choose another collection"));
    LblCollection = inkLabel(this, "LblCollection", QColor(0xf4, 0xef, 0xe6), 11.5, true);
    LblCollection->setAccessibleName(QStringLiteral("Collection"));
    LblCollection->setToolTip(QStringLiteral("Click to choose another collection"));
    LblCollection->setCursor(Qt::PointingHandCursor);

    lstCollection = named(new QListWidget(this), QStringLiteral("lstCollection"));
    lstCollection->setStyleSheet(QString::fromLatin1(kListStyle));
    lstCollection->setAccessibleName(QStringLiteral("Collections"));
    lstCollection->hide();

    mnuPopup1Node = named(new QMenu(QStringLiteral("Popup1"), this), QStringLiteral("mnuPopup1Node"));
    mnuPop1Delete = mnuPopup1Node->addAction(QStringLiteral("Delete"));
    mnuPop1Delete->setObjectName(QStringLiteral("mnuPop1Delete"));
    mnuPop1Prop = mnuPopup1Node->addAction(QStringLiteral("Properties"));
    mnuPop1Prop->setObjectName(QStringLiteral("mnuPop1Prop"));
    mnuPopup2Node = named(new QMenu(QStringLiteral("Popup2"), this), QStringLiteral("mnuPopup2Node"));
    mnuPop2Activate = mnuPopup2Node->addAction(QStringLiteral("Activate"));
    mnuPop2Activate->setObjectName(QStringLiteral("mnuPop2Activate"));
    mnuPop2Sep1 = mnuPopup2Node->addSeparator();
    mnuPop2Sep1->setObjectName(QStringLiteral("mnuPop2Sep1"));
    mnuPop2New = mnuPopup2Node->addAction(QStringLiteral("New"));
    mnuPop2New->setObjectName(QStringLiteral("mnuPop2New"));
    mnuPop2Remove = mnuPopup2Node->addAction(QStringLiteral("Remove"));
    mnuPop2Remove->setObjectName(QStringLiteral("mnuPop2Remove"));
    mnuPop2Prop = mnuPopup2Node->addAction(QStringLiteral("Properties"));
    mnuPop2Prop->setObjectName(QStringLiteral("mnuPop2Prop"));
    for (QMenu* menu : {mnuPopup1Node, mnuPopup2Node})
        menu->setStyleSheet(QString::fromLatin1(kMenuStyle));

    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setObjectName(QStringLiteral("scrollTimer"));

    // Events.
    connect(Data1, &DataControl::currentRowChanged, this, [this] { rowChanged(); });
    connect(TDBGrid1, &DataGrid::rowActivated, this, [this] { imgEdit_Click(); });
    connect(TDBGrid1, &DataGrid::menuRequested, this, [this](const QPoint& at) {
        prepareGridMenu();
        mnuPopup2Node->popup(at);
    });
    connect(imgEdit, &ImageButton::clicked, this, [this] { imgEdit_Click(); });
    connect(imgRemove, &ImageButton::clicked, this, [this] { imgRemove_Click(); });
    connect(imgFilter, &ImageButton::clicked, this, [this] { imgFilter_Click(); });
    connect(imgSort, &ImageButton::clicked, this, [this] { imgSort_Click(); });
    connect(imgSearch, &ImageButton::clicked, this, [this] { imgSearch_Click(); });
    connect(imgPrint, &ImageButton::clicked, this, [this] { imgPrint_Click(); });
    connect(imgActivate, &ImageButton::clicked, this, [this] { imgActivate_Click(); });
    connect(imgNew, &ImageButton::clicked, this, [this] { imgNew_Click(); });
    connect(imgCollections, &ImageButton::clicked, this, [this] { imgCollections_Click(); });
    connect(imgtabdetails, &ImageButton::clicked, this, [this] { imgtabdetails_Click(); });
    connect(imgtabtracks, &ImageButton::clicked, this, [this] { imgtabtracks_Click(); });
    for (ImageButton* tab : {imgtabdetails, imgtabtracks})
        connect(tab, &ImageButton::released, this, [this] {
            (m_detailTab == 0 ? imgtabdetails : imgtabtracks)->showPressed();
            (m_detailTab == 0 ? imgtabtracks : imgtabdetails)->showNormal();
        });
    connect(imgDrop, &ImageButton::released, this, [this] { toggleCollectionList(); });
    connect(imgUp, &ImageButton::pressed, this, [this] { scrollPressed(-1); });
    connect(imgDn, &ImageButton::pressed, this, [this] { scrollPressed(1); });
    connect(imgUp, &ImageButton::released, this, [this] { scrollReleased(); });
    connect(imgDn, &ImageButton::released, this, [this] { scrollReleased(); });
    connect(m_scrollTimer, &QTimer::timeout, this, [this] {
        m_scrollTimer->setInterval(kRepeatMs);
        scrollStep();
    });
    connect(lstCollection, &QListWidget::itemClicked, this, [this] { Refresh_Collection(); });
    connect(mnuPop1Delete, &QAction::triggered, this, [this] { mnuPop1Delete_Click(); });
    connect(mnuPop1Prop, &QAction::triggered, this, [this] { mnuPop1Prop_Click(); });
    connect(mnuPop2Activate, &QAction::triggered, this, [this] { imgActivate_Click(); });
    connect(mnuPop2New, &QAction::triggered, this, [this] { imgNew_Click(); });
    connect(mnuPop2Remove, &QAction::triggered, this, [this] { imgRemove_Click(); });
    connect(mnuPop2Prop, &QAction::triggered, this, [this] { imgEdit_Click(); });
    // The tracks page's links lead nowhere from here: the click is taken and dropped.
    connect(MvrDetails, &TitleViewer::linkClicked, this,
            [](TitleLinkEvent& event) { event.handled = true; });
    for (QWidget* w : std::initializer_list<QWidget*>{imgIcon, LblCollection, lstCollection})
        w->installEventFilter(this);
}

// Layout class 0, in the screen area's 600 x 335 logical pixels.
void frmCollection::arrange() {
    const bool collections = m_mode != screen::Connections;
    ImgMain->setGeometry(rect());
    Shape3->setGeometry(6, 6, 290, 32);
    imgIcon->setGeometry(12, 10, 24, 24);
    LblCollection->setGeometry(42, 10, 218, 24);
    imgDrop->move(266, 10);
    lstCollection->setGeometry(12, 38, 278, 180);

    const QRect grid = collections ? QRect(6, 44, 290, 285) : QRect(6, 6, 290, 323);
    Shape1->setGeometry(grid);
    TDBGrid1->setGeometry(grid.x() + 6, grid.y() + 6, 248, grid.height() - 12);
    imgUp->move(grid.x() + 260, grid.y() + 6);
    imgDn->move(grid.x() + 260, grid.bottom() - 6 - imgDn->height() + 1);

    Shape2->setGeometry(302, 6, 292, 251);
    imgtabdetails->move(308, 12);
    imgtabtracks->move(308 + imgtabdetails->width() + 4, 12);
    const int top = collections ? 42 : 12;
    lblTitle->setGeometry(308, top, 280, 22);
    detailsArea->setGeometry(308, top + 24, 280, 251 + 6 - (top + 24) - 6);
    MvrDetails->setGeometry(308, 42, 280, 209);

    // Two rows of buttons under the details, the mode's own in order.
    const QList<ImageButton*> buttons =
        collections ? QList<ImageButton*>{imgSearch, imgFilter, imgSort, imgPrint, imgEdit,
                                          imgRemove, imgCollections}
                    : QList<ImageButton*>{imgSearch, imgFilter, imgSort, imgActivate, imgEdit,
                                          imgRemove, imgNew};
    for (int k = 0; k < buttons.size(); ++k)
        buttons[k]->move(302 + (k % 4) * 74, 263 + (k / 4) * 34);

    for (QWidget* w : std::initializer_list<QWidget*>{Shape1, Shape2, Shape3})
        w->lower();
    ImgMain->lower();
    lstCollection->raise();
}

void frmCollection::showModeControls() {
    const bool collections = m_mode != screen::Connections;
    for (QWidget* w : std::initializer_list<QWidget*>{LblCollection, imgIcon, imgCollections,
                                                       imgDrop, imgPrint, imgtabdetails,
                                                       imgtabtracks, Shape3})
        w->setVisible(collections);
    for (QWidget* w : std::initializer_list<QWidget*>{imgActivate, imgNew})
        w->setVisible(!collections);
    mnuPop2Activate->setVisible(!collections);
    mnuPop2Sep1->setVisible(!collections);
    lstCollection->hide();
    // The connection's text shows where the details do; the tracks page is for recordings.
    const bool tracks = collections && m_detailTab == 1;
    MvrDetails->setVisible(tracks);
    detailsArea->setVisible(!tracks);
    lblTitle->setVisible(!tracks);
    TDBGrid1->setAccessibleName(collections ? QStringLiteral("Recordings in the collection")
                                            : QStringLiteral("Connections"));
    imgEdit->setAccessibleName(collections ? QStringLiteral("Edit the recording")
                                           : QStringLiteral("Edit the connection"));
    imgRemove->setAccessibleName(collections ? QStringLiteral("Remove the recording")
                                             : QStringLiteral("Remove the connection"));
}

void frmCollection::Form_Mode(int mode) {
    BusyScope busy;
    const bool changed = mode != m_mode;
    if (changed) {
        m_mode = mode;
        ScreenWindow::Form_Mode(mode);
        showModeControls();
        arrange();
    }
    ctx().intCurrentScreen = mode;
    if (changed)
        Set_DataSource();
    else if (m_readStamp != databaseStamp())
        reread();
}

void frmCollection::Show_me() {
    ScreenWindow::Show_me();
    // Items added on the search screen, or anything changed elsewhere, show on arrival.
    if (m_mode != 0 && m_readStamp != databaseStamp()) reread();
    if (!isAncestorOf(focusWidget())) TDBGrid1->setFocus();
}

bool frmCollection::Set_DataSource() {
    return m_mode == screen::Connections ? Set_DataSource_Conn() : Set_DataSource_Coll();
}

bool frmCollection::Set_DataSource_Coll() {
    return guarded("Set_DataSource_Coll", [&] {
        m_collFilters[0] =
            QStringLiteral("([Collection ID]=") + QString::number(m_collectionID) + QStringLiteral(")");
        m_collFilters[1] = m_collConditions.join(QStringLiteral(" AND "));
        m_collSorts[0] = m_collKeys.join(QStringLiteral(" , "));
        const QString where =
            QStringLiteral(" WHERE (") + nonEmpty(m_collFilters).join(QStringLiteral(" AND ")) +
            QStringLiteral(")");
        const QString order =
            QStringLiteral(" ORDER BY ") + nonEmpty(m_collSorts).join(QStringLiteral(" , "));
        Data1->setColumns({{QStringLiteral("Both"), QStringLiteral("Title")},
                           {QStringLiteral("Catalogue Number"), QString()}});
        Data1->setRecordSource(m_collSelect + m_collFrom + where + order + QStringLiteral(";"));
        m_readStamp = databaseStamp();
        Data1->Refresh(dbCatalogue());
        Init_Grid_Collection();
    });
}

bool frmCollection::Set_DataSource_Conn() {
    return guarded("Set_DataSource_Conn", [&] {
        m_connFilters[0] = m_connConditions.join(QStringLiteral(" AND "));
        m_connSorts[0] = m_connKeys.isEmpty() ? QStringLiteral("[Connections].[Connection Name]")
                                              : m_connKeys.join(QStringLiteral(" , "));
        const QStringList filters = nonEmpty(m_connFilters);
        const QStringList sorts = nonEmpty(m_connSorts);
        QString statement = m_connSelect + m_connFrom;
        if (!filters.isEmpty())
            statement += QStringLiteral(" WHERE (") + filters.join(QStringLiteral(" AND ")) +
                         QStringLiteral(")");
        if (!sorts.isEmpty())
            statement += QStringLiteral(" ORDER BY ") + sorts.join(QStringLiteral(" , "));
        Data1->setColumns({{QStringLiteral("Connection Name"), QString()},
                           {QStringLiteral("Connection ID"), QString()}});
        Data1->setRecordSource(statement + QStringLiteral(";"));
        m_readStamp = databaseStamp();
        Data1->Refresh(dbCatalogue());
        Init_Grid_Connection();
    });
}

void frmCollection::Init_Grid_Collection() {
    Data1->setColumns({{QStringLiteral("Both"), QStringLiteral("Title")},
                       {QStringLiteral("Catalogue Number"), QString()}});
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void frmCollection::Init_Grid_Connection() {
    Data1->setColumns({{QStringLiteral("Connection Name"), QString()},
                       {QStringLiteral("Connection ID"), QString()}});
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void frmCollection::reread() {
    guarded("Set_DataSource", [&] {
        m_readStamp = databaseStamp();
        if (Data1->recordset().isNull())
            return Set_DataSource();
        Data1->Requery();
        return true;
    });
}

QString frmCollection::WhereClause() const {
    return (m_mode == screen::Connections ? m_connConditions : m_collConditions)
        .join(QStringLiteral(" AND "));
}

void frmCollection::setWhereClause(const QString& clause) {
    QStringList& conditions = m_mode == screen::Connections ? m_connConditions : m_collConditions;
    const QStringList before = conditions;
    addCondition(conditions, clause);
    // A condition the database cannot use is reported and dropped; the list stays as it was.
    if (!Set_DataSource()) {
        conditions = before;
        Set_DataSource();
    }
}

QString frmCollection::OrderbyClause() const {
    return (m_mode == screen::Connections ? m_connKeys : m_collKeys).join(QStringLiteral(" , "));
}

void frmCollection::setOrderbyClause(const QString& clause) {
    QStringList& keys = m_mode == screen::Connections ? m_connKeys : m_collKeys;
    const QStringList before = keys;
    addSortKey(keys, clause);
    if (!Set_DataSource()) {
        keys = before;
        Set_DataSource();
    }
}

// --- the collection list ---------------------------------------------------------------------

void frmCollection::fillCollectionList() {
    lstCollection->clear();
    for (const auto& c : RCollections().Items()) {
        auto* row = new QListWidgetItem(c->strTitle, lstCollection);
        row->setData(Qt::UserRole, int(c->intCollectionID));
    }
}

CCollection* frmCollection::currentCollection() const {
    return m_collectionID < 0 ? nullptr : RCollections().item(collectionKey(m_collectionID));
}

void frmCollection::selectCollectionRow(int row) {
    lstCollection->setCurrentRow(row);
    QListWidgetItem* item = lstCollection->item(row);
    m_collectionID = item ? qint16(item->data(Qt::UserRole).toInt()) : qint16(-1);
    showCollectionHeading();
    buildFindLists();
}

void frmCollection::showCollectionHeading() {
    const CCollection* c = currentCollection();
    LblCollection->setText(c ? c->strTitle : QString());
    QPixmap icon = c ? c->Collection_icon : QPixmap();
    if (icon.isNull())
        icon = resourcePicture(ctx().constants.lngResourceBase + collectionArt::NoIcon, this);
    else
        icon = icon.scaled(QSize(24, 24) * devicePixelRatioF(), Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);
    icon.setDevicePixelRatio(devicePixelRatioF());
    imgIcon->setPixmap(icon);
}

void frmCollection::buildFindLists() {
    m_excluded = {0, 2, 8, 9};
    m_renamed.clear();
    m_renamedNames.clear();
    const CCollection* c = currentCollection();
    for (int i = 1; i <= 5; ++i) {
        if (c && c->UDFvisible(i)) {
            m_renamed << 9 + i;
            m_renamedNames << c->UDFTitle(i);
        } else {
            m_excluded << 9 + i;
        }
    }
    m_excluded << 15 << 16 << 17 << 18;
}

void frmCollection::Refresh_Collection() {
    BusyScope busy;
    const int row = lstCollection->currentRow();
    if (row >= 0) {
        selectCollectionRow(row);
        // Another collection starts from its whole list in its usual order.
        m_collConditions.clear();
        m_collKeys.clear();
        if (m_mode != screen::Connections) Set_DataSource_Coll();
    }
    lstCollection->hide();
    Refresh_Details();
}

void frmCollection::collectionChanged(qint16 intCollectionID) {
    if (intCollectionID != m_collectionID) return;
    showCollectionHeading();
    buildFindLists();
    if (m_mode == screen::Collections) {
        reread();
        Refresh_Details();
    }
}

void frmCollection::toggleCollectionList() {
    if (m_mode == screen::Connections) return;
    if (lstCollection->isVisible()) {
        lstCollection->hide();
        return;
    }
    for (int r = 0; r < lstCollection->count(); ++r)
        if (lstCollection->item(r)->data(Qt::UserRole).toInt() == m_collectionID)
            lstCollection->setCurrentRow(r);
    lstCollection->show();
    lstCollection->raise();
    lstCollection->setFocus();
}

bool frmCollection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstCollection && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            lstCollection->hide();
            TDBGrid1->setFocus();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Refresh_Collection();
            TDBGrid1->setFocus();
            return true;
        }
    }
    if ((watched == imgIcon || watched == LblCollection) &&
        event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            mnuPopup1Node->popup(mouse->globalPosition().toPoint());
            return true;
        }
        if (watched == LblCollection && mouse->button() == Qt::LeftButton) {
            toggleCollectionList();
            return true;
        }
    }
    return ScreenWindow::eventFilter(watched, event);
}

void frmCollection::mnuPop1Delete_Click() {
    if (!bCollection_Delete(CollectionList::Screen)) return;
    // The store has put the list on its first row when the shown collection went.
    if (!currentCollection()) Refresh_Collection();
}

void frmCollection::mnuPop1Prop_Click() {
    bCollection_Edit(CollectionList::Screen);
}

void frmCollection::imgCollections_Click() {
    guarded("imgCollections_Click", [&] {
        frmCollectionList* dialog = collectionListDialog();
        if (!dialog) return;
        ctx().services.dialogs->exec(*dialog);
        // A collection deleted there may be the one shown here.
        if (!currentCollection()) Refresh_Collection();
    });
}

// --- details ---------------------------------------------------------------------------------

bool frmCollection::hasRow() const {
    if (Data1->currentRow() < 0) return false;
    return !guardedValue("hasRow", QVariant(), [&] {
                return Data1->currentValue(m_mode == screen::Connections ? QStringLiteral("Connection ID")
                                                                        : QStringLiteral("Catalogue Number"));
            }).isNull();
}

qint32 frmCollection::currentConnectionID() const {
    return qint32(Data1->currentValue(QStringLiteral("Connection ID")).toLongLong());
}

void frmCollection::rowChanged() {
    if (m_refreshAllowed) Refresh_Details();
}

void frmCollection::Refresh_Details() {
    if (m_mode == screen::Connections)
        bConnection_Show();
    else if (m_detailTab == 1)
        bTracks_Show();
    else
        bDetails_Show();
}

bool frmCollection::bDetails_Show() {
    BusyScope busy;
    return guarded("bDetails_Show", [&] {
        if (!hasRow()) {
            lblTitle->setText(QString());
            m_detailsText.clear();
            lbldetails->setText(QString());
            return;
        }
        const auto text = [&](const char* field) {
            return strCheckNull(Data1->currentValue(QString::fromLatin1(field)));
        };
        QString details = QStringLiteral("Artist - ") + text("Artist") + kCRLF +
                          QStringLiteral("   Format - ") + text("Medium") + QStringLiteral("   ") +
                          QStringLiteral("Date - ") + text("Release Date") + kCRLF +
                          QStringLiteral("   Catalogue Number - ") + text("Catalogue Number");
        if (const CCollection* c = currentCollection())
            for (int i = 1; i <= 5; ++i)
                if (c->UDFvisible(i))
                    details += kCRLF + c->UDFTitle(i) + QStringLiteral(":") + kCRLF +
                               QStringLiteral("    ") +
                               strCheckNull(Data1->currentValue(QStringLiteral("User Field %1").arg(i)));
        details += kCRLF + QStringLiteral("Notes :") + kCRLF + text("Notes");
        lblTitle->setText(text("Title"));
        m_detailsText = details;
        // The label breaks lines at a line feed alone.
        lbldetails->setText(QString(details).replace(kCRLF, QStringLiteral("\n")));
    });
}

bool frmCollection::bTracks_Show() {
    BusyScope busy;
    return guarded("bTracks_Show", [&] {
        // The tracks page comes from the catalogue title the search screen holds.
        if (!MvrDetails->titleHandle())
            if (TitleViewer* catalogue = catalogueViewer(); catalogue && catalogue != MvrDetails)
                MvrDetails->setTitleFile(catalogue->titleFile());
        if (hasRow()) {
            const QString context =
                QStringLiteral("R_") + QString::number(Data1->currentValue(QStringLiteral("Album ID")).toLongLong());
            // A recording the catalogue does not hold shows the contents, not the last page.
            if (!MvrDetails->jumpToContext(context)) MvrDetails->showContents();
        } else {
            MvrDetails->showContents();
        }
    });
}

bool frmCollection::bConnection_Show() {
    return guarded("bConnection_Show", [&] {
        if (!hasRow()) {
            lblTitle->setText(QString());
            m_detailsText.clear();
            lbldetails->setText(QString());
            return;
        }
        lblTitle->setText(strCheckNull(Data1->currentValue(QStringLiteral("Connection Name"))));
        m_detailsText = strConnection_Text(Data1->currentValue(QStringLiteral("Connection Description")),
                                           Data1->currentValue(QStringLiteral("Connection URL")),
                                           Data1->currentValue(QStringLiteral("Notes")));
        lbldetails->setText(QString(m_detailsText).replace(kCRLF, QStringLiteral("\n")));
    });
}

void frmCollection::imgtabdetails_Click() {
    if (m_detailTab == 0) return;
    m_detailTab = 0;
    imgtabdetails->showPressed();
    imgtabtracks->showNormal();
    detailsArea->show();
    lblTitle->show();
    MvrDetails->hide();
    Refresh_Details();
}

void frmCollection::imgtabtracks_Click() {
    if (m_detailTab == 1) return;
    m_detailTab = 1;
    imgtabtracks->showPressed();
    imgtabdetails->showNormal();
    detailsArea->hide();
    lblTitle->hide();
    MvrDetails->show();
    Refresh_Details();
}

// --- the buttons -----------------------------------------------------------------------------

void frmCollection::imgEdit_Click() {
    if (m_mode == screen::Connections) {
        if (!hasRow()) {
            ctx().messages().show(kSelectConnectionToEdit, mb::OKOnly);
            return;
        }
        // A new name may move the connection in the list: read it again, staying on it.
        if (bConnection_Item_Edit(currentConnectionID())) reread();
        Refresh_Details();
        return;
    }
    if (!hasRow()) {
        ctx().messages().show(kSelectRecordingToEdit, mb::OKOnly);
        return;
    }
    const QString catalogueNumber = strCheckNull(Data1->currentValue(QStringLiteral("Catalogue Number")));
    if (bCollection_Item_Edit(m_collectionID, catalogueNumber)) {
        m_readStamp = databaseStamp();
        Data1->refreshRows();
    }
    Refresh_Details();
}

void frmCollection::imgRemove_Click() {
    if (m_mode == screen::Connections) {
        if (!hasRow()) {
            ctx().messages().show(kSelectConnectionToRemove, mb::OKOnly);
            return;
        }
        const QString name = strCheckNull(Data1->currentValue(QStringLiteral("Connection Name")));
        if (bConnection_DeleteFrom(currentConnectionID(), name)) {
            reread();
            Init_Grid_Connection();
        }
        return;
    }
    if (!hasRow()) {
        ctx().messages().show(kSelectRecordingToRemove, mb::OKOnly);
        return;
    }
    const QString catalogueNumber = strCheckNull(Data1->currentValue(QStringLiteral("Catalogue Number")));
    // The row's text as the grid shows it (an item without an artist has no "Both").
    const QString shown = Data1->data(Data1->index(Data1->currentRow(), 0)).toString();
    if (bCollection_DeleteFrom(m_collectionID, catalogueNumber, shown)) {
        reread();
        Init_Grid_Collection();
    }
}

IListSearch* frmCollection::listSearchFor() {
    lstCollection->hide();
    IListSearch* dialog = listSearch();
    if (!dialog) return nullptr;
    // Connections offer every field under its own name.
    const bool collections = m_mode != screen::Connections;
    dialog->ExcludeFields(collections ? m_excluded : QList<int>());
    dialog->RenameFields(collections ? m_renamed : QList<int>(),
                         collections ? m_renamedNames : QStringList());
    return dialog;
}

void frmCollection::imgFilter_Click() {
    if (IListSearch* dialog = listSearchFor())
        dialog->Filter_Records(Data1, TDBGrid1, m_mode != screen::Connections ? m_renamed : QList<int>(),
                               m_mode != screen::Connections ? m_renamedNames : QStringList(),
                               WhereClause());
}

void frmCollection::imgSort_Click() {
    if (IListSearch* dialog = listSearchFor())
        dialog->Sort_Records(Data1, TDBGrid1, m_mode != screen::Connections ? m_renamed : QList<int>(),
                             m_mode != screen::Connections ? m_renamedNames : QStringList(),
                             OrderbyClause());
}

void frmCollection::imgSearch_Click() {
    if (IListSearch* dialog = listSearchFor()) dialog->Find_Record(Data1, TDBGrid1);
}

void frmCollection::imgPrint_Click() {
    guarded("imgPrint_Click", [&] {
        const CCollection* c = currentCollection();
        if (!c) return;
        List_Print(Data1->recordset(), *c);
    });
}

void frmCollection::imgActivate_Click() {
    bConnection_Item_Activate(hasRow() ? currentConnectionID() : 0);
}

void frmCollection::imgNew_Click() {
    qint32 id = 0;
    if (!bConnection_Item_Add(&id)) return;
    if (Set_DataSource_Conn()) {
        // The new connection becomes the current row.
        guarded("imgNew_Click", [&] {
            Recordset rs = Data1->recordset();
            rs.FindFirst(QStringLiteral("[Connection ID] = ") + QString::number(id));
            Data1->recordMoved();
        });
    }
    Init_Grid_Connection();
}

// --- the held scroll buttons -----------------------------------------------------------------

void frmCollection::scrollPressed(int direction) {
    m_refreshAllowed = false;
    m_scrollDirection = direction;
    scrollStep();
    m_scrollTimer->start(kFirstRepeatMs);
}

void frmCollection::scrollStep() {
    TDBGrid1->stepRow(m_scrollDirection);
}

void frmCollection::scrollReleased() {
    m_scrollTimer->stop();
    m_scrollDirection = 0;
    m_refreshAllowed = true;
    Refresh_Details();
}

void frmCollection::prepareGridMenu() {
    const bool row = hasRow();
    mnuPop2Prop->setEnabled(row);
    mnuPop2Remove->setEnabled(row);
    mnuPop2New->setEnabled(m_mode == screen::Connections);
    mnuPop2Activate->setEnabled(row);
}

} // namespace kv
