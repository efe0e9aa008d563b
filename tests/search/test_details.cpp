// Showing a recording: its page, its releases and the one the collections hold, the details
// screen, and the artist's recordings pop-up.

#include "SearchFixture.h"
#include "collections/SearchCollections.h"
#include "db/Recordset.h"
#include "platform/FormNames.h"
#include "search/frmpopup.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QScrollBar>

using namespace kv;
using namespace kv::test;

namespace {

class DetailsTest : public SearchScreenTest {
protected:
    void addToCollection(int collection, const QString& catalogue, int album) {
        catalogueState().dbCatalogue.Execute(
            QStringLiteral(
                "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number], "
                "[Album ID], [Title]) VALUES (%1, \"%2\", %3, \"x\")")
                .arg(collection)
                .arg(catalogue)
                .arg(album));
    }
    void showArtistTopics(const QString& keyword) {
        ASSERT_TRUE(screen().TopicsFromKeyword(keyword));
    }
    QStringList releaseTexts() {
        QStringList texts;
        for (int i = 0; i < screen().cboReleases->count(); ++i)
            texts << screen().cboReleases->itemText(i);
        return texts;
    }
    int linkOf(TitleViewer* viewer, int type, const QString& target = QString()) {
        const auto& links = viewer->pageLinks();
        for (int i = 0; i < links.size(); ++i)
            if (!links[i].hotspot && links[i].linkType == type &&
                (target.isEmpty() || links[i].target == target))
                return i;
        return -1;
    }
    frmpopup* popup() { return t.ctx().forms.find<frmpopup>(form::ArtistPopup); }
    // Opens the pop-up from the artist link of the recording shown.
    void openPopupFromRecording() {
        TitleViewer* viewer = screen().MvrDetails;
        const int link = linkOf(viewer, 2);
        ASSERT_GE(link, 0);
        viewer->activateLink(link);
        ASSERT_NE(popup(), nullptr);
    }
};

TEST_F(DetailsTest, ChoosingATopicShowsItsPageAndItsReleases) {
    frmSearch& s = screen();
    showArtistTopics(QStringLiteral("Abba"));
    chooseTopic(QStringLiteral("Arrival - Abba"));
    EXPECT_EQ(s.MvrDetails->topicContext(), QStringLiteral("R_101"));
    EXPECT_EQ(s.topicKind(), kTopicRecording);
    EXPECT_EQ(s.topicRecord().lngAlbumID, 101);
    EXPECT_EQ(releaseTexts(), QStringList({"1976 - LP", "1984 - CD", "1984 - Cassette"}));
    // In no collection: the first release.
    EXPECT_EQ(s.cboReleases->currentIndex(), 0);
    EXPECT_EQ(s.selectedRelease(), 1);
    EXPECT_EQ(s.LblReleases->text(), QStringLiteral("Cat No. - POLS 272"));
    EXPECT_TRUE(s.cboReleases->isEnabled());

    // Choosing another release.
    s.cboReleases->setCurrentIndex(2);
    emit s.cboReleases->activated(2);
    EXPECT_EQ(s.selectedRelease(), 3);
    EXPECT_EQ(s.LblReleases->text(), QStringLiteral("Cat No. - 821 319-2"));
    QTest::mouseClick(s.imgUp, Qt::LeftButton);
    EXPECT_EQ(s.selectedRelease(), 2);
    QTest::mouseClick(s.imgUp, Qt::LeftButton);
    QTest::mouseClick(s.imgUp, Qt::LeftButton); // no release before the first
    EXPECT_EQ(s.selectedRelease(), 1);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(DetailsTest, TheFirstReleaseTheCollectionsHoldIsPreselected) {
    addToCollection(0, QStringLiteral("821 319-2"), 101);
    QString catalogue;
    EXPECT_TRUE(bReleases_FindFirst(101, catalogue));
    EXPECT_EQ(catalogue, QStringLiteral("821 319-2"));
    EXPECT_FALSE(bReleases_FindFirst(102, catalogue));
    EXPECT_TRUE(catalogue.isEmpty());

    frmSearch& s = screen();
    showArtistTopics(QStringLiteral("Abba"));
    chooseTopic(QStringLiteral("Arrival - Abba"));
    // Two releases carry that number: the first of them wins.
    EXPECT_EQ(s.cboReleases->currentIndex(), 1);
    EXPECT_EQ(s.selectedRelease(), 2);
    EXPECT_EQ(s.LblReleases->text(), QStringLiteral("Cat No. - 821 319-2"));
}

TEST_F(DetailsTest, WantItAndGotItTakeTheSelectedRelease) {
    frmSearch& s = screen();
    QStringList menu;
    for (QAction* a : s.mnuPopup2Node->actions())
        menu << a->text();
    EXPECT_EQ(menu, QStringList({"My Collection", "Shopping List"}));

    showArtistTopics(QStringLiteral("Dylan Bob"));
    chooseTopic(QStringLiteral("Blonde on Blonde - Bob Dylan"));
    s.cboReleases->setCurrentIndex(1);
    emit s.cboReleases->activated(1);
    QTest::mouseClick(s.imgWant_it, Qt::LeftButton);
    Recordset rs = catalogueState().dbCatalogue.OpenRecordset(
        QStringLiteral("SELECT [Collection ID], [Catalogue Number], [Album ID], [Title] FROM "
                       "[Collection - Contents]"),
        dbOpenSnapshot);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields(0).Value().toInt(), 1);
    EXPECT_EQ(rs.Fields(1).Value().toString(), QStringLiteral("CK 841"));
    EXPECT_EQ(rs.Fields(2).Value().toInt(), 105);
    EXPECT_EQ(rs.Fields(3).Value().toString(), QStringLiteral("Blonde on Blonde"));
    // The release shown now has the shopping list's icon.
    EXPECT_EQ(s.collections()->collectionIcons().size(), 1);
}

TEST_F(DetailsTest, ARecordingWithoutReleasesOffersNoneOfTheLastOne) {
    frmSearch& s = screen();
    showArtistTopics(QStringLiteral("Abba"));
    chooseTopic(QStringLiteral("Waterloo - Abba"));
    ASSERT_EQ(releaseTexts(), QStringList({"1974 - LP"}));

    showArtistTopics(QStringLiteral("Abbott Brothers"));
    chooseTopic(QStringLiteral("Brothers Live - Abbott Brothers"));
    EXPECT_EQ(s.topicRecord().lngAlbumID, 103);
    EXPECT_TRUE(releaseTexts().isEmpty());
    EXPECT_EQ(s.selectedRelease(), 0);
    EXPECT_FALSE(s.cboReleases->isEnabled());
    EXPECT_TRUE(s.LblReleases->text().isEmpty());
}

TEST_F(DetailsTest, TheDetailsButtonNeedsARecording) {
    frmSearch& s = screen();
    QTest::mouseClick(s.imgDetails, Qt::LeftButton);
    EXPECT_EQ(t.messages.beeps, 1);
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Please select a recording"));
    EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::Search);

