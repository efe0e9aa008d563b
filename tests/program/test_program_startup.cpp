// The whole start-up chain of the program, on real data files in a temporary application
// folder, with only people (message boxes, dialogs) and devices (sound, video) faked.
#include "app/frmBackground.h"
#include "app/frmSwitchBoard.h"
#include "catalogue/Catalogue.h"
#include "db/CatalogueTemplate.h"
#include "fakes/FakeMediaPlayer.h"
#include "fakes/FifoRelease.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "platform/FormNames.h"
#include "platform/qt/QtResources.h"
#include "program/Program.h"
#include "search/frmSearch.h"
#include "settings/ui/SettingsServices.h"
#include "titles/TitleAccess.h"
#include "titles/TitleViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kv;
using kv::test::ProcessEnded;

namespace {

struct ProgramStartup : ::testing::Test {
    kv::test::TempSettings store;
    kv::test::TestContext t;
    QTemporaryDir appDir;
    kv::test::FakeMediaPlayer* player = nullptr;

    ProgramStartup() {
        AppContext& a = t.ctx();
        a.appFolder = appDir.path();
        a.userDataFolder = appDir.filePath(QStringLiteral("user"));
        a.services.resources = std::make_unique<QtResources>();
        installSettingsServices(a); // the real locate-file dialog, driven by the fake runner
        a.services.help = std::make_unique<kv::test::FakeHelpViewer>();
        player = &kv::test::installFakeMediaPlayer();
        registerProgramWindows(a);
    }
    // The application folder: a fresh template database, as a new installation has (the
    // build's own copy may hold the developer's collections by now), and copies of the
    // read-only files the build ships.
    void SetUp() override {
        ASSERT_TRUE(appDir.isValid());
        db::createTemplateDatabase(appDir.filePath(db::kCatalogueDatabaseName),
                                   db::readShopsCsv(QStringLiteral(KV_SOURCE_DIR "/data/catalogue/shops.csv")));
        db::createWorkgroupFile(appDir.filePath(db::kWorkgroupFileName), 1000);
        for (const QString& name : {db::kCatalogueDatabaseName, db::kWorkgroupFileName})
            ASSERT_TRUE(QFile::exists(appDir.filePath(name))) << name.toStdString();
        for (const char* name : {"Music.M14", "Shops.M14", "Korvanda.hlp"}) {
            const QString from = QStringLiteral(KV_APP_DIR "/") + QLatin1String(name);
            ASSERT_TRUE(QFile::copy(from, appDir.filePath(QLatin1String(name))))
                << "cannot copy " << from.toStdString() << " (build kv_appdata first)";
        }
    }
    StartupPlan plan() {
        StartupPlan p = programStartupPlan(ctx());
        p.splashStepDelayMs = 0;
        return p;
    }
    void replaceWithText(const char* name) {
        QFile f(appDir.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("This is a text file, not what the program expects.\n");
    }
};

} // namespace

TEST_F(ProgramStartup, ComesUpOnTheShippedDataWithoutAsking) {
    ASSERT_TRUE(Main_Startup(plan()));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join(" | ").toStdString();
    EXPECT_TRUE(t.dialogs.shown.isEmpty());
    EXPECT_EQ(ctx().intCurrentScreen, 1);
    auto* background = ctx().forms.find<frmBackground>(form::Background);
    ASSERT_NE(background, nullptr);
    EXPECT_TRUE(background->isVisible());
    EXPECT_TRUE(ctx().forms.find<QWidget>(form::SwitchBoard)->isVisible());
    // The user's database is a copy in the per-user folder; the application folder keeps the template.
    EXPECT_EQ(QDir::cleanPath(strDatabasePath()), QDir::cleanPath(appDir.filePath(QStringLiteral("user/KORDB.MDB"))));
    // Every program option and each data file's location is in the store now.
    EXPECT_EQ(store.keys(QStringLiteral("Program Options")).size(), 14);
    EXPECT_TRUE(store.has(QStringLiteral("File Locations"), QStringLiteral("Database")));
    // "Play Intro" is on by default: both clips were played into their panes.
    EXPECT_EQ(player->of(kv::test::FakeMediaPlayer::Call::Play).size(), 2u);
}

TEST_F(ProgramStartup, ASettingsFileThatIsAFifoIsSetAsideAndStartUpGoesOn) {
    QDir().mkpath(QFileInfo(store.file()).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(store.file()).constData(), 0600), 0);
    {
        kv::test::FifoRelease release(store.file());
        ASSERT_TRUE(Main_Startup(plan()));
        EXPECT_FALSE(release.released()) << "start-up blocked on the FIFO";
    }
    ASSERT_EQ(t.messages.boxes.size(), 1u) << t.messages.texts().join(" | ").toStdString();
    EXPECT_TRUE(t.messages.last().text.contains(QStringLiteral("could not be read")));
    EXPECT_TRUE(ctx().forms.find<frmBackground>(QStringLiteral("frmBackground"))->isVisible());
    EXPECT_EQ(store.keys(QStringLiteral("Program Options")).size(), 14);
}

