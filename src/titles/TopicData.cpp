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

// What a decoding fault is reported as: the errors the classic conversions raise.
void raiseFault(Decoded d) {
    switch (d) {
    case Decoded::NotANumber:
        raiseError(err::TypeMismatch);
    case Decoded::NumberTooLarge:
        raiseError(err::Overflow);
    case Decoded::TooManyReleases:
        raiseError(err::SubscriptOutOfRange);
    case Decoded::Ok:
    case Decoded::NotCatalogue:
        break;
    }
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
    // Cleared first: a string that is not a catalogue topic, or a faulty one, must not leave
    // half-decoded data behind to reach a collection.
    topic = TopicRecord();
    releases = ReleaseArray(1);
    kind = kTopicNone;
    return guarded("bGetTopicData", [&] {
        const Decoded d = decodeTopicData(identification, topic, releases, kind);
        raiseFault(d);
        return d == Decoded::Ok;
    });
}

bool bGetHotspotData(const QString& data, ShopRecord& shop, QString& kind) {
    return guarded("bGetHotspotData", [&] { raiseFault(decodeHotspotData(data, shop, kind)); });
}

} // namespace kv
