#pragma once

#include <QSize>
#include <QString>
#include <array>

namespace kv {

// The "Window size" option: how large the whole program is drawn. The layout is made for a
// 640 x 464 main window; the choice multiplies every window, font and picture through Qt's
// own scaling, on top of whatever scale the desktop or the user's QT_SCALE_FACTOR sets.
// A choice is a percentage, or kWindowSizeAutomatic.
inline constexpr int kWindowSizeAutomatic = 0;
// The choices in the order the options dialog lists them.
inline constexpr std::array<int, 5> kWindowSizeChoices{kWindowSizeAutomatic, 100, 125, 150, 200};
// The main window's size at 100%, in logical pixels.
inline constexpr QSize kMainWindowSize(640, 464);
// "Automatic" picks the largest size whose main window stays within this share (per cent)
// of the screen's free area, both ways.
inline constexpr int kAutomaticScreenShare = 70;

// "Automatic", "100%", "125%", "150%", "200%".
QString strWindowSizeText(int choice);
// The stored text back to a choice: one of the texts above, in any case, blanks and the
// per cent sign optional ("150", " 150 % "). False for anything else, other percentages
// included.
bool bTextToWindowSize(const QString& text, int& choice);

// The percentage "Automatic" stands for on a screen whose free area is `available`
// (logical pixels, as the desktop scales them): the largest choice at which `window`
// fits within kAutomaticScreenShare of it, and 100 when no larger one does (or when the
// screen is unknown).
int intAutomaticWindowSize(const QSize& available, const QSize& window = kMainWindowSize);

// Whether the main window drawn at `choice` fits within a screen whose free area is
// `available`, in the logical pixels of a program now drawn at `currentPercent`. Automatic
// always fits, and so does any choice on an unknown screen.
bool bWindowSizeFits(int choice, int currentPercent, const QSize& available,
                     const QSize& window = kMainWindowSize);

// The stored choice ("Program Options", "Window Size"), read as the other options are: a
// value that is the default or does not convert writes "Automatic" back.
int GetSetting_WindowSize();

// The stored choice read before the program can tell the user anything (before its
// application object exists): nothing is written, and a store that cannot be read, a
// missing key or a value that does not convert all read as kWindowSizeAutomatic. The
// start-up read (GetSetting_WindowSize) mends the store afterwards.
int peekWindowSizeSetting();

} // namespace kv
