#include "app/Navigation.h"
#include "app/ScreenWindow.h"
#include "app/frmBackground.h"
#include "app/frmSwitchBoard.h"
#include "fakes/Accessibility.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"

#include <QAccessible>
#include <QApplication>
#include <QSet>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::TestContext;

namespace {

// A screen that records how navigation drives it.
class RecordingScreen : public ScreenWindow {
    Q_OBJECT
public:
    explicit RecordingScreen(const QString& name) : ScreenWindow(name) {}
    bool Init_Form() override {
        calls << QStringLiteral("Init_Form");
        return true;
    }
    void Form_Mode(int mode) override {
        calls << QStringLiteral("Form_Mode %1").arg(mode);
        ScreenWindow::Form_Mode(mode);
    }
    void Show_me() override {
        calls << QStringLiteral("Show_me");
        ScreenWindow::Show_me();
    }
    QStringList calls;
};

class SearchScreen : public RecordingScreen {
    Q_OBJECT
    Q_PROPERTY(int SearchType MEMBER searchType)
public:
    SearchScreen() : RecordingScreen(form::Search) {}
    int searchType = -1;
};

struct Navigation : ::testing::Test {
    TestContext t;
    Navigation() {
        AppContext& a = t.ctx();
        a.services.resources = std::make_unique<QtResources>();
        a.constants.rectScreenArea = QRect(16, 57, 600, 335);
        a.forms.registerFactory(form::Background, [] { return new frmBackground; });
        a.forms.registerFactory(form::SwitchBoard, [] { return new frmSwitchBoard; });
        a.forms.registerFactory(form::Search, [] { return new SearchScreen; });
        a.forms.registerFactory(form::Collection,
                                [] { return new RecordingScreen(form::Collection); });
        a.forms.registerFactory(form::Shopping, [] {
            auto* s = new RecordingScreen(form::Shopping);
            auto* phone = new ImageButton(0, 0, s);
            phone->setObjectName(QStringLiteral("imgPhone"));
            return s;
        });
        a.forms.registerFactory(form::FindFilterSort, [] { return new QWidget; });
        background()->Show_me();
        EXPECT_TRUE(nav::bSwitch_Show());
    }
    frmBackground* background() { return ctx().forms.get<frmBackground>(form::Background); }
    QWidget* window(const QString& name) { return qobject_cast<QWidget*>(ctx().forms.loaded(name)); }
    bool visible(const QString& name) {
        QWidget* w = window(name);
        return w && w->isVisible();
    }
    RecordingScreen* screenOf(const QString& name) { return ctx().forms.find<RecordingScreen>(name); }
    bool go(int code) { return Go_To_Screen(code); }
    QString title() { return background()->lblScreen->text(); }
    void key(int k) { QTest::keyClick(background(), Qt::Key(k)); }
};

} // namespace

TEST_F(Navigation, ScreensSharingAWindowKeepItShown) {
    EXPECT_TRUE(visible(form::SwitchBoard));
    EXPECT_EQ(ctx().intCurrentScreen, 1);
    EXPECT_EQ(title(), QString());

    ASSERT_TRUE(go(2));
    EXPECT_FALSE(visible(form::SwitchBoard));
    EXPECT_TRUE(visible(form::Search));
    EXPECT_EQ(screenOf(form::Search)->calls, (QStringList{"Init_Form", "Form_Mode 2", "Show_me"}));
    EXPECT_EQ(title(), QStringLiteral("Search"));
    EXPECT_EQ(background()->lbltop->text(), QStringLiteral("Search"));
    EXPECT_EQ(ctx().frmActive, ctx().forms.loaded(form::Search));

    ASSERT_TRUE(go(3));
    EXPECT_TRUE(visible(form::Search));
    EXPECT_EQ(title(), QStringLiteral("Details"));
    ASSERT_TRUE(go(2));
    EXPECT_TRUE(visible(form::Search));

    ASSERT_TRUE(go(4));
    EXPECT_FALSE(visible(form::Search));
    EXPECT_TRUE(visible(form::Collection));
    ASSERT_TRUE(go(12));
    EXPECT_TRUE(visible(form::Collection));
    EXPECT_EQ(title(), QStringLiteral("Connections"));
    EXPECT_EQ(screenOf(form::Collection)->calls.last(), QStringLiteral("Show_me"));
    EXPECT_TRUE(screenOf(form::Collection)->calls.contains(QStringLiteral("Form_Mode 12")));
    ASSERT_TRUE(go(4));
    EXPECT_TRUE(visible(form::Collection));

    ASSERT_TRUE(go(5));
    EXPECT_FALSE(visible(form::Collection));
    for (int page : {6, 7, 8, 9, 5}) {
        ASSERT_TRUE(go(page));
        EXPECT_TRUE(visible(form::Shopping)) << page;
        EXPECT_EQ(ctx().intCurrentScreen, page);
        EXPECT_EQ(screenOf(form::Shopping)->calls.at(screenOf(form::Shopping)->calls.size() - 2),
                  QStringLiteral("Form_Mode %1").arg(page));
    }
    EXPECT_EQ(title(), QStringLiteral("Shopping"));
}

