#include "settings/HelpBook.h"

#include "formats/Files.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <array>

namespace kv {

namespace {

constexpr char kMagic[8] = {'K', 'V', 'H', 'E', 'L', 'P', '0', '1'};
constexpr qsizetype kHeaderSize = 16;

quint32 readU32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 readU16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}

void putU32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

void putU16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

bool validName(const QByteArray& name) {
    if (name.isEmpty() || name.size() > 255) return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

bool isPageName(const QString& name) {
    return name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

bool decodeUtf8(const QByteArray& bytes, QString& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

quint32 HelpBook::crc32(const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray HelpBook::pack(const QList<Entry>& entries) {
    qsizetype directorySize = 0;
    for (const Entry& e : entries)
        directorySize += 2 + e.first.toLatin1().size() + 8;
    QByteArray out(kMagic, sizeof kMagic);
    putU32(out, quint32(entries.size()));
    putU32(out, 0); // the CRC, filled in last
    quint32 offset = quint32(kHeaderSize + directorySize);
    for (const Entry& e : entries) {
        const QByteArray name = e.first.toLatin1();
        putU16(out, quint16(name.size()));
        out.append(name);
        putU32(out, offset);
        putU32(out, quint32(e.second.size()));
        offset += quint32(e.second.size());
    }
    for (const Entry& e : entries)
        out.append(e.second);
    const quint32 crc = crc32(out.constData() + kHeaderSize, out.size() - kHeaderSize);
    for (int i = 0; i < 4; ++i)
        out[12 + i] = char((crc >> (8 * i)) & 0xFF);
    return out;
}

void HelpBook::clear() {
    m_path.clear();
    m_title.clear();
    m_contents.clear();
    m_entries.clear();
    m_index.clear();
    m_contexts.clear();
}

bool HelpBook::fail(QString* error, const QString& why) {
    clear();
    if (error) *error = why;
    return false;
}

bool HelpBook::open(const QString& path, QString* error) {
    clear();
    if (!QFileInfo::exists(path)) return fail(error, QStringLiteral("the file does not exist"));
    QByteArray bytes;
    QString why;
    // A regular file only: a FIFO in the book's place would block the program for ever.
    if (!formats::readRegularFile(path, kMaxFileSize, &bytes, &why)) {
        if (why.startsWith(QLatin1String("larger than")))
            return fail(error, QStringLiteral("the file is too large to be a help book"));
        return fail(error, QStringLiteral("the file cannot be read (%1)").arg(why));
    }
    if (!load(bytes, error)) return false;
    m_path = path;
    return true;
}

bool HelpBook::load(const QByteArray& bytes, QString* error) {
    clear();
    const qsizetype size = bytes.size();
    const char* data = bytes.constData();
    if (size > kMaxFileSize)
        return fail(error, QStringLiteral("the file is too large to be a help book"));
    if (size < kHeaderSize || memcmp(data, kMagic, sizeof kMagic) != 0)
        return fail(error, QStringLiteral("the file is not a Korvanda help book"));
    const quint32 count = readU32(data + 8);
    if (count < 1 || count > quint32(kMaxEntries))
        return fail(error, QStringLiteral("the help book's directory is damaged"));
    if (readU32(data + 12) != crc32(data + kHeaderSize, size - kHeaderSize))
        return fail(error,
                    QStringLiteral("the help book is damaged (its checksum does not match)"));

    struct Span {
        QString name;
        qint64 offset, length;
    };
    QList<Span> spans;
    qsizetype pos = kHeaderSize;
    for (quint32 i = 0; i < count; ++i) {
        if (size - pos < 2)
            return fail(error, QStringLiteral("the help book's directory is cut short"));
        const quint16 nameLength = readU16(data + pos);
        pos += 2;
        if (size - pos < qsizetype(nameLength) + 8)
            return fail(error, QStringLiteral("the help book's directory is cut short"));
        const QByteArray name(data + pos, nameLength);
        pos += nameLength;
        if (!validName(name))
            return fail(error, QStringLiteral("the help book holds an entry with a bad name"));
        spans.push_back({QString::fromLatin1(name), qint64(readU32(data + pos)),
                         qint64(readU32(data + pos + 4))});
        pos += 8;
    }
    const qint64 directoryEnd = pos;
    for (const Span& s : spans) {
        if (s.offset < directoryEnd || s.offset > size || s.length > size - s.offset)
            return fail(error,
                        QStringLiteral("the entry \"%1\" lies outside the help book").arg(s.name));
        const QString key = s.name.toLower();
        if (m_index.contains(key))
            return fail(error, QStringLiteral("the entry \"%1\" appears twice").arg(s.name));
        m_index.insert(key, int(m_entries.size()));
        m_entries.push_back({s.name, bytes.mid(s.offset, s.length)});
    }
    for (const Entry& e : m_entries) {
        QString text;
        if (isPageName(e.first) && !decodeUtf8(e.second, text))
            return fail(error, QStringLiteral("the page \"%1\" is not valid text").arg(e.first));
    }
    if (!hasEntry(QStringLiteral("book.map")))
        return fail(error, QStringLiteral("the help book has no map"));
    return readMap(entry(QStringLiteral("book.map")), error);
}

bool HelpBook::readMap(const QByteArray& map, QString* error) {
    QString text;
    if (!decodeUtf8(map, text))
        return fail(error, QStringLiteral("the help book's map is not valid text"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QString where = QStringLiteral(" (map line %1)").arg(n + 1);
        const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")));
        const QString& keyword = words[0];
        if (keyword == QLatin1String("title")) {
            m_title = line.mid(keyword.size()).trimmed();
        } else if (keyword == QLatin1String("contents")) {
            if (words.size() != 2 || !hasEntry(words[1]) || !isPageName(words[1]))
                return fail(error, QStringLiteral("the contents page is missing") + where);
            m_contents = words[1];
        } else if (keyword == QLatin1String("context")) {
            bool ok = false;
            const qint64 number = words.size() == 3 ? words[1].toLongLong(&ok) : -1;
            if (!ok || number < 0 || number > 2147483647)
                return fail(error, QStringLiteral("a context number is malformed") + where);
            if (m_contexts.contains(int(number)))
                return fail(error, QStringLiteral("context %1 is given twice").arg(number) + where);
            if (!hasEntry(words[2]) || !isPageName(words[2]))
                return fail(error, QStringLiteral("the page of context %1 is missing").arg(number) +
                                       where);
            m_contexts.insert(int(number), words[2]);
        }
    }
    if (m_contents.isEmpty())
        return fail(error, QStringLiteral("the help book names no contents page"));
    return true;
}

QString HelpBook::pageForContext(qint64 contextNumber) const {
    if (contextNumber < 0 || contextNumber > 2147483647) return QString();
    return m_contexts.value(int(contextNumber));
}

QStringList HelpBook::pages() const {
    QStringList list;
    for (const Entry& e : m_entries)
        if (isPageName(e.first)) list << e.first;
    return list;
}

QString HelpBook::pageTitle(const QString& page) const {
    static const QRegularExpression titleTag(QStringLiteral("<title>(.*?)</title>"),
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = titleTag.match(pageHtml(page));
    if (!m.hasMatch()) return page;
    QString title = m.captured(1);
    title.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    title.replace(QLatin1String("&lt;"), QLatin1String("<"));
    title.replace(QLatin1String("&gt;"), QLatin1String(">"));
    title.replace(QLatin1String("&quot;"), QLatin1String("\""));
    title.replace(QLatin1String("&#39;"), QLatin1String("'"));
    title.replace(QLatin1String("&amp;"), QLatin1String("&"));
    title = title.simplified();
    return title.isEmpty() ? page : title;
}

bool HelpBook::hasEntry(const QString& name) const {
    return m_index.contains(name.toLower());
}

QByteArray HelpBook::entry(const QString& name) const {
    const auto it = m_index.constFind(name.toLower());
    return it == m_index.constEnd() ? QByteArray() : m_entries[*it].second;
}

QString HelpBook::pageHtml(const QString& page) const {
    return QString::fromUtf8(entry(page));
}

} // namespace kv
