#pragma once

#include "db/Field.h"

#include <QPixmap>
#include <QString>

namespace kv {

// An icon is small: larger pictures (or files) are refused as "not a valid Icon file", so a
// stray photograph never ends up in the database or blows up a menu.
inline constexpr int kMaxIconSide = 256;
inline constexpr qint64 kMaxIconFileBytes = 1024 * 1024;

// Loads a picture file as a collection icon. Returns 0, or the error number: 481 (not a
// picture, or too large for an icon), 53 (no such file), 75 (cannot be read).
int loadIconFile(const QString& path, QPixmap& picture);

// The collection's icon field, through a temporary file that is removed afterwards. False
// (and a null picture) when the field is empty or does not hold a usable picture.
bool loadIconField(const Field& field, QPixmap& picture);

// The picture that stands for a collection without an icon of its own: a disc in the
// program's colours with the first letter of the name, `side` logical pixels square,
// drawn at the given pixel density.
QPixmap collectionBadge(const QString& name, int side, qreal devicePixelRatio);

// A collection's icon scaled to fit a square of `side` logical pixels, with as many device
// pixels as the density gives it (a picture scaled to logical pixels alone would be
// enlarged once more on a scaled screen and blur).
QPixmap fitIcon(const QPixmap& picture, int side, qreal devicePixelRatio);

} // namespace kv
