#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QSize>

namespace kv {

// Program resources by number (10000 + N): pictures drawn from vector sources at the
// screen's pixel density, and wave sounds.
class IResources {
public:
    virtual ~IResources() = default;
    // A null pixmap when there is no such picture.
    virtual QPixmap picture(int number, qreal devicePixelRatio = 1.0) const = 0;
    // The picture's size in logical pixels (an empty size when there is none).
    virtual QSize pictureSize(int number) const = 0;
    // The whole wave file image; empty when there is no such sound.
    virtual QByteArray wave(int number) const = 0;
};

} // namespace kv
