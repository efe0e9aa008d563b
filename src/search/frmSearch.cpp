#include "search/frmSearch.h"

#include "app/Navigation.h"
#include "collections/CollectionStore.h"
#include "collections/SearchCollections.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "search/UnboundGrid.h"
#include "search/frmpopup.h"
#include "settings/SearchScreenHook.h"
#include "titles/TitleAccess.h"
#include "titles/TitleLinks.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Wheels.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

namespace kv {

namespace {

const QString kUnableGraphics = QStringLiteral("Unable to load all the Search screen graphics");
const QString kResolution = QStringLiteral("Resolution not catered for");
const QString kSelectRecording = QStringLiteral("Please select a recording");
const QString kItems = QStringLiteral(" items");
const QString kMatches = QStringLiteral(" matches");

// The smallest desktop (logical pixels) the layout is drawn for; anything larger shows the
// same layout, scaled by Qt on high-density screens.
constexpr int kSmallestWidth = 640;
constexpr int kSmallestHeight = 480;

const QString kPlaceholder[3] = {QStringLiteral("Artist's name"), QStringLiteral("Album title"),
                                 QStringLiteral("Track title")};

const char* const kGridStyle =
    "QTableView { background: #14161f; alternate-background-color: #171a24; color: #f4efe6;"
    "  border: 1px solid #2b3042; selection-background-color: #e8a33d; selection-color: #14161f;"
    "  outline: 0; }"
    "QTableView:focus { border: 1px solid #8a6a3a; }"
    "QTableView::item { padding-left: 4px; }"
    "QHeaderView::section { background: #2b3042; color: #b9b4a8; border: none;"
    "  padding: 2px 4px; font-weight: bold; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::handle:vertical:disabled { background: transparent; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
    "QLabel { color: #a9a49b; }";

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
    "QComboBox::drop-down { width: 0; border: none; }"
    "QComboBox::down-arrow { image: none; width: 0; }"
    "QComboBox QAbstractItemView { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d;"
    "  selection-background-color: #e8a33d; selection-color: #14161f; }";

const char* const kMenuStyle =
    "QMenu { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; padding: 3px; }"
    "QMenu::item { padding: 3px 18px 3px 12px; }"
    "QMenu::item:selected { background: #e8a33d; color: #14161f; }"
    "QMenu::item:disabled { color: #6f6b66; }";

const char* const kShapeStyle =
    "QFrame { background: rgba(20, 22, 31, 150); border: 1px solid rgba(232, 163, 61, 60);"
    "  border-radius: 6px; }";

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

QFrame* shape(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setStyleSheet(QString::fromLatin1(kShapeStyle));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

} // namespace

frmSearch::frmSearch() : ScreenWindow(QStringLiteral("frmSearch")) {
    createControls();
    registerArtistPopup();

    SearchScreenHook& hook = ctx().slot<SearchScreenHook>();
    hook.SearchType = [this] { return m_searchType; };
    hook.refresh_Search = [this] { refresh_Search(); };

    if (!loadPictures()) ctx().messages().show(kUnableGraphics, mb::OKOnly | mb::Exclamation);

    // Layout class 0 is drawn for 640 x 480 logical pixels and serves every larger desktop.
    Constants& c = ctx().constants;
    int width = c.intScreenWidth, height = c.intScreenHeight;
    if (width <= 0 || height <= 0)
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            width = screen->geometry().width();
            height = screen->geometry().height();
        }
    if (width > 0 && height > 0 && (width < kSmallestWidth || height < kSmallestHeight)) {
        ctx().messages().beep();
        ctx().messages().show(kResolution, mb::OKOnly | mb::Exclamation);
    }
    arrange(screen::Search);
    CenterColCaption();
}

frmSearch::~frmSearch() {
    closeWordWheels();
    SearchScreenHook& hook = ctx().slot<SearchScreenHook>();
    hook.SearchType = nullptr;
    hook.refresh_Search = nullptr;
}

void frmSearch::createControls() {
    const int base = ctx().constants.lngResourceBase;
    const auto button = [&](const char* name, int normal, int pressed,
                            const QString& tip = QString()) {
        auto* b = new ImageButton(base + normal, base + pressed, this);
        b->setObjectName(QLatin1String(name));
        if (!tip.isEmpty()) b->setToolTip(tip);
        return b;
    };
    const auto pictureStore = [&](const char* name, int number) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setPixmap(resourcePicture(base + number, this));
        l->hide();
        return l;
    };

