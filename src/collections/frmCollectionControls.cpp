// Building the collection screen's controls: their pictures, styles, names, events and the
// order the keyboard visits them in.
#include "app/ScreenStyle.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/frmCollection.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/WindowUtil.h"
#include "titles/TitleViewer.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace kv {

namespace {

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

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

} // namespace

void frmCollection::createControls() {
    createBackdrop();
    createGrid();
    createDetailsPanel();
    createButtons();
    createCollectionHeading();
    createMenus();
    connectEvents();
    connectButtons();
    orderTabs();
}

void frmCollection::createBackdrop() {
    ImgMain = named(new QLabel(this), QStringLiteral("ImgMain"));
    ImgMain->setPixmap(resourcePicture(ctx().constants.lngResourceBase + collectionArt::Backdrop, this));
    ImgMain->setScaledContents(true);
    Shape1 = screenPanel(this, "Shape1");
    Shape2 = screenPanel(this, "Shape2");
    Shape3 = screenPanel(this, "Shape3");
}

// The grid over the data control, and the buttons that move its current row.
void frmCollection::createGrid() {
    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    TDBGrid1 = named(new DataGrid(this), QStringLiteral("TDBGrid1"));
    TDBGrid1->setStyleSheet(QString::fromLatin1(screenStyle::Grid));
    TDBGrid1->setDataControl(Data1);
    imgUp = screenButton(this, "imgUp", collectionArt::ScrollUp, collectionArt::ScrollUpDown,
                         QStringLiteral("Previous row"), QStringLiteral("Previous row"));
    imgDn = screenButton(this, "imgDn", collectionArt::ScrollDn, collectionArt::ScrollDnDown,
                         QStringLiteral("Next row"), QStringLiteral("Next row"));
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setObjectName(QStringLiteral("scrollTimer"));
}

// The selected row's heading and text, its tracks page, and the two tabs between them.
void frmCollection::createDetailsPanel() {
    lblTitle = inkLabel(this, "lblTitle", QColor(0xf4, 0xef, 0xe6), 11, true);
    lblTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detailsArea = named(new QScrollArea(this), QStringLiteral("detailsArea"));
    detailsArea->setStyleSheet(QString::fromLatin1(screenStyle::ScrollArea));
    detailsArea->setWidgetResizable(true);
    detailsArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbldetails = inkLabel(nullptr, "lbldetails", QColor(0xd8, 0xd3, 0xc8), 9, false);
    lbldetails->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbldetails->setWordWrap(true);
    lbldetails->setTextFormat(Qt::PlainText);
    lbldetails->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lbldetails->setAccessibleName(QStringLiteral("Details"));
    detailsArea->setWidget(lbldetails);
    // Screen readers list a scroll bar apart from what it scrolls.
    detailsArea->verticalScrollBar()->setAccessibleName(QStringLiteral("Details"));

    MvrDetails = named(new TitleViewer(this), QStringLiteral("MvrDetails"));
    MvrDetails->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MvrDetails->setAccessibleName(QStringLiteral("Tracks"));
    MvrDetails->verticalScrollBar()->setAccessibleName(QStringLiteral("Tracks"));
    MvrDetails->hide();

    imgtabdetails = screenButton(this, "imgtabdetails", collectionArt::TabDetails, collectionArt::TabDetailsDown,
                                 QStringLiteral("Show the details"), QStringLiteral("Show the details"));
    imgtabtracks = screenButton(this, "imgtabtracks", collectionArt::TabTracks, collectionArt::TabTracksDown,
                                QStringLiteral("Show the tracks"), QStringLiteral("Show the tracks"));
    // The active tab keeps its pressed picture.
    imgtabdetails->setRestoreOnRelease(false);
    imgtabtracks->setRestoreOnRelease(false);
    imgtabdetails->showPressed();
}

// The buttons under the details; each mode shows its own (showModeControls).
void frmCollection::createButtons() {
    imgActivate = screenButton(this, "imgActivate", collectionArt::Activate, collectionArt::ActivateDown,
                               QStringLiteral("Open the site in your browser"), QStringLiteral("Open the site in your browser"));
    imgNew = screenButton(this, "imgNew", collectionArt::New, collectionArt::NewDown,
                          QStringLiteral("New connection"), QStringLiteral("New connection"));
    imgRemove = screenButton(this, "imgRemove", collectionArt::Remove, collectionArt::RemoveDown,
                             QStringLiteral("Remove"), QStringLiteral("Remove"));
    imgPrint = screenButton(this, "imgPrint", collectionArt::Print, collectionArt::PrintDown,
                            QStringLiteral("Print the collection"), QStringLiteral("Print the collection"));
    imgEdit = screenButton(this, "imgEdit", collectionArt::Edit, collectionArt::EditDown, QStringLiteral("Edit"),
                           QStringLiteral("Edit"));
    imgFilter = screenButton(this, "imgFilter", collectionArt::Filter, collectionArt::FilterDown,
                             QStringLiteral("Filter"), QStringLiteral("Show only what matches"));
    imgSearch = screenButton(this, "imgSearch", collectionArt::Find, collectionArt::FindDown, QStringLiteral("Find"),
                             QStringLiteral("Find in the list"));
    imgSort = screenButton(this, "imgSort", collectionArt::Sort, collectionArt::SortDown, QStringLiteral("Sort"),
                           QStringLiteral("Sort the list"));
    imgCollections = screenButton(this, "imgCollections", collectionArt::Collections, collectionArt::CollectionsDown,
                                  QStringLiteral("Manage the collections"), QStringLiteral("Add, edit or delete collections"));
}

