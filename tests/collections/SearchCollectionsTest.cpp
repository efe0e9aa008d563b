// The collections' part of the search screen on plain widgets: the got-it menu, the want-it
// and got-it adds, the icons of the collections holding the shown release, their tips and
// their pop-up menu.

#include "CollectionFixture.h"

#include "collections/SearchCollections.h"
#include "collections/frmPropAlbum.h"
#include "settings/ui/frmHelp.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

using namespace kv;
using namespace kv::test;

namespace {

class SearchCollectionsTest : public StoreTest {
protected:
    SearchCollectionsTest() {
        addCollectionRow(2, "Vinyl");
        EXPECT_TRUE(bInit_RCollections());
        picCollections = new QWidget(&screen);
        auto* row = new QHBoxLayout(picCollections);
        row->addStretch();
        mnuPopup2Node = new QMenu(&screen);
        mnuPopup1Node = new QMenu(&screen);
        mnuPopupRemove = mnuPopup1Node->addAction("Remove");
        mnuPopupProp = mnuPopup1Node->addAction("Properties");
        search = std::make_unique<SearchCollections>(
            SearchCollections::Widgets{mnuPopup2Node, picCollections, mnuPopup1Node, mnuPopupRemove,
                                       mnuPopupProp},
            [this](TopicRecord& r, ReleaseRecord& rel) {
                if (!shown) return false;
                r = shownRecording;
                rel = shownRelease;
                return true;
            });
    }
    ~SearchCollectionsTest() override { search.reset(); }

    void show(const TopicRecord& r, const ReleaseRecord& rel) {
        shown = true;
        shownRecording = r;
        shownRelease = rel;
        search->bCollections_Show();
    }
    QList<int> iconIds() const {
        QList<int> out;
        for (QLabel* icon : search->collectionIcons())
            out << icon->property("CollectionID").toInt();
        return out;
    }
    QAction* element(const QString& caption) {
        for (QAction* a : mnuPopup2Node->actions())
            if (a->text() == caption) return a;
        return nullptr;
    }
    void rightClick(QLabel* icon) {
        QMouseEvent press(QEvent::MouseButtonRelease, QPointF(4, 4),
                          icon->mapToGlobal(QPointF(4, 4)), Qt::RightButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(icon, &press);
        mnuPopup1Node->hide();
    }

    QWidget screen;
    QWidget* picCollections;
    QMenu* mnuPopup2Node;
    QMenu* mnuPopup1Node;
    QAction* mnuPopupRemove;
    QAction* mnuPopupProp;
    std::unique_ptr<SearchCollections> search;
    bool shown = false;
    TopicRecord shownRecording;
    ReleaseRecord shownRelease;
};

TEST_F(SearchCollectionsTest, TheGotItMenuFollowsTheCollections) {
    QStringList captions;
    for (QAction* a : mnuPopup2Node->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"My Collection", "Shopping List", "Vinyl"}));
    EXPECT_EQ(search->mnuPop2Collection().size(), 3);

    QString key;
    ASSERT_TRUE(RCollections().Add_Item(key));
    EXPECT_EQ(mnuPopup2Node->actions().size(), 4);
    EXPECT_EQ(mnuPopup2Node->actions().back()->data().toInt(), 3);
    ASSERT_TRUE(RCollections().Remove("R2"));
    captions.clear();
    for (QAction* a : mnuPopup2Node->actions())
        captions << a->text() + "=" + a->data().toString();
    EXPECT_EQ(captions, QStringList({"My Collection=0", "Shopping List=1", "=3"}));

    // A screen that loads after the list gets every element at once.
    QMenu later;
    search.reset();
    SearchCollections again({&later, nullptr, nullptr, nullptr, nullptr}, nullptr);
    EXPECT_EQ(later.actions().size(), 3);
}

TEST_F(SearchCollectionsTest, WantItAndGotItAddTheShownReleaseAndItsIconsAppear) {
    EXPECT_TRUE(search->collectionIcons().isEmpty());
    EXPECT_FALSE(search->imgWant_it_Click());
    EXPECT_EQ(t.messages.last().text, "Please select a recording");

    show(recording(101, "Arrival", "Abba"), release("POLS 272", "Polar", "1976", "LP"));
    EXPECT_TRUE(search->collectionIcons().isEmpty());
    ASSERT_TRUE(search->imgWant_it_Click());
    EXPECT_EQ(itemsOf(1), QStringList({"POLS 272"}));
    EXPECT_EQ(iconIds(), QList<int>({1}));

    element("Vinyl")->trigger();
    EXPECT_EQ(itemsOf(2), QStringList({"POLS 272"}));
    EXPECT_EQ(iconIds(), QList<int>({1, 2}));
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "'Arrival'\r\n added to 'Vinyl' collection");
    for (QLabel* icon : search->collectionIcons()) {
        EXPECT_EQ(icon->parentWidget(), picCollections);
        EXPECT_FALSE(icon->pixmap().isNull());
    }

    // Another release of the recording is in no collection.
    show(recording(101, "Arrival", "Abba"), release("821 319-2"));
    EXPECT_TRUE(search->collectionIcons().isEmpty());
}

TEST_F(SearchCollectionsTest, TheIconMenuRemovesOrEditsThatCollectionsItem) {
    show(recording(101, "Arrival", "Abba"), release("POLS 272"));
    ASSERT_TRUE(search->imgWant_it_Click());
    element("Vinyl")->trigger();
    ASSERT_EQ(iconIds(), QList<int>({1, 2}));

    rightClick(search->collectionIcons().at(1));
    EXPECT_EQ(search->iconMenuCollection(), 2);
    t.dialogs.script([](QDialog& d) {
        auto& dialog = static_cast<frmPropAlbum&>(d);
        EXPECT_EQ(dialog.ThisCollection(), "R2");
        dialog.txtNotes->setPlainText("From the icon");
        dialog.cmdOK->click();
    });
    mnuPopupProp->trigger();
    EXPECT_EQ(column("SELECT [Notes] FROM [Collection - Contents] WHERE [Collection ID]=2"),
              QStringList({"From the icon"}));

    rightClick(search->collectionIcons().at(0));
    t.messages.answer(mb::Yes);
    mnuPopupRemove->trigger();
    EXPECT_EQ(t.messages.last().text,
              "Are you sure you want to remove 'Arrival' from this collection 'Shopping List'");
    EXPECT_TRUE(itemsOf(1).isEmpty());
    EXPECT_EQ(iconIds(), QList<int>({2}));

    // Deleting the collection takes its icon away too.
    ASSERT_TRUE(RCollections().Remove("R2"));
    EXPECT_TRUE(search->collectionIcons().isEmpty());
}

TEST_F(SearchCollectionsTest, CollectionNamesShowAsTipsOnlyWhenTheOptionIsOn) {
    show(recording(101, "Arrival", "Abba"), release("POLS 272"));
    ASSERT_TRUE(search->imgWant_it_Click());
    QLabel* icon = search->collectionIcons().at(0);
    frmHelp::instance()->Label1->clear();

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(icon, &enter);
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "");

    t.ctx().options.bCollectionTips = true;
    QCoreApplication::sendEvent(icon, &enter);
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "Shopping List");
    EXPECT_TRUE(frmHelp::instance()->isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(icon, &leave);
    EXPECT_FALSE(frmHelp::instance()->isVisible());
}

} // namespace