// What a screen reader does: press a button by its name through its press action.
static void pressNamed(QWidget* within, const QString& name) {
    for (auto* button : within->findChildren<ImageButton*>()) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
        if (button->parentWidget() != within || iface->text(QAccessible::Name) != name)
            continue;
        ASSERT_EQ(iface->role(), QAccessible::Button);
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // The click follows from the event loop, as a push button's does.
        ASSERT_TRUE(QTest::qWaitFor([button] { return !button->isDown(); }));
        return;
    }
    ADD_FAILURE() << "no button named " << name.toStdString();
}

TEST_F(Navigation, ScreenReadersPressTheSwitchboardAndTheBarByName) {
    auto* switchboard = ctx().forms.find<frmSwitchBoard>(form::SwitchBoard);
    ASSERT_NE(switchboard, nullptr);
    EXPECT_TRUE(test::isAccessible(background()));
    pressNamed(switchboard, QStringLiteral("Collections"));
    EXPECT_EQ(ctx().intCurrentScreen, screen::Collections);
    pressNamed(background(), QStringLiteral("Search"));
    EXPECT_EQ(ctx().intCurrentScreen, screen::Search);
    pressNamed(background(), QStringLiteral("Back"));
    EXPECT_EQ(ctx().intCurrentScreen, screen::Switchboard);
    pressNamed(switchboard, QStringLiteral("Connections"));
    EXPECT_EQ(ctx().intCurrentScreen, screen::Connections);
    pressNamed(background(), QStringLiteral("Help"));
    EXPECT_EQ(t.help.contexts.back(), 106);
}

