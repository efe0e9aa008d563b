#pragma once

// The machine-readable strings of the titles: a catalogue topic's identification string
// and a shop-directory hotspot's data string, the records they decode into, and the
// program's shared tokenizer.

#include "titles/engine/TopicStrings.h"

#include <QString>

namespace kv {

// The shared tokenizer. A non-empty text starts a new scan; an empty text continues the
// last one. Returns the next run of characters outside `separators`, or "" when the text
// is used up. Runs of separators count as one, so empty fields are never returned: the
// decoders below split by position instead. One scan state serves the whole program
// (kept in the context), so a scan must end before another begins.
QString strTok(const QString& text, const QString& separators);

// Decodes a topic identification string ("00001234R|title|artist|n|cat^label^date^
// deleted^medium|..."). True for a catalogue topic; `kind` (and topic.intKind) says which.
// Only recordings are decoded further. Fields are taken by position, so an empty field
// stays empty in its place. A malformed album identifier or release count, or a count
// larger than the releases present, is reported and gives false with everything cleared.
bool bGetTopicData(const QString& identification, TopicRecord& topic, ReleaseArray& releases,
                   int& kind);

// Decodes a hotspot data string ("SFO12|reference|name|address|phone|fax|e-mail"): the
// link kind is character 1, "F" at 2 sets Featured, "O" at 3 sets OrdersDirect, the rest of
// the first field is Number; the six text fields follow by position. A missing or
// malformed number is reported and gives false, leaving `shop` and `kind` as they were.
bool bGetHotspotData(const QString& data, ShopRecord& shop, QString& kind);

} // namespace kv
