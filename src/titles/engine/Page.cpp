#include "titles/engine/Page.h"

#include <QUrl>

namespace kv::title {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString encoded(const QString& s) {
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

} // namespace

void putVarint(std::string& out, uint32_t v) {
    while (v >= 0x80) {
        out.push_back(char(0x80 | (v & 0x7F)));
        v >>= 7;
    }
    out.push_back(char(v));
}

void putString(std::string& out, std::string_view s) {
    putVarint(out, uint32_t(s.size()));
    out.append(s);
}

bool decodePage(std::string_view bytes, Page& page) {
    page.clear();
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    Cursor c(p, p + bytes.size());
    while (c.ok() && !c.atEnd()) {
        PageBlock b;
        const uint8_t style = c.u8();
        if (style > uint8_t(BlockStyle::HeaderRow)) return false;
        b.style = BlockStyle(style);
        const uint32_t spans = c.varint();
        // Every span takes at least one byte, so a count beyond the rest is a lie.
        if (!c.ok() || spans > c.remaining()) return false;
        for (uint32_t i = 0; i < spans; ++i) {
            PageSpan s;
            const uint8_t kind = c.u8();
            switch (kind) {
            case uint8_t(SpanKind::Text):
                s.text = qs(c.str());
                break;
            case uint8_t(SpanKind::Link):
                s.linkType = c.u8();
                s.target = qs(c.str());
                s.text = qs(c.str());
                break;
            case uint8_t(SpanKind::Hotspot):
                s.target = qs(c.str());
                s.text = qs(c.str());
                break;
            case uint8_t(SpanKind::Cell):
                break;
            default:
                return false;
            }
            if (!c.ok()) return false;
            s.kind = SpanKind(kind);
            b.spans.append(s);
        }
        page.append(b);
    }
    return c.ok();
}

QString pageToHtml(const Page& page) {
    QString html = QStringLiteral("<html><body>");
    bool inTable = false;
    for (const PageBlock& b : page) {
        const bool row = b.style == BlockStyle::Row || b.style == BlockStyle::HeaderRow;
        if (row && !inTable) html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
        if (!row && inTable) html += QStringLiteral("</table>");
        inTable = row;
        const QString cellTag =
            b.style == BlockStyle::HeaderRow ? QStringLiteral("th") : QStringLiteral("td");
        QString open, close;
        switch (b.style) {
        case BlockStyle::Heading:
            open = QStringLiteral("<h2>"), close = QStringLiteral("</h2>");
            break;
        case BlockStyle::Section:
            open = QStringLiteral("<h3>"), close = QStringLiteral("</h3>");
            break;
        case BlockStyle::Row:
        case BlockStyle::HeaderRow:
            open = QStringLiteral("<tr><%1 align=\"left\">").arg(cellTag);
            close = QStringLiteral("</%1></tr>").arg(cellTag);
            break;
        default:
            open = QStringLiteral("<p>"), close = QStringLiteral("</p>");
        }
        html += open;
        for (const PageSpan& s : b.spans) {
            switch (s.kind) {
            case SpanKind::Text:
                html += s.text.toHtmlEscaped();
                break;
            case SpanKind::Link:
                html += QStringLiteral("<a href=\"kvlink:%1:%2\">%3</a>")
                            .arg(s.linkType)
                            .arg(encoded(s.target), s.text.toHtmlEscaped());
                break;
            case SpanKind::Hotspot:
                html += QStringLiteral("<a href=\"kvhot:%1\">%2</a>")
                            .arg(encoded(s.target), s.text.toHtmlEscaped());
                break;
            case SpanKind::Cell:
                html += QStringLiteral("</%1><%1 align=\"left\">").arg(cellTag);
                break;
            }
        }
        html += close;
    }
    if (inTable) html += QStringLiteral("</table>");
    return html + QStringLiteral("</body></html>");
}

QString pageToPlainText(const Page& page) {
    QString out;
    for (const PageBlock& b : page) {
        QString line;
        for (const PageSpan& s : b.spans)
            line += s.kind == SpanKind::Cell ? QStringLiteral("\t") : s.text;
        if (b.style == BlockStyle::Section && !out.isEmpty()) out += u'\n';
        out += line + u'\n';
    }
    return out;
}

void PageWriter::flush() {
    if (m_style < 0) return;
    m_out.push_back(char(m_style));
    putVarint(m_out, m_spanCount);
    m_out += m_spans;
    m_spans.clear();
    m_spanCount = 0;
    m_style = -1;
}

PageWriter& PageWriter::block(BlockStyle style) {
    flush();
    m_style = int(style);
    return *this;
}

PageWriter& PageWriter::text(std::string_view s) {
    if (m_style < 0) block(BlockStyle::Paragraph);
    m_spans.push_back(char(SpanKind::Text));
    putString(m_spans, s);
    ++m_spanCount;
    return *this;
}

PageWriter& PageWriter::link(int type, std::string_view target, std::string_view s) {
    if (m_style < 0) block(BlockStyle::Paragraph);
    m_spans.push_back(char(SpanKind::Link));
    m_spans.push_back(char(type));
    putString(m_spans, target);
    putString(m_spans, s);
    ++m_spanCount;
    return *this;
}

PageWriter& PageWriter::hotspot(std::string_view data, std::string_view s) {
    if (m_style < 0) block(BlockStyle::Paragraph);
    m_spans.push_back(char(SpanKind::Hotspot));
    putString(m_spans, data);
    putString(m_spans, s);
    ++m_spanCount;
    return *this;
}

PageWriter& PageWriter::cell() {
    if (m_style < 0) block(BlockStyle::Row);
    m_spans.push_back(char(SpanKind::Cell));
    ++m_spanCount;
    return *this;
}

std::string PageWriter::take() {
    flush();
    std::string out;
    out.swap(m_out);
    return out;
}

} // namespace kv::title
