// Building the search screen's controls: their pictures, styles, names, events and the
// order the keyboard visits them in.
#include "app/Navigation.h"
#include "app/ScreenStyle.h"
#include "collections/SearchCollections.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "search/UnboundGrid.h"
#include "search/frmSearch.h"
#include "search/frmpopup.h"
#include "titles/TitleLinks.h"
#include "titles/TitleViewer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

namespace kv {

namespace {

const char* const kKeywordStyle =
    "QLineEdit { background: #14161f; color: #f4efe6; border: 1px solid #3a3f52;"
    "  border-radius: 4px;"
    "  padding: 1px 6px; selection-background-color: #e8a33d; selection-color: #14161f; }"
    "QLineEdit:focus { border: 1px solid #e8a33d; }"
    "QLineEdit:read-only { color: #a9a49b; }";

const char* const kComboStyle =
    "QComboBox { background: #14161f; color: #f4efe6; border: 1px solid #3a3f52;"
    "  border-radius: 4px;"
    "  padding: 1px 6px; }"
    "QComboBox:focus { border: 1px solid #e8a33d; }"
    "QComboBox::drop-down { width: 0; border: none; }"
    "QComboBox::down-arrow { image: none; width: 0; }"
    "QComboBox QAbstractItemView { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d;"
    "  selection-background-color: #e8a33d; selection-color: #14161f; }";

QLabel* textLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(0xa9, 0xa4, 0x9b));
    label->setPalette(p);
    QFont f = label->font();
    f.setPointSizeF(8.5);
    label->setFont(f);
    return label;
}

// A hidden label that keeps a picture for the scroll buttons.
QLabel* pictureStore(QWidget* parent, const char* name, int number) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setPixmap(resourcePicture(ctx().constants.lngResourceBase + number, parent));
    l->hide();
    return l;
}

UnboundGrid* grid(QWidget* parent, const char* name, const QString& listName) {
    auto* g = new UnboundGrid({QStringLiteral("ub_grid1"), QStringLiteral("ub_grid2")}, parent);
    g->setObjectName(QLatin1String(name));
    g->setStyleSheet(QString::fromLatin1(screenStyle::Grid));
    g->setListName(listName);
    return g;
}

} // namespace

void frmSearch::createControls() {
    createBackdrop();
    createRecordingPanel();
    createKeywordPanel();
    createTopicPanel();
    createCollectionsPart();
    connectEvents();
    orderTabs();
}

void frmSearch::createBackdrop() {
    imgMain = new QLabel(this);
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setPixmap(resourcePicture(ctx().constants.lngResourceBase + searchArt::Backdrop, this));
    imgMain->setScaledContents(true);
    imgMain->setGeometry(rect());
    Shape1 = screenPanel(this, "Shape1");
    Shape2 = screenPanel(this, "Shape2");
    Shape3 = screenPanel(this, "Shape3");
    Shape4 = screenPanel(this, "Shape4");
    Shape5 = screenPanel(this, "Shape5");
}

