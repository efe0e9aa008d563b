// The title viewer on real titles: the demo catalogue and shop directory of the
// application folder, and small titles compiled here.

#include "TitleFixture.h"
#include "fakes/Fakes.h"
#include "titles/TitleAccess.h"
#include "titles/TitleLinks.h"
#include "titles/TitleViewer.h"
#include "titles/TopicData.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleWriter.h"

#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using namespace kv;
using namespace kv::test;

namespace {

const QString kAppDir = QStringLiteral(KV_APP_DIR);

class ViewerTest : public ::testing::Test {
protected:
    void openMusic() {
        viewer.setTitleFile(kAppDir + "/Music.M14");
        ASSERT_NE(viewer.titleHandle(), 0) << strMVLastError().toStdString();
    }

    // The first recording with releases, tracks and a guest artist on a track.
    qint32 richRecording() {
        for (qint32 va = 1; va < 5000; ++va) {
            if (!viewer.jumpToAddress(va)) break;
            int artistLinks = 0;
            for (const PageLink& l : viewer.pageLinks())
                artistLinks += l.linkType == kLinkArtist;
            if (viewer.topicText().mid(8, 1) == "R" && artistLinks > 1 &&
                viewer.pageText().contains("Releases"))
                return va;
        }
        return -1;
    }

    int linkIndex(int type) const {
        for (int i = 0; i < viewer.pageLinks().size(); ++i)
            if (!viewer.pageLinks()[i].hotspot && viewer.pageLinks()[i].linkType == type) return i;
        return -1;
    }

    // Where link `index` stands in the viewport, for a real click.
    QPoint linkPoint(int index) {
        const QString href = QStringLiteral("kv:%1").arg(index);
        for (QTextBlock b = viewer.document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().anchorHref() == href) {
                    QTextCursor c(viewer.document());
                    c.setPosition(it.fragment().position() + 1);
                    return viewer.cursorRect(c).center();
                }
        return {};
    }

