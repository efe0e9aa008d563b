// The "Cat. No." search type: offered only by titles that file catalogue numbers, typing
// compacted as the wheel is, and a chosen number opening its recording on that release.

#include "SearchFixture.h"

#include "titles/engine/Fold.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/Wheels.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileInfo>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kCatNo = searchType::CatalogueNumbers;

class CatalogueNumberSearchTest : public SearchScreenTest {
protected:
    // Types into the keyword box of the "Cat. No." type and chooses the first match.
    void findNumber(const QString& typed) {
        frmSearch& s = screen();
        s.setSearchType(kCatNo);
        clearKeyword();
        type(typed);
        ASSERT_GT(s.TDBGrid1->count(), 0) << typed.toStdString();
        QTest::keyClick(s.txtKeyword, Qt::Key_Down);
    }
};

TEST_F(CatalogueNumberSearchTest, TheTypeIsOfferedBesideTheOthersAndNamed) {
    frmSearch& s = screen();
    ImageButton* tab = s.imgSType[kCatNo];
    EXPECT_TRUE(tab->isVisibleTo(&s));
    EXPECT_EQ(tab->accessibleName(), QStringLiteral("Cat. No."));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(tab);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_TRUE(a->actionInterface() && a->actionInterface()->actionNames().contains(
                                            QAccessibleActionInterface::pressAction()));

    QTest::mouseClick(tab, Qt::LeftButton);
    EXPECT_EQ(s.SearchType(), kCatNo);
    EXPECT_EQ(s.txtKeyword->placeholderText(), QStringLiteral("Catalogue number"));
    const int base = t.ctx().constants.lngResourceBase;
    EXPECT_EQ(tab->shownPicture(), base + searchArt::TypeTab[kCatNo][1]);
    EXPECT_EQ(s.imgSType[0]->shownPicture(), base + searchArt::TypeTab[0][0]);
    // The second row of tabs pushes the keyword box down, inside its panel.
    EXPECT_GE(s.txtKeyword->y(), tab->geometry().bottom());
    EXPECT_TRUE(s.Shape1->geometry().contains(s.TDBGrid1->geometry()));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join('\n').toStdString();
}

TEST_F(CatalogueNumberSearchTest, BlanksDashesAndCaseDoNotMatter) {
    frmSearch& s = screen();
    s.setSearchType(kCatNo);
    EXPECT_EQ(keywords(),
              QStringList({"8213192", "C2L41", "CK841", "HITS1", "POLS252", "POLS272"}));
    for (const QString typed : {"ck 841", "CK-841", "c.k/8 4 1"}) {
        clearKeyword();
        type(typed);
        EXPECT_EQ(keywords(), QStringList({"CK841"})) << typed.toStdString();
    }
    clearKeyword();
    type(QStringLiteral("pols 2"));
    EXPECT_EQ(keywords(), QStringList({"POLS252", "POLS272"}));
    // Each type keeps its own text.
    s.setSearchType(searchType::Albums);
    EXPECT_EQ(s.txtKeyword->text(), QString());
    s.setSearchType(kCatNo);
    EXPECT_EQ(s.txtKeyword->text(), QStringLiteral("pols 2"));
}

