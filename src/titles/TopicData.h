#pragma once

// The machine-readable strings of the titles: a catalogue topic's identification string
// and a shop-directory hotspot's data string, the records they decode into, and the
// program's shared tokenizer.

#include <QList>
#include <QString>
#include <QtGlobal>

namespace kv {

// Topic kinds, from the letter at character 9 of an identification string.
enum TopicKind : int { kTopicNone = 0, kTopicRecording = 1, kTopicArtist = 2, kTopicMisc = 3 };

struct TopicRecord {
    qint32 lngAlbumID = 0;
    QString strTitle;
    QString strArtist;
    QString strExtra; // never filled by the decoder
    int intKind = kTopicNone;
};

struct ReleaseRecord {
    QString strDisplay; // release date, " - ", medium
    QString strCatalogueNumber;
    QString strLabel;
    QString strReleaseDate;
    QString strDeletedDate; // empty while the release is in print
    bool bDeleted = false;
    QString strMedium;
};

// The releases of a recording, used from index 1: element 0 is an empty placeholder, so a
// recording with n releases gives n + 1 elements and one with none a single element.
// The upper bound (size() - 1) is the release count.
using ReleaseArray = QList<ReleaseRecord>;
inline int releaseUpperBound(const ReleaseArray& releases) {
    return releases.isEmpty() ? 0 : int(releases.size()) - 1;
}

// The shop picked in the shop directory (the hotspot record).
struct ShopRecord {
    bool Featured = false;
    bool OrdersDirect = false;
    qint16 Number = 0;
    QString Reference; // context string of the shop's own page
    QString Name;
    QString Address;
    QString Phone;
    QString Fax;
    QString EMail;
};
using HotspotRecord = ShopRecord;

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
