#pragma once

#include <QByteArray>

namespace kv {

// Plays a sound whose whole wave file image is in memory.
class ISound {
public:
    enum Flags : int { Sync = 0, Async = 1, Loop = 8, Memory = 4 };
    virtual ~ISound() = default;
    // Plays the wave image. Sync waits until the sound has ended (processing events);
    // Async returns at once; Async | Loop repeats until the next play or stop. A new play
    // stops the one before. Returns false when the image is not a playable wave.
    virtual bool play(const QByteArray& wave, int flags) = 0;
    virtual void stop() = 0;
};

} // namespace kv