    showArtistTopics(QStringLiteral("Dylan Bob"));
    chooseTopic(QStringLiteral("Blonde on Blonde - Bob Dylan"));
    s.MvrDetails->verticalScrollBar()->setValue(s.MvrDetails->verticalScrollBar()->maximum());
    QTest::mouseClick(s.imgDetails, Qt::LeftButton);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::Details);
    EXPECT_EQ(background()->lblScreen->text(), QStringLiteral("Details"));
    EXPECT_TRUE(s.isVisible());
    EXPECT_FALSE(s.TDBGrid1->isVisible());
    EXPECT_TRUE(s.imgSearch->isVisible());
    EXPECT_EQ(s.MvrDetails->verticalScrollBar()->value(), 0);
    EXPECT_EQ(releaseTexts(), QStringList({"1966 - LP", "1987 - CD"}));

    // A recording reached from the details (a link) is shown with its own releases.
    ASSERT_TRUE(s.MvrDetails->jumpToContext(QStringLiteral("R_102")));
    EXPECT_EQ(releaseTexts(), QStringList({"1974 - LP"}));

    QTest::mouseClick(s.imgSearch, Qt::LeftButton);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::Search);
    EXPECT_TRUE(s.TDBGrid1->isVisible());
}

TEST_F(DetailsTest, TheArtistPopupOpensCentredAndComesBackWhereItWasLeft) {
    frmSearch& s = screen();
    showArtistTopics(QStringLiteral("Abba"));
    chooseTopic(QStringLiteral("Arrival - Abba"));
    openPopupFromRecording();
    frmpopup* p = popup();
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->windowTitle(), QStringLiteral("Artist's recordings"));
    EXPECT_EQ(p->mvSecondary->topicContext(), QStringLiteral("A_1"));
    EXPECT_EQ(p->mvSecondary->geometry(), QRect(3, 5, p->width() - 6, p->height() - 8));
    const QRect available = p->screen()->availableGeometry();
    EXPECT_LE((p->geometry().center() - available.center()).manhattanLength(), 2);
    EXPECT_EQ(popupPosition().Width, 0);

    p->resize(300, 250);
    EXPECT_EQ(p->mvSecondary->geometry(), QRect(3, 5, 294, 242));
    p->move(40, 30);
    p->close();
    EXPECT_EQ(popupPosition().Width, 300);
    EXPECT_EQ(popupPosition().Height, 250);
    EXPECT_EQ(popupPosition().Left, p->pos().x());
    EXPECT_EQ(popupPosition().Top, p->pos().y());

    // A fresh pop-up (as after a restart of the window) takes the place it was left at.
    t.ctx().forms.unload(form::ArtistPopup);
    openPopupFromRecording();
    EXPECT_EQ(popup()->size(), QSize(300, 250));
    EXPECT_EQ(popup()->pos(), QPoint(popupPosition().Left, popupPosition().Top));
    EXPECT_TRUE(t.messages.boxes.empty());

    // Leaving the search screen hides it.
    Go_To_Screen(screen::Switchboard);
    EXPECT_FALSE(popup()->isVisible());
    Q_UNUSED(s);
}

