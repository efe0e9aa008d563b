#include "titles/TitlePageHtml.h"

#include <QRegularExpression>

namespace kv {

using title::BlockStyle;
using title::PageBlock;
using title::PageSpan;
using title::SpanKind;

namespace {

QString css(const QColor& c) {
    return c.name(QColor::HexRgb);
}

// Cells that hold a track number ("12.") or a duration ("4:05", "1:02:33") stand to the
// right in a muted tone, so titles line up and times read as a column.
bool isFigure(const QString& cell) {
    static const QRegularExpression figure(QStringLiteral("^(\\d+\\.|\\d+(:\\d\\d){1,2})$"));
    return figure.match(cell.trimmed()).hasMatch();
}

// A paragraph that opens with a label ("Artist: ", "Tel: ") shows the label muted.
bool opensWithLabel(const PageBlock& b) {
    return b.spans.size() > 1 && b.spans[0].kind == SpanKind::Text &&
           b.spans[0].text.endsWith(QStringLiteral(": "));
}

class Writer {
public:
    explicit Writer(QList<PageLink>& links) : m_links(links) {}

    QString spans(const QList<PageSpan>& spans, qsizetype from = 0) {
        QString out;
        for (qsizetype i = from; i < spans.size(); ++i)
            out += span(spans[i]);
        return out;
    }

    QString span(const PageSpan& s) {
        switch (s.kind) {
        case SpanKind::Text:
            return s.text.toHtmlEscaped();
        case SpanKind::Link:
        case SpanKind::Hotspot: {
            const bool hot = s.kind == SpanKind::Hotspot;
            m_links.append({hot ? 0 : s.linkType, s.target, s.text, hot});
            return QStringLiteral("<a href=\"kv:%1\"%2>%3</a>")
                .arg(m_links.size() - 1)
                .arg(hot ? QStringLiteral(" class=\"hot\"") : QString())
                .arg(s.text.toHtmlEscaped());
        }
        case SpanKind::Cell:
            break;
        }
        return QString();
    }

    // A run of table rows; cells are split at the cell spans.
    QString table(const QList<PageBlock>& rows) {
        QString out = QStringLiteral("<table class=\"grid\" width=\"100%\" cellspacing=\"0\" "
                                     "cellpadding=\"4\">");
        int stripe = 0;
        for (const PageBlock& row : rows) {
            const bool header = row.style == BlockStyle::HeaderRow;
            QList<QList<PageSpan>> cells(1);
            for (const PageSpan& s : row.spans) {
                if (s.kind == SpanKind::Cell)
                    cells.append(QList<PageSpan>());
                else
                    cells.last().append(s);
            }
            out += header ? QStringLiteral("<tr>")
                          : QStringLiteral("<tr class=\"%1\">")
                                .arg(stripe++ % 2 ? QStringLiteral("odd") : QStringLiteral("even"));
            for (const QList<PageSpan>& cell : cells) {
                QString plain;
                for (const PageSpan& s : cell)
                    plain += s.text;
                const bool figure = !header && cell.size() == 1 && isFigure(plain);
                if (header)
                    out += QStringLiteral("<th align=\"left\">");
                else if (figure)
                    out += QStringLiteral("<td class=\"fig\" align=\"right\" width=\"1%\">");
                else
                    out += QStringLiteral("<td>");
                out += spans(cell);
                out += header ? QStringLiteral("</th>") : QStringLiteral("</td>");
            }
            out += QStringLiteral("</tr>");
        }
        return out + QStringLiteral("</table>");
    }

private:
    QList<PageLink>& m_links;
};

} // namespace

QString viewerStyleSheet() {
    return QStringLiteral(
               "body { color: %1; background-color: %2; font-family: 'DejaVu Sans', 'Noto Sans', "
               "sans-serif; font-size: 10pt; }"
               "h1 { color: %3; font-family: 'DejaVu Serif', 'Noto Serif', serif; font-size: 17pt; "
               "font-weight: bold; margin-top: 2px; margin-bottom: 8px; }"
               "h2 { color: %3; font-size: 11pt; font-weight: bold; margin-top: 14px; "
               "margin-bottom: 4px; }"
               "p { margin-top: 2px; margin-bottom: 4px; }"
               "a { color: %4; text-decoration: underline; }"
               "a.hot { color: %4; font-weight: bold; }"
               "span.label { color: %5; }"
               "p.note { color: %5; font-style: italic; }"
               "table.grid { border-style: none; margin-top: 2px; margin-bottom: 6px; }"
               "th { color: %3; background-color: %6; font-weight: bold; font-size: 9pt; }"
               "tr.odd { background-color: %7; }"
               "td.fig { color: %5; white-space: nowrap; }")
        .arg(css(viewerColors::text), css(viewerColors::background), css(viewerColors::amber),
             css(viewerColors::teal), css(viewerColors::muted), css(viewerColors::panel),
             QStringLiteral("#181b27"));
}

QString topicPageHtml(const title::Page& page, bool complete, QList<PageLink>& links) {
    links.clear();
    Writer w(links);
    QString html = QStringLiteral("<html><body>");
    for (qsizetype i = 0; i < page.size(); ++i) {
        const PageBlock& b = page[i];
        switch (b.style) {
        case BlockStyle::Heading:
            html += QStringLiteral("<h1>") + w.spans(b.spans) + QStringLiteral("</h1>");
            break;
        case BlockStyle::Section:
            html += QStringLiteral("<h2>") + w.spans(b.spans) + QStringLiteral("</h2>");
            break;
        case BlockStyle::Row:
        case BlockStyle::HeaderRow: {
            QList<PageBlock> rows;
            while (i < page.size() &&
                   (page[i].style == BlockStyle::Row || page[i].style == BlockStyle::HeaderRow))
                rows.append(page[i++]);
            --i;
            html += w.table(rows);
            break;
        }
        case BlockStyle::Paragraph:
            if (opensWithLabel(b))
                html += QStringLiteral("<p><span class=\"label\">") +
                        b.spans[0].text.toHtmlEscaped() + QStringLiteral("</span>") +
                        w.spans(b.spans, 1) + QStringLiteral("</p>");
            else
                html += QStringLiteral("<p>") + w.spans(b.spans) + QStringLiteral("</p>");
            break;
        }
    }
    if (!complete)
        html += QStringLiteral("<p class=\"note\">The rest of this page could not be read.</p>");
    return html + QStringLiteral("</body></html>");
}

} // namespace kv
