#pragma once

#include <QString>
#include <array>

namespace kv {

// The keys of the "Program Options" section.
namespace optkey {
inline const std::array<QString, 3> QuickSearch{QStringLiteral("Artist Quick Search"),
                                                QStringLiteral("Album Quick Search"),
                                                QStringLiteral("Track Quick Search")};
inline const std::array<QString, 3> AutoSearch{QStringLiteral("Artist Auto Search"),
                                               QStringLiteral("Album Auto Search"),
                                               QStringLiteral("Track Auto Search")};
inline const QString IncludeCompilations = QStringLiteral("Include Compilations");
inline const QString QuickAdd = QStringLiteral("Quick Add");
inline const QString ConfirmDelete = QStringLiteral("Confirm Delete");
inline const QString ToolTips = QStringLiteral("Tool Tips");
inline const QString PlayIntro = QStringLiteral("Play Intro");
inline const QString CollectionTips = QStringLiteral("Collection Tips");
inline const QString BrowserPath = QStringLiteral("Browser Path");
inline const QString BrowserName = QStringLiteral("Browser Name");
inline const QString WindowSize = QStringLiteral("Window Size");
} // namespace optkey

// Reads every "Program Options" key (with its default) into ctx().options; the first step
// of start-up. False, after the error box, when the store cannot be read.
bool bInit_Options();

// Writes the option keys from ctx().options: the three quick-search keys, the three
// auto-search keys, "Include Compilations", "Quick Add", "Confirm Delete", "Tool Tips",
// "Collection Tips", "Play Intro", "Browser Path", "Browser Name"; then "Window Size".
// False when the store could not be written (reported).
bool bSave_Options();

} // namespace kv
