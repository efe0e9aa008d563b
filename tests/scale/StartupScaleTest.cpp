// Choosing the window size at start-up and handing it to Qt: the choice from the store and
// the screen, the user's own QT_SCALE_FACTOR kept underneath ours, and the real screen
// probe (a forked child making its own application object) against screens of the
// offscreen platform set up to the sizes of real monitors.

#include "app/StartupScale.h"
#include "fakes/TempSettings.h"
#include "platform/qt/ScreenProbe.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSize.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <gtest/gtest.h>
#include <list>
#include <tuple>
#include <optional>
#include <vector>

using namespace kv;

namespace {

constexpr char kVar[] = "QT_SCALE_FACTOR";

// QT_SCALE_FACTOR as the test found it, put back afterwards.
class ScaleVariable {
public:
    ScaleVariable() {
        if (qEnvironmentVariableIsSet(kVar)) m_saved = qgetenv(kVar);
    }
    ~ScaleVariable() {
        if (m_saved)
            qputenv(kVar, *m_saved);
        else
            qunsetenv(kVar);
    }
    static std::optional<QByteArray> now() {
        if (!qEnvironmentVariableIsSet(kVar)) return std::nullopt;
        return qgetenv(kVar);
    }

private:
    std::optional<QByteArray> m_saved;
};

StartupScale::Inputs inputs(int choice, std::optional<QSize> screen, int* measured = nullptr) {
    return {[choice] { return choice; },
            [screen, measured] {
                if (measured) ++*measured;
                return screen;
            }};
}

TEST(StartupScale, TheUsersOwnScaleStaysUnderneathOurs) {
    EXPECT_EQ(composedScaleFactor(std::nullopt, 150), "1.5");
    EXPECT_EQ(composedScaleFactor(QByteArray("2"), 150), "3");
    EXPECT_EQ(composedScaleFactor(QByteArray(" 1.25 "), 200), "2.5");
    EXPECT_EQ(composedScaleFactor(QByteArray("0.5"), 125), "0.625");
    // Text Qt would not take as a scale counts as none.
    for (const char* ignored : {"", "abc", "0", "-1", "1,5", "inf", "nan"})
        EXPECT_EQ(composedScaleFactor(QByteArray(ignored), 200), "2") << ignored;
}

TEST(StartupScale, AFixedChoiceIsUsedWithoutMeasuringTheScreen) {
    ScaleVariable guard;
    qunsetenv(kVar);
    int measured = 0;
    StartupScale scale(inputs(125, QSize(3840, 2160), &measured));
    EXPECT_EQ(scale.percent(), 125);
    EXPECT_EQ(measured, 0);
    EXPECT_EQ(ScaleVariable::now(), QByteArray("1.25"));
    scale.restoreEnvironment();
    EXPECT_EQ(ScaleVariable::now(), std::nullopt);
    scale.restoreEnvironment(); // once is enough; a second call changes nothing
    EXPECT_EQ(ScaleVariable::now(), std::nullopt);
}

TEST(StartupScale, AutomaticFollowsTheScreenAndFallsBackTo100) {
    ScaleVariable guard;
    qputenv(kVar, " 1.5");
    {
        StartupScale scale(inputs(kWindowSizeAutomatic, QSize(1920, 1080)));
        EXPECT_EQ(scale.percent(), 150);
        EXPECT_EQ(ScaleVariable::now(), QByteArray("2.25"));
        // Nobody restored it: the end of the scale does.
    }
    EXPECT_EQ(ScaleVariable::now(), QByteArray(" 1.5"));

    // No screen to measure, or one too small for more: 100%, and the user's variable is
    // not touched at all.
    for (std::optional<QSize> screen : {std::optional<QSize>(), std::optional(QSize(1024, 768))}) {
        StartupScale scale(inputs(kWindowSizeAutomatic, screen));
        EXPECT_EQ(scale.percent(), 100);
        EXPECT_EQ(ScaleVariable::now(), QByteArray(" 1.5"));
    }
}

// ---- The real probe and Qt ----

// Program arguments that put a Qt program on an offscreen screen of the given size (and
// logical DPI: 192 stands for a desktop that scales everything by two, as X11 desktops do).
class OffscreenArgs {
public:
    OffscreenArgs(QSize size, int logicalDpi = 96) {
        const QString config = m_dir.filePath(QStringLiteral("screen.json"));
        QFile f(config);
        if (f.open(QIODevice::WriteOnly))
            f.write(QStringLiteral("{\"screens\": [{\"name\": \"monitor\", \"x\": 0, \"y\": 0, "
                                   "\"width\": %1, \"height\": %2, \"logicalDpi\": %3, "
                                   "\"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(logicalDpi)
                        .toUtf8());
        add("korvanda");
        add("-platform");
        add(QByteArray("offscreen:configfile=") + QFile::encodeName(config));
    }
    explicit OffscreenArgs(const char* platform) {
        add("korvanda");
        add("-platform");
        add(platform);
    }
    int& argc() { return m_argc; }
    char** argv() { return m_argv.data(); }

private:
    void add(const QByteArray& arg) {
        m_text.push_back(arg);
        m_argv.back() = m_text.back().data();
        m_argv.push_back(nullptr);
        m_argc = int(m_text.size());
    }
    QTemporaryDir m_dir;
    std::list<QByteArray> m_text; // stable addresses for argv
    std::vector<char*> m_argv{nullptr};
    int m_argc = 0;
};

struct Monitor {
    QSize size;
    int percent;
};

TEST(ScreenProbe, MeasuresTheScreenAQtProgramWouldSee) {
    ScaleVariable guard;
    qunsetenv(kVar);
    for (QSize size : {QSize(1024, 768), QSize(1920, 1080), QSize(2560, 1440)}) {
        OffscreenArgs args(size);
        EXPECT_EQ(probeAvailableScreenSize(args.argc(), args.argv()), size);
    }
    // As the desktop and the user scale it.
    OffscreenArgs hiDpi(QSize(3840, 2160), 192);
    EXPECT_EQ(probeAvailableScreenSize(hiDpi.argc(), hiDpi.argv()), QSize(1920, 1080));
    qputenv(kVar, "2");
    OffscreenArgs scaled(QSize(2560, 1440));
    EXPECT_EQ(probeAvailableScreenSize(scaled.argc(), scaled.argv()), QSize(1280, 720));
}

TEST(ScreenProbe, AChildThatCannotMeasureGivesNothingAndDoesNotHang) {
    OffscreenArgs noSuchPlatform("no-such-platform");
    EXPECT_EQ(probeAvailableScreenSize(noSuchPlatform.argc(), noSuchPlatform.argv()), std::nullopt);
    // A child that never answers is stopped at the deadline.
    OffscreenArgs screen(QSize(1920, 1080));
    EXPECT_EQ(probeAvailableScreenSize(screen.argc(), screen.argv(), 0), std::nullopt);
}

// The whole road of a start: the stored choice, the probe, QT_SCALE_FACTOR, the application
// object, and the environment put back for the programs Korvanda starts.
class ProgramScale : public ::testing::Test {
protected:
    // The device pixels per logical pixel the program's windows get, and the scale chosen.
    std::pair<qreal, int> start(OffscreenArgs& args) {
        StartupScale scale(args.argc(), args.argv());
        QGuiApplication app(args.argc(), args.argv());
        scale.restoreEnvironment();
        envAfter = ScaleVariable::now();
        QWindow window;
        window.resize(640, 464);
        window.show();
        screenWidth = QGuiApplication::primaryScreen()->geometry().width();
        return {window.devicePixelRatio(), scale.percent()};
    }
    ScaleVariable guard;
    test::TempSettings store;
    std::optional<QByteArray> envAfter;
    int screenWidth = 0;
};

TEST_F(ProgramScale, AutomaticDrawsThe640WideWindow640And960And1280PixelsWide) {
    qunsetenv(kVar);
    for (Monitor m : {Monitor{{1024, 768}, 100}, Monitor{{1920, 1080}, 150},
                      Monitor{{2560, 1440}, 200}}) {
        OffscreenArgs args(m.size);
        const auto [ratio, percent] = start(args);
        EXPECT_EQ(percent, m.percent) << m.size.width();
        EXPECT_DOUBLE_EQ(ratio * 640, 640 * m.percent / 100.0) << m.size.width();
        // Start-up places the window on the screen as it is at this size.
        EXPECT_EQ(screenWidth, m.size.width() * 100 / m.percent);
        EXPECT_EQ(envAfter, std::nullopt);
    }
}

TEST_F(ProgramScale, TheDesktopsScaleAndTheUsersMultiplyWithOurs) {
    // A 4K monitor at the desktop's 200% is a 1920 x 1080 screen to a program: 150% more.
    qunsetenv(kVar);
    OffscreenArgs hiDpi(QSize(3840, 2160), 192);
    auto [ratio, percent] = start(hiDpi);
    EXPECT_EQ(percent, 150);
    EXPECT_DOUBLE_EQ(ratio, 3.0);

    qputenv(kVar, "1.25");
    store.set(kSectionProgramOptions, "Window Size", "200%");
    OffscreenArgs plain(QSize(1024, 768));
    std::tie(ratio, percent) = start(plain);
    EXPECT_EQ(percent, 200);
    EXPECT_DOUBLE_EQ(ratio, 2.5);
    EXPECT_EQ(envAfter, QByteArray("1.25"));
}

TEST_F(ProgramScale, EachFixedChoiceGivesItsSize) {
    qunsetenv(kVar);
    for (int choice : {100, 125, 150, 200}) {
        store.set(kSectionProgramOptions, "Window Size", strWindowSizeText(choice));
        OffscreenArgs args(QSize(2560, 1440));
        const auto [ratio, percent] = start(args);
        EXPECT_EQ(percent, choice);
        EXPECT_DOUBLE_EQ(ratio, choice / 100.0);
    }
    // A stored size that does not convert is "Automatic".
    store.set(kSectionProgramOptions, "Window Size", "175%");
    OffscreenArgs args(QSize(1920, 1080));
    EXPECT_EQ(start(args).second, 150);
}

TEST_F(ProgramScale, NoScreenToMeasureStartsAt100) {
    qunsetenv(kVar);
    OffscreenArgs noSuchPlatform("no-such-platform");
    StartupScale scale(noSuchPlatform.argc(), noSuchPlatform.argv());
    EXPECT_EQ(scale.percent(), 100);
    EXPECT_EQ(ScaleVariable::now(), std::nullopt);
}

} // namespace
