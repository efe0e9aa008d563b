#include "search/frmSearch.h"

#include "app/Navigation.h"
#include "collections/CollectionStore.h"
#include "collections/SearchCollections.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "search/UnboundGrid.h"
#include "search/frmpopup.h"
#include "settings/SearchScreenHook.h"
#include "titles/TitleAccess.h"
#include "titles/TitleLinks.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Fold.h"
#include "titles/engine/Wheels.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

// The options of the search types: catalogue numbers search as the albums do.
size_t optionIndex(int type) {
    return size_t(type == searchType::CatalogueNumbers ? searchType::Albums : type);
}

} // namespace

frmSearch::frmSearch() : ScreenWindow(form::Search) {
    createControls();
    lblHits1->setText(QStringLiteral("0") + kItems);
    LblHits2->setText(QStringLiteral("0") + kMatches);
    clearReleases();
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
    m_search.close();
    SearchScreenHook& hook = ctx().slot<SearchScreenHook>();
    hook.SearchType = nullptr;
    hook.refresh_Search = nullptr;
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
    // Another title may have come without catalogue numbers.
    if (m_searchType == searchType::CatalogueNumbers && !catalogueNumbersOffered())
        Set_Search(searchType::Albums);
    else if (m_searchType >= 0)
        Set_Search(m_searchType);
}

QString frmSearch::savedKeyword(int type) const {
    return type >= 0 && type < searchType::Count ? m_savedKeyword[size_t(type)] : QString();
}

bool frmSearch::quickSearch() const {
    return m_searchType >= 0 && ctx().options.QuickSearch[optionIndex(m_searchType)];
}

bool frmSearch::autoSearch() const {
    return m_searchType >= 0 && ctx().options.AutoSearch[optionIndex(m_searchType)];
}

bool frmSearch::catalogueNumbersOffered() const {
    return KeywordSearch::hasWheel(MvrDetails->titleHandle(), wheel::CatalogueNumbers);
}

bool frmSearch::Set_Search(int type) {
    return guarded("Set_Search", [&] {
        if (type < 0 || type >= searchType::Count ||
            (type == searchType::CatalogueNumbers && !catalogueNumbersOffered()))
            raiseError(err::InvalidProcedureCall);
        const int previous = m_searchType;
        m_searchType = type;
        m_chosenNumber.clear();
        const QString saved = m_savedKeyword[size_t(type)];
        // The same rule as the search step's: one letter positions the index, longer text
        // searches. A single saved letter must list the new index, not leave the old one's.
        m_wildcardResult = !ctx().options.QuickSearch[optionIndex(type)] && saved.trimmed().size() > 1;
        m_search.open(MvrDetails->titleHandle(), type, ctx().options.bIncludeCompilations);
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
        } else {
            showTypeButtons();
        }
        if (previous == searchType::None) TDBGrid1->refresh();
    });
}

// Shows the rows the search now holds, first row on top, with the count and the status.
void frmSearch::showKeywordRows(const QString& status) {
    lblHits1->setText(QString::number(m_search.rows()) + status);
    TDBGrid1->bind(m_search.rows());
    TDBGrid1->positionOn(0);
    TDBGrid1->refresh();
}

bool frmSearch::KeywordsFromIndex() {
    return guarded("KeywordsFromIndex", [&] {
        const qint32 length = m_search.listIndex();
        showKeywordRows(kItems);
        if (!m_search.primary())
            noMatch(QStringLiteral("This index could not be opened"));
        else if (length < 0)
            noMatch(QStringLiteral("This index could not be read"));
        else if (length == 0)
            noMatch(QStringLiteral("This index is empty"));
    });
}

void frmSearch::wildcardSearch(const QString& text) {
    m_search.searchWildcard(text);
    showKeywordRows(kMatches);
    if (m_search.rows() == 0)
        noMatch(QStringLiteral("Nothing matches \u201c%1\u201d").arg(text.trimmed()));
}

void frmSearch::positionByPrefix(const QString& text) {
    if (TDBGrid1->count() == 0)
        return;
    const qint32 row = m_search.prefixRow(text);
    if (row >= 0) TDBGrid1->positionOn(std::min(row, TDBGrid1->count() - 1));
}

// An empty list: the grid says why, and topics of an earlier keyword do not linger.
void frmSearch::noMatch(const QString& note) {
    TDBGrid1->setEmptyText(note);
    clearTopics();
}

void frmSearch::Search_Step() {
    guarded("Search_Step", [&] {
        if (m_searchType < 0)
            return;
        BusyScope busy;
        const QString text = txtKeyword->text().trimmed();
        // Quick search, and a single letter in any mode, position the whole index; prefix
        // positions are rows of the whole index, so a list of matches gives way to it.
        if (quickSearch() || text.size() <= 1) {
            m_wildcardResult = false;
            if (!m_search.listMode())
                KeywordsFromIndex();
            if (!text.isEmpty())
                positionByPrefix(text);
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
        QList<qint32> addresses = m_search.topicAddresses(keyword);
        m_topicCount = qint32(addresses.size());
        if (addresses.isEmpty())
            addresses = {0};
        m_topicAddresses = addresses;
        TDBGrid2->bind(m_topicCount);
        LblHits2->setText(QString::number(m_topicCount) + kMatches);
        TDBGrid2->refresh();
        // A catalogue number names a pressing: its recording opens with that release chosen.
        m_chosenNumber = m_searchType == searchType::CatalogueNumbers ? keyword : QString();
        if (!m_chosenNumber.isEmpty() && m_topicCount > 0) {
            TDBGrid2->setCurrentRow(0);
            bDetails_Show();
        }
    });
}

int frmSearch::releaseOfChosenNumber() const {
    if (m_chosenNumber.isEmpty()) return -1;
    const QString wanted = title::foldText(m_chosenNumber);
    for (int i = 1; i <= releaseUpperBound(m_releases); ++i)
        for (const std::string& number :
             title::catalogueNumberKeywords(m_releases[i].strCatalogueNumber.toStdString()))
            if (title::foldText(QString::fromStdString(number)) == wanted) return i - 1;
    return -1;
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
        int selection = releaseOfChosenNumber();
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