    TestContext t;
    TitleViewer viewer;
};

TEST_F(ViewerTest, RecordingPageOfTheDemoCatalogue) {
    openMusic();
    EXPECT_EQ(viewer.currentAddress(), vaMVGetContents(viewer.titleHandle()));
    EXPECT_TRUE(viewer.pageText().startsWith("Korvanda Music Catalogue"));

    QSignalSpy shown(&viewer, &TitleViewer::topicShown);
    ASSERT_TRUE(viewer.jumpToContext("R_1001"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0][0].toInt(), viewer.currentAddress());
    EXPECT_EQ(viewer.topicContext(), "R_1001");

    TopicRecord topic;
    ReleaseArray releases;
    int kind = 0;
    ASSERT_TRUE(bGetTopicData(viewer.topicText(), topic, releases, kind));
    EXPECT_EQ(kind, kTopicRecording);
    EXPECT_EQ(topic.lngAlbumID, 1001);
    EXPECT_TRUE(viewer.topicTitle().startsWith(topic.strTitle + " - " + topic.strArtist));
    // The page shows each release as a row of the releases table and times for tracks.
    const QString html = viewer.toHtml();
    for (int i = 1; i <= releaseUpperBound(releases); ++i)
        EXPECT_TRUE(viewer.pageText().contains(releases[i].strCatalogueNumber + '\t' +
                                               releases[i].strLabel))
            << i;
    EXPECT_TRUE(html.contains("<table"));
    EXPECT_TRUE(QRegularExpression("\\t\\d+:\\d\\d\\n").match(viewer.pageText()).hasMatch());
    // The artist is a link to the artist's page.
    const int artist = linkIndex(kLinkArtist);
    ASSERT_GE(artist, 0);
    EXPECT_EQ(viewer.pageLinks()[artist].text, topic.strArtist);
    EXPECT_TRUE(viewer.pageLinks()[artist].target.startsWith("A_"));
}

// Every link of a stretch of the catalogue leads to a topic of the kind its type names.
TEST_F(ViewerTest, EveryLinkOfTheDemoCatalogueLeadsSomewhere) {
    openMusic();
    TitleViewer target;
    target.setTitleFile(viewer.titleFile());
    int links = 0;
    for (qint32 va = 0; va < 400 && viewer.jumpToAddress(va); va += 3) {
        for (const PageLink& l : viewer.pageLinks()) {
            ASSERT_FALSE(l.hotspot);
            ASSERT_TRUE(target.jumpToContext(l.target)) << l.target.toStdString();
            const QChar kind = target.topicText().at(8);
            EXPECT_EQ(kind, l.linkType == kLinkRecording ? u'R' : u'A') << l.target.toStdString();
            ++links;
        }
    }
    EXPECT_GT(links, 100);
}

TEST_F(ViewerTest, ClicksReportTypeAndTargetAndUnhandledLinksAreFollowed) {
    openMusic();
    ASSERT_GT(richRecording(), 0);
    const qint32 recording = viewer.currentAddress();
    const int artist = linkIndex(kLinkArtist);
    const QString artistTarget = viewer.pageLinks()[artist].target;

    std::vector<TitleLinkEvent> seen;
    bool handle = true;
    QObject::connect(&viewer, &TitleViewer::linkClicked, &viewer, [&](TitleLinkEvent& e) {
        seen.push_back(e);
        e.handled = handle;
    });

    viewer.resize(500, 400);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    const QPoint at = linkPoint(artist);
    ASSERT_FALSE(at.isNull());
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].linkType, kLinkArtist);
    EXPECT_EQ(seen[0].target, artistTarget);
    EXPECT_FALSE(seen[0].hotspot);
    EXPECT_EQ(viewer.currentAddress(), recording) << "a handled link is not followed";

    handle = false;
    viewer.activateLink(artist);
    EXPECT_EQ(viewer.topicContext(), artistTarget);
    EXPECT_EQ(viewer.topicText().at(8), u'A');

    // On the artist page every link is a recording.
    ASSERT_FALSE(viewer.pageLinks().isEmpty());
    for (const PageLink& l : viewer.pageLinks())
        EXPECT_EQ(l.linkType, kLinkRecording);
    viewer.activateLink(0);
    EXPECT_EQ(seen.back().linkType, kLinkRecording);
    EXPECT_EQ(viewer.topicContext(), seen.back().target);
    viewer.activateLink(99999); // out of range: nothing
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(ViewerTest, SearchViewerOpensThePopupForArtistsOnly) {
    openMusic();
    ASSERT_GT(richRecording(), 0);
    const qint32 recording = viewer.currentAddress();
    QStringList popups;
    connectSearchViewerLinks(&viewer, [&](const QString& a) { popups << a; });

    viewer.activateLink(linkIndex(kLinkArtist));
    ASSERT_EQ(popups.size(), 1);
    EXPECT_TRUE(popups[0].startsWith("A_"));
    EXPECT_EQ(viewer.currentAddress(), recording);

    TitleLinkEvent recordingLink{kLinkRecording, "R_1001", false, false};
    handleSearchViewerLink(recordingLink, [&](const QString& a) { popups << a; });
    EXPECT_FALSE(recordingLink.handled);
    TitleLinkEvent hotspot{0, "SFO1|x", true, false};
    handleSearchViewerLink(hotspot, [&](const QString& a) { popups << a; });
    EXPECT_FALSE(hotspot.handled);
    EXPECT_EQ(popups.size(), 1);
}