    imgMain = new QLabel(this);
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setPixmap(resourcePicture(base + searchArt::Backdrop, this));
    imgMain->setScaledContents(true);
    imgMain->setGeometry(rect());
    Shape1 = shape(this, "Shape1");
    Shape2 = shape(this, "Shape2");
    Shape3 = shape(this, "Shape3");
    Shape4 = shape(this, "Shape4");
    Shape5 = shape(this, "Shape5");

    picDrop = new QLabel(this);
    picDrop->setObjectName(QStringLiteral("picDrop"));
    cboReleases = new QComboBox(picDrop);
    cboReleases->setObjectName(QStringLiteral("cboReleases"));
    cboReleases->setStyleSheet(QString::fromLatin1(kComboStyle));
    cboReleases->setToolTip(QStringLiteral("The releases of this recording"));
    // The list may be wider than the box: a release's date and format stay whole.
    cboReleases->view()->setMinimumWidth(230);
    imgDrop = new ImageButton(base + searchArt::Drop, base + searchArt::DropDown, picDrop);
    imgDrop->setObjectName(QStringLiteral("imgDrop"));
    imgDrop->setToolTip(QStringLiteral("Show the releases"));

    MvrDetails = new TitleViewer(this);
    MvrDetails->setObjectName(QStringLiteral("MvrDetails"));
    // Pages wrap to the viewer's width; a table a few pixels too wide is not worth a bar.
    MvrDetails->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    txtKeyword = new QLineEdit(this);
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    txtKeyword->setStyleSheet(QString::fromLatin1(kKeywordStyle));
    txtKeyword->setMaxLength(255);
    txtKeyword->installEventFilter(this);

    LblHits2 = textLabel(this, "LblHits2");
    LblHits2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblHits1 = textLabel(this, "lblHits1");
    imgGo = button("imgGo", searchArt::Go, searchArt::GoDown, QStringLiteral("Search"));
    imgTDn_Dn = pictureStore("imgTDn_Dn", searchArt::ScrollDnDown);
    imgTDn_Up = pictureStore("imgTDn_Up", searchArt::ScrollDn);
    imgTUp_Dn = pictureStore("imgTUp_Dn", searchArt::ScrollUpDown);
    imgTUP_up = pictureStore("imgTUP_up", searchArt::ScrollUp);

    TDBGrid2 = new UnboundGrid({QStringLiteral("ub_grid1"), QStringLiteral("ub_grid2")}, this);
    TDBGrid2->setObjectName(QStringLiteral("TDBGrid2"));
    TDBGrid2->setStyleSheet(QString::fromLatin1(kGridStyle));
    TDBGrid2->model()->setHeaderData(0, Qt::Horizontal, QStringLiteral("Recording"));
    TDBGrid2->model()->setHeaderData(1, Qt::Horizontal, QStringLiteral("Address"));
    // The second column carries the topic address.
    TDBGrid2->setColumnHidden(1, true);
    TDBGrid2->view()->horizontalHeader()->hide();
    TDBGrid2->setRowProvider([this](qint32 row, int column) { return topicRow(row, column); });

