#pragma once

// Topic pages: a compact block-and-span encoding (docs/title-format.md), decoded into
// structures the viewer renders.

#include "titles/engine/TitleFormat.h"

#include <QList>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace kv::title {

struct PageSpan {
    SpanKind kind = SpanKind::Text;
    int linkType = 0;
    QString target; // link target (a context string) or hotspot data
    QString text;
};

struct PageBlock {
    BlockStyle style = BlockStyle::Paragraph;
    QList<PageSpan> spans;
};

using Page = QList<PageBlock>;

// False when the bytes are not a well-formed page; `page` then holds the blocks read so far.
bool decodePage(std::string_view bytes, Page& page);

// HTML for the viewer: links become "kvlink:TYPE:TARGET", hotspots "kvhot:DATA" (targets
// and data percent-encoded).
QString pageToHtml(const Page& page);
// Plain text, one line per block, table cells separated by tabs.
QString pageToPlainText(const Page& page);

class PageWriter {
public:
    PageWriter& block(BlockStyle style);
    PageWriter& text(std::string_view s);
    PageWriter& link(int type, std::string_view target, std::string_view text);
    PageWriter& hotspot(std::string_view data, std::string_view text);
    PageWriter& cell();
    // The encoded page; the writer is empty afterwards.
    std::string take();

private:
    void flush();
    std::string m_out;
    std::string m_spans;
    uint32_t m_spanCount = 0;
    int m_style = -1;
};

void putVarint(std::string& out, uint32_t v);
void putString(std::string& out, std::string_view s);

} // namespace kv::title
