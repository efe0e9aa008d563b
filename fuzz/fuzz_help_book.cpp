// libFuzzer target for the help book reader: any bytes, with the checksum made right so that
// the directory and the map are reached, then every page read.

#include "settings/HelpBook.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.size() >= 16) {
        const quint32 crc = kv::HelpBook::crc32(bytes.constData() + 16, bytes.size() - 16);
        for (int i = 0; i < 4; ++i)
            bytes[12 + i] = char(crc >> (8 * i));
    }
    kv::HelpBook book;
    if (!book.load(bytes)) return 0;
    (void)book.title();
    (void)book.pageHtml(book.contentsPage());
    for (const QString& page : book.pages()) {
        (void)book.pageTitle(page);
        (void)book.pageHtml(page);
    }
    for (int context : book.contexts())
        (void)book.entry(book.pageForContext(context));
    return 0;
}