    imgRDn = button("imgRDn", searchArt::ScrollDn, searchArt::ScrollDnDown,
                    QStringLiteral("Scroll down"));
    imgRUp =
        button("imgRUp", searchArt::ScrollUp, searchArt::ScrollUpDown, QStringLiteral("Scroll up"));
    imgMDn = button("imgMDn", searchArt::ScrollDn, searchArt::ScrollDnDown,
                    QStringLiteral("Scroll down"));
    imgMUp =
        button("imgMUp", searchArt::ScrollUp, searchArt::ScrollUpDown, QStringLiteral("Scroll up"));

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setPixmap(resourcePicture(base + searchArt::RecordingIcon, this));
    imgUp = button("imgUp", searchArt::ScrollUp, searchArt::ScrollUpDown,
                   QStringLiteral("Previous release"));
    imgDown = button("imgDown", searchArt::ScrollDn, searchArt::ScrollDnDown,
                     QStringLiteral("Next release"));
    LblReleases = textLabel(this, "LblReleases");
    imgGot_it = button("imgGot_it", searchArt::GotIt, searchArt::GotItDown,
                       QStringLiteral("Add to one of your collections"));
    imgWant_it = button("imgWant_it", searchArt::WantIt, searchArt::WantItDown,
                        QStringLiteral("Add to your shopping list"));

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

    imgDetails = button("imgDetails", searchArt::Details, searchArt::DetailsDown,
                        QStringLiteral("Details of the recording"));
    imgSearch = button("imgSearch", searchArt::Search, searchArt::SearchDown,
                       QStringLiteral("Back to the search"));

    TDBGrid1 = new UnboundGrid({QStringLiteral("ub_grid1"), QStringLiteral("ub_grid2")}, this);
    TDBGrid1->setObjectName(QStringLiteral("TDBGrid1"));
    TDBGrid1->setStyleSheet(QString::fromLatin1(kGridStyle));
    // One column, "Key Word": the second is not used.
    TDBGrid1->setColumnHidden(1, true);
    TDBGrid1->model()->setHeaderData(0, Qt::Horizontal, kKeyWordCaption);
    TDBGrid1->setRowProvider([this](qint32 row, int) { return keywordRow(row); });

    static const char* const kTypeNames[3] = {"imgSType0", "imgSType1", "imgSType2"};
    static const QString kTypeTips[3] = {QStringLiteral("Search the artists"),
                                         QStringLiteral("Search the albums"),
                                         QStringLiteral("Search the tracks")};
    for (int t = 0; t < 3; ++t) {
        imgSType[t] =
            button(kTypeNames[t], searchArt::TypeTab[t][0], searchArt::TypeTab[t][1], kTypeTips[t]);
        imgSType[t]->setProperty("Index", t);
        // The chosen type keeps its pressed picture.
        imgSType[t]->setRestoreOnRelease(false);
    }

    picCollections = new QWidget(this);
    picCollections->setObjectName(QStringLiteral("picCollections"));
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
        menu->setStyleSheet(QString::fromLatin1(kMenuStyle));
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

    // Events.
    connect(txtKeyword, &QLineEdit::textEdited, this, [this] { txtKeyword_Change(); });
    connect(imgGo, &ImageButton::clicked, this, [this] { Search_Step(); });
    connect(TDBGrid1, &UnboundGrid::rowChosen, this, [this](qint32 row) { TDBGrid1_Choose(row); });
    connect(TDBGrid2, &UnboundGrid::rowChosen, this, [this](qint32 row) { TDBGrid2_Choose(row); });
    connect(imgMUp, &ImageButton::clicked, this, [this] { TDBGrid1->scrollRows(-1); });
    connect(imgMDn, &ImageButton::clicked, this, [this] { TDBGrid1->scrollRows(1); });
    connect(imgRUp, &ImageButton::clicked, this, [this] { TDBGrid2->scrollRows(-1); });
    connect(imgRDn, &ImageButton::clicked, this, [this] { TDBGrid2->scrollRows(1); });
    connect(imgDrop, &ImageButton::clicked, this, [this] {
        if (cboReleases->count() > 0) cboReleases->showPopup();
    });
    connect(imgUp, &ImageButton::clicked, this, [this] { stepRelease(-1); });
    connect(imgDown, &ImageButton::clicked, this, [this] { stepRelease(1); });
    connect(cboReleases, &QComboBox::activated, this,
            [this](int index) { cboReleases_Click(index); });
    connect(imgWant_it, &ImageButton::clicked, this, [this] { m_collections->imgWant_it_Click(); });
    connect(imgGot_it, &ImageButton::released, this, [this] {
        m_collections->imgGot_it_MouseUp(imgGot_it->mapToGlobal(QPoint(0, imgGot_it->height())));
    });
    connect(imgDetails, &ImageButton::clicked, this, [this] { imgDetails_Click(); });
    connect(imgSearch, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Search); });
    for (int t = 0; t < 3; ++t) {
        connect(imgSType[t], &ImageButton::released, this, [this] { showTypeButtons(); });
        connect(imgSType[t], &ImageButton::clicked, this, [this, t] { imgSType_Click(t); });
    }
    connect(MvrDetails, &TitleViewer::topicShown, this, [this] { MvrDetails_TopicShown(); });
    connectSearchViewerLinks(MvrDetails, [](const QString& artist) { bShow_ArtistPopup(artist); });

    lblHits1->setText(QStringLiteral("0") + kItems);
    LblHits2->setText(QStringLiteral("0") + kMatches);
    clearReleases();
}

