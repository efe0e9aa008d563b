// Reads one XML file with each parser we could build the importer on and prints MB/s of
// XML per parser, each counting elements so none can skip the work:
//   records      our record reader (titles/import/XmlRecords), whole records as trees
//   textreader   libxml2's xmlTextReader (what xmllint --stream uses)
//   sax          libxml2's SAX2 push parser
//   qxml         Qt's QXmlStreamReader
//
//   bench_xml_parsers FILE [PARSER...]

#include "titles/import/DumpInput.h"
#include "titles/import/XmlRecords.h"

#include <QFile>
#include <QXmlStreamReader>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/xmlreader.h>
#include <string>

namespace {

uint64_t records(const char* path) {
    kv::titleimport::DumpInput in;
    if (!in.open(QString::fromLocal8Bit(path))) return 0;
    kv::titleimport::XmlRecordReader r(in);
    if (!r.start()) return 0;
    uint64_t elements = 0;
    for (;;) {
        const auto n = r.next();
        if (n != kv::titleimport::XmlRecordReader::Next::Record) break;
        // Walk the tree as a consumer does.
        std::vector<const kv::titleimport::XmlNode*> stack{&r.record().root()};
        while (!stack.empty()) {
            const auto* node = stack.back();
            stack.pop_back();
            ++elements;
            for (auto* c = r.record().firstChild(*node); c; c = r.record().nextSibling(*c))
                stack.push_back(c);
        }
    }
    return elements + 1;
}

uint64_t textReader(const char* path) {
    xmlTextReaderPtr r = xmlReaderForFile(path, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    uint64_t elements = 0;
    while (xmlTextReaderRead(r) == 1)
        if (xmlTextReaderNodeType(r) == XML_READER_TYPE_ELEMENT) ++elements;
    xmlFreeTextReader(r);
    return elements;
}

uint64_t g_saxElements = 0;
void saxStart(void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
              const xmlChar**) {
    ++g_saxElements;
}

uint64_t sax(const char* path) {
    xmlSAXHandler h;
    std::memset(&h, 0, sizeof h);
    h.initialized = XML_SAX2_MAGIC;
    h.startElementNs = saxStart;
    g_saxElements = 0;
    std::FILE* f = std::fopen(path, "rb");
    std::string buf(1 << 20, '\0');
    size_t n = std::fread(buf.data(), 1, 4, f);
    xmlParserCtxtPtr c = xmlCreatePushParserCtxt(&h, nullptr, buf.data(), int(n), path);
    xmlCtxtUseOptions(c, XML_PARSE_NONET | XML_PARSE_HUGE);
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0)
        if (xmlParseChunk(c, buf.data(), int(n), 0)) break;
    xmlParseChunk(c, nullptr, 0, 1);
    xmlFreeParserCtxt(c);
    std::fclose(f);
    return g_saxElements;
}

uint64_t qxml(const char* path) {
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    QXmlStreamReader x(&f);
    uint64_t elements = 0;
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement) ++elements;
    return elements;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_xml_parsers FILE [records|textreader|sax|qxml]...\n");
        return 2;
    }
    QFile f(QString::fromLocal8Bit(argv[1]));
    const double mb = double(f.size()) / 1e6;
    const std::pair<const char*, uint64_t (*)(const char*)> parsers[] = {
        {"records", records}, {"textreader", textReader}, {"sax", sax}, {"qxml", qxml}};
    for (const auto& [name, run] : parsers) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], name) == 0;
        if (!wanted) continue;
        const auto start = std::chrono::steady_clock::now();
        const uint64_t elements = run(argv[1]);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-10s %8.1f MB/s  %llu elements  %.2f s\n", name, mb / s,
                    (unsigned long long)elements, s);
    }
    return 0;
}