// The shown collection's icon and name, and the drop-down list of collections.
void frmCollection::createCollectionHeading() {
    imgIcon = named(new QLabel(this), QStringLiteral("imgIcon"));
    imgIcon->setAccessibleName(QStringLiteral("Collection icon"));
    imgIcon->setAccessibleDescription(QStringLiteral("The menu key deletes the collection or shows its properties"));
    imgIcon->setToolTip(QStringLiteral("Right-click for the collection's menu"));
    // Tab reaches the icon, and the menu key opens its menu as a right click does.
    imgIcon->setFocusPolicy(Qt::TabFocus);
    imgDrop = screenButton(this, "imgDrop", collectionArt::Drop, collectionArt::DropDown,
                           QStringLiteral("Choose another collection"), QStringLiteral("Choose another collection"));
    LblCollection = inkLabel(this, "LblCollection", QColor(0xf4, 0xef, 0xe6), 11.5, true);
    LblCollection->setAccessibleName(QStringLiteral("Collection"));
    LblCollection->setToolTip(QStringLiteral("Click to choose another collection"));
    LblCollection->setCursor(Qt::PointingHandCursor);

    lstCollection = named(new QListWidget(this), QStringLiteral("lstCollection"));
    lstCollection->setStyleSheet(QString::fromLatin1(screenStyle::List));
    lstCollection->setAccessibleName(QStringLiteral("Collections"));
    lstCollection->setProperty(ScreenWindow::ClosesOnEscape, true);
    lstCollection->hide();
}

void frmCollection::createMenus() {
    mnuPopup1Node = named(new QMenu(QStringLiteral("Popup1"), this), QStringLiteral("mnuPopup1Node"));
    mnuPop1Delete = menuItem(mnuPopup1Node, "mnuPop1Delete", QStringLiteral("Delete"));
    mnuPop1Prop = menuItem(mnuPopup1Node, "mnuPop1Prop", QStringLiteral("Properties"));
    mnuPopup2Node = named(new QMenu(QStringLiteral("Popup2"), this), QStringLiteral("mnuPopup2Node"));
    mnuPop2Activate = menuItem(mnuPopup2Node, "mnuPop2Activate", QStringLiteral("Activate"));
    mnuPop2Sep1 = mnuPopup2Node->addSeparator();
    mnuPop2Sep1->setObjectName(QStringLiteral("mnuPop2Sep1"));
    mnuPop2New = menuItem(mnuPopup2Node, "mnuPop2New", QStringLiteral("New"));
    mnuPop2Remove = menuItem(mnuPopup2Node, "mnuPop2Remove", QStringLiteral("Remove"));
    mnuPop2Prop = menuItem(mnuPopup2Node, "mnuPop2Prop", QStringLiteral("Properties"));
    for (QMenu* menu : {mnuPopup1Node, mnuPopup2Node})
        menu->setStyleSheet(QString::fromLatin1(screenStyle::Menu));
}

// The grid, the list, the menus and the panels.
void frmCollection::connectEvents() {
    connect(Data1, &DataControl::currentRowChanged, this, [this] { rowChanged(); });
    connect(TDBGrid1, &DataGrid::rowActivated, this, [this] { imgEdit_Click(); });
    connect(TDBGrid1, &DataGrid::menuRequested, this, [this](const QPoint& at) {
        prepareGridMenu();
        mnuPopup2Node->popup(at);
    });
    connect(m_scrollTimer, &QTimer::timeout, this, [this] { scrollStep(); });
    connect(lstCollection, &QListWidget::itemClicked, this, [this] { Refresh_Collection(); });
    connect(mnuPop1Delete, &QAction::triggered, this, [this] { mnuPop1Delete_Click(); });
    connect(mnuPop1Prop, &QAction::triggered, this, [this] { mnuPop1Prop_Click(); });
    connect(mnuPop2Activate, &QAction::triggered, this, [this] { imgActivate_Click(); });
    connect(mnuPop2New, &QAction::triggered, this, [this] { imgNew_Click(); });
    connect(mnuPop2Remove, &QAction::triggered, this, [this] { imgRemove_Click(); });
    connect(mnuPop2Prop, &QAction::triggered, this, [this] { imgEdit_Click(); });
    // The tracks page's links lead nowhere from here: the click is taken and dropped.
    connect(MvrDetails, &TitleViewer::linkClicked, this, [](TitleLinkEvent& event) { event.handled = true; });
    for (QWidget* w : std::initializer_list<QWidget*>{imgIcon, LblCollection, lstCollection})
        w->installEventFilter(this);
}

void frmCollection::connectButtons() {
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
}

// The keyboard goes through the screen as the eye reads it: the collection, the list and
// its row buttons, the details with their tabs, then the buttons that act.
void frmCollection::orderTabs() {
    const QList<QWidget*> order{imgIcon,   imgDrop,     TDBGrid1,  imgUp,    imgDn,
                                imgtabdetails, imgtabtracks, lbldetails, MvrDetails, imgSearch,
                                imgFilter, imgSort,     imgPrint,  imgActivate, imgEdit,
                                imgRemove, imgCollections, imgNew};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace kv
