#include "app/Startup.h"
#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "fakes/Fakes.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ProcessEnded;
using kv::test::TestContext;

namespace {

// A context with the real resources and the program's own first windows registered.
struct StartupFixture : ::testing::Test {
    TestContext t;
    QStringList ran;
    StartupFixture() {
        t.ctx().services.resources = std::make_unique<QtResources>();
        t.ctx().forms.registerFactory(form::Background, [] { return new frmBackground; });
        t.ctx().forms.registerFactory(form::Splash, [] { return new frmSplash; });
    }
    StartupStep step(const QString& name, bool result) {
        return {name, [this, name, result] {
                    ran << name;
                    return result;
                }};
    }
    StartupPlan plan(std::vector<StartupStep> steps) {
        StartupPlan p;
        p.steps = std::move(steps);
        p.splashStepDelayMs = 0;
        return p;
    }
    frmBackground* background() { return ctx().forms.find<frmBackground>(form::Background); }
};

// Registers a plain window whose destruction is recorded.
void registerRecorded(FormRegistry& forms, const QString& name, QStringList& unloaded) {
    forms.registerFactory(name, [name, &unloaded] {
        auto* w = new QWidget;
        QObject::connect(w, &QObject::destroyed, [name, &unloaded] { unloaded << name; });
        return w;
    });
}

} // namespace

TEST(Constants, SettingsAppNameAndFixedValues) {
    TestContext t;
    Set_Settings_App(QStringLiteral("  TALV_Ltd "));
    EXPECT_EQ(ctx().constants.strSettingsApp, QStringLiteral("TALV_Ltd"));
    Set_Settings_App();
    EXPECT_EQ(ctx().constants.strSettingsApp, QStringLiteral("Korvanda"));

    Init_Constants(QStringLiteral("/opt/korvanda/"));
    const Constants& c = ctx().constants;
    EXPECT_EQ(c.lngResourceBase, 10000);
    EXPECT_EQ(c.strDBUser, QStringLiteral("Korvanda"));
    EXPECT_EQ(c.strDBPassword, QStringLiteral("Tq4mZr8LwPe"));
    EXPECT_EQ(c.strCatalogueIDCode, QStringLiteral("KORDB"));
    EXPECT_DOUBLE_EQ(c.dblCatalogueVersion, 1.001);
    EXPECT_EQ(c.strTitleMarkerFile, QStringLiteral("Korva.$$$"));
    EXPECT_EQ(c.rectScreenArea, QRect(16, 57, 600, 335));
    EXPECT_EQ(ctx().appFolder, QStringLiteral("/opt/korvanda"));
    EXPECT_EQ(t.help.file, QStringLiteral("/opt/korvanda/Korvanda.hlp"));
}

TEST_F(StartupFixture, AllStepsSucceedTheProgramComesUp) {
    bool firstScreen = false, effects = false;
    StartupPlan p = plan({step("options", true), step("database", true), step("titles", true)});
    p.showFirstScreen = [&] {
        firstScreen = true;
        return true;
    };
    p.switchEffects = [&] { effects = true; };
    ASSERT_TRUE(Main_Startup(p));

    EXPECT_EQ(ran, (QStringList{"options", "database", "titles"}));
    EXPECT_TRUE(firstScreen);
    EXPECT_TRUE(effects);
    ASSERT_NE(background(), nullptr);
    EXPECT_TRUE(background()->isVisible());
    EXPECT_TRUE(background()->isEnabled());
    EXPECT_EQ(background()->size(), QSize(640, 464));
    EXPECT_EQ(background()->windowTitle(), QStringLiteral("Korvanda"));
    EXPECT_FALSE(ctx().forms.isLoaded(form::Splash));
    EXPECT_EQ(ctx().constants.strSettingsApp, QStringLiteral("TALV_Ltd"));
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_EQ(t.busy.depth(), 0);

    // The looping sound starts with the animation; the closing one plays to its end.
    ASSERT_EQ(t.sound.plays.size(), 2u);
    EXPECT_EQ(t.sound.plays[0].flags, ISound::Async | ISound::Loop | ISound::Memory);
    EXPECT_EQ(t.sound.plays[1].flags, ISound::Sync | ISound::Memory);
    EXPECT_EQ(t.sound.plays[0].wave, QtResources().wave(10054));
    EXPECT_EQ(t.sound.plays[1].wave, QtResources().wave(10056));
}