bool frmSearch::loadPictures() {
    const int base = ctx().constants.lngResourceBase;
    IResources* resources = ctx().services.resources.get();
    if (!resources) return false;
    QList<int> numbers;
    for (const auto& tab : searchArt::TypeTab)
        numbers << tab[0] << tab[1];
    numbers << searchArt::Go << searchArt::GoDown << searchArt::ScrollUp << searchArt::ScrollUpDown
            << searchArt::ScrollDn << searchArt::ScrollDnDown << searchArt::Drop
            << searchArt::DropDown << searchArt::Details << searchArt::DetailsDown
            << searchArt::Search << searchArt::SearchDown << searchArt::GotIt
            << searchArt::GotItDown << searchArt::WantIt << searchArt::WantItDown
            << searchArt::RecordingIcon << searchArt::Backdrop;
    return std::all_of(numbers.begin(), numbers.end(),
                       [&](int n) { return !resources->pictureSize(base + n).isEmpty(); });
}

// Layout class 0, in the screen area's 600 x 335 logical pixels.
void frmSearch::arrange(int mode) {
    const bool details = mode == screen::Details;
    imgMain->setGeometry(rect());

    for (QWidget* w : std::initializer_list<QWidget*>{
             Shape1, Shape2, Shape3, txtKeyword, imgGo, lblHits1, imgMUp, imgMDn, TDBGrid1,
             lblAlbum, LblHits2, imgRUp, imgRDn, TDBGrid2, imgDetails, imgSType[0], imgSType[1],
             imgSType[2]})
        w->setVisible(!details);
    for (QWidget* w : std::initializer_list<QWidget*>{Shape4, Shape5, imgSearch})
        w->setVisible(details);

    if (!details) {
        Shape1->setGeometry(6, 6, 196, 323);
        int x = 12;
        for (ImageButton* tab : imgSType) {
            tab->move(x, 12);
            x += tab->width() + 2;
        }
        txtKeyword->setGeometry(12, 44, 152, 26);
        imgGo->move(168, 44);
        lblHits1->setGeometry(14, 74, 130, 18);
        imgMUp->move(150, 73);
        imgMDn->move(174, 73);
        TDBGrid1->setGeometry(12, 96, 184, 227);

        Shape2->setGeometry(208, 6, 386, 114);
        lblAlbum->setGeometry(216, 9, 160, 24);
        LblHits2->setGeometry(380, 12, 134, 18);
        imgRUp->move(520, 11);
        imgRDn->move(544, 11);
        TDBGrid2->setGeometry(214, 34, 374, 80);

        Shape3->setGeometry(208, 126, 386, 203);
        MvrDetails->setGeometry(214, 132, 374, 124);
        picDrop->setGeometry(214, 262, 176, 26);
        imgUp->move(394, 265);
        imgDown->move(418, 265);
        LblReleases->setGeometry(446, 262, 142, 26);
        imgIcon->setGeometry(214, 296, 24, 24);
        picCollections->setGeometry(244, 294, 54, 28);
        imgGot_it->move(304, 294);
        imgWant_it->move(304 + imgGot_it->width() + 4, 294);
        imgDetails->move(588 - imgDetails->width(), 294);
    } else {
        Shape4->setGeometry(6, 6, 588, 252);
        MvrDetails->setGeometry(12, 12, 576, 240);
        Shape5->setGeometry(6, 264, 588, 65);
        imgIcon->setGeometry(14, 271, 24, 24);
        picDrop->setGeometry(44, 270, 236, 26);
        imgUp->move(284, 273);
        imgDown->move(308, 273);
        LblReleases->setGeometry(336, 270, 250, 26);
        imgSearch->move(12, 299);
        picCollections->setGeometry(110, 298, 200, 28);
        imgWant_it->move(588 - imgWant_it->width(), 299);
        imgGot_it->move(imgWant_it->x() - imgGot_it->width() - 6, 299);
    }
    cboReleases->setGeometry(0, 0, picDrop->width() - imgDrop->width() - 2, picDrop->height());
    imgDrop->move(picDrop->width() - imgDrop->width(), (picDrop->height() - imgDrop->height()) / 2);
    // The panels lie under every control, on the backdrop.
    for (QWidget* w : std::initializer_list<QWidget*>{Shape1, Shape2, Shape3, Shape4, Shape5})
        w->lower();
    imgMain->lower();
}