TEST_F(CatalogueNumberSearchTest, ChoosingANumberOpensItsRecordingOnThatRelease) {
    frmSearch& s = screen();
    findNumber(QStringLiteral("ck 84-1"));
    EXPECT_EQ(topicTitles(), QStringList({"Blonde on Blonde - Bob Dylan"}));
    ASSERT_EQ(s.topicKind(), kTopicRecording);
    EXPECT_EQ(s.selectedRelease(), 2) << "the second release carries CK 841";
    EXPECT_EQ(s.cboReleases->currentIndex(), 1);
    EXPECT_EQ(s.LblReleases->text(), kCatNoPrefix + "CK 841");

    // Of two releases under one number the first is chosen; the other stays a step away.
    findNumber(QStringLiteral("821319 2"));
    EXPECT_EQ(topicTitles(), QStringList({"Arrival - Abba"}));
    EXPECT_EQ(s.selectedRelease(), 2);
    QTest::mouseClick(s.imgDown, Qt::LeftButton);
    EXPECT_EQ(s.selectedRelease(), 3);
    EXPECT_EQ(s.LblReleases->text(), kCatNoPrefix + "821 319-2");

    // An album search opens the same recording on its first release, as before.
    s.setSearchType(searchType::Albums);
    clearKeyword();
    type(QStringLiteral("blonde"));
    QTest::keyClick(s.txtKeyword, Qt::Key_Down);
    chooseTopic(QStringLiteral("Blonde on Blonde - Bob Dylan"));
    EXPECT_EQ(s.selectedRelease(), 1);
}

// docs/screenshots: a number of the demo catalogue typed with blanks and dashes, its
// recording opened on that release. Run with KV_SCREENSHOTS=<folder>; KV_SCREENSHOT_TITLE
// names another catalogue, such as a whole imported Discogs dump.
TEST_F(CatalogueNumberSearchTest, Screenshot) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    const QString other = qEnvironmentVariable("KV_SCREENSHOT_TITLE");
    titlePath = other.isEmpty() ? QStringLiteral(KV_APP_DIR "/Music.M14") : other;
    frmSearch& s = screen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(background()));
    s.setSearchType(kCatNo);
    // A number from the middle of the wheel, spelt the way a sleeve might print it.
    const qint32 middle = s.TDBGrid1->count() / 2;
    const QString number = s.keywordAt(middle);
    qsizetype letters = 0;
    while (letters < number.size() && number[letters].isLetter())
        ++letters;
    ASSERT_GT(number.size() - letters, 3) << number.toStdString();
    const QString typed = number.left(letters).toLower() + u' ' + number.mid(letters, 2) + u'-' +
                          number.mid(letters + 2);
    findNumber(typed);
    ASSERT_EQ(s.topicKind(), kTopicRecording);
    EXPECT_TRUE(
        title::compactCatalogueNumber(s.LblReleases->text()).endsWith(number, Qt::CaseInsensitive))
        << s.LblReleases->text().toStdString();
    QApplication::processEvents();
    EXPECT_TRUE(background()->grab().save(
        folder + (other.isEmpty() ? "/search-catalogue-number.png"
                                  : "/search-catalogue-number-" + QFileInfo(other).baseName() +
                                        ".png")));
}

// A title compiled before catalogue numbers were filed: the type is not offered, the screen
// looks as it always did, and nobody is told about a wheel they never asked for.
class TitleWithoutNumbersTest : public SearchScreenTest {
protected:
    TitleWithoutNumbersTest() {
        title::TitleWriter w;
        const int artists = w.addWheel(wheel::Artists, "Artists");
        w.addAlias(wheel::ArtistSearch, "Artist Search", artists);
        const int own = w.addWheel(wheel::OwnArtists, "Artists (no compilations)");
        const uint32_t topic = w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", "");
        w.file(artists, w.keyword(artists, "Solo"), topic);
        w.file(own, w.keyword(own, "Solo"), topic);
        w.addBaggage(title::kMarkerFile, "test");
        QString error;
        titlePath = dir.filePath(QStringLiteral("Old.M14"));
        EXPECT_TRUE(w.write(titlePath, &error)) << error.toStdString();
    }
};

TEST_F(TitleWithoutNumbersTest, TheTypeIsNotOffered) {
    frmSearch& s = screen();
    EXPECT_FALSE(s.catalogueNumbersOffered());
    EXPECT_FALSE(s.imgSType[kCatNo]->isVisibleTo(&s));
    EXPECT_EQ(s.txtKeyword->y(), s.imgSType[0]->geometry().bottom() + 7) << "one row of tabs";
    EXPECT_EQ(keywords(), QStringList({"Solo"}));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join('\n').toStdString();
}

} // namespace
