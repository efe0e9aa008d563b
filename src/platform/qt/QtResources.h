#pragma once

#include "platform/Resources.h"

namespace kv {

// Resources compiled into the program under ":/res/<number>.<svg|png|wav>".
class QtResources : public IResources {
public:
    QPixmap picture(int number, qreal devicePixelRatio = 1.0) const override;
    QSize pictureSize(int number) const override;
    QByteArray wave(int number) const override;
};

} // namespace kv