void frmSearch::arrangePanel(int type) {
    if (type < 0 || type > 2) return;
    txtKeyword->setPlaceholderText(kPlaceholder[type]);
    showTypeButtons();
}

void frmSearch::showTypeButtons() {
    for (int t = 0; t < 3; ++t) {
        if (t == m_searchType)
            imgSType[t]->showPressed();
        else
            imgSType[t]->showNormal();
    }
}

void frmSearch::CenterColCaption() {
    for (UnboundGrid* grid : {TDBGrid1, TDBGrid2})
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            grid->model()->setHeaderData(c, Qt::Horizontal, int(Qt::AlignCenter),
                                         Qt::TextAlignmentRole);
}

void frmSearch::Form_Mode(int mode) {
    ScreenWindow::Form_Mode(mode);
    arrange(mode);
    // The keyword box takes typing only on the search screen.
    if (mode == screen::Search) setKeywordEntry(false);
}

bool frmSearch::Init_Form() {
    CenterColCaption();
    return true;
}

void frmSearch::Show_me() {
    ScreenWindow::Show_me();
    // Typing starts at once on the first visit; later ones keep the focus where it was.
    if (formMode() == screen::Search && (m_firstShow || !isAncestorOf(focusWidget())))
        txtKeyword->setFocus();
    m_firstShow = false;
}

void frmSearch::setSearchType(int type) {
    Set_Search(type);
}

void frmSearch::refresh_Search() {
    if (m_searchType >= 0) Set_Search(m_searchType);
}

QString frmSearch::savedKeyword(int type) const {
    return type >= 0 && type <= 2 ? m_savedKeyword[size_t(type)] : QString();
}

bool frmSearch::quickSearch() const {
    return m_searchType >= 0 && m_searchType <= 2 &&
           ctx().options.QuickSearch[size_t(m_searchType)];
}

bool frmSearch::autoSearch() const {
    return m_searchType >= 0 && m_searchType <= 2 && ctx().options.AutoSearch[size_t(m_searchType)];
}

bool frmSearch::Set_Search(int type) {
    return guarded("Set_Search", [&] {
        if (type < 0 || type > 2) raiseError(err::InvalidProcedureCall);
        const int previous = m_searchType;
        m_searchType = type;
        const QString saved = m_savedKeyword[size_t(type)];
        m_wildcardResult = !ctx().options.QuickSearch[size_t(type)] && !saved.isEmpty();
        openWordWheels(type);
        setKeywordText(saved);
        if (!m_wildcardResult) {
            KeywordsFromIndex();
            setKeywordEntry(true);
        } else if (formMode() != screen::Search) {
            // The matches came from the wheel just closed: search the new one.
            wildcardSearch(saved);
        }
        if (formMode() == screen::Search) {
            arrangePanel(type);
            setKeywordEntry(false);
            Search_Step();
            m_panelChanged = true;
        } else {
            showTypeButtons();
        }
        if (previous == searchType::None) TDBGrid1->refresh();
    });
}

