// libFuzzer target for the dump reader: any bytes (plain or gzip), read record by record with
// small buffers so records straddle refills, every record's texts run through the field
// conversions the importer applies.

#include "titles/import/DiscogsText.h"
#include "titles/import/DumpInput.h"
#include "titles/import/XmlRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace kv::titleimport;

namespace {

void walk(const XmlRecord& x, const XmlNode& n, discogs::TrackNumbering& numbering,
          std::string& scratch) {
    discogs::cleanText(n.text, scratch);
    discogs::withoutNumberSuffix(scratch);
    discogs::sortName(scratch);
    discogs::parseDuration(n.text);
    discogs::releaseDate(n.text);
    discogs::yearOf(n.text);
    numbering.next(n.text);
    numbering.sub(n.text, nullptr);
    for (uint32_t i = n.attrBegin; i < n.attrEnd; ++i)
        x.attr(n, "id");
    if (n.name == "formats") discogs::medium(x, &n);
    for (const XmlNode* c = x.firstChild(n); c; c = x.nextSibling(*c))
        walk(x, *c, numbering, scratch);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    DumpInput in;
    in.openBytes("fuzz.xml", std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    XmlRecordReader reader(in, 16 + data[0] % 64, 1024 + data[0] * 64);
    if (!reader.start()) return 0;
    std::string scratch;
    for (int records = 0; records < 100000; ++records) {
        const XmlRecordReader::Next n = reader.next();
        if (n == XmlRecordReader::Next::End || n == XmlRecordReader::Next::Failed) break;
        if (n != XmlRecordReader::Next::Record) continue;
        discogs::TrackNumbering numbering;
        walk(reader.record(), reader.record().root(), numbering, scratch);
    }
    return 0;
}
