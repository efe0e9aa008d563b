#pragma once

// Reads a data dump shaped as one root element holding many records (`<releases>` of
// `<release>`), one record at a time. Each record is parsed whole into a small tree that
// lives until the next one, so memory stays flat however long the file is.
//
// A record that is not well-formed XML is skipped: the reader moves on to the end tag of the
// record and reports it as Malformed, so one bad record never costs the rest of the file.
// A file that ends before its root element does is an error naming the byte offset.
//
// The XML accepted is what the dumps are written in: UTF-8, the five predefined entities and
// character references, comments, processing instructions, CDATA sections, a document type
// declaration (skipped; entities it would declare are not expanded). Control characters
// that XML 1.0 forbids are let through to the caller rather than rejecting the record: the
// dumps have been known to carry them in text.

#include "titles/import/DumpInput.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::titleimport {

struct XmlNode {
    std::string_view name;
    std::string_view text; // the element's own character data, entities decoded
    uint32_t attrBegin = 0, attrEnd = 0;
    int32_t firstChild = -1, nextSibling = -1;
};

struct XmlAttr {
    std::string_view name, value;
};

// One record: node 0 is the record element.
class XmlRecord {
public:
    const XmlNode& root() const { return m_nodes[0]; }
    const XmlNode* firstChild(const XmlNode& n) const {
        return n.firstChild < 0 ? nullptr : &m_nodes[size_t(n.firstChild)];
    }
    const XmlNode* nextSibling(const XmlNode& n) const {
        return n.nextSibling < 0 ? nullptr : &m_nodes[size_t(n.nextSibling)];
    }
    // The first child with this name, or null.
    const XmlNode* child(const XmlNode& n, std::string_view name) const;
    // The text of the first child with this name ("" when there is none).
    std::string_view childText(const XmlNode& n, std::string_view name) const;
    // The value of an attribute ("" when it is not there); `present` says which.
    std::string_view attr(const XmlNode& n, std::string_view name, bool* present = nullptr) const;
    // Calls f(node) for every child with this name, in document order.
    template <class F> void forEach(const XmlNode& n, std::string_view name, F&& f) const {
        for (const XmlNode* c = firstChild(n); c; c = nextSibling(*c))
            if (c->name == name) f(*c);
    }

private:
    friend class XmlRecordReader;
    std::vector<XmlNode> m_nodes;
    std::vector<XmlAttr> m_attrs;
};

class XmlRecordReader {
public:
    // `bufferSize` is where reading starts; a longer record grows the buffer up to
    // `maxRecordBytes`, and a record longer than that is skipped as malformed.
    explicit XmlRecordReader(DumpInput& input, size_t bufferSize = 4 << 20,
                             size_t maxRecordBytes = 64 << 20);

    // Reads up to the root element's start tag.
    bool start();
    std::string_view rootName() const { return m_rootName; }

    enum class Next { Record, Malformed, End, Failed };
    // Record: record() holds it. Malformed: skipped; error() says why, malformedId() gives
    // the record's id attribute when its start tag could be read. End: the root element
    // closed. Failed: the input is unreadable or ends early; error() says where.
    Next next();

    const XmlRecord& record() const { return m_record; }
    QString error() const { return m_error; }
    std::string_view malformedId() const { return m_malformedId; }
    // Offset of the current (or skipped) record in the decompressed data.
    uint64_t recordOffset() const { return m_recordOffset; }
    DumpInput& input() { return m_input; }

private:
    enum class Parse { Done, NeedMore, Bad };
    Parse parseRecord(size_t& pos);
    Parse parseStartTag(size_t& pos, int32_t& node, bool& empty);
    Parse parseEndTag(size_t& pos);
    Parse parseMarkup(size_t& pos);
    bool decodeInto(std::string_view raw, std::string_view& out, bool attribute);
    bool appendText(XmlNode& node, std::string_view raw, bool decode);
    Parse skipMarkup(size_t& pos, std::string_view close);
    Parse skipDoctype(size_t& pos);
    Parse skipBetween(size_t& pos, bool inProlog);
    bool refill();
    bool resync(size_t from, std::string_view name);
    Next failEarlyEnd(const char* where);
    Next fail(const QString& message);
    void noteMalformed(const char* reason, size_t at);

    DumpInput& m_input;
    std::vector<char> m_buf;
    size_t m_begin = 0, m_end = 0;
    uint64_t m_bufOffset = 0; // decompressed offset of m_buf[0]
    bool m_eof = false;
    bool m_failed = false;
    size_t m_maxRecord;
    std::string m_rootName;
    std::string m_recordName; // of the first good record: where to resync when a name is lost
    bool m_rootClosed = false;
    XmlRecord m_record;
    std::vector<char> m_arena; // decoded text of the current record; never reallocated while in use
    size_t m_arenaUsed = 0;
    std::vector<int32_t> m_stack;
    std::vector<int32_t> m_lastChild;
    QString m_error;
    std::string m_malformedId;
    const char* m_badReason = nullptr;
    size_t m_badAt = 0;
    uint64_t m_recordOffset = 0;
};

} // namespace kv::titleimport
