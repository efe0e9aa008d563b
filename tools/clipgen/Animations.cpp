#include "Animations.h"

#include <QConicalGradient>
#include <QEasingCurve>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <algorithm>
#include <cmath>

namespace kv::clipgen {

namespace {

const QColor kNight(0x14, 0x16, 0x1f);
const QColor kNightLight(0x1d, 0x21, 0x30);
const QColor kAmber(0xe8, 0xa3, 0x3d);
const QColor kWarmWhite(0xf4, 0xef, 0xe6);
const QColor kTeal(0x3f, 0xb5, 0xa8);

double seconds(int frame) {
    return double(frame) / kClipFps;
}

// Progress of an event that runs from `start` to `end` seconds, clamped to 0..1.
double phase(double t, double start, double end) {
    return std::clamp((t - start) / (end - start), 0.0, 1.0);
}

double ease(QEasingCurve::Type type, double p) {
    return QEasingCurve(type).valueForProgress(p);
}

QColor withAlpha(QColor c, double alpha) {
    c.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return c;
}

QImage canvas() {
    QImage image(kClipSize, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, kClipSize.height());
    sky.setColorAt(0, kNightLight);
    sky.setColorAt(1, kNight);
    p.fillRect(image.rect(), sky);
    return image;
}

void backGlow(QPainter& p, QPointF centre, double radius, QColor colour, double strength) {
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, withAlpha(colour, 0.22 * strength));
    glow.setColorAt(1, withAlpha(colour, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius, radius);
}

void shadow(QPainter& p, QPointF foot, double radius, double strength) {
    QRadialGradient dark(foot, radius);
    dark.setColorAt(0, QColor(0, 0, 0, int(150 * strength)));
    dark.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    p.save();
    p.translate(foot);
    p.scale(1.0, 0.18);
    p.drawEllipse(QPointF(0, 0), radius, radius);
    p.restore();
}

// A vinyl record seen face on, turned by `angle` degrees.
void vinyl(QPainter& p, QPointF centre, double r, double angle, QColor label) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0b, 0x0c, 0x11));
    p.drawEllipse(QPointF(0, 0), r, r);
    // Grooves, with a sheen that turns with the disc so the spin reads.
    QConicalGradient sheen(0, 0, 0);
    sheen.setColorAt(0.00, QColor(255, 255, 255, 40));
    sheen.setColorAt(0.12, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.50, QColor(255, 255, 255, 34));
    sheen.setColorAt(0.62, QColor(255, 255, 255, 0));
    sheen.setColorAt(1.00, QColor(255, 255, 255, 40));
    p.setBrush(sheen);
    p.drawEllipse(QPointF(0, 0), r * 0.97, r * 0.97);
    p.setBrush(Qt::NoBrush);
    for (double g = r * 0.42; g < r * 0.95; g += r * 0.055) {
        p.setPen(QPen(QColor(0x26, 0x29, 0x36), 0.8));
        p.drawEllipse(QPointF(0, 0), g, g);
    }
    const double lr = r * 0.34;
    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawEllipse(QPointF(0, 0), lr, lr);
    p.setBrush(kWarmWhite);
    p.drawRect(QRectF(-lr * 0.62, -lr * 0.55, lr * 1.24, lr * 0.16));
    p.setBrush(withAlpha(kNight, 0.55));
    p.drawRect(QRectF(-lr * 0.45, lr * 0.30, lr * 0.90, lr * 0.10));
    p.setBrush(kNight);
    p.drawEllipse(QPointF(0, 0), r * 0.035 + 1, r * 0.035 + 1);
    p.restore();
}

// A compact disc: a silver face with a rainbow that turns with it.
void compactDisc(QPainter& p, QPointF centre, double r, double angle) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    p.setPen(QPen(QColor(0x9a, 0xa0, 0xab), 1.0));
    QConicalGradient face(0, 0, 0);
    face.setColorAt(0.00, QColor(0xd9, 0xdc, 0xe2));
    face.setColorAt(0.10, kTeal.lighter(130));
    face.setColorAt(0.20, QColor(0xc9, 0xcd, 0xd6));
    face.setColorAt(0.32, kAmber.lighter(120));
    face.setColorAt(0.45, QColor(0xee, 0xef, 0xf2));
    face.setColorAt(0.60, QColor(0xa8, 0xae, 0xbb));
    face.setColorAt(0.72, kTeal.lighter(115));
    face.setColorAt(0.85, QColor(0xe6, 0xe2, 0xdc));
    face.setColorAt(1.00, QColor(0xd9, 0xdc, 0xe2));
    p.setBrush(face);
    p.drawEllipse(QPointF(0, 0), r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb8, 0xbd, 0xc7, 200));
    p.drawEllipse(QPointF(0, 0), r * 0.33, r * 0.33);
    p.setBrush(QColor(0x8e, 0x94, 0xa1, 160));
    p.drawEllipse(QPointF(0, 0), r * 0.24, r * 0.24);
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(kNightLight);
    p.drawEllipse(centre, r * 0.16, r * 0.16);
}

} // namespace

