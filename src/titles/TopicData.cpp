#include "titles/TopicData.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"

#include <QStringList>

namespace kv {

namespace {

struct TokenizerState {
    QString text;
    qsizetype position = 1; // 1-based
    qsizetype length = 0;
};

// A decimal field as the classic conversion reads it: blanks around the digits are
// allowed, anything else is a type mismatch, and a value beyond `max` overflows.
qint64 number(const QString& field, qint64 max) {
    const QString digits = field.trimmed();
    if (digits.isEmpty()) raiseError(err::TypeMismatch);
    qint64 value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') raiseError(err::TypeMismatch);
        value = value * 10 + (c.unicode() - u'0');
        if (value > max) raiseError(err::Overflow);
    }
    return value;
}

QString fieldAt(const QStringList& fields, qsizetype i) {
    return i < fields.size() ? fields[i] : QString();
}

} // namespace

QString strTok(const QString& text, const QString& separators) {
    TokenizerState& s = ctx().slot<TokenizerState>();
    if (!text.isEmpty()) {
        s.text = text;
        s.position = 1;
        s.length = text.size();
    }
    if (s.text.isEmpty()) return QString();
    qsizetype i = s.position - 1;
    while (i < s.length && separators.contains(s.text[i]))
        ++i;
    if (i >= s.length) {
        s.position = s.length + 1;
        return QString();
    }
    qsizetype end = i;
    while (end < s.length && !separators.contains(s.text[end]))
        ++end;
    s.position = end + 2;
    return s.text.mid(i, end - i);
}

bool bGetTopicData(const QString& identification, TopicRecord& topic, ReleaseArray& releases,
                   int& kind) {
    topic = TopicRecord();
    releases = ReleaseArray(1);
    kind = kTopicNone;
    const bool ok = guarded("bGetTopicData", [&] {
        if (identification.size() < 9) return false;
        switch (identification[8].unicode()) {
        case u'R':
            kind = kTopicRecording;
            break;
        case u'A':
            kind = kTopicArtist;
            break;
        case u'M':
            kind = kTopicMisc;
            break;
        default:
            return false;
        }
        topic.intKind = kind;
        if (kind != kTopicRecording) return true;

        const QStringList fields = identification.split(u'|');
        topic.lngAlbumID = qint32(number(fields[0].left(8), 99999999));
        topic.strTitle = fieldAt(fields, 1);
        topic.strArtist = fieldAt(fields, 2);
        const qint64 count = number(fieldAt(fields, 3), 32767);
        if (count == 0) return true;
        // A count the string cannot back would make up releases out of nothing.
        if (count > fields.size() - 4) raiseError(err::SubscriptOutOfRange);

        ReleaseArray decoded(count + 1);
        for (qsizetype i = 1; i <= count; ++i) {
            const QStringList parts = fields[3 + i].split(u'^');
            ReleaseRecord& r = decoded[i];
            r.strCatalogueNumber = fieldAt(parts, 0);
            r.strLabel = fieldAt(parts, 1);
            r.strReleaseDate = fieldAt(parts, 2);
            r.strDeletedDate = fieldAt(parts, 3);
            r.strMedium = fieldAt(parts, 4);
            r.bDeleted = !r.strDeletedDate.isEmpty();
            r.strDisplay = r.strReleaseDate + QStringLiteral(" - ") + r.strMedium;
        }
        releases = std::move(decoded);
        return true;
    });
    if (!ok) {
        // Half-decoded data must not reach a collection.
        topic = TopicRecord();
        releases = ReleaseArray(1);
        kind = kTopicNone;
    }
    return ok;
}

bool bGetHotspotData(const QString& data, ShopRecord& shop, QString& kind) {
    ShopRecord decoded;
    QString decodedKind;
    const bool ok = guarded("bGetHotspotData", [&] {
        const QStringList fields = data.split(u'|');
        const QString& code = fields[0];
        decodedKind = code.left(1);
        decoded.Featured = code.mid(1, 1) == u"F";
        decoded.OrdersDirect = code.mid(2, 1) == u"O";
        decoded.Number = qint16(number(code.mid(3), 32767));
        decoded.Reference = fieldAt(fields, 1);
        decoded.Name = fieldAt(fields, 2);
        decoded.Address = fieldAt(fields, 3);
        decoded.Phone = fieldAt(fields, 4);
        decoded.Fax = fieldAt(fields, 5);
        decoded.EMail = fieldAt(fields, 6);
    });
    if (ok) {
        shop = decoded;
        kind = decodedKind;
    }
    return ok;
}

} // namespace kv