TEST_F(DetailsTest, PopupLinksTakeTheSearchViewerToARecordingOrShowAnotherArtist) {
    frmSearch& s = screen();
    ASSERT_TRUE(s.MvrDetails->jumpToContext(QStringLiteral("R_104")));
    EXPECT_EQ(releaseTexts(), QStringList({"1995 - CD"}));

    // The compilation's guest artist.
    const int guest = linkOf(s.MvrDetails, 2, QStringLiteral("A_5"));
    ASSERT_GE(guest, 0);
    s.MvrDetails->activateLink(guest);
    frmpopup* p = popup();
    ASSERT_TRUE(p && p->isVisible());
    EXPECT_EQ(p->mvSecondary->topicContext(), QStringLiteral("A_5"));

    // Artist pages link recordings only, so an artist link in the pop-up is sent directly.
    TitleLinkEvent artist{2, QStringLiteral("A_4")};
    emit p->mvSecondary->linkClicked(artist);
    EXPECT_TRUE(artist.handled);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->mvSecondary->topicContext(), QStringLiteral("A_4"));

    // A recording link closes it and takes the search screen's viewer there.
    const int recording = linkOf(p->mvSecondary, 1, QStringLiteral("R_105"));
    ASSERT_GE(recording, 0);
    p->mvSecondary->activateLink(recording);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(s.MvrDetails->topicContext(), QStringLiteral("R_105"));
    EXPECT_EQ(s.topicRecord().lngAlbumID, 105);
    EXPECT_EQ(releaseTexts(), QStringList({"1966 - LP", "1987 - CD"}));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(DetailsTest, AMissingArtistOrABadLinkIsTold) {
    screen();
    EXPECT_FALSE(bShow_ArtistPopup(QStringLiteral("A_999")));
    EXPECT_EQ(t.messages.texts(), QStringList({"Sorry could not find that Artist"}));
    ASSERT_NE(popup(), nullptr);
    EXPECT_FALSE(popup()->isVisible());
    // A pop-up that never showed leaves no place to come back to.
    EXPECT_EQ(popupPosition().Width, 0);

    ASSERT_TRUE(bShow_ArtistPopup(QStringLiteral("A_1")));
    TitleLinkEvent bad{7, QStringLiteral("R_101")};
    emit popup()->mvSecondary->linkClicked(bad);
    EXPECT_TRUE(bad.handled);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Sorry could not find that recording"));

    // A visible pop-up asked for a missing artist closes.
    EXPECT_FALSE(bShow_ArtistPopup(QStringLiteral("A_0")));
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_GT(popupPosition().Width, 0);
}

} // namespace