void frmSearch::closeWordWheels() {
    freeSearchGroup();
    if (m_primary) MVWordWheelClose(m_primary);
    if (m_secondary && m_secondary != m_primary) MVWordWheelClose(m_secondary);
    m_primary = 0;
    m_secondary = 0;
}

void frmSearch::freeSearchGroup() {
    if (m_searchGroup) MVGroupFree(m_searchGroup);
    m_searchGroup = 0;
}

void frmSearch::openWordWheels(int type) {
    closeWordWheels();
    const MVHandle title = MvrDetails->titleHandle();
    const auto open = [title](char code, bool report) -> MVHandle {
        const MVHandle handle = title ? hMVWordWheelOpenTitle(title, wheel::name(code)) : 0;
        if (!handle && report)
            ctx().messages().show(QStringLiteral("Unable to open Word Wheel \"%1\".").arg(wheel::code(code)),
                                  mb::OKOnly | mb::Exclamation, kKeywordIndexTitle);
        return handle;
    };
    switch (type) {
    case searchType::Artists:
        m_primary = open(ctx().options.bIncludeCompilations ? wheel::Artists : wheel::OwnArtists, true);
        m_secondary = open(wheel::ArtistSearch, true);
        break;
    case searchType::Albums:
        // One index in both roles, opened twice; its failure is told once.
        m_primary = open(wheel::Albums, true);
        m_secondary = open(wheel::Albums, false);
        break;
    default:
        m_primary = open(wheel::Tracks, true);
        m_secondary = open(wheel::TrackSearch, true);
        break;
    }
}

bool frmSearch::KeywordsFromIndex() {
    return guarded("KeywordsFromIndex", [&] {
        m_keywordListMode = true;
        freeSearchGroup();
        // No wheel finds nothing; a wheel whose length cannot be read is reported.
        const qint32 length = m_primary ? lMV_WordWheelLength(m_primary, true) : 0;
        m_keywordRows = std::max<qint32>(0, length);
        lblHits1->setText(QString::number(m_keywordRows) + kItems);
        TDBGrid1->bind(m_keywordRows);
        TDBGrid1->positionOn(0);
        TDBGrid1->refresh();
        if (!m_primary)
            noMatch(QStringLiteral("This index could not be opened"));
        else if (length < 0)
            noMatch(QStringLiteral("This index could not be read"));
        else if (length == 0)
            noMatch(QStringLiteral("This index is empty"));
    });
}

void frmSearch::wildcardSearch(const QString& text) {
    m_keywordListMode = false;
    const QString pattern = text.trimmed() + u'*';
    freeSearchGroup();
    m_searchGroup = m_secondary ? hMV_WordWheelSearch(m_secondary, pattern) : 0;
    m_keywordRows = m_searchGroup ? std::max<qint32>(0, lMV_GroupItemCount(m_searchGroup)) : 0;
    lblHits1->setText(QString::number(m_keywordRows) + kMatches);
    TDBGrid1->bind(m_keywordRows);
    TDBGrid1->positionOn(0);
    TDBGrid1->refresh();
    if (m_keywordRows == 0)
        noMatch(QStringLiteral("Nothing matches \u201c%1\u201d").arg(text.trimmed()));
}

void frmSearch::positionByPrefix(const QString& text) {
    if (!m_primary || TDBGrid1->count() == 0) return;
    const qint32 row = lMV_WordWheelPrefix(m_primary, text);
    if (row >= 0) TDBGrid1->positionOn(std::min(row, TDBGrid1->count() - 1));
}