TEST_F(ProgramStartup, NoClipIsOpenedWithPlayIntroOff) {
    store.set(QStringLiteral("Program Options"), QStringLiteral("Play Intro"), QStringLiteral("False"));
    ASSERT_TRUE(Main_Startup(plan()));
    EXPECT_TRUE(player->events.empty());
    auto* sb = ctx().forms.find<frmSwitchBoard>(form::SwitchBoard);
    EXPECT_TRUE(sb->picVid1->isHidden());
    EXPECT_TRUE(sb->picVid2->isHidden());
}

TEST_F(ProgramStartup, MissingClipsGiveNoMessageAndBothPanesEndHidden) {
    QFile::remove(appDir.filePath(QStringLiteral("cds_an.avi")));
    player->missing.insert(appDir.filePath(QStringLiteral("cds_an.avi")));
    player->missing.insert(appDir.filePath(QStringLiteral("text_an.avi")));
    ASSERT_TRUE(Main_Startup(plan()));
    EXPECT_TRUE(t.messages.boxes.empty());
    auto* sb = ctx().forms.find<frmSwitchBoard>(form::SwitchBoard);
    EXPECT_TRUE(sb->picVid1->isHidden());
    EXPECT_TRUE(sb->picVid2->isHidden());
    EXPECT_TRUE(sb->isVisible());
}

TEST_F(ProgramStartup, ADatabaseThatIsNotOneAsksAgainAndCancellingEndsStartUp) {
    replaceWithText("KORDB.MDB");
    EXPECT_THROW(Main_Startup(plan()), ProcessEnded);
    ASSERT_GE(t.messages.boxes.size(), 2u);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("System Failed to start"));
    EXPECT_FALSE(t.dialogs.shown.isEmpty()) << "the locate dialog must be offered";
    // No error box: a foreign file is a message, not a failure of the program.
    for (const auto& box : t.messages.boxes)
        EXPECT_NE(box.title, QStringLiteral("Error")) << box.text.toStdString();
    auto* background = ctx().forms.find<frmBackground>(form::Background);
    EXPECT_TRUE(background == nullptr || !background->isVisible());
}

TEST_F(ProgramStartup, AMissingWorkgroupFileIsLocatedOrStartUpEnds) {
    QFile::remove(appDir.filePath(QStringLiteral("KORDB.MDW")));
    EXPECT_THROW(Main_Startup(plan()), ProcessEnded);
    EXPECT_EQ(t.dialogs.shown.size(), 1);
    EXPECT_EQ(t.messages.texts(), QStringList{QStringLiteral("System Failed to start")});
}

TEST_F(ProgramStartup, AForeignOrDamagedTitleIsRefusedAndCancellingEndsStartUp) {
    for (const char* damage : {"text", "truncated"}) {
        ProgramStartup* self = this;
        if (QLatin1String(damage) == QLatin1String("text")) {
            self->replaceWithText("Music.M14");
        } else {
            QFile::remove(appDir.filePath(QStringLiteral("Music.M14")));
            QFile whole(QStringLiteral(KV_APP_DIR "/Music.M14"));
            ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
            QFile cut(appDir.filePath(QStringLiteral("Music.M14")));
            ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
            cut.write(whole.read(whole.size() / 3));
        }
        kv::test::TestContext local;
        AppContext& a = local.ctx();
        a.appFolder = appDir.path();
        a.userDataFolder = appDir.filePath(QStringLiteral("user"));
        a.services.resources = std::make_unique<QtResources>();
        installSettingsServices(a);
        kv::test::installFakeMediaPlayer();
        registerProgramWindows(a);
        StartupPlan p = programStartupPlan(a);
        p.splashStepDelayMs = 0;
        EXPECT_THROW(Main_Startup(p), ProcessEnded) << damage;
        const QStringList texts = local.messages.texts();
        ASSERT_GE(texts.size(), 2) << damage;
        EXPECT_TRUE(texts.first().endsWith(QStringLiteral("was not created for the Korvanda and cannot be loaded.")))
            << texts.first().toStdString();
        EXPECT_EQ(texts.last(), QStringLiteral("System Failed to start"));
        EXPECT_EQ(local.dialogs.shown.size(), 1) << damage;
    }
}