// The search type tabs, the keyword box and the keyword grid.
void frmSearch::createKeywordPanel() {
    static const char* const kTypeNames[searchType::Count] = {"imgSType0", "imgSType1", "imgSType2", "imgSType3"};
    static const QString kTypeLabels[searchType::Count] = {QStringLiteral("Artists"), QStringLiteral("Albums"),
                                                           QStringLiteral("Tracks"), QStringLiteral("Cat. No.")};
    static const QString kTypeTips[searchType::Count] = {
        QStringLiteral("Search the artists"), QStringLiteral("Search the albums"), QStringLiteral("Search the tracks"),
        QStringLiteral("Search by catalogue number")};

    txtKeyword = new QLineEdit(this);
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    txtKeyword->setAccessibleName(QStringLiteral("Search for"));
    txtKeyword->setStyleSheet(QString::fromLatin1(kKeywordStyle));
    txtKeyword->setMaxLength(255);
    txtKeyword->installEventFilter(this);

    lblHits1 = textLabel(this, "lblHits1");
    imgGo = screenButton(this, "imgGo", searchArt::Go, searchArt::GoDown, QStringLiteral("Go"), QStringLiteral("Search"));
    imgTDn_Dn = pictureStore(this, "imgTDn_Dn", searchArt::ScrollDnDown);
    imgTDn_Up = pictureStore(this, "imgTDn_Up", searchArt::ScrollDn);
    imgTUp_Dn = pictureStore(this, "imgTUp_Dn", searchArt::ScrollUpDown);
    imgTUP_up = pictureStore(this, "imgTUP_up", searchArt::ScrollUp);
    imgMDn = screenButton(this, "imgMDn", searchArt::ScrollDn, searchArt::ScrollDnDown,
                    QStringLiteral("Scroll the key words down"), QStringLiteral("Scroll down"));
    imgMUp = screenButton(this, "imgMUp", searchArt::ScrollUp, searchArt::ScrollUpDown,
                    QStringLiteral("Scroll the key words up"), QStringLiteral("Scroll up"));

    TDBGrid1 = grid(this, "TDBGrid1", QStringLiteral("Key words"));
    // One column, "Key Word": the second is not used.
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->model()->setHeaderData(0, Qt::Horizontal, kKeyWordCaption);
    TDBGrid1->setRowProvider([this](qint32 row, int) { return m_search.keyword(row); });

    for (int t = 0; t < searchType::Count; ++t) {
        imgSType[t] = screenButton(this, kTypeNames[t], searchArt::TypeTab[t][0], searchArt::TypeTab[t][1], kTypeLabels[t],
                             kTypeTips[t]);
        imgSType[t]->setProperty("Index", t);
        // The chosen type keeps its pressed picture.
        imgSType[t]->setRestoreOnRelease(false);
    }
}