// An empty list: the grid says why, and topics of an earlier keyword do not linger.
void frmSearch::noMatch(const QString& note) {
    TDBGrid1->setEmptyText(note);
    clearTopics();
}

void frmSearch::Search_Step() {
    guarded("Search_Step", [&] {
        if (m_searchType < 0) return;
        BusyScope busy;
        const QString text = txtKeyword->text().trimmed();
        if (quickSearch()) {
            m_wildcardResult = false;
            // Prefix positions are rows of the whole index.
            if (!m_keywordListMode) KeywordsFromIndex();
            if (!text.isEmpty()) positionByPrefix(text);
        } else if (text.size() <= 1) {
            m_wildcardResult = false;
            if (!m_keywordListMode) KeywordsFromIndex();
            if (!text.isEmpty()) positionByPrefix(text);
        } else {
            m_wildcardResult = true;
            wildcardSearch(text);
        }
    });
}

void frmSearch::setKeywordText(const QString& text) {
    // Text put there by the screen is not a change to search for.
    const QSignalBlocker block(txtKeyword);
    txtKeyword->setText(text);
}

void frmSearch::setKeywordEntry(bool on) {
    txtKeyword->setReadOnly(on);
}

void frmSearch::txtKeyword_Change() {
    if (m_searchType < 0) return;
    m_savedKeyword[size_t(m_searchType)] = txtKeyword->text();
    if (quickSearch() || autoSearch()) Search_Step();
}

QString frmSearch::keywordRow(qint32 row) const {
    QString keyword;
    if (m_keywordListMode) {
        bMV_Keyword(m_primary, row, keyword, false);
    } else {
        const qint32 position = lMV_GroupFind(m_searchGroup, row);
        if (position >= 0) bMV_Keyword(m_secondary, position, keyword, false);
    }
    return keyword.trimmed();
}

QString frmSearch::keywordAt(qint32 row) const {
    return TDBGrid1->model()->cellText(row, 0);
}

QString frmSearch::topicRow(qint32 row, int column) const {
    if (row < 0 || row >= m_topicCount || row >= m_topicAddresses.size()) return QString();
    const qint32 address = m_topicAddresses[row];
    if (column == 1) return QString::number(address);
    QString title;
    bMV_TopicTitle(MvrDetails->titleHandle(), address, title, false);
    return title;
}

void frmSearch::TDBGrid1_Choose(qint32 row) {
    TopicsFromKeyword(keywordAt(row));
}

bool frmSearch::TopicsFromKeyword(const QString& keyword) {
    return guarded("TopicsFromKeyword", [&] {
        // The count of a keyword that is not in the index is −1 (65535 to a 16-bit reader).
        const qint32 count = m_primary ? nMVKeyIndexGetCount(m_primary, keyword) : -1;
        QList<qint32> addresses;
        if (count > 0 && bMV_KeyIndexGetAddrs(m_primary, keyword, count, addresses, true))
            std::sort(addresses.begin(), addresses.end());
        m_topicCount = qint32(addresses.size());
        if (addresses.isEmpty()) addresses = {0};
        m_topicAddresses = addresses;
        TDBGrid2->bind(m_topicCount);
        LblHits2->setText(QString::number(m_topicCount) + kMatches);
        TDBGrid2->refresh();
    });
}

void frmSearch::clearTopics() {
    m_topicAddresses = {0};
    m_topicCount = 0;
    TDBGrid2->bind(0);
    LblHits2->setText(QStringLiteral("0") + kMatches);
    TDBGrid2->refresh();
}

void frmSearch::TDBGrid2_Choose(qint32) {
    bDetails_Show();
}

bool frmSearch::bDetails_Show() {
    return guarded("bDetails_Show", [&] {
        BusyScope busy;
        if (TDBGrid2->currentRow() < 0) return false;
        bool ok = false;
        const qint32 address = TDBGrid2->currentText(1).toInt(&ok);
        if (!ok) return false;
        const qint32 va = vaMV_ConvertAddr(MvrDetails->titleHandle(), address);
        MvrDetails->jumpToAddress(va);
        return true;
    });
}

