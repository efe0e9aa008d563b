// The search screen over a real compiled catalogue: search types and their word wheels,
// quick search, wildcard search, the search step's triggers and the topics of a keyword.

#include "SearchFixture.h"
#include "platform/FormNames.h"
#include "settings/SearchScreenHook.h"
#include "titles/TitleViewer.h"
#include "titles/engine/TitleWriter.h"

#include <QSignalSpy>

using namespace kv;
using namespace kv::test;

namespace {

const QString kKeywordIndex = QStringLiteral("Keyword Index");

TEST_F(SearchScreenTest, FirstVisitListsTheArtistsWithoutCompilations) {
    frmSearch& s = screen();
    EXPECT_EQ(s.SearchType(), 0);
    // "|7" leaves the compilation artist out; "|1" has it.
    EXPECT_EQ(keywords(), QStringList({"Abba", "Abbott Brothers", "Dylan Bob", "Zed Guest"}));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));
    EXPECT_EQ(s.TDBGrid1->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Key Word"));
    EXPECT_TRUE(t.messages.boxes.empty());

    t.ctx().options.bIncludeCompilations = true;
    t.ctx().slot<SearchScreenHook>().refresh_Search();
    EXPECT_EQ(keywords(), QStringList({"Abba", "Abbott Brothers", "Dylan Bob", "Various Artists",
                                       "Zed Guest"}));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("5 items"));
}

TEST_F(SearchScreenTest, WildcardArtistSearchUsesTheIndexWithCompilationsEitherWay) {
    frmSearch& s = screen();
    t.ctx().options.QuickSearch[0] = false;
    for (bool compilations : {false, true}) {
        t.ctx().options.bIncludeCompilations = compilations;
        s.refresh_Search();
        clearKeyword();
        type(QStringLiteral("var"));
        EXPECT_EQ(keywords(), QStringList({"Various Artists"})) << compilations;
        EXPECT_EQ(s.lblHits1->text(), QStringLiteral("1 matches"));
    }
}

TEST_F(SearchScreenTest, QuickSearchPositionsAndNeverNarrows) {
    frmSearch& s = screen();
    type(QStringLiteral("dy"));
    EXPECT_EQ(s.TDBGrid1->count(), 4);
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Dylan Bob"));
    EXPECT_EQ(s.TDBGrid1->firstRow(), 0); // all four fit, so nothing scrolls

    // An empty keyword moves nothing; blanks alone count as empty.
    clearKeyword();
    EXPECT_EQ(currentKeyword(), QStringLiteral("Dylan Bob"));
    type(QStringLiteral("  "));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Dylan Bob"));
    clearKeyword();
    type(QStringLiteral("abbo"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Abbott Brothers"));
    // A text after the last keyword lands on the last row.
    clearKeyword();
    type(QStringLiteral("zz"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Zed Guest"));
    EXPECT_TRUE(s.keywordListMode());
}

TEST_F(SearchScreenTest, WildcardSearchTrimsAndOneCharacterGoesBackToTheWholeIndex) {
    frmSearch& s = screen();
    s.setSearchType(1); // albums: quick search off, auto search on
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("5 items"));

    type(QStringLiteral(" b"));
    EXPECT_TRUE(s.keywordListMode());
    EXPECT_FALSE(s.wildcardResult());
    EXPECT_EQ(currentKeyword(), QStringLiteral("Blonde on Blonde"));

    type(QStringLiteral("ro "));
    // " bro " searches "bro*": word starts count, so "Brothers Live" matches.
    EXPECT_FALSE(s.keywordListMode());
    EXPECT_TRUE(s.wildcardResult());
    EXPECT_EQ(keywords(), QStringList({"Brothers Live"}));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("1 matches"));

    clearKeyword();
    type(QStringLiteral("w"));
    EXPECT_TRUE(s.keywordListMode());
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("5 items"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Waterloo"));

    // No match: an empty list that says so, and no topics left from before.
    s.TopicsFromKeyword(QStringLiteral("Arrival"));
    ASSERT_EQ(s.topicCount(), 1);
    type(QStringLiteral("xq"));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("0 matches"));
    EXPECT_EQ(s.TDBGrid1->count(), 0);
    EXPECT_FALSE(s.TDBGrid1->emptyText().isEmpty());
    EXPECT_EQ(s.topicCount(), 0);
    EXPECT_EQ(s.LblHits2->text(), QStringLiteral("0 matches"));
}

TEST_F(SearchScreenTest, ClickGoModeSearchesOnEnterAndGoOnlyAndEnterGoesNoFurther) {
    frmSearch& s = screen();
    s.setSearchType(2); // tracks: neither quick nor auto search
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));

    type(QStringLiteral("money"));
    EXPECT_TRUE(s.keywordListMode());
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));

    struct KeySpy : QObject {
        int enters = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(e)->key() == Qt::Key_Return)
                ++enters;
            return false;
        }
    } spy;
    s.installEventFilter(&spy);
    QTest::keyClick(s.txtKeyword, Qt::Key_Return);
    EXPECT_EQ(spy.enters, 0);
    EXPECT_EQ(t.messages.beeps, 0);
    EXPECT_EQ(keywords(), QStringList({"Money Money Money"}));

    clearKeyword();
    type(QStringLiteral("queen"));
    EXPECT_EQ(keywords(), QStringList({"Money Money Money"}));
    QTest::mouseClick(s.imgGo, Qt::LeftButton);
    EXPECT_EQ(keywords(), QStringList({"Dancing Queen"}));

    // With auto search on, Enter is still swallowed but searches nothing more.
    t.ctx().options.AutoSearch[2] = true;
    clearKeyword();
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));
    QTest::keyClick(s.txtKeyword, Qt::Key_Return);
    EXPECT_EQ(spy.enters, 0);
}