TEST_F(StartupFixture, AnyFailingStepShowsOneMessageAndEndsBeforeTheBackgroundAppears) {
    for (int failing = 0; failing < 4; ++failing) {
        TestContext local;
        local.ctx().services.resources = std::make_unique<QtResources>();
        local.ctx().forms.registerFactory(form::Background, [] { return new frmBackground; });
        local.ctx().forms.registerFactory(form::Splash, [] { return new frmSplash; });
        ran.clear();
        std::vector<StartupStep> steps;
        for (int i = 0; i < 4; ++i)
            steps.push_back(step(QStringLiteral("step%1").arg(i), i != failing));
        bool firstScreen = false;
        StartupPlan p = plan(steps);
        p.showFirstScreen = [&] {
            firstScreen = true;
            return true;
        };
        EXPECT_THROW(Main_Startup(p), ProcessEnded);
        EXPECT_EQ(ran.size(), failing + 1) << "steps after a failure must not run";
        EXPECT_FALSE(firstScreen);
        ASSERT_EQ(local.messages.boxes.size(), 1u);
        EXPECT_EQ(local.messages.last().text, QStringLiteral("System Failed to start"));
        EXPECT_EQ(local.messages.last().title, QString());
        EXPECT_EQ(local.messages.beeps, 1);
        EXPECT_EQ(local.process.ends, 1);
        auto* bg = local.ctx().forms.find<frmBackground>(form::Background);
        EXPECT_TRUE(bg == nullptr || !bg->isVisible());
    }
}

TEST_F(StartupFixture, AFailingFirstScreenAlsoEndsStartUp) {
    StartupPlan p = plan({step("options", true)});
    p.showFirstScreen = [] { return false; };
    EXPECT_THROW(Main_Startup(p), ProcessEnded);
    EXPECT_EQ(t.messages.texts(), QStringList{QStringLiteral("System Failed to start")});
}

TEST(Placement, CornerOnAScreenExactly640WideCentredOnAnyOther) {
    TestContext t;
    QWidget window;
    window.resize(640, 464);
    t.ctx().constants.intScreenWidth = 640;
    t.ctx().constants.intScreenHeight = 480;
    placeBackground(&window);
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    t.ctx().constants.intScreenWidth = 1024;
    t.ctx().constants.intScreenHeight = 768;
    placeBackground(&window);
    const QSize frame = window.frameGeometry().size();
    EXPECT_EQ(window.pos(), QPoint((1024 - frame.width()) / 2, (768 - frame.height()) / 2));
    t.ctx().constants.intScreenWidth = 641;
    placeBackground(&window);
    EXPECT_NE(window.pos(), QPoint(0, 0));
}

TEST_F(StartupFixture, ExitQuestionNoKeepsEverythingAndRestoresTheClosePicture) {
    ASSERT_TRUE(Main_Startup(plan({})));
    frmBackground* bg = background();
    bg->imgClose->showPressed();
    t.messages.answer(mb::No);
    EXPECT_FALSE(bg->close());
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Do you wish to exit Korvanda ?"));
    EXPECT_EQ(t.messages.last().buttons, mb::YesNo);
    EXPECT_EQ(t.messages.last().icon, mb::Question);
    EXPECT_EQ(bg->imgClose->shownPicture(), 11010);
    EXPECT_TRUE(bg->isVisible());
    EXPECT_TRUE(ctx().forms.isLoaded(form::Background));
}

TEST_F(StartupFixture, ExitYesUnloadsWindowsInOrderAndClosesEverything) {
    QStringList unloaded;
    for (const QString& name :
         {form::FindFilterSort, form::SwitchBoard, form::Shopping, form::Collection, form::Search, form::About})
        registerRecorded(ctx().forms, name, unloaded);
    QStringList shutdown;
    ctx().shutdownSteps.push_back({QStringLiteral("collections"), [&] { shutdown << "collections"; }});
    ctx().shutdownSteps.push_back({QStringLiteral("database"), [&] { shutdown << "database"; }});
    ASSERT_TRUE(Main_Startup(plan({})));
    for (const QString& name :
         {form::FindFilterSort, form::About, form::SwitchBoard, form::Shopping, form::Collection, form::Search})
        ctx().forms.load(name);
    ctx().frmActive = ctx().forms.loaded(form::Search);

    t.messages.answer(mb::Yes);
    EXPECT_TRUE(background()->close());
    EXPECT_EQ(unloaded.mid(0, 4), (QStringList{form::Search, form::Collection, form::Shopping, form::SwitchBoard}));
    EXPECT_EQ(unloaded.size(), 6);
    EXPECT_TRUE(unloaded.contains(form::FindFilterSort) && unloaded.contains(form::About));
    EXPECT_EQ(ctx().forms.loadedNames(), QStringList{form::Background});
    EXPECT_TRUE(ctx().frmActive.isNull());
    EXPECT_EQ(shutdown, (QStringList{"collections", "database"}));
    EXPECT_EQ(t.help.quits, 1);
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(StartupFixture, NoQuestionWhenTheDesktopSessionEnds) {
    ASSERT_TRUE(Main_Startup(plan({})));
    EXPECT_TRUE(background()->QueryUnload(frmBackground::UnloadMode::SessionEnding));
    EXPECT_TRUE(t.messages.boxes.empty());
}