void frmSearch::MvrDetails_TopicShown() {
    guarded("MvrDetails_TopicShown", [&] {
        int kind = kTopicNone;
        bGetTopicData(MvrDetails->topicText(), m_topic, m_releases, kind);
        m_topicKind = kind;
        if (kind == kTopicRecording)
            bReleases_List();
        else
            clearReleases();
        if (ctx().intCurrentScreen == screen::Details && kind == kTopicRecording)
            bDetails_Refresh();
    });
}

bool frmSearch::bReleases_List() {
    return guarded("bReleases_List", [&] {
        QString recorded;
        const bool found = bReleases_FindFirst(m_topic.lngAlbumID, recorded);
        const int upper = releaseUpperBound(m_releases);
        if (upper < 1) {
            // A recording without releases offers none, rather than another one's.
            clearReleases();
            return;
        }
        int selection = -1;
        {
            const QSignalBlocker block(cboReleases);
            cboReleases->clear();
            for (int i = 1; i <= upper; ++i) {
                cboReleases->addItem(m_releases[i].strDisplay);
                if (found && selection < 0 && m_releases[i].strCatalogueNumber == recorded)
                    selection = i - 1;
            }
            cboReleases->setCurrentIndex(std::max(selection, 0));
        }
        cboReleases->setEnabled(true);
        cboReleases_Click(cboReleases->currentIndex());
    });
}

void frmSearch::cboReleases_Click(int index) {
    if (index < 0 || index + 1 > releaseUpperBound(m_releases)) return;
    m_selectedRelease = index + 1;
    const ReleaseRecord& release = m_releases[m_selectedRelease];
    LblReleases->setText(kCatNoPrefix + release.strCatalogueNumber);
    QStringList about;
    if (!release.strLabel.isEmpty()) about << release.strLabel;
    if (!release.strMedium.isEmpty()) about << release.strMedium;
    if (!release.strReleaseDate.isEmpty())
        about << QStringLiteral("released %1").arg(release.strReleaseDate);
    if (release.bDeleted) about << QStringLiteral("deleted %1").arg(release.strDeletedDate);
    LblReleases->setToolTip(about.join(QStringLiteral(", ")));
    m_collections->bCollections_Show();
}

void frmSearch::clearReleases() {
    {
        const QSignalBlocker block(cboReleases);
        cboReleases->clear();
    }
    cboReleases->setEnabled(false);
    m_selectedRelease = 0;
    LblReleases->clear();
    LblReleases->setToolTip(QString());
    if (m_collections) m_collections->bCollections_Show();
}

void frmSearch::stepRelease(int delta) {
    const int index = cboReleases->currentIndex() + delta;
    if (index < 0 || index >= cboReleases->count()) return;
    cboReleases->setCurrentIndex(index);
    cboReleases_Click(index);
}

bool frmSearch::bDetails_Refresh() {
    return guarded("bDetails_Refresh", [&] {
        MvrDetails->verticalScrollBar()->setValue(0);
        imgIcon->setVisible(m_topicKind == kTopicRecording);
    });
}

void frmSearch::imgDetails_Click() {
    if (TDBGrid2->currentRow() < 0) {
        ctx().messages().beep();
        ctx().messages().show(kSelectRecording, mb::OKOnly | mb::Exclamation);
        return;
    }
    if (Go_To_Screen(screen::Details)) bDetails_Refresh();
}

void frmSearch::imgSType_Click(int type) {
    setSearchType(type);
    txtKeyword->setFocus();
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtKeyword && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter searches in "Click 'Go' to search" mode and never goes further.
            if (!quickSearch() && !autoSearch()) Search_Step();
            return true;
        }
        if (key == Qt::Key_Down && TDBGrid1->count() > 0) {
            TDBGrid1->view()->setFocus();
            TDBGrid1_Choose(std::max(TDBGrid1->currentRow(), 0));
            return true;
        }
    }
    return ScreenWindow::eventFilter(watched, event);
}

} // namespace kv
