#pragma once

// Helpers of the importer's tests: dump text in memory or in files, gzip'd with zlib.

#include "titles/import/DumpInput.h"
#include "titles/import/XmlRecords.h"

#include <QFile>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

namespace kv::test {

inline std::string gzipped(const std::string& text, int level = 6) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, uLong(text.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::string readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

inline void writeAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes.data(), qint64(bytes.size()));
}

inline QString fixture(const char* name) {
    return QStringLiteral(KV_SOURCE_DIR "/tests/import/fixtures/") + QString::fromLatin1(name);
}

} // namespace kv::test

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