QImage drawRecordsFrame(int frame) {
    const double t = seconds(frame);
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = kClipSize.width();
    const double h = kClipSize.height();
    const double shelfY = h - 24;

    backGlow(p, QPointF(w / 2, shelfY - 40), 150, kTeal,
             ease(QEasingCurve::OutQuad, phase(t, 0.0, 1.5)));

    // The shelf draws itself from the left.
    const double shelf = ease(QEasingCurve::OutCubic, phase(t, 0.0, 0.8));
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRoundedRect(QRectF(14, shelfY, (w - 28) * shelf, 3), 1.5, 1.5);
    p.setBrush(withAlpha(kAmber, 0.18));
    p.drawRect(QRectF(14, shelfY + 3, (w - 28) * shelf, 5));

    // Each disc slides to its place and lands on the shelf, then keeps spinning.
    const double lpR = 58, cdR = 46, singleR = 30;
    const double lpIn = ease(QEasingCurve::OutBack, phase(t, 0.15, 1.25));
    const double cdIn = ease(QEasingCurve::OutBack, phase(t, 0.55, 1.65));
    const double singleIn = ease(QEasingCurve::OutBounce, phase(t, 1.05, 2.05));
    const QPointF lpAt(76 - (1 - lpIn) * 170, shelfY - lpR);
    const QPointF cdAt(218 + (1 - cdIn) * 170, shelfY - cdR);
    const QPointF singleAt(150, shelfY - singleR - (1 - singleIn) * 150);

    // Rolling in, a disc turns by the distance it covers; once in place it spins.
    const double lpSpin = -(1 - lpIn) * 170 / lpR * 57.3 + t * 200;
    const double cdSpin = (1 - cdIn) * 170 / cdR * 57.3 + t * 260;
    const double singleSpin = t * 320;

    if (lpIn > 0) {
        shadow(p, QPointF(lpAt.x(), shelfY + 1), lpR * 0.9, lpIn);
        vinyl(p, lpAt, lpR, lpSpin, kAmber);
    }
    if (cdIn > 0) {
        shadow(p, QPointF(cdAt.x(), shelfY + 1), cdR * 0.9, cdIn);
        compactDisc(p, cdAt, cdR, cdSpin);
    }
    if (singleIn > 0) {
        shadow(p, QPointF(singleAt.x(), shelfY + 1), singleR * 0.9, singleIn);
        vinyl(p, singleAt, singleR, singleSpin, kTeal);
    }

    // A last glint crosses the scene once everything has landed.
    const double glint = phase(t, 2.1, 2.8);
    if (glint > 0 && glint < 1) {
        const double x = -60 + glint * (w + 120);
        QLinearGradient band(x - 36, 0, x + 36, -24);
        band.setColorAt(0, withAlpha(kWarmWhite, 0));
        band.setColorAt(0.5, withAlpha(kWarmWhite, 0.10));
        band.setColorAt(1, withAlpha(kWarmWhite, 0));
        p.setBrush(band);
        QPolygonF slant;
        slant << QPointF(x - 20, 0) << QPointF(x + 44, 0) << QPointF(x + 20, shelfY)
              << QPointF(x - 44, shelfY);
        p.drawPolygon(slant);
    }
    return image;
}

QImage drawTitleFrame(int frame) {
    const double t = seconds(frame);
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double w = kClipSize.width();

    backGlow(p, QPointF(w / 2, 64), 140, kAmber, ease(QEasingCurve::OutQuad, phase(t, 0.0, 1.8)));

    // The name: each letter rises into place and fades in, one after another.
    const QString name = QStringLiteral("KORVANDA");
    QFont nameFont(QStringLiteral("DejaVu Sans"));
    nameFont.setPixelSize(34);
    nameFont.setBold(true);
    const QFontMetricsF nameMetrics(nameFont);
    const double spacing = 3;
    double nameWidth = -spacing;
    for (QChar c : name)
        nameWidth += nameMetrics.horizontalAdvance(c) + spacing;
    const double baseline = 78;
    p.setFont(nameFont);
    double x = (w - nameWidth) / 2;
    for (int i = 0; i < name.size(); ++i) {
        const double start = 0.15 + i * 0.11;
        const double in = ease(QEasingCurve::OutCubic, phase(t, start, start + 0.55));
        if (in > 0) {
            p.setPen(withAlpha(kWarmWhite, in));
            p.drawText(QPointF(x, baseline + (1 - in) * 26), QString(name[i]));
        }
        x += nameMetrics.horizontalAdvance(name[i]) + spacing;
    }

    // An amber rule sweeps out from the middle under the name.
    const double rule = ease(QEasingCurve::InOutCubic, phase(t, 1.2, 1.8));
    if (rule > 0) {
        const double half = (nameWidth / 2 - 4) * rule;
        p.setPen(Qt::NoPen);
        p.setBrush(kAmber);
        p.drawRoundedRect(QRectF(w / 2 - half, baseline + 12, half * 2, 3), 1.5, 1.5);
        // A small disc rides the rule's right end and stays there.
        p.setBrush(kAmber);
        p.drawEllipse(QPointF(w / 2 + half + 7, baseline + 13.5), 4.5, 4.5);
        p.setBrush(kNight);
        p.drawEllipse(QPointF(w / 2 + half + 7, baseline + 13.5), 1.2, 1.2);
    }

    // The tagline fades in while its letters close up.
    const double tag = ease(QEasingCurve::OutCubic, phase(t, 1.7, 2.5));
    if (tag > 0) {
        QFont tagFont(QStringLiteral("DejaVu Sans"));
        tagFont.setPixelSize(13);
        tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 + (1 - tag) * 4);
        p.setFont(tagFont);
        p.setPen(withAlpha(kTeal, tag));
        p.drawText(QRectF(0, baseline + 26, w, 22), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("the record collector's catalogue"));
    }
    return image;
}

} // namespace kv::clipgen
