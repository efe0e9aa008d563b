// Pictures for docs/screenshots of a session on the demo catalogue: run with
// KV_SCREENSHOTS=<folder>. The session also checks that each step landed where it should.

#include "SearchFixture.h"
#include "platform/FormNames.h"
#include "search/frmpopup.h"

#include <QComboBox>

using namespace kv;
using namespace kv::test;

namespace {

TEST_F(SearchScreenTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    titlePath = QStringLiteral(KV_APP_DIR "/Music.M14");
    frmSearch& s = screen();
    frmBackground* bg = background();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bg));

    for (QChar c : QStringLiteral("reed"))
        QTest::keyClick(s.txtKeyword, c.toLatin1());
    ASSERT_TRUE(currentKeyword().startsWith(QStringLiteral("Reed")));
    QTest::keyClick(s.txtKeyword, Qt::Key_Down);
    ASSERT_GT(s.topicCount(), 0);
    s.TDBGrid2->setCurrentRow(0);
    ASSERT_TRUE(s.bDetails_Show());
    ASSERT_EQ(s.topicKind(), kTopicRecording);
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/search-artist.png"));

    t.ctx().options.QuickSearch[0] = false;
    s.refresh_Search();
    QTest::keyClick(s.txtKeyword, Qt::Key_Backspace);
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/search-wildcard.png"));

    QTest::mouseClick(s.imgDetails, Qt::LeftButton);
    ASSERT_EQ(t.ctx().intCurrentScreen, screen::Details);
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/search-details.png"));

    int artistLink = -1;
    for (int i = 0; i < s.MvrDetails->pageLinks().size() && artistLink < 0; ++i)
        if (s.MvrDetails->pageLinks()[i].linkType == kLinkArtist) artistLink = i;
    ASSERT_GE(artistLink, 0);
    s.MvrDetails->activateLink(artistLink);
    auto* popup = t.ctx().forms.find<frmpopup>(form::ArtistPopup);
    ASSERT_TRUE(popup && popup->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_TRUE(popup->grab().save(folder + "/search-artist-popup.png"));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join('\n').toStdString();
}

} // namespace
