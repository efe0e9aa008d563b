#pragma once

#include <QByteArray>
#include <QSize>
#include <functional>
#include <optional>

namespace kv {

// The window size the program is drawn at, applied through Qt's own scaling: the choice
// becomes QT_SCALE_FACTOR for the application object about to be made, so every window,
// font, picture, tip and the help window grow together and stay sharp. Qt reads that
// variable only while the application object is made, so a new choice needs a new start.
//
//   StartupScale scale(argc, argv);   // before the application object
//   QApplication app(argc, argv);
//   scale.restoreEnvironment();       // right after it
class StartupScale {
public:
    // What is needed to choose: the stored choice and, for "Automatic", the screen's free
    // area in logical pixels (empty when it cannot be measured).
    struct Inputs {
        std::function<int()> storedChoice;
        std::function<std::optional<QSize>()> availableScreen;
    };

    // Reads the choice from the settings store and, for "Automatic", measures the screen.
    StartupScale(int argc, char** argv);
    explicit StartupScale(const Inputs& inputs);
    ~StartupScale();
    StartupScale(const StartupScale&) = delete;
    StartupScale& operator=(const StartupScale&) = delete;

    // The size chosen, in per cent (100 when nothing is scaled).
    int percent() const { return m_percent; }

    // Puts QT_SCALE_FACTOR back as the user had it, so that the programs Korvanda starts
    // (the browser, the mail program) are not drawn at Korvanda's size. Once the
    // application object exists; the destructor does it when nobody did.
    void restoreEnvironment();

private:
    void apply();

    int m_percent = 100;
    bool m_changed = false;
    std::optional<QByteArray> m_userValue;
};

// The QT_SCALE_FACTOR that draws at `percent` on top of the user's own value (unset, or
// text that is not a positive number, counts as 1, as Qt reads it).
QByteArray composedScaleFactor(const std::optional<QByteArray>& userValue, int percent);

} // namespace kv
