#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace kv {

inline constexpr const char* kProductNameUpper = "KORVANDA";

// One Boolean step of the start-up chain (options, database, collections, connections,
// titles ...). Each runs only while every earlier step succeeded.
struct StartupStep {
    QString name;
    std::function<bool()> run;
};

// What the subsystems contribute to start-up.
struct StartupPlan {
    // The steps between the splash and the first screen, in order.
    std::vector<StartupStep> steps;
    // Shows the first screen once the background window is up (the switchboard).
    std::function<bool()> showFirstScreen;
    // Runs after the splash has gone (the switchboard's intro effects).
    std::function<void()> switchEffects;
    // Milliseconds between the splash animation's steps (0 in tests).
    int splashStepDelayMs = 12;
};

// Stores intScreenWidth (and height) from the primary screen.
void measureScreen();
// The constants initialiser: every fixed process-wide value but the screen values and
// strSettingsApp; also the application and per-user data folders and the help file.
void Init_Constants(const QString& applicationFolder = QString());
// strSettingsApp = the trimmed name, or the application title when none is given.
void Set_Settings_App(const QString& name = QString());

// Places the background window: a screen exactly 640 pixels wide puts it in the corner,
// any other centres it (never above or left of the screen's edge). Logical pixels: the
// screen as measured at the program's own window size.
void placeBackground(QWidget* background);

// The start-up procedure. Returns true when the program is up with its first screen; on
// any failed step it beeps, shows "System Failed to start" and ends the process at once.
bool Main_Startup(const StartupPlan& plan);

} // namespace kv
