#include "titles/import/XmlRecords.h"

#include <algorithm>
#include <cstring>

namespace kv::titleimport {

namespace {

constexpr size_t kMaxDepth = 256;

inline bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

inline bool endsName(char c) {
    return isSpace(c) || c == '>' || c == '/' || c == '=';
}

bool onlySpace(std::string_view s) {
    for (char c : s)
        if (!isSpace(c)) return false;
    return true;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Appends the UTF-8 form of a character reference's code point; false when XML forbids it.
bool putCodePoint(uint32_t cp, char*& out) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
        return false;
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return true;
}

// The entity between '&' and ';' (both excluded); false when it is not one XML defines
// without a document type.
bool decodeEntity(std::string_view e, char*& out) {
    if (e == "amp")
        *out++ = '&';
    else if (e == "lt")
        *out++ = '<';
    else if (e == "gt")
        *out++ = '>';
    else if (e == "quot")
        *out++ = '"';
    else if (e == "apos")
        *out++ = '\'';
    else if (e.size() >= 2 && e[0] == '#') {
        const bool hex = e[1] == 'x';
        std::string_view digits = e.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return false;
        uint32_t cp = 0;
        for (char c : digits) {
            uint32_t d;
            if (c >= '0' && c <= '9')
                d = uint32_t(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                d = uint32_t(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                d = uint32_t(c - 'A' + 10);
            else
                return false;
            cp = cp * (hex ? 16 : 10) + d;
        }
        return putCodePoint(cp, out);
    } else {
        return false;
    }
    return true;
}

} // namespace

const XmlNode* XmlRecord::child(const XmlNode& n, std::string_view name) const {
    for (const XmlNode* c = firstChild(n); c; c = nextSibling(*c))
        if (c->name == name) return c;
    return nullptr;
}

std::string_view XmlRecord::childText(const XmlNode& n, std::string_view name) const {
    const XmlNode* c = child(n, name);
    return c ? c->text : std::string_view();
}

std::string_view XmlRecord::attr(const XmlNode& n, std::string_view name, bool* present) const {
    for (uint32_t i = n.attrBegin; i < n.attrEnd; ++i)
        if (m_attrs[i].name == name) {
            if (present) *present = true;
            return m_attrs[i].value;
        }
    if (present) *present = false;
    return {};
}

XmlRecordReader::XmlRecordReader(DumpInput& input, size_t bufferSize, size_t maxRecordBytes)
    : m_input(input), m_buf(std::max<size_t>(bufferSize, 64)),
      m_maxRecord(std::max(maxRecordBytes, m_buf.size())) {}

XmlRecordReader::Next XmlRecordReader::fail(const QString& message) {
    m_failed = true;
    m_error = message;
    return Next::Failed;
}

XmlRecordReader::Next XmlRecordReader::failEarlyEnd(const char* where) {
    if (m_failed) return Next::Failed; // the input's own error says more
    return fail(
        QStringLiteral("%1: the XML ends early, at byte %2%3, %4")
            .arg(m_input.name())
            .arg(m_bufOffset + m_end)
            .arg(m_input.compressed() ? QStringLiteral(" of the decompressed data") : QString())
            .arg(QString::fromUtf8(where)));
}

// Keeps the unread bytes, makes room (growing the buffer up to the record limit) and reads
// more. False when nothing more came: the input ended (m_eof), failed (m_failed), or the
// buffer is full at its limit.
bool XmlRecordReader::refill() {
    if (m_begin > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_bufOffset += m_begin;
        m_begin = 0;
    }
    if (m_end == m_buf.size()) {
        if (m_buf.size() >= m_maxRecord) return false;
        m_buf.resize(std::min(m_buf.size() * 2, m_maxRecord));
    }
    if (m_eof || m_failed) return false;
    const int64_t n = m_input.read(m_buf.data() + m_end, m_buf.size() - m_end);
    if (n < 0) {
        m_failed = true;
        m_error = m_input.error();
        return false;
    }
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_end += size_t(n);
    return true;
}

// Skips what may stand outside elements: white space, comments, processing instructions,
// the document type declaration (prolog only) and stray text between records. Leaves `pos`
// at the '<' of the next tag; consumes what it passed.
XmlRecordReader::Parse XmlRecordReader::skipBetween(size_t& pos, bool inProlog) {
    const char* b = m_buf.data();
    for (;;) {
        while (pos < m_end && isSpace(b[pos]))
            ++pos;
        m_begin = pos;
        if (pos == m_end) return Parse::NeedMore;
        if (b[pos] != '<') {
            if (inProlog) {
                m_badReason = "the file is not XML";
                return Parse::Bad;
            }
            const void* lt = std::memchr(b + pos, '<', m_end - pos);
            pos = lt ? size_t(static_cast<const char*>(lt) - b) : m_end;
            continue;
        }
        const std::string_view rest(b + pos, m_end - pos);
        if (rest.size() < 2) return Parse::NeedMore;
        if (rest[1] == '?') {
            const size_t e = rest.find("?>", 2);
            if (e == std::string_view::npos) return Parse::NeedMore;
            const std::string_view pi = rest.substr(0, e);
            if (inProlog && pi.substr(0, 5) == "<?xml") {
                const size_t enc = pi.find("encoding");
                if (enc != std::string_view::npos) {
                    const size_t q = pi.find_first_of("\"'", enc);
                    const size_t q2 = q == std::string_view::npos ? q : pi.find(pi[q], q + 1);
                    if (q2 != std::string_view::npos) {
                        const std::string_view name = pi.substr(q + 1, q2 - q - 1);
                        if (!equalsNoCase(name, "UTF-8") && !equalsNoCase(name, "US-ASCII")) {
                            m_badReason = "the XML is not in UTF-8";
                            return Parse::Bad;
                        }
                    }
                }
            }
            pos += e + 2;
            continue;
        }
        if (rest[1] == '!') {
            if (rest.size() < 4) return Parse::NeedMore;
            if (rest.substr(0, 4) == "<!--") {
                const size_t e = rest.find("-->", 4);
                if (e == std::string_view::npos) return Parse::NeedMore;
                pos += e + 3;
                continue;
            }
            if (inProlog) {
                const Parse p = skipDoctype(pos);
                if (p != Parse::Done) return p;
                continue;
            }
            const size_t e = rest.find('>');
            if (e == std::string_view::npos) return Parse::NeedMore;
            pos += e + 1;
            continue;
        }
        return Parse::Done;
    }
}

// <!DOCTYPE root [ internal subset ]>: skipped whole, brackets and quotes respected.
XmlRecordReader::Parse XmlRecordReader::skipDoctype(size_t& pos) {
    const char* b = m_buf.data();
    int depth = 0;
    char quote = 0;
    for (size_t i = pos + 2; i < m_end; ++i) {
        const char c = b[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            pos = i + 1;
            return Parse::Done;
        }
    }
    return Parse::NeedMore;
}

bool XmlRecordReader::start() {
    while (m_end < 4 && refill()) {
    }
    if (m_failed) return false;
    const std::string_view head(m_buf.data(), m_end);
    if (head.substr(0, 3) == "\xEF\xBB\xBF") m_begin = 3;
    if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
        fail(QStringLiteral("%1: the XML is in UTF-16; the dumps are UTF-8").arg(m_input.name()));
        return false;
    }
    for (;;) {
        size_t pos = m_begin;
        const Parse p = skipBetween(pos, true);
        if (p == Parse::Bad) {
            fail(QStringLiteral("%1: %2").arg(m_input.name(), QString::fromUtf8(m_badReason)));
            return false;
        }
        const char* b = m_buf.data();
        const void* gt = p == Parse::Done ? std::memchr(b + pos, '>', m_end - pos) : nullptr;
        if (!gt) {
            if (refill()) continue;
            if (m_failed) return false;
            if (!m_eof) {
                fail(QStringLiteral("%1: the XML prolog is too long").arg(m_input.name()));
            } else if (m_bufOffset + m_end == 0) {
                fail(QStringLiteral("%1: the file is empty").arg(m_input.name()));
            } else {
                failEarlyEnd(p == Parse::Done ? "inside the root element's start tag"
                                              : "before the root element");
            }
            return false;
        }
        const size_t e = size_t(static_cast<const char*>(gt) - b);
        size_t n = pos + 1;
        while (n < e && !endsName(b[n]))
            ++n;
        m_rootName.assign(b + pos + 1, n - pos - 1);
        if (m_rootName.empty() || m_rootName[0] == '/' || m_rootName[0] == '!') {
            fail(QStringLiteral("%1: the XML has no root element").arg(m_input.name()));
            return false;
        }
        m_begin = e + 1;
        m_rootClosed = b[e - 1] == '/'; // <root/>: no records
        return true;
    }
}

void XmlRecordReader::noteMalformed(const char* reason, size_t at) {
    m_badReason = reason;
    m_badAt = at;
}

bool XmlRecordReader::decodeInto(std::string_view raw, std::string_view& out, bool attribute) {
    if (m_arena.size() - m_arenaUsed < raw.size()) return false;
    char* const begin = m_arena.data() + m_arenaUsed;
    char* w = begin;
    size_t i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '&') {
            const size_t semi = raw.find(';', i + 1);
            if (semi == std::string_view::npos || semi - i > 12) return false;
            if (!decodeEntity(raw.substr(i + 1, semi - i - 1), w)) return false;
            i = semi + 1;
        } else {
            *w++ = attribute && (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
            ++i;
        }
    }
    out = std::string_view(begin, size_t(w - begin));
    m_arenaUsed += out.size();
    return true;
}

// Adds a piece of character data to an element. Pieces after the first (text around a child,
// CDATA next to text) are joined in the arena.
bool XmlRecordReader::appendText(XmlNode& node, std::string_view raw, bool decode) {
    std::string_view piece = raw;
    const bool hasEntity = decode && std::memchr(raw.data(), '&', raw.size()) != nullptr;
    if (hasEntity && !decodeInto(raw, piece, false)) {
        m_badReason = "an unknown or malformed entity";
        return false;
    }
    if (node.text.empty()) {
        node.text = piece;
        return true;
    }
    char* tail = m_arena.data() + m_arenaUsed;
    if (node.text.data() + node.text.size() != tail || piece.data() != tail) {
        // Copy the text so far to the arena's end unless it already ends there.
        if (node.text.data() + node.text.size() != tail) {
            if (m_arena.size() - m_arenaUsed < node.text.size() + piece.size()) {
                m_badReason = "too much text in one record";
                return false;
            }
            std::memmove(tail, node.text.data(), node.text.size());
            node.text = std::string_view(tail, node.text.size());
            m_arenaUsed += node.text.size();
            tail += node.text.size();
        }
        if (piece.data() != tail) {
            if (m_arena.size() - m_arenaUsed < piece.size()) {
                m_badReason = "too much text in one record";
                return false;
            }
            std::memmove(tail, piece.data(), piece.size());
            m_arenaUsed += piece.size();
        }
    }
    node.text = std::string_view(node.text.data(), node.text.size() + piece.size());
    return true;
}

XmlRecordReader::Parse XmlRecordReader::parseStartTag(size_t& pos, int32_t& node, bool& empty) {
    const char* b = m_buf.data();
    size_t p = pos + 1;
    while (p < m_end && !endsName(b[p]))
        ++p;
    if (p == m_end) return Parse::NeedMore;
    if (p == pos + 1) {
        noteMalformed("a tag without a name", pos);
        return Parse::Bad;
    }
    XmlNode n;
    n.name = std::string_view(b + pos + 1, p - pos - 1);
    n.attrBegin = n.attrEnd = uint32_t(m_record.m_attrs.size());
    for (;;) {
        while (p < m_end && isSpace(b[p]))
            ++p;
        if (p == m_end) return Parse::NeedMore;
        if (b[p] == '>') {
            empty = false;
            ++p;
            break;
        }
        if (b[p] == '/') {
            if (p + 1 == m_end) return Parse::NeedMore;
            if (b[p + 1] != '>') {
                noteMalformed("a stray '/' in a tag", p);
                return Parse::Bad;
            }
            empty = true;
            p += 2;
            break;
        }
        const size_t nameStart = p;
        while (p < m_end && !endsName(b[p]))
            ++p;
        if (p == m_end) return Parse::NeedMore;
        const std::string_view name(b + nameStart, p - nameStart);
        while (p < m_end && isSpace(b[p]))
            ++p;
        if (p == m_end) return Parse::NeedMore;
        if (name.empty() || b[p] != '=') {
            noteMalformed("an attribute without a value", p);
            return Parse::Bad;
        }
        ++p;
        while (p < m_end && isSpace(b[p]))
            ++p;
        if (p == m_end) return Parse::NeedMore;
        const char quote = b[p];
        if (quote != '"' && quote != '\'') {
            noteMalformed("an attribute value without quotes", p);
            return Parse::Bad;
        }
        const void* close = std::memchr(b + p + 1, quote, m_end - p - 1);
        if (!close) return Parse::NeedMore;
        const size_t valueEnd = size_t(static_cast<const char*>(close) - b);
        std::string_view value(b + p + 1, valueEnd - p - 1);
        if (value.find('<') != std::string_view::npos) {
            noteMalformed("a '<' inside an attribute value", p);
            return Parse::Bad;
        }
        if (value.find('&') != std::string_view::npos && !decodeInto(value, value, true)) {
            noteMalformed("an unknown or malformed entity", p);
            return Parse::Bad;
        }
        m_record.m_attrs.push_back({name, value});
        p = valueEnd + 1;
        if (p < m_end && !isSpace(b[p]) && b[p] != '>' && b[p] != '/') {
            noteMalformed("attributes without space between them", p);
            return Parse::Bad;
        }
    }
    n.attrEnd = uint32_t(m_record.m_attrs.size());
    node = int32_t(m_record.m_nodes.size());
    m_record.m_nodes.push_back(n);
    pos = p;
    return Parse::Done;
}

// The end tag at `p`, which must close the innermost open element.
XmlRecordReader::Parse XmlRecordReader::parseEndTag(size_t& p) {
    const char* b = m_buf.data();
    const void* gt = std::memchr(b + p + 2, '>', m_end - p - 2);
    if (!gt) return Parse::NeedMore;
    const size_t e = size_t(static_cast<const char*>(gt) - b);
    size_t nameEnd = e;
    while (nameEnd > p + 2 && isSpace(b[nameEnd - 1]))
        --nameEnd;
    const std::string_view name(b + p + 2, nameEnd - p - 2);
    if (name != m_record.m_nodes[size_t(m_stack.back())].name) {
        noteMalformed("an end tag that does not match its start tag", p);
        return Parse::Bad;
    }
    m_stack.pop_back();
    m_lastChild.pop_back();
    p = e + 1;
    return Parse::Done;
}

// A comment, processing instruction or CDATA section at `p` inside a record: CDATA is text
// of the open element, the others are passed over; any other declaration is malformed.
XmlRecordReader::Parse XmlRecordReader::parseMarkup(size_t& p) {
    const std::string_view rest(m_buf.data() + p, m_end - p);
    std::string_view close;
    size_t skip;
    if (rest[1] == '?') {
        close = "?>", skip = 2;
    } else {
        if (rest.size() < 4) return Parse::NeedMore;
        if (rest.substr(0, 4) == "<!--") {
            close = "-->", skip = 4;
        } else {
            if (rest.size() < 9) return Parse::NeedMore;
            if (rest.substr(0, 9) != "<![CDATA[") {
                noteMalformed("a declaration inside a record", p);
                return Parse::Bad;
            }
            const size_t e = rest.find("]]>", 9);
            if (e == std::string_view::npos) return Parse::NeedMore;
            if (!appendText(m_record.m_nodes[size_t(m_stack.back())], rest.substr(9, e - 9),
                            false)) {
                m_badAt = p;
                return Parse::Bad;
            }
            p += e + 3;
            return Parse::Done;
        }
    }
    const size_t e = rest.find(close, skip);
    if (e == std::string_view::npos) return Parse::NeedMore;
    p += e + close.size();
    return Parse::Done;
}

XmlRecordReader::Parse XmlRecordReader::parseRecord(size_t& pos) {
    m_record.m_nodes.clear();
    m_record.m_attrs.clear();
    m_stack.clear();
    m_lastChild.clear();
    m_arenaUsed = 0;
    if (m_arena.size() < m_buf.size() + 64) m_arena.resize(m_buf.size() + 64);

    const char* b = m_buf.data();
    size_t p = pos;
    int32_t node;
    bool empty;
    Parse r = parseStartTag(p, node, empty);
    if (r != Parse::Done) return r;
    if (empty) {
        pos = p;
        return Parse::Done;
    }
    m_stack.push_back(node);
    m_lastChild.push_back(-1);
    while (!m_stack.empty()) {
        const void* lt = std::memchr(b + p, '<', m_end - p);
        if (!lt) return Parse::NeedMore;
        const size_t q = size_t(static_cast<const char*>(lt) - b);
        if (q > p) {
            const std::string_view text(b + p, q - p);
            if (!onlySpace(text) &&
                !appendText(m_record.m_nodes[size_t(m_stack.back())], text, true)) {
                m_badAt = p;
                return Parse::Bad;
            }
        }
        p = q;
        if (p + 1 >= m_end) return Parse::NeedMore;
        const char c = b[p + 1];
        if (c == '/' || c == '!' || c == '?') {
            r = c == '/' ? parseEndTag(p) : parseMarkup(p);
            if (r != Parse::Done) return r;
            continue;
        }
        if (m_stack.size() >= kMaxDepth) {
            noteMalformed("elements nested too deeply", p);
            return Parse::Bad;
        }
        r = parseStartTag(p, node, empty);
        if (r != Parse::Done) return r;
        int32_t& last = m_lastChild.back();
        if (last < 0)
            m_record.m_nodes[size_t(m_stack.back())].firstChild = node;
        else
            m_record.m_nodes[size_t(last)].nextSibling = node;
        last = node;
        if (!empty) {
            m_stack.push_back(node);
            m_lastChild.push_back(-1);
        }
    }
    pos = p;
    return Parse::Done;
}

// Moves past the end tag of the record that failed, or stops at the root's end tag when
// the record never closes before it. False when the input ends or fails first.
bool XmlRecordReader::resync(size_t from, std::string_view name) {
    const std::string root = m_rootName;
    for (;;) {
        const bool sawEnd = m_eof;
        const char* b = m_buf.data();
        size_t p = from;
        while (p < m_end) {
            const void* lt = std::memchr(b + p, '<', m_end - p);
            if (!lt) {
                p = m_end;
                break;
            }
            p = size_t(static_cast<const char*>(lt) - b);
            const size_t need = 2 + std::max(name.size(), root.size()) + 1;
            if (m_end - p < need && !m_eof) break; // look again with more bytes
            const std::string_view rest(b + p, m_end - p);
            auto closes = [&](std::string_view n) {
                return rest.size() > n.size() + 2 && rest[1] == '/' &&
                       rest.substr(2, n.size()) == n &&
                       (rest[2 + n.size()] == '>' || isSpace(rest[2 + n.size()]));
            };
            if (closes(root)) {
                m_begin = p;
                return true;
            }
            if (closes(name)) {
                const void* gt = std::memchr(b + p, '>', m_end - p);
                if (!gt) break;
                m_begin = size_t(static_cast<const char*>(gt) - b) + 1;
                return true;
            }
            ++p;
        }
        m_begin = p;
        if (!refill() && (m_failed || sawEnd || !m_eof)) return false;
        from = m_begin; // more bytes, or the last ones to look at again now the end is known
    }
}

XmlRecordReader::Next XmlRecordReader::next() {
    if (m_failed) return Next::Failed;
    if (m_rootClosed) return Next::End;
    for (;;) {
        size_t pos = m_begin;
        Parse p = skipBetween(pos, false);
        if (p == Parse::NeedMore) {
            if (refill()) continue;
            if (m_failed) return Next::Failed;
            if (m_eof) return failEarlyEnd(("before </" + m_rootName + ">").c_str());
            return fail(
                QStringLiteral("%1: a comment longer than the largest record allowed, at byte %2")
                    .arg(m_input.name())
                    .arg(m_bufOffset + m_begin));
        }
        const char* b = m_buf.data();
        if (m_end - pos < 2) {
            if (refill()) continue;
            if (m_failed) return Next::Failed;
            return failEarlyEnd(("before </" + m_rootName + ">").c_str());
        }
        if (b[pos + 1] == '/') {
            const void* gt = std::memchr(b + pos, '>', m_end - pos);
            if (!gt) {
                if (refill()) continue;
                if (m_failed) return Next::Failed;
                return failEarlyEnd(("inside </" + m_rootName + ">").c_str());
            }
            const size_t e = size_t(static_cast<const char*>(gt) - b);
            std::string_view name(b + pos + 2, e - pos - 2);
            while (!name.empty() && isSpace(name.back()))
                name.remove_suffix(1);
            if (name != m_rootName)
                return fail(
                    QStringLiteral("%1: an end tag </%2> where </%3> was expected, at byte %4")
                        .arg(m_input.name(), QString::fromUtf8(name.data(), qsizetype(name.size())),
                             QString::fromStdString(m_rootName))
                        .arg(m_bufOffset + pos));
            m_begin = e + 1;
            m_rootClosed = true;
            return Next::End;
        }
        m_recordOffset = m_bufOffset + pos;
        m_badReason = nullptr;
        size_t end = pos;
        p = parseRecord(end);
        if (p == Parse::Done) {
            m_begin = end;
            if (m_recordName.empty()) m_recordName.assign(m_record.root().name);
            return Next::Record;
        }
        // What identifies the record, copied now: refilling moves the bytes under its views.
        std::string id, name;
        if (!m_record.m_nodes.empty()) {
            id = m_record.attr(m_record.root(), "id");
            if (id.empty()) id = m_record.childText(m_record.root(), "id");
            name = m_record.root().name;
        }
        if (p == Parse::NeedMore) {
            if (refill()) continue;
            if (m_failed) return Next::Failed;
            if (m_eof)
                return failEarlyEnd(("inside the record that starts at byte " +
                                     std::to_string(m_recordOffset) +
                                     (id.empty() ? std::string() : " (id " + id + ")"))
                                        .c_str());
            noteMalformed("a record longer than the largest allowed", m_end);
            pos = m_begin; // where the record starts now
        }
        // Malformed: skip to its end.
        m_malformedId = id;
        m_error = QString::fromUtf8(m_badReason ? m_badReason : "malformed XML");
        if (name.empty()) name = m_recordName;
        if (name.empty() && m_rootName.size() > 1 && m_rootName.back() == 's')
            name = m_rootName.substr(0, m_rootName.size() - 1);
        if (!resync(std::max(m_badAt, pos + 1), name)) {
            if (m_failed) return Next::Failed;
            return failEarlyEnd(("inside the malformed record that starts at byte " +
                                 std::to_string(m_recordOffset))
                                    .c_str());
        }
        return Next::Malformed;
    }
}

} // namespace kv::titleimport
