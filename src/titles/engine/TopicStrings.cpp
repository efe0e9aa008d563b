#include "titles/engine/TopicStrings.h"

#include <QStringList>

namespace kv {

namespace {

// A decimal field as the classic conversion reads it: blanks around the digits are allowed.
Decoded number(const QString& field, qint64 max, qint64& value) {
    const QString digits = field.trimmed();
    if (digits.isEmpty()) return Decoded::NotANumber;
    value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return Decoded::NotANumber;
        value = value * 10 + (c.unicode() - u'0');
        if (value > max) return Decoded::NumberTooLarge;
    }
    return Decoded::Ok;
}

QString fieldAt(const QStringList& fields, qsizetype i) {
    return i < fields.size() ? fields[i] : QString();
}

int kindOf(QChar letter) {
    switch (letter.unicode()) {
    case u'R':
        return kTopicRecording;
    case u'A':
        return kTopicArtist;
    case u'M':
        return kTopicMisc;
    default:
        return kTopicNone;
    }
}

ReleaseRecord release(const QString& token) {
    const QStringList parts = token.split(u'^');
    ReleaseRecord r;
    r.strCatalogueNumber = fieldAt(parts, 0);
    r.strLabel = fieldAt(parts, 1);
    r.strReleaseDate = fieldAt(parts, 2);
    r.strDeletedDate = fieldAt(parts, 3);
    r.strMedium = fieldAt(parts, 4);
    r.bDeleted = !r.strDeletedDate.isEmpty();
    r.strDisplay = r.strReleaseDate + QStringLiteral(" - ") + r.strMedium;
    return r;
}

} // namespace

Decoded decodeTopicData(const QString& identification, TopicRecord& topic, ReleaseArray& releases,
                        int& kind) {
    if (identification.size() < 9) return Decoded::NotCatalogue;
    TopicRecord t;
    t.intKind = kindOf(identification[8]);
    if (t.intKind == kTopicNone) return Decoded::NotCatalogue;
    ReleaseArray decoded(1);
    if (t.intKind == kTopicRecording) {
        const QStringList fields = identification.split(u'|');
        qint64 id = 0, count = 0;
        Decoded d = number(fields[0].left(8), 99999999, id);
        if (d != Decoded::Ok) return d;
        t.lngAlbumID = qint32(id);
        t.strTitle = fieldAt(fields, 1);
        t.strArtist = fieldAt(fields, 2);
        d = number(fieldAt(fields, 3), 32767, count);
        if (d != Decoded::Ok) return d;
        // A count the string cannot back would make up releases out of nothing.
        if (count > fields.size() - 4) return Decoded::TooManyReleases;
        decoded.reserve(count + 1);
        for (qsizetype i = 1; i <= count; ++i)
            decoded.append(release(fields[3 + i]));
    }
    kind = t.intKind;
    topic = std::move(t);
    releases = std::move(decoded);
    return Decoded::Ok;
}

Decoded decodeHotspotData(const QString& data, ShopRecord& shop, QString& kind) {
    const QStringList fields = data.split(u'|');
    const QString& code = fields[0];
    ShopRecord s;
    s.Featured = code.mid(1, 1) == u"F";
    s.OrdersDirect = code.mid(2, 1) == u"O";
    qint64 n = 0;
    if (const Decoded d = number(code.mid(3), 32767, n); d != Decoded::Ok) return d;
    s.Number = qint16(n);
    s.Reference = fieldAt(fields, 1);
    s.Name = fieldAt(fields, 2);
    s.Address = fieldAt(fields, 3);
    s.Phone = fieldAt(fields, 4);
    s.Fax = fieldAt(fields, 5);
    s.EMail = fieldAt(fields, 6);
    kind = code.left(1);
    shop = std::move(s);
    return Decoded::Ok;
}

} // namespace kv
