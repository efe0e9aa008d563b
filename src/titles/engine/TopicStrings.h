#pragma once

// The machine-readable strings the compiler files with each topic and hotspot: a catalogue
// topic's identification string and a shop-directory hotspot's data string, and the records
// they decode into. Pure decoding, no error reporting: callers decide what a fault means.

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

enum class Decoded {
    Ok,
    NotCatalogue,    // shorter than nine characters, or no kind letter at character 9
    NotANumber,      // an album identifier, release count or shop number with other characters
    NumberTooLarge,  // one beyond its range
    TooManyReleases, // a release count the string cannot back
};

// Decodes "00001234R|title|artist|n|cat^label^date^deleted^medium|...". Only recordings are
// decoded past the kind; fields are taken by position, so an empty field stays empty in its
// place. The outputs are written only when the result is Ok.
Decoded decodeTopicData(const QString& identification, TopicRecord& topic, ReleaseArray& releases,
                        int& kind);

// Decodes "SFO12|reference|name|address|phone|fax|e-mail": the link kind is character 1,
// "F" at 2 sets Featured, "O" at 3 sets OrdersDirect, the rest of the first field is Number;
// the six text fields follow by position. The outputs are written only when the result is Ok.
Decoded decodeHotspotData(const QString& data, ShopRecord& shop, QString& kind);

} // namespace kv
