#pragma once

#include <QString>

class QWidget;

namespace kv {

// Clip types of PlayVideoSimple. The player recognises a clip by its contents, so both
// play the same way; the type says what the caller expects the file to be.
enum ClipType : int { ClipAvi = 0, ClipQuickTime = 1 };

// The switchboard's intro: "cds_an.avi" in picVid1, then "text_an.avi" in picVid2, both
// from the application folder, each played to its end and its pane hidden after it. A
// clip that is missing or cannot be played is skipped without a message.
bool bLaunchPlayVideo(QWidget* picVid1, QWidget* picVid2);

// Plays one clip in the pane at the clip's own position and size. False when the clip
// could not be played (silently) or on an error (reported).
bool PlayVideoSimple(const QString& path, QWidget* pane, int clipType);

// Plays one clip in the pane, placed explicitly at the pane's top-left corner at the
// clip's natural size; the given width and height stand in when the player cannot tell
// that size.
bool PlayVideo(const QString& path, QWidget* pane, int width, int height);

} // namespace kv