// The topics filed under the chosen keyword.
void frmSearch::createTopicPanel() {
    lblAlbum = new QLabel(QStringLiteral("Recordings"), this);
    lblAlbum->setObjectName(QStringLiteral("lblAlbum"));
    QFont serif(QStringLiteral("Times New Roman"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(12.5);
    serif.setItalic(true);
    lblAlbum->setFont(serif);
    QPalette albumInk = lblAlbum->palette();
    albumInk.setColor(QPalette::WindowText, QColor(0xf4, 0xef, 0xe6));
    lblAlbum->setPalette(albumInk);

    LblHits2 = textLabel(this, "LblHits2");
    LblHits2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TDBGrid2 = grid(this, "TDBGrid2", QStringLiteral("Recordings"));
    TDBGrid2->model()->setHeaderData(0, Qt::Horizontal, QStringLiteral("Recording"));
    TDBGrid2->model()->setHeaderData(1, Qt::Horizontal, QStringLiteral("Address"));
    // The second column carries the topic address.
    TDBGrid2->setColumnHidden(1, true);
    TDBGrid2->view()->horizontalHeader()->hide();
    TDBGrid2->setRowProvider([this](qint32 row, int column) { return topicRow(row, column); });
    imgRDn = screenButton(this, "imgRDn", searchArt::ScrollDn, searchArt::ScrollDnDown,
                    QStringLiteral("Scroll the recordings down"), QStringLiteral("Scroll down"));
    imgRUp = screenButton(this, "imgRUp", searchArt::ScrollUp, searchArt::ScrollUpDown,
                    QStringLiteral("Scroll the recordings up"), QStringLiteral("Scroll up"));
}

// The viewer with the chosen topic, its releases and the buttons that act on them.
void frmSearch::createRecordingPanel() {
    picDrop = new QLabel(this);
    picDrop->setObjectName(QStringLiteral("picDrop"));
    cboReleases = new QComboBox(picDrop);
    cboReleases->setObjectName(QStringLiteral("cboReleases"));
    cboReleases->setAccessibleName(QStringLiteral("Releases"));
    cboReleases->setStyleSheet(QString::fromLatin1(kComboStyle));
    cboReleases->setToolTip(QStringLiteral("The releases of this recording"));
    // The list may be wider than the box: a release's date and format stay whole.
    cboReleases->view()->setMinimumWidth(230);
    imgDrop = new ImageButton(ctx().constants.lngResourceBase + searchArt::Drop,
                              ctx().constants.lngResourceBase + searchArt::DropDown, picDrop);
    imgDrop->setObjectName(QStringLiteral("imgDrop"));
    imgDrop->setAccessibleName(QStringLiteral("Show the releases"));
    imgDrop->setToolTip(QStringLiteral("Show the releases"));

    MvrDetails = new TitleViewer(this);
    MvrDetails->setObjectName(QStringLiteral("MvrDetails"));
    MvrDetails->setAccessibleName(QStringLiteral("Recording details"));
    // Pages wrap to the viewer's width; a table a few pixels too wide is not worth a bar.
    MvrDetails->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Screen readers list the page's scroll bar apart from the page.
    MvrDetails->verticalScrollBar()->setAccessibleName(QStringLiteral("Recording details"));

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(resourcePicture(ctx().constants.lngResourceBase + searchArt::RecordingIcon, this));
    imgIcon->setAccessibleName(QStringLiteral("Recording"));
    imgUp = screenButton(this, "imgUp", searchArt::ScrollUp, searchArt::ScrollUpDown, QStringLiteral("Previous release"),
                   QStringLiteral("Previous release"));
    imgDown = screenButton(this, "imgDown", searchArt::ScrollDn, searchArt::ScrollDnDown, QStringLiteral("Next release"),
                     QStringLiteral("Next release"));
    LblReleases = textLabel(this, "LblReleases");
    imgGot_it = screenButton(this, "imgGot_it", searchArt::GotIt, searchArt::GotItDown, QStringLiteral("Got it"),
                       QStringLiteral("Add to one of your collections"));
    imgWant_it = screenButton(this, "imgWant_it", searchArt::WantIt, searchArt::WantItDown, QStringLiteral("Want it"),
                        QStringLiteral("Add to your shopping list"));
    imgDetails = screenButton(this, "imgDetails", searchArt::Details, searchArt::DetailsDown, QStringLiteral("Details"),
                        QStringLiteral("Details of the recording"));
    imgSearch = screenButton(this, "imgSearch", searchArt::Search, searchArt::SearchDown,
                       QStringLiteral("Back to the search"), QStringLiteral("Back to the search"));
}

// The icons of the collections that hold the shown release and the two pop-up menus.
void frmSearch::createCollectionsPart() {
    picCollections = new QWidget(this);
    picCollections->setObjectName(QStringLiteral("picCollections"));
    picCollections->setAccessibleName(QStringLiteral("Your collections that hold this release"));
    auto* icons = new QHBoxLayout(picCollections);
    icons->setContentsMargins(0, 0, 0, 0);
    icons->setSpacing(4);
    icons->addStretch();

    mnuPopup1Node = new QMenu(QStringLiteral("Popup1"), this);
    mnuPopup1Node->setObjectName(QStringLiteral("mnuPopup1Node"));
    mnuPopupRemove = mnuPopup1Node->addAction(QStringLiteral("Remove"));
    mnuPopupRemove->setObjectName(QStringLiteral("mnuPopupRemove"));
    mnuPopupProp = mnuPopup1Node->addAction(QStringLiteral("Properties"));
    mnuPopupProp->setObjectName(QStringLiteral("mnuPopupProp"));
    mnuPopup2Node = new QMenu(QStringLiteral("Popup2"), this);
    mnuPopup2Node->setObjectName(QStringLiteral("mnuPopup2Node"));
    for (QMenu* menu : {mnuPopup1Node, mnuPopup2Node})
        menu->setStyleSheet(QString::fromLatin1(screenStyle::Menu));
    // The collections fill the got-it menu and the icons, and add the release shown.
    m_collections = new SearchCollections(
        {mnuPopup2Node, picCollections, mnuPopup1Node, mnuPopupRemove, mnuPopupProp},
        [this](TopicRecord& recording, ReleaseRecord& release) {
            if (m_topicKind != kTopicRecording || m_selectedRelease < 1 ||
                m_selectedRelease > releaseUpperBound(m_releases))
                return false;
            recording = m_topic;
            release = m_releases[m_selectedRelease];
            return true;
        },
        this);
}

void frmSearch::connectEvents() {
    connect(txtKeyword, &QLineEdit::textEdited, this, [this] { txtKeyword_Change(); });
    connect(imgGo, &ImageButton::clicked, this, [this] { Search_Step(); });
    connect(TDBGrid1, &UnboundGrid::rowChosen, this, [this](qint32 row) { TDBGrid1_Choose(row); });
    connect(TDBGrid2, &UnboundGrid::rowChosen, this, [this](qint32 row) { TDBGrid2_Choose(row); });
    connect(imgMUp, &ImageButton::clicked, this, [this] { TDBGrid1->scrollRows(-1); });
    connect(imgMDn, &ImageButton::clicked, this, [this] { TDBGrid1->scrollRows(1); });
    connect(imgRUp, &ImageButton::clicked, this, [this] { TDBGrid2->scrollRows(-1); });
    connect(imgRDn, &ImageButton::clicked, this, [this] { TDBGrid2->scrollRows(1); });
    connect(imgDrop, &ImageButton::clicked, this, [this] {
        if (cboReleases->count() > 0)
            cboReleases->showPopup();
    });
    connect(imgUp, &ImageButton::clicked, this, [this] { stepRelease(-1); });
    connect(imgDown, &ImageButton::clicked, this, [this] { stepRelease(1); });
    connect(cboReleases, &QComboBox::activated, this, [this](int index) { cboReleases_Click(index); });
    connect(imgWant_it, &ImageButton::clicked, this, [this] { m_collections->imgWant_it_Click(); });
    connect(imgGot_it, &ImageButton::released, this, [this] {
        m_collections->imgGot_it_MouseUp(imgGot_it->mapToGlobal(QPoint(0, imgGot_it->height())));
    });
    connect(imgDetails, &ImageButton::clicked, this, [this] { imgDetails_Click(); });
    connect(imgSearch, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Search); });
    for (int t = 0; t < searchType::Count; ++t) {
        connect(imgSType[t], &ImageButton::released, this, [this] { showTypeButtons(); });
        connect(imgSType[t], &ImageButton::clicked, this, [this, t] { imgSType_Click(t); });
    }
    connect(MvrDetails, &TitleViewer::topicShown, this, [this] { MvrDetails_TopicShown(); });
    connectSearchViewerLinks(MvrDetails, [](const QString& artist) { bShow_ArtistPopup(artist); });
}

