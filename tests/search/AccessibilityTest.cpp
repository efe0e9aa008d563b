// The search screen as a screen reader and the keyboard meet it.

#include "SearchFixture.h"
#include "collections/SearchCollections.h"
#include "fakes/Accessibility.h"
#include "search/frmpopup.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>

using namespace kv;
using namespace kv::test;

namespace {

void press(QWidget* control) {
    ASSERT_TRUE(pressAsScreenReader(control));
}

TEST_F(SearchScreenTest, EveryControlIsNamedInTheSearchAndTheDetails) {
    frmSearch& s = screen();
    EXPECT_TRUE(isAccessible(&s));
    // The whole main window: the bar's buttons as well.
    EXPECT_TRUE(isAccessible(background()));
    EXPECT_EQ(accessibleNameOf(s.TDBGrid1->view()), "Key words");
    EXPECT_EQ(accessibleNameOf(s.TDBGrid1->scrollBar()), "Key words");
    EXPECT_EQ(accessibleNameOf(s.imgGot_it), "Got it");
    EXPECT_EQ(accessibleNameOf(s.imgMUp), "Scroll the key words up");
    // The object names stay the design's.
    EXPECT_EQ(s.imgGot_it->objectName(), "imgGot_it");

    ASSERT_TRUE(s.TopicsFromKeyword(QStringLiteral("Abba")));
    chooseTopic(QStringLiteral("Arrival - Abba"));
    ASSERT_TRUE(Go_To_Screen(screen::Details));
    EXPECT_TRUE(s.imgSearch->isVisible());
    EXPECT_TRUE(isAccessible(&s));
}

TEST_F(SearchScreenTest, AScreenReaderSearchesAndChoosesTheTypeByPressing) {
    frmSearch& s = screen();
    press(s.imgSType[2]);
    EXPECT_EQ(s.SearchType(), 2);
    // Tracks: "Click 'Go' to search".
    s.txtKeyword->setText(QStringLiteral("vis"));
    press(s.imgGo);
    EXPECT_EQ(keywords(), QStringList({"Visions of Johanna"}));
    press(s.imgSType[0]);
    EXPECT_EQ(s.SearchType(), 0);
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join(" | ").toStdString();
}

TEST_F(SearchScreenTest, TheKeyboardGoesFromTheKeywordToGoAndOnToTheLists) {
    frmSearch& s = screen();
    QApplication::setActiveWindow(background());
    s.txtKeyword->setFocus();
    ASSERT_TRUE(s.txtKeyword->hasFocus());
    const QList<QWidget*> expected{s.imgGo, s.imgMUp, s.imgMDn, s.TDBGrid1->view()};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    // Tracks wait for Go: Space on it searches.
    s.setSearchType(2);
    s.txtKeyword->setText(QStringLiteral("dan"));
    s.imgGo->setFocus();
    QTest::keyClick(s.imgGo, Qt::Key_Space);
    EXPECT_EQ(keywords(), QStringList({"Dancing Queen"}));
}

TEST_F(SearchScreenTest, ACollectionIconIsNamedAndItsMenuComesWithTheMenuKey) {
    frmSearch& s = screen();
    ASSERT_TRUE(s.TopicsFromKeyword(QStringLiteral("Abba")));
    chooseTopic(QStringLiteral("Arrival - Abba"));
    press(s.imgWant_it);
    const QList<QLabel*> icons = s.collections()->collectionIcons();
    ASSERT_EQ(icons.size(), 1);
    EXPECT_FALSE(accessibleNameOf(icons[0]).isEmpty());
    EXPECT_NE(icons[0]->focusPolicy(), Qt::NoFocus);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), icons[0]->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(icons[0], &menuKey);
    EXPECT_TRUE(s.mnuPopup1Node->isVisible());
    s.mnuPopup1Node->hide();
}

TEST_F(SearchScreenTest, TheArtistPopupIsNamed) {
    screen();
    ASSERT_TRUE(bShow_ArtistPopup(QStringLiteral("A_1")));
    auto* popup = t.ctx().forms.find<frmpopup>(form::ArtistPopup);
    ASSERT_NE(popup, nullptr);
    // Nothing in it is pressed or typed into; the page it reads out has a name.
    EXPECT_TRUE(accessibilityFaults(popup).isEmpty()) << accessibilityFaults(popup).join('\n').toStdString();
    EXPECT_EQ(accessibleNameOf(popup->mvSecondary), "The artist's recordings");
}

} // namespace
