#pragma once

#include "platform/AppContext.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

class QWidget;

namespace kv {

// Plays a video clip inside a window pane. One clip is open at a time. Every failure is
// a return value: nothing throws and nothing is shown to the user.
class IMediaPlayer {
public:
    virtual ~IMediaPlayer() = default;
    // Opens the clip file into the pane (closing any clip open before) and shows it there
    // at its natural size in the pane's top-left corner. False when the file is missing or
    // is not a clip the player can play; nothing is then open.
    virtual bool open(const QString& path, QWidget* pane) = 0;
    virtual bool isOpen() const = 0;
    // The clip's own width and height; invalid when no clip is open or the player cannot
    // tell.
    virtual QSize naturalSize() = 0;
    // Where in the pane the open clip is drawn, in the pane's coordinates.
    virtual void setDestination(const QRect& rect) = 0;
    // Plays the open clip from its start to its end and returns then; window events are
    // processed meanwhile but user input is held back. False when nothing is open, or the
    // clip fails, stalls, overruns its length by far, or loses its pane.
    virtual bool play() = 0;
    // Closes the open clip and removes it from its pane; harmless when nothing is open.
    virtual void close() = 0;
};

// The context's media player; the program installs the Qt one, tests a fake.
struct MediaPlayerSlot {
    std::unique_ptr<IMediaPlayer> player;
};

// The installed player, or null when none is installed.
inline IMediaPlayer* mediaPlayer() {
    return ctx().slot<MediaPlayerSlot>().player.get();
}

} // namespace kv