TEST_F(ViewerTest, PopupViewerDispatch) {
    openMusic();
    TitleViewer popup;
    popup.setTitleFile(viewer.titleFile());
    int closed = 0;
    QStringList artists;
    connectPopupViewerLinks(
        &popup, &viewer, [&] { ++closed; }, [&](const QString& a) { artists << a; });

    // A recording link moves the search screen's viewer and closes the pop-up.
    ASSERT_TRUE(popup.jumpToContext("R_1001"));
    const int artist = [&] {
        for (int i = 0; i < popup.pageLinks().size(); ++i)
            if (popup.pageLinks()[i].linkType == kLinkArtist) return i;
        return -1;
    }();
    popup.activateLink(artist);
    ASSERT_EQ(artists.size(), 1);
    EXPECT_EQ(popup.topicContext(), "R_1001") << "the pop-up re-opens; it does not follow itself";

    ASSERT_TRUE(popup.jumpToContext(artists[0]));
    const PageLink first = popup.pageLinks().value(0);
    ASSERT_EQ(first.linkType, kLinkRecording);
    popup.activateLink(0);
    EXPECT_EQ(viewer.topicContext(), first.target);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(popup.topicContext(), artists[0]);
    EXPECT_TRUE(t.messages.boxes.empty());

    // A recording that is not in the title, and links of other types.
    for (TitleLinkEvent e :
         {TitleLinkEvent{kLinkRecording, "R_99999999", false, false},
          TitleLinkEvent{3, "R_1001", false, false}, TitleLinkEvent{0, "SFO1|S_1", true, false}}) {
        t.messages.boxes.clear();
        handlePopupViewerLink(
            e, &viewer, [&] { ++closed; }, [&](const QString& a) { artists << a; });
        EXPECT_TRUE(e.handled);
        ASSERT_EQ(t.messages.boxes.size(), 1u);
        EXPECT_EQ(t.messages.last().text, "Sorry could not find that recording");
        EXPECT_EQ(t.messages.last().title, "") << "the application's title";
    }
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(artists.size(), 1);
}

TEST_F(ViewerTest, ShopDirectoryHotspotsCarryTheShopRecord) {
    viewer.setTitleFile(kAppDir + "/Shops.M14");
    ASSERT_NE(viewer.titleHandle(), 0);
    // The contents page lists the towns; following one shows its shops.
    ASSERT_FALSE(viewer.pageLinks().isEmpty());
    QStringList towns;
    for (const PageLink& l : viewer.pageLinks())
        towns << l.text;
    EXPECT_TRUE(towns.contains("Leeds"));
    ASSERT_TRUE(viewer.jumpToContext("T_Leeds"));

    std::vector<TitleLinkEvent> seen;
    QObject::connect(&viewer, &TitleViewer::linkClicked, &viewer,
                     [&](TitleLinkEvent& e) { seen.push_back(e); });
    int shops = 0;
    for (int i = 0; i < viewer.pageLinks().size(); ++i) {
        const PageLink& l = viewer.pageLinks()[i];
        ASSERT_TRUE(l.hotspot);
        viewer.activateLink(i);
        EXPECT_EQ(viewer.topicContext(), "T_Leeds") << "hotspots are never followed";
        ShopRecord shop;
        QString kind;
        ASSERT_TRUE(bGetHotspotData(seen.back().target, shop, kind));
        EXPECT_TRUE(seen.back().hotspot);
        if (kind != "S") continue;
        ++shops;
        EXPECT_EQ(shop.Name, l.text);
        EXPECT_EQ(shop.Reference, QStringLiteral("S_%1").arg(shop.Number));
        if (shop.Name == "Chapel Allerton Music") {
            EXPECT_EQ(shop.Phone, "");
            EXPECT_EQ(shop.Fax, "");
            EXPECT_EQ(shop.EMail, "chapelmusic@example.co.uk");
        }
    }
    EXPECT_GE(shops, 2);
    EXPECT_TRUE(viewer.pageText().contains("Chapel Allerton Music"));
}

