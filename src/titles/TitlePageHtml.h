#pragma once

// Topic pages as the viewer shows them: rich text in the product's palette, with the
// page's links numbered so a click maps back to its type and target without any escaping.

#include "titles/engine/Page.h"

#include <QColor>
#include <QList>
#include <QString>

namespace kv {

namespace viewerColors {
inline const QColor background{0x14, 0x16, 0x1f};
inline const QColor panel{0x1d, 0x21, 0x30};
inline const QColor text{0xf4, 0xef, 0xe6};
inline const QColor muted{0xa9, 0xa4, 0x9b};
inline const QColor amber{0xe8, 0xa3, 0x3d};
inline const QColor teal{0x3f, 0xb5, 0xa8};
} // namespace viewerColors

// One link or hotspot of a page, in reading order.
struct PageLink {
    int linkType = 0; // 0 for a hotspot
    QString target;   // context string, or the hotspot's data string
    QString text;
    bool hotspot = false;
};

// The style sheet the page HTML is written for.
QString viewerStyleSheet();

// The page as HTML. Link number i has the href "kv:i" and is links[i]. `complete` false
// (a page that could not be read to its end) adds a note saying so.
QString topicPageHtml(const title::Page& page, bool complete, QList<PageLink>& links);

} // namespace kv
