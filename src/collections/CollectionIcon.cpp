#include "collections/CollectionIcon.h"

#include "core/ErrorTable.h"
#include "db/FieldFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

namespace kv {

int loadIconFile(const QString& path, QPixmap& picture) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) return err::FileNotFound;
    if (!info.isFile() || !info.isReadable()) return err::PathFileAccessError;
    if (info.size() == 0 || info.size() > kMaxIconFileBytes) return err::InvalidPicture;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Refuse an oversized picture from its header, before it is decoded.
    const QSize announced = reader.size();
    if (announced.isValid() &&
        (announced.width() > kMaxIconSide || announced.height() > kMaxIconSide))
        return err::InvalidPicture;
    const QImage image = reader.read();
    if (image.isNull() || image.width() > kMaxIconSide || image.height() > kMaxIconSide)
        return err::InvalidPicture;
    picture = QPixmap::fromImage(image);
    return picture.isNull() ? err::InvalidPicture : 0;
}

bool loadIconField(const Field& field, QPixmap& picture) {
    picture = QPixmap();
    if (field.FieldSize() <= 0) return false;
    // The program folder may be read-only: the copy goes to a private temporary folder.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/korvanda-icon-XXXXXX"));
    if (!folder.isValid()) return false;
    const QString file = folder.filePath(QStringLiteral("Temp.ICO"));
    if (!bWrite_Fld_to_File(field, file)) return false;
    QPixmap loaded;
    const bool ok = loadIconFile(file, loaded) == 0;
    QFile::remove(file);
    if (ok) picture = loaded;
    return ok;
}

QPixmap fitIcon(const QPixmap& picture, int side, qreal devicePixelRatio) {
    if (picture.isNull()) return picture;
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap fitted = picture.scaled(QSize(side, side) * ratio, Qt::KeepAspectRatio,
                                    Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    return fitted;
}

QPixmap collectionBadge(const QString& name, int side, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap badge(int(side * ratio), int(side * ratio));
    badge.setDevicePixelRatio(ratio);
    badge.fill(Qt::transparent);
    QPainter p(&badge);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, side - 1.0, side - 1.0);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, QColor(0x2b, 0x30, 0x42));
    fill.setColorAt(1, QColor(0x1c, 0x1f, 0x2b));
    p.setPen(QPen(QColor(0xe8, 0xa3, 0x3d), 1.2));
    p.setBrush(fill);
    p.drawEllipse(box);
    p.setPen(QPen(QColor(0xe8, 0xa3, 0x3d, 110), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(box.adjusted(side * 0.16, side * 0.16, -side * 0.16, -side * 0.16));
    const QString initial = name.trimmed().left(1).toUpper();
    if (!initial.isEmpty()) {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(qMax(6, int(side * 0.5)));
        p.setFont(font);
        p.setPen(QColor(0xf4, 0xef, 0xe6));
        p.drawText(box, Qt::AlignCenter, initial);
    }
    return badge;
}

} // namespace kv
