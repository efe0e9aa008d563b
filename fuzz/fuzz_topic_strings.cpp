// libFuzzer target for the identification and hotspot string decoders: any text; a refused
// string leaves the records as they were, an accepted one gives consistent records.

#include "titles/engine/TopicStrings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    kv::TopicRecord topic;
    topic.strTitle = QStringLiteral("untouched");
    kv::ReleaseArray releases;
    int kind = -1;
    const kv::Decoded d = kv::decodeTopicData(text, topic, releases, kind);
    if (d != kv::Decoded::Ok) {
        if (kind != -1 || topic.strTitle != u"untouched" || !releases.isEmpty()) std::abort();
    } else {
        if (kind != topic.intKind || kind < kv::kTopicRecording || kind > kv::kTopicMisc ||
            releases.isEmpty() || topic.lngAlbumID < 0 || topic.lngAlbumID > 99999999)
            std::abort();
        if (kind != kv::kTopicRecording && releases.size() != 1) std::abort();
        for (qsizetype i = 1; i < releases.size(); ++i)
            if (releases[i].bDeleted == releases[i].strDeletedDate.isEmpty()) std::abort();
    }

    kv::ShopRecord shop;
    shop.Name = QStringLiteral("untouched");
    QString link = QStringLiteral("?");
    if (kv::decodeHotspotData(text, shop, link) == kv::Decoded::Ok) {
        if (link.size() > 1 || shop.Number < 0) std::abort();
    } else if (shop.Name != u"untouched" || link != u"?") {
        std::abort();
    }
    return 0;
}
