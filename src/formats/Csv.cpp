#include "formats/Csv.h"

#include "formats/Files.h"
#include "formats/TextRules.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace kv::formats {

CsvReader::CsvReader() = default;
CsvReader::~CsvReader() = default;

bool CsvReader::open(const QString& path, const std::vector<std::string>& required) {
    m_name = path;
    if (path.startsWith(u':')) {
        // A Qt resource: built into the program, small, never a special file.
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("%1: cannot open: %2").arg(path, resource.errorString());
            return false;
        }
        return openText(path, resource.readAll().toStdString(), required);
    }
    m_file = std::make_unique<MappedFile>();
    QString why;
    if (!m_file->open(path, &why)) {
        m_error = QStringLiteral("%1: cannot open: %2").arg(path, why);
        return false;
    }
    m_data = reinterpret_cast<const char*>(m_file->data());
    m_size = size_t(m_file->size());
    return start(required);
}

bool CsvReader::openText(const QString& name, std::string text,
                         const std::vector<std::string>& required) {
    m_name = name;
    m_text = std::move(text);
    m_data = m_text.data();
    m_size = m_text.size();
    return start(required);
}

void CsvReader::setFieldLimit(size_t requiredIndex, size_t bytes) {
    if (requiredIndex < m_columns.size()) m_limits[m_columns[requiredIndex]] = bytes;
}

QString CsvReader::where(const QString& reason) const {
    return QStringLiteral("%1:%2: %3").arg(m_name).arg(m_line).arg(reason);
}

bool CsvReader::fail(const QString& reason) {
    m_error = where(reason);
    return failed();
}

bool CsvReader::failed() {
    // Zeros read in place of the lost pages make bogus errors, or none at all.
    if (m_file && m_file->cutShort())
        m_error = QStringLiteral("%1: the file was cut short while it was read").arg(m_name);
    return false;
}

bool CsvReader::start(const std::vector<std::string>& required) {
    if (m_size >= 3 && std::string_view(m_data, 3) == "\xEF\xBB\xBF") m_pos = 3;
    std::vector<std::string_view> header;
    m_line = m_nextLine;
    if (!parseRecord(header)) {
        if (m_error.isEmpty()) m_error = where(QStringLiteral("no header line"));
        return failed();
    }
    m_header.assign(header.begin(), header.end());
    m_columnCount = m_header.size();
    m_limits.assign(m_columnCount, SIZE_MAX);
    m_required = required;
    for (const std::string& r : required) {
        const auto i = size_t(std::find(m_header.begin(), m_header.end(), r) - m_header.begin());
        if (i == m_header.size())
            return fail(
                QStringLiteral("the header has no column \"%1\"").arg(QString::fromStdString(r)));
        m_columns.push_back(i);
    }
    return true;
}

bool CsvReader::next() {
    for (;;) {
        m_line = m_nextLine;
        if (m_pos >= m_size) return failed();
        // Blank lines carry no record.
        if (m_data[m_pos] == '\n' ||
            (m_data[m_pos] == '\r' && m_pos + 1 < m_size && m_data[m_pos + 1] == '\n')) {
            m_pos += m_data[m_pos] == '\n' ? 1 : 2;
            ++m_nextLine;
            continue;
        }
        if (!parseRecord(m_fields)) return failed();
        if (m_fields.size() != m_columnCount)
            return fail(QStringLiteral("%1 fields where the header has %2")
                            .arg(m_fields.size())
                            .arg(m_columnCount));
        for (std::string_view f : m_fields)
            if (!isValidUtf8(f)) return fail(QStringLiteral("the text is not valid UTF-8"));
        return true;
    }
}

bool CsvReader::tooLong(const std::vector<std::string_view>& out) {
    const size_t column = out.size();
    m_error = where(QStringLiteral("%1 is longer than %2 bytes")
                        .arg(QString::fromStdString(m_header[column]))
                        .arg(m_limits[column]));
    return false;
}

bool CsvReader::parseQuoted(std::vector<std::string_view>& out, size_t limit) {
    // The view points into the file unless a doubled quote forces a copy. The scan for the
    // next quote stops where the field would pass its limit.
    size_t p = ++m_pos;
    std::string* copy = nullptr;
    size_t runStart = p;
    for (;;) {
        const size_t have = copy ? copy->size() : 0;
        const size_t room = limit - have;
        const size_t scanEnd = m_size - runStart > room ? runStart + room + 1 : m_size;
        const auto* q = static_cast<const char*>(std::memchr(m_data + p, '"', scanEnd - p));
        const size_t at = q ? size_t(q - m_data) : scanEnd;
        m_nextLine += std::count(m_data + p, m_data + at, '\n');
        if (!q) {
            if (scanEnd < m_size) return tooLong(out);
            m_error = where(QStringLiteral("a quoted field is not closed"));
            return false;
        }
        if (at + 1 < m_size && m_data[at + 1] == '"') {
            if (!copy) {
                if (m_unquotedUsed == m_unquoted.size()) m_unquoted.emplace_back();
                copy = &m_unquoted[m_unquotedUsed++];
                copy->clear();
            }
            copy->append(m_data + runStart, at + 1 - runStart);
            if (copy->size() > limit) return tooLong(out);
            p = runStart = at + 2;
            continue;
        }
        if (copy) {
            copy->append(m_data + runStart, at - runStart);
            out.emplace_back(*copy);
        } else {
            out.emplace_back(m_data + runStart, at - runStart);
        }
        m_pos = at + 1;
        return true;
    }
}

bool CsvReader::parseUnquoted(std::vector<std::string_view>& out, size_t limit) {
    const size_t end = m_size - m_pos > limit ? m_pos + limit + 1 : m_size;
    size_t p = m_pos;
    while (p < end && m_data[p] != ',' && m_data[p] != '\n' && m_data[p] != '\r') {
        if (m_data[p] == '"') {
            m_error = where(QStringLiteral("a quote inside an unquoted field"));
            return false;
        }
        ++p;
    }
    if (p - m_pos > limit) return tooLong(out);
    out.emplace_back(m_data + m_pos, p - m_pos);
    m_pos = p;
    return true;
}

bool CsvReader::parseRecord(std::vector<std::string_view>& out) {
    out.clear();
    m_unquotedUsed = 0;
    if (m_pos >= m_size) return false;
    for (;;) {
        const size_t limit = out.size() < m_limits.size() ? m_limits[out.size()] : SIZE_MAX;
        const bool ok = m_pos < m_size && m_data[m_pos] == '"' ? parseQuoted(out, limit)
                                                               : parseUnquoted(out, limit);
        if (!ok) return false;
        if (m_pos >= m_size) return true;
        const char c = m_data[m_pos];
        if (c == ',') {
            ++m_pos;
            continue;
        }
        if (c == '\n') {
            ++m_pos;
            ++m_nextLine;
            return true;
        }
        if (c == '\r' && m_pos + 1 < m_size && m_data[m_pos + 1] == '\n') {
            m_pos += 2;
            ++m_nextLine;
            return true;
        }
        m_error = where(QStringLiteral("unexpected character after a field"));
        return false;
    }
}

std::string csvField(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(s);
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace kv::formats
