#include "print/CPrint.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <cmath>
#include <string_view>

namespace kv {

namespace {

// Margins of a printed page; the device's own minimum wins when it is larger.
constexpr double kPageMarginMm = 20.0;

void substituteNamedFonts() {
    // The face the about box asks for by name has no metric twin on Linux; the sans face
    // with the same widths as the other classic sans keeps its lines where they were meant.
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)done;
}

} // namespace

namespace print {

int halfToEven(int n) {
    const int floorHalf = n >= 0 ? n / 2 : -((-n + 1) / 2);
    if (n % 2 == 0) return floorHalf;
    // n / 2 is a half: of floorHalf and floorHalf + 1, take the even one.
    return floorHalf % 2 == 0 ? floorHalf : floorHalf + 1;
}

int fittedLength(int length, const std::function<bool(int)>& fits) {
    int lo = 0;
    int hi = length;
    int mid = halfToEven(hi - lo);
    for (int round = 0; round < kFitRounds; ++round) {
        if (!fits(mid)) {
            hi = mid;
            mid = lo + halfToEven(mid - lo);
        } else {
            const int oldLo = lo;
            lo = mid;
            mid = mid + halfToEven(mid - oldLo);
        }
        if (mid == lo || mid == hi) break;
    }
    return mid;
}

int splitPosition(const QString& text) {
    const int last = int(text.size());
    const int first = std::max(1, last - kSplitWindow + 1);
    for (int p = last; p >= first; --p) {
        const QChar c = text.at(p - 1);
        for (const char16_t b : std::u16string_view(kBreakCharacters))
            if (c.unicode() == b) return p;
    }
    return 0;
}

} // namespace print

CPrint::CPrint() { substituteNamedFonts(); }

CPrint::~CPrint() {
    if (m_painter.isActive()) m_painter.end();
}

void CPrint::setActiveFont(const QFont& font) {
    m_activeFont = font;
    if (m_painter.isActive()) m_painter.setFont(font);
}

void CPrint::begin(const QFont& ownerFont, QPaintDevice& device) {
    if (m_painter.isActive()) m_painter.end();
    m_device = &device;
    m_defaultFont = ownerFont;
    m_activeFont = ownerFont;
    m_x = 0;
    m_y = 0;
    m_pages = 1;
}

void CPrint::Initialize_Printing(const QFont& ownerFont, QPagedPaintDevice& printer) {
    begin(ownerFont, printer);
    m_paged = &printer;
    m_margins = QMarginsF();
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF minimum = layout.minimumMargins();
    const QMarginsF wanted(std::max(kPageMarginMm, minimum.left()), std::max(kPageMarginMm, minimum.top()),
                           std::max(kPageMarginMm, minimum.right()), std::max(kPageMarginMm, minimum.bottom()));
    printer.setPageMargins(wanted, QPageLayout::Millimeter);
    if (!m_painter.begin(&printer)) {
        m_device = nullptr;
        m_paged = nullptr;
        raiseError(err::PrinterError);
    }
    m_painter.setFont(m_activeFont);
    m_painter.setPen(Qt::black);
}

void CPrint::Initialize_PictureBox(const QFont& ownerFont, QPaintDevice& picture, const QMarginsF& margins) {
    begin(ownerFont, picture);
    m_paged = nullptr;
    m_margins = margins;
    if (!m_painter.begin(&picture)) {
        m_device = nullptr;
        raiseError(err::InvalidPicture);
    }
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.translate(margins.left(), margins.top());
    m_painter.setFont(m_activeFont);
    m_painter.setPen(Qt::black);
}

void CPrint::requireActive() const {
    if (!m_painter.isActive()) raiseError(err::PrinterError);
}

double CPrint::printableWidth() const {
    if (!m_device) return 0;
    const double width = m_device->width() / m_device->devicePixelRatioF();
    return width - m_margins.left() - m_margins.right();
}

double CPrint::tabStop() const {
    // Half an inch of the device.
    return m_device ? m_device->logicalDpiX() / 2.0 : 48.0;
}

double CPrint::textWidth(const QString& text) const {
    const QFontMetricsF metrics(m_activeFont, m_device);
    const double stop = tabStop();
    double x = 0;
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) x = (std::floor(x / stop) + 1) * stop;
        x += metrics.horizontalAdvance(parts[i]);
    }
    return x;
}

void CPrint::pageBreakIfNeeded(double lineHeight) {
    if (!m_paged || m_x > 0 || m_y <= 0) return;
    if (m_y + lineHeight <= m_device->height()) return;
    if (!m_paged->newPage()) raiseError(err::PrinterError);
    ++m_pages;
    m_y = 0;
}

void CPrint::put(const QString& text, bool endLine) {
    requireActive();
    const QFontMetricsF metrics(m_activeFont, m_device);
    pageBreakIfNeeded(metrics.lineSpacing());
    const double stop = tabStop();
    const double baseline = m_y + metrics.ascent();
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) m_x = (std::floor(m_x / stop) + 1) * stop;
        if (!parts[i].isEmpty()) m_painter.drawText(QPointF(m_x, baseline), parts[i]);
        m_x += metrics.horizontalAdvance(parts[i]);
    }
    if (endLine) {
        m_x = 0;
        m_y += metrics.lineSpacing();
    }
}

void CPrint::Text(const QString& text) { put(text, false); }

void CPrint::Para_Break(double factor) {
    requireActive();
    // The height of "A" as a line of text, not of the glyph.
    const QFontMetricsF metrics(m_activeFont, m_device);
    m_x = 0;
    m_y += metrics.boundingRect(QStringLiteral("A")).height() * factor;
}

void CPrint::Paragraph_Text(const QString& text) {
    if (textWidth(text) <= printableWidth())
        put(text, true);
    else
        Wrap_Print(text);
}

bool CPrint::bFindSplits(const QString& text, int& position) const {
    position = print::splitPosition(text);
    return position > 0;
}

void CPrint::Wrap_Print(const QString& text) {
    const double width = printableWidth();
    QString rest = text;
    while (textWidth(rest) > width) {
        const int mid = print::fittedLength(int(rest.size()), [&](int n) {
            return textWidth(rest.left(std::max(0, n))) <= width;
        });
        int position = 0;
        if (bFindSplits(rest.left(std::max(0, mid)), position)) {
            put(rest.left(position), true);
            rest = rest.mid(position);
        } else {
            // Room for " -" after the cut. At least one character goes on every line, so
            // a width narrower than two characters still ends.
            const int cut = std::max(1, mid - 2);
            put(rest.left(cut) + QStringLiteral(" -"), true);
            rest = rest.mid(cut);
        }
    }
    if (!rest.isEmpty()) put(rest, true);
}

void CPrint::Done_Printing() {
    if (!m_painter.isActive()) return;
    const bool ended = m_painter.end();
    m_paged = nullptr;
    if (!ended) raiseError(err::PrinterError);
}

} // namespace kv