TEST_F(Navigation, TabReachesEveryButtonOfTheBar) {
    QApplication::setActiveWindow(background());
    QSet<QWidget*> reached;
    background()->imgVivo->setFocus();
    for (int i = 0; i < 40 && QApplication::focusWidget(); ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (ImageButton* b : background()->findChildren<ImageButton*>()) {
        if (b->parentWidget() == background()) {
            EXPECT_TRUE(reached.contains(b)) << b->objectName().toStdString();
        }
    }
}

TEST_F(Navigation, CollectionsAndConnectionsHideTheFindDialog) {
    ctx().forms.load(form::FindFilterSort);
    window(form::FindFilterSort)->show();
    ASSERT_TRUE(go(4));
    EXPECT_FALSE(visible(form::FindFilterSort));
    window(form::FindFilterSort)->show();
    ASSERT_TRUE(go(12));
    EXPECT_FALSE(visible(form::FindFilterSort));
}

TEST_F(Navigation, TheSameCodeChangesNothingNotEvenTheTitles) {
    ASSERT_TRUE(go(4));
    background()->lblScreen->setText(QStringLiteral("unchanged"));
    const int before = screenOf(form::Collection)->calls.size();
    int same = 4;
    EXPECT_TRUE(nav::bShow_Form(4, same));
    EXPECT_EQ(title(), QStringLiteral("unchanged"));
    EXPECT_EQ(screenOf(form::Collection)->calls.size(), before);
}

TEST_F(Navigation, FaxAndEmailPagesThroughShowFormHideTheOldScreenAndShowNone) {
    for (int code : {10, 11}) {
        ASSERT_TRUE(go(4));
        int target = code;
        EXPECT_TRUE(nav::bShow_Form(4, target));
        EXPECT_FALSE(visible(form::Collection));
        EXPECT_FALSE(visible(form::Shopping));
        EXPECT_EQ(ctx().intCurrentScreen, 4); // the shopping window enters those pages itself
    }
}

TEST_F(Navigation, SearchTypeIsSetOnTheFirstVisitOnly) {
    ASSERT_TRUE(go(2));
    auto* search = ctx().forms.find<SearchScreen>(form::Search);
    EXPECT_EQ(search->searchType, 0);
    search->searchType = 2;
    ASSERT_TRUE(go(1));
    ASSERT_TRUE(go(2));
    EXPECT_EQ(search->searchType, 2);
}

TEST_F(Navigation, BackGoesOneStepOrToTheSwitchboard) {
    const auto back = [&](int from) {
        int code = from;
        nav::bShow_Form(ctx().intCurrentScreen, code);
        if (from == 9 || from == 10 || from == 11)
            ctx().intCurrentScreen = from; // entered by the shopping window itself
        QTest::mouseClick(background()->imgBack, Qt::LeftButton);
        return ctx().intCurrentScreen;
    };
    for (int from : {1, 2, 4, 5, 12})
        EXPECT_EQ(back(from), 1) << from;
    EXPECT_EQ(back(3), 2);
    EXPECT_EQ(back(6), 5);
    EXPECT_EQ(back(7), 6);
    EXPECT_EQ(back(8), 6);
    EXPECT_EQ(back(10), 8);
    EXPECT_EQ(back(11), 8);
    go(6);
    go(9);
    ctx().forms.find<QWidget>(form::Shopping)->findChild<ImageButton*>("imgPhone")->tag = QStringLiteral("7");
    QTest::mouseClick(background()->imgBack, Qt::LeftButton);
    EXPECT_EQ(ctx().intCurrentScreen, 7);
    // A telephone page with no page noted to return to goes to the switchboard.
    go(9);
    ctx().forms.find<QWidget>(form::Shopping)->findChild<ImageButton*>("imgPhone")->tag.clear();
    QTest::mouseClick(background()->imgBack, Qt::LeftButton);
    EXPECT_EQ(ctx().intCurrentScreen, 1);
    EXPECT_TRUE(visible(form::SwitchBoard));
    EXPECT_EQ(background()->imgBack->shownPicture(), 11018);
}

TEST_F(Navigation, KeysOfTheBackgroundAreConsumedBeforeTheScreenSeesThem) {
    ASSERT_TRUE(go(2));
    auto* edit = new QLineEdit(window(form::Search));
    edit->show();
    edit->setFocus();
    edit->setText(QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_F6);
    EXPECT_EQ(ctx().intCurrentScreen, 4);
    EXPECT_EQ(background()->imgCollection->shownPicture(), 11026);
    go(3);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(ctx().intCurrentScreen, 2);
    EXPECT_EQ(background()->imgBack->shownPicture(), 11018);
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(t.help.contexts, std::vector<int>{101});
    QTest::keyClick(edit, Qt::Key_F8);
    EXPECT_EQ(ctx().intCurrentScreen, 12);
    QTest::keyClick(edit, Qt::Key_F7);
    EXPECT_EQ(ctx().intCurrentScreen, 5);
    QTest::keyClick(edit, Qt::Key_F5);
    EXPECT_EQ(ctx().intCurrentScreen, 2);
    // Ordinary keys still reach the screen.
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(edit->text(), QStringLiteral("abcx"));
}

// An open drop-down list closes on Escape; the screen stays.
TEST_F(Navigation, AControlThatClosesOnEscapeKeepsTheKey) {
    struct DropDown : QListWidget {
        using QListWidget::QListWidget;
        void keyPressEvent(QKeyEvent* e) override {
            if (e->key() != Qt::Key_Escape) return QListWidget::keyPressEvent(e);
            hide();
            e->accept();
        }
    };
    ASSERT_TRUE(go(4));
    auto* list = new DropDown(window(form::Collection));
    list->setProperty(ScreenWindow::ClosesOnEscape, true);
    list->show();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(ctx().intCurrentScreen, 4);
    EXPECT_TRUE(list->isHidden());
    // Without the property the same key is Back.
    list->setProperty(ScreenWindow::ClosesOnEscape, false);
    list->show();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_NE(ctx().intCurrentScreen, 4);
}

TEST_F(Navigation, ButtonsShowTheirPressedPictureWhileDown) {
    ImageButton* b = background()->imgShopping;
    QTest::mousePress(b, Qt::LeftButton);
    EXPECT_EQ(b->shownPicture(), 11032);
    QTest::mouseRelease(b, Qt::LeftButton);
    EXPECT_EQ(b->shownPicture(), 11030);
    EXPECT_EQ(ctx().intCurrentScreen, 5);
    // Close keeps its pressed picture until the exit is cancelled.
    t.messages.answer(mb::No);
    QTest::mouseClick(background()->imgClose, Qt::LeftButton);
    EXPECT_EQ(background()->imgClose->shownPicture(), 11010);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Do you wish to exit Korvanda ?"));
}

TEST_F(Navigation, SwitchboardButtonsAndVideoPanes) {
    auto* sb = ctx().forms.find<frmSwitchBoard>(form::SwitchBoard);
    ASSERT_NE(sb, nullptr);
    EXPECT_EQ(sb->parentWidget(), background());
    EXPECT_EQ(sb->geometry(), QRect(16, 57, 600, 335));
    for (QWidget* pane : {sb->picVid1, sb->picVid2})
        EXPECT_EQ(pane->palette().color(QPalette::Window), QColor(16, 16, 14));
    QTest::mouseClick(sb->imgConnections, Qt::LeftButton);
    EXPECT_EQ(ctx().intCurrentScreen, 12);
    go(1);
    QTest::mouseClick(sb->imgShopping, Qt::LeftButton);
    EXPECT_EQ(ctx().intCurrentScreen, 5);
}

TEST_F(Navigation, IntroMovieStartsOnceAndASecondClickWhileItRunsOnlyBeeps) {
    kv::test::TempSettings store;
    QTemporaryDir folder;
    const QString movie = folder.filePath(QStringLiteral("VIVO_GO.EXE"));
    QFile file(movie);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ctx().appFolder = folder.path();

    background()->imgVivo_Click();
    EXPECT_EQ(t.shell.started, QStringList{movie});
    EXPECT_EQ(t.messages.beeps, 0);
    EXPECT_TRUE(background()->bIsVivoActive());

    background()->imgVivo_Click();
    EXPECT_EQ(t.shell.started.size(), 1);
    EXPECT_EQ(t.messages.beeps, 1);
    EXPECT_TRUE(t.messages.boxes.empty());

    t.shell.last->running = false;
    background()->imgVivo_Click();
    EXPECT_EQ(t.shell.started.size(), 2);
}

#include "test_navigation.moc"