// The keyboard goes through the screen as the eye reads it: the type tabs, the keyword
// box and its grid, the recordings, then the shown recording and what acts on it.
void frmSearch::orderTabs() {
    const QList<QWidget*> order{imgSType[0], imgSType[1], imgSType[2], imgSType[3], txtKeyword, imgGo,
                                imgMUp,      imgMDn,      TDBGrid1->view(), imgRUp,      imgRDn,
                                TDBGrid2->view(), MvrDetails, cboReleases, imgDrop,   imgUp,
                                imgDown,     imgGot_it,   imgWant_it,  imgDetails,       imgSearch};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool frmSearch::loadPictures() {
    const int base = ctx().constants.lngResourceBase;
    IResources* resources = ctx().services.resources.get();
    if (!resources)
        return false;
    QList<int> numbers;
    for (const auto& tab : searchArt::TypeTab)
        numbers << tab[0] << tab[1];
    numbers << searchArt::Go << searchArt::GoDown << searchArt::ScrollUp << searchArt::ScrollUpDown
            << searchArt::ScrollDn << searchArt::ScrollDnDown << searchArt::Drop << searchArt::DropDown
            << searchArt::Details << searchArt::DetailsDown << searchArt::Search << searchArt::SearchDown
            << searchArt::GotIt << searchArt::GotItDown << searchArt::WantIt << searchArt::WantItDown
            << searchArt::RecordingIcon << searchArt::Backdrop;
    return std::all_of(numbers.begin(), numbers.end(),
                       [&](int n) { return !resources->pictureSize(base + n).isEmpty(); });
}

} // namespace kv