TEST_F(SearchScreenTest, EachTypeKeepsItsKeywordAndComesBackToIt) {
    frmSearch& s = screen();
    type(QStringLiteral("abbo"));
    s.setSearchType(1);
    EXPECT_EQ(s.txtKeyword->text(), QString());
    EXPECT_FALSE(s.wildcardResult());
    type(QStringLiteral("wat"));
    EXPECT_EQ(keywords(), QStringList({"Waterloo"}));

    s.setSearchType(0);
    EXPECT_EQ(s.txtKeyword->text(), QStringLiteral("abbo"));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("4 items"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Abbott Brothers"));

    // Albums search without quick search: the saved text brings its matches back.
    s.setSearchType(1);
    EXPECT_TRUE(s.wildcardResult());
    EXPECT_EQ(s.txtKeyword->text(), QStringLiteral("wat"));
    EXPECT_EQ(keywords(), QStringList({"Waterloo"}));
    EXPECT_EQ(s.savedKeyword(0), QStringLiteral("abbo"));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(SearchScreenTest, TheFirstSetSearchRefreshesTheKeywordGridAndLaterOnesDoNot) {
    background()->Show_me();
    auto* s = t.ctx().forms.get<frmSearch>(form::Search);
    s->MvrDetails->setTitleFile(titlePath);
    s->Form_Mode(screen::Details);
    QSignalSpy refreshed(s->TDBGrid1, &UnboundGrid::refreshed);
    EXPECT_TRUE(s->Set_Search(0));
    EXPECT_EQ(refreshed.size(), 2); // the whole index, then the first-use refresh
    refreshed.clear();
    EXPECT_TRUE(s->Set_Search(0));
    EXPECT_EQ(refreshed.size(), 1);
    // The keyword box takes no typing outside the search screen.
    EXPECT_TRUE(s->txtKeyword->isReadOnly());
    s->Form_Mode(screen::Search);
    EXPECT_FALSE(s->txtKeyword->isReadOnly());
}

TEST_F(SearchScreenTest, ChangingWheelsUnderAWildcardResultSearchesTheNewWheel) {
    frmSearch& s = screen();
    s.setSearchType(1);
    type(QStringLiteral("wat"));
    Go_To_Screen(screen::Details);
    // The options dialog asks for a refresh while the details are shown.
    s.refresh_Search();
    EXPECT_EQ(keywords(), QStringList({"Waterloo"}));
}

TEST_F(SearchScreenTest, TopicsOfAKeywordInTitleOrderAndNoneForAnUnknownOne) {
    frmSearch& s = screen();
    ASSERT_TRUE(s.TopicsFromKeyword(QStringLiteral("Abba")));
    EXPECT_EQ(s.topicCount(), 2);
    EXPECT_EQ(s.LblHits2->text(), QStringLiteral("2 matches"));
    EXPECT_TRUE(std::is_sorted(s.topicAddresses().begin(), s.topicAddresses().end()));
    EXPECT_EQ(topicTitles(), QStringList({"Arrival - Abba", "Waterloo - Abba"}));
    EXPECT_EQ(s.TDBGrid2->model()->cellText(0, 1), QString::number(s.topicAddresses()[0]));
    EXPECT_EQ(s.TDBGrid2->currentRow(), -1);

    // A keyword the index does not hold (a count of 65535 to a 16-bit reader).
    ASSERT_TRUE(s.TopicsFromKeyword(QStringLiteral("No Such Artist")));
    EXPECT_EQ(s.topicCount(), 0);
    EXPECT_EQ(s.topicAddresses().size(), 1);
    EXPECT_EQ(s.LblHits2->text(), QStringLiteral("0 matches"));
    EXPECT_EQ(s.TDBGrid2->count(), 0);
    EXPECT_TRUE(t.messages.boxes.empty());

    // Choosing a keyword row lists its topics; Down from the keyword box does the same.
    type(QStringLiteral("dyl"));
    QTest::keyClick(s.txtKeyword, Qt::Key_Down);
    EXPECT_EQ(topicTitles(), QStringList({"Blonde on Blonde - Bob Dylan"}));
    QTest::keyClick(s.TDBGrid1->view(), Qt::Key_Up);
    EXPECT_EQ(topicTitles(), QStringList({"Brothers Live - Abbott Brothers"}));
}

TEST_F(SearchScreenTest, ScrollButtonsMoveTheirGrids) {
    frmSearch& s = screen();
    s.setSearchType(2);
    s.TDBGrid1->resize(s.TDBGrid1->width(), 40); // room for fewer rows than the index holds
    QApplication::processEvents();
    ASSERT_LT(s.TDBGrid1->visibleRows(), 4);
    QTest::mouseClick(s.imgMDn, Qt::LeftButton);
    EXPECT_EQ(s.TDBGrid1->firstRow(), 1);
    QTest::mousePress(s.imgMUp, Qt::LeftButton);
    EXPECT_EQ(s.imgMUp->shownPicture(),
              t.ctx().constants.lngResourceBase + searchArt::ScrollUpDown);
    QTest::mouseRelease(s.imgMUp, Qt::LeftButton);
    EXPECT_EQ(s.imgMUp->shownPicture(), t.ctx().constants.lngResourceBase + searchArt::ScrollUp);
    EXPECT_EQ(s.TDBGrid1->firstRow(), 0);
}

TEST_F(SearchScreenTest, TypeButtonsSwitchTypesAndShowTheChosenOnePressed) {
    frmSearch& s = screen();
    const int base = t.ctx().constants.lngResourceBase;
    EXPECT_EQ(s.imgSType[0]->shownPicture(), base + searchArt::TypeTab[0][1]);
    QTest::mouseClick(s.imgSType[2], Qt::LeftButton);
    EXPECT_EQ(s.SearchType(), 2);
    EXPECT_EQ(s.imgSType[0]->shownPicture(), base + searchArt::TypeTab[0][0]);
    EXPECT_EQ(s.imgSType[2]->shownPicture(), base + searchArt::TypeTab[2][1]);
    EXPECT_EQ(s.txtKeyword->placeholderText(), QStringLiteral("Track title"));
}

// A title of ours with only the artists' index: every other wheel fails to open.
class MissingWheelsTest : public SearchScreenTest {
protected:
    MissingWheelsTest() {
        title::TitleWriter w;
        const int artists = w.addWheel('1', "Artists");
        const uint32_t topic = w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", "");
        w.file(artists, w.keyword(artists, "Solo"), topic);
        w.addBaggage(title::kMarkerFile, "test");
        QString error;
        titlePath = dir.filePath(QStringLiteral("OneWheel.M14"));
        EXPECT_TRUE(w.write(titlePath, &error)) << error.toStdString();
    }
    QStringList warnings() {
        QStringList texts;
        for (const ShownBox& b : t.messages.boxes) {
            EXPECT_EQ(b.title, kKeywordIndex);
            EXPECT_EQ(b.icon, mb::Exclamation);
            texts << b.text;
        }
        t.messages.boxes.clear();
        return texts;
    }
};

TEST_F(MissingWheelsTest, EachFailedOpenIsToldOnceAndTheScreenStaysUsable) {
    frmSearch& s = screen();
    EXPECT_EQ(warnings(), QStringList({"Unable to open Word Wheel \"7\".",
                                       "Unable to open Word Wheel \"5\"."}));
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("0 items"));

    s.setSearchType(1);
    EXPECT_EQ(warnings(), QStringList({"Unable to open Word Wheel \"2\"."}));
    s.setSearchType(2);
    EXPECT_EQ(warnings(), QStringList({"Unable to open Word Wheel \"3\".",
                                       "Unable to open Word Wheel \"6\"."}));

    type(QStringLiteral("so"));
    EXPECT_EQ(s.TDBGrid1->count(), 0);
    QTest::keyClick(s.txtKeyword, Qt::Key_Return);
    EXPECT_TRUE(s.TopicsFromKeyword(QStringLiteral("Solo")));
    EXPECT_EQ(s.topicCount(), 0);
    EXPECT_TRUE(warnings().isEmpty());

    t.ctx().options.bIncludeCompilations = true;
    s.setSearchType(0);
    EXPECT_EQ(warnings(), QStringList({"Unable to open Word Wheel \"5\"."}));
    EXPECT_EQ(keywords(), QStringList({"Solo"}));
}

TEST_F(SearchScreenTest, MissingPicturesAndSmallScreensAreTold) {
    t.ctx().services.resources.reset();
    t.ctx().constants.intScreenWidth = 600;
    t.ctx().constants.intScreenHeight = 400;
    frmSearch s;
    EXPECT_EQ(t.messages.texts(), QStringList({"Unable to load all the Search screen graphics",
                                               "Resolution not catered for"}));
    EXPECT_EQ(t.messages.beeps, 1);
}

TEST_F(SearchScreenTest, ThePicturesAndTheLayoutFitTheScreenArea) {
    frmSearch& s = screen();
    EXPECT_TRUE(t.messages.boxes.empty());
    for (int mode : {screen::Search, screen::Details}) {
        s.Form_Mode(mode);
        for (QWidget* w : s.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&s) || w->parentWidget() != &s) continue;
            EXPECT_TRUE(s.rect().contains(w->geometry()))
                << w->objectName().toStdString() << " mode " << mode;
        }
    }
}

} // namespace