TEST_F(ViewerTest, KeyboardScrollingSelectionCopyAndPosition) {
    openMusic();
    ASSERT_GT(richRecording(), 0);
    viewer.resize(320, 160);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    viewer.setFocus();
    QScrollBar* bar = viewer.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page must be longer than the window";
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(&viewer, Qt::Key_PageDown);
    const int paged = bar->value();
    EXPECT_GT(paged, 0);
    QTest::keyClick(&viewer, Qt::Key_Down);
    EXPECT_GT(bar->value(), paged);
    QTest::keyClick(&viewer, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);

    QTest::keyClick(&viewer, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&viewer, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains(viewer.topicTitle().section(" - ", 0, 0))) << copied.toStdString();
    EXPECT_TRUE(copied.contains("Releases"));

    // Saving and restoring where the viewer stood (the shop screen does this).
    bar->setValue(bar->maximum() / 2);
    const ViewerPosition saved = viewer.position();
    ASSERT_TRUE(viewer.showContents());
    EXPECT_NE(viewer.currentAddress(), saved.viewAddress);
    ASSERT_TRUE(viewer.setPosition(saved));
    EXPECT_EQ(viewer.currentAddress(), saved.viewAddress);
    EXPECT_EQ(bar->value(), saved.scroll);
}

TEST_F(ViewerTest, JumpsThatFindNothingKeepThePage) {
    openMusic();
    ASSERT_TRUE(viewer.jumpToContext("R_1001"));
    QSignalSpy shown(&viewer, &TitleViewer::topicShown);
    EXPECT_FALSE(viewer.jumpToContext("R_0"));
    EXPECT_FALSE(viewer.jumpToContext(""));
    EXPECT_FALSE(viewer.jumpToAddress(-1));
    EXPECT_FALSE(viewer.jumpToAddress(0x7FFFFFFF));
    EXPECT_EQ(viewer.topicContext(), "R_1001");
    EXPECT_EQ(shown.size(), 0);

    viewer.setTitleFile(QString());
    EXPECT_EQ(viewer.titleHandle(), 0);
    EXPECT_EQ(viewer.currentAddress(), -1);
    EXPECT_EQ(viewer.topicText(), "");
    EXPECT_FALSE(viewer.showContents());
    EXPECT_FALSE(viewer.jumpToContext("R_1001"));
}

// A page that cannot be read to its end shows what could be read and says so.
class DamagedPageTest : public TitleTest {};

TEST_F(DamagedPageTest, ShowsWhatCouldBeReadAndSaysSo) {
    title::TitleWriter w;
    title::PageWriter page;
    page.block(title::BlockStyle::Heading).text("Readable heading");
    page.block(title::BlockStyle::Paragraph).text("Fine & <dandy> \"quoted\"");
    std::string bytes = page.take();
    bytes += "\x01\x05\x09"; // a block that promises spans it does not have
    w.setContents(w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", bytes));
    w.addTopic('M', "M_BAD", "Bad", "00000000M|Bad", std::string("\xFF\xFF\xFF\xFF", 4));
    w.addBaggage("Korva.$$$", "x");
    QString error;
    ASSERT_TRUE(w.write(path("Damaged.M14"), &error)) << error.toStdString();

    TitleViewer viewer;
    viewer.setTitleFile(path("Damaged.M14"));
    ASSERT_NE(viewer.titleHandle(), 0);
    const QString text = viewer.toPlainText();
    EXPECT_TRUE(text.contains("Readable heading"));
    EXPECT_TRUE(text.contains("Fine & <dandy> \"quoted\"")) << "text is escaped, not markup";
    EXPECT_TRUE(text.contains("The rest of this page could not be read."));
    ASSERT_TRUE(viewer.jumpToContext("M_BAD"));
    EXPECT_TRUE(viewer.toPlainText().contains("could not be read"));
}

// Pictures for docs/screenshots: run with KV_SCREENSHOTS=<folder>.
TEST_F(ViewerTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    viewer.resize(520, 380);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    openMusic();
    ASSERT_GT(richRecording(), 0);
    EXPECT_TRUE(viewer.grab().save(folder + "/viewer-recording.png"));
    viewer.activateLink(linkIndex(kLinkArtist));
    EXPECT_TRUE(viewer.grab().save(folder + "/viewer-artist.png"));
    viewer.setTitleFile(kAppDir + "/Shops.M14");
    ASSERT_TRUE(viewer.jumpToContext("T_Bristol"));
    EXPECT_TRUE(viewer.grab().save(folder + "/viewer-shops.png"));
}

} // namespace