TEST_F(ProgramStartup, TheCatalogueIsOpenInTheSearchScreensViewer) {
    ASSERT_TRUE(Main_Startup(plan()));
    auto* search = ctx().forms.find<frmSearch>(form::Search);
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(search->isVisible());
    EXPECT_NE(search->MvrDetails->titleHandle(), 0);
    EXPECT_GE(MVIndexes().size(), 6);
}

TEST_F(ProgramStartup, ExitClosesTheDatabase) {
    ASSERT_TRUE(Main_Startup(plan()));
    t.messages.answer(mb::Yes);
    EXPECT_TRUE(ctx().forms.find<frmBackground>(form::Background)->close());
    EXPECT_FALSE(dbCatalogue().isOpen());
}

#include "app/Navigation.h"
#include "fakes/Accessibility.h"

#include <QCoreApplication>

// The main window as the program leaves it on each screen: a screen reader finds every
// control named, and every button pressable.
TEST_F(ProgramStartup, EveryScreenIsReadyForAScreenReader) {
    store.set(QStringLiteral("Program Options"), QStringLiteral("Play Intro"), QStringLiteral("False"));
    ASSERT_TRUE(Main_Startup(plan()));
    auto* background = ctx().forms.find<frmBackground>(form::Background);
    for (int code : {screen::Switchboard, screen::Search, screen::Collections, screen::ShoppingList,
                     screen::Connections}) {
        ASSERT_TRUE(Go_To_Screen(code));
        EXPECT_TRUE(kv::test::isAccessible(background)) << "screen " << code;
    }
}

// Saves pictures of the main window on each screen when KV_SCREENSHOTS names a folder.
TEST_F(ProgramStartup, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to save screenshots";
    store.set(QStringLiteral("Program Options"), QStringLiteral("Play Intro"), QStringLiteral("False"));
    ASSERT_TRUE(Main_Startup(plan()));
    auto* background = ctx().forms.find<frmBackground>(form::Background);
    const std::pair<int, const char*> shots[] = {
        {1, "switchboard"}, {2, "screen-search"}, {4, "screen-collections"}, {5, "screen-shopping"}, {12, "screen-connections"}};
    for (const auto& [code, name] : shots) {
        Go_To_Screen(code);
        QCoreApplication::processEvents();
        background->grab().save(QDir(folder).filePath(QStringLiteral("%1.png").arg(QLatin1String(name))));
    }
}

#include "collections/CollectionStore.h"
#include "collections/SearchCollections.h"
#include "collections/frmpropCollection.h"
#include "platform/qt/ImageButton.h"
#include "search/UnboundGrid.h"
#include "db/DaoConstants.h"
#include "db/Recordset.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

// A collector's first session: find a recording, want it, make a collection, got it into
// that collection, and see both collections' icons.
TEST_F(ProgramStartup, SearchWantItAndGotItIntoANewCollection) {
    store.set(QStringLiteral("Program Options"), QStringLiteral("Play Intro"), QStringLiteral("False"));
    ASSERT_TRUE(Main_Startup(plan()));
    ASSERT_TRUE(Go_To_Screen(2));
    auto* s = ctx().forms.find<frmSearch>(form::Search);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->TopicsFromKeyword(QStringLiteral("Reed, Ana")));
    s->TDBGrid2->setCurrentRow(0);
    ASSERT_TRUE(s->bDetails_Show());
    ASSERT_EQ(s->topicKind(), 1);

    QTest::mouseClick(s->imgWant_it, Qt::LeftButton);

    t.dialogs.script([](QDialog& dialog) {
        auto& props = dynamic_cast<frmpropCollection&>(dialog);
        props.txtName->setText(QStringLiteral("Vinyl \"Shelf\""));
        props.cmdOK->click();
    });
    ASSERT_TRUE(bCollection_New());
    QAction* shelf = nullptr;
    for (QAction* a : s->mnuPopup2Node->actions())
        if (a->text() == QStringLiteral("Vinyl \"Shelf\""))
            shelf = a;
    ASSERT_NE(shelf, nullptr) << "the new collection is offered by the got-it menu";
    shelf->trigger();

    Recordset rs = dbCatalogue().OpenRecordset(
        QStringLiteral("SELECT [Collection ID] FROM [Collection - Contents] ORDER BY [Collection ID]"), dbOpenSnapshot);
    QList<int> ids;
    for (; !rs.Eof(); rs.MoveNext())
        ids << rs.Fields(0).Value().toInt();
    EXPECT_EQ(ids, (QList<int>{1, 2}));
    EXPECT_EQ(s->collections()->collectionIcons().size(), 2);

    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QCoreApplication::processEvents();
        ctx().forms.find<frmBackground>(form::Background)
            ->grab()
            .save(QDir(folder).filePath(QStringLiteral("search-collected.png")));
    }
}
