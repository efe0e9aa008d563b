#include "platform/qt/QtResources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace kv {

namespace {
QString pathOf(int number, const char* extension) {
    return QStringLiteral(":/res/%1.%2").arg(number).arg(QLatin1String(extension));
}
} // namespace

QSize QtResources::pictureSize(int number) const {
    const QString svg = pathOf(number, "svg");
    if (QFile::exists(svg)) {
        QSvgRenderer renderer(svg);
        return renderer.isValid() ? renderer.defaultSize() : QSize();
    }
    const QPixmap png(pathOf(number, "png"));
    return png.size();
}

QPixmap QtResources::picture(int number, qreal devicePixelRatio) const {
    const QString svg = pathOf(number, "svg");
    if (QFile::exists(svg)) {
        QSvgRenderer renderer(svg);
        if (!renderer.isValid())
            return QPixmap();
        // Drawn at the screen's density from the vector source, so it stays crisp at 2x.
        const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
        const QSize logical = renderer.defaultSize();
        QPixmap pixmap(logical * dpr);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(dpr);
        return pixmap;
    }
    QPixmap png(pathOf(number, "png"));
    return png;
}

QByteArray QtResources::wave(int number) const {
    QFile file(pathOf(number, "wav"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace kv
