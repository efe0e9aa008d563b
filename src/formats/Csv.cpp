#include "titles/engine/Csv.h"

#include "titles/engine/Fold.h"

#include <QFile>

namespace kv::title {

CsvReader::CsvReader() = default;
CsvReader::~CsvReader() = default;

bool CsvReader::open(const QString& path, const std::vector<std::string>& required) {
    m_name = path;
    m_file = std::make_unique<QFile>(path);
    if (!m_file->open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: cannot open: %2").arg(path, m_file->errorString());
        return false;
    }
    m_size = size_t(m_file->size());
    if (m_size > 0) {
        m_data = reinterpret_cast<const char*>(m_file->map(0, qint64(m_size)));
        if (!m_data) {
            m_error = QStringLiteral("%1: cannot read: %2").arg(path, m_file->errorString());
            return false;
        }
    }
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

QString CsvReader::where(const QString& reason) const {
    return QStringLiteral("%1:%2: %3").arg(m_name).arg(m_line).arg(reason);
}

bool CsvReader::start(const std::vector<std::string>& required) {
    if (m_size >= 3 && std::string_view(m_data, 3) == "\xEF\xBB\xBF") m_pos = 3;
    std::vector<std::string_view> header;
    m_line = m_nextLine;
    if (!parseRecord(header)) {
        if (m_error.isEmpty()) m_error = where(QStringLiteral("no header line"));
        return false;
    }
    std::vector<std::string> names(header.begin(), header.end());
    m_columnCount = names.size();
    for (const std::string& r : required) {
        size_t i = 0;
        while (i < names.size() && names[i] != r)
            ++i;
        if (i == names.size()) {
            m_error = where(
                QStringLiteral("the header has no column \"%1\"").arg(QString::fromStdString(r)));
            return false;
        }
        m_columns.push_back(i);
    }
    return true;
}

bool CsvReader::next() {
    for (;;) {
        m_line = m_nextLine;
        if (m_pos >= m_size) return false;
        // Blank lines carry no record.
        if (m_data[m_pos] == '\n' ||
            (m_data[m_pos] == '\r' && m_pos + 1 < m_size && m_data[m_pos + 1] == '\n')) {
            m_pos += m_data[m_pos] == '\n' ? 1 : 2;
            ++m_nextLine;
            continue;
        }
        if (!parseRecord(m_fields)) return false;
        if (m_fields.size() != m_columnCount) {
            m_error = where(QStringLiteral("%1 fields where the header has %2")
                                .arg(m_fields.size())
                                .arg(m_columnCount));
            return false;
        }
        for (std::string_view f : m_fields)
            if (!isValidUtf8(f)) {
                m_error = where(QStringLiteral("the text is not valid UTF-8"));
                return false;
            }
        return true;
    }
}

bool CsvReader::parseRecord(std::vector<std::string_view>& out) {
    out.clear();
    m_unquotedUsed = 0;
    if (m_pos >= m_size) return false;
    for (;;) {
        if (m_pos < m_size && m_data[m_pos] == '"') {
            // Quoted field: the view points into the file unless a doubled quote forces a
            // copy.
            size_t p = ++m_pos;
            std::string* copy = nullptr;
            size_t runStart = p;
            for (;;) {
                if (p >= m_size) {
                    m_error = where(QStringLiteral("a quoted field is not closed"));
                    return false;
                }
                const char c = m_data[p];
                if (c == '\n') ++m_nextLine;
                if (c != '"') {
                    ++p;
                    continue;
                }
                if (p + 1 < m_size && m_data[p + 1] == '"') {
                    if (!copy) {
                        if (m_unquotedUsed == m_unquoted.size()) m_unquoted.emplace_back();
                        copy = &m_unquoted[m_unquotedUsed++];
                        copy->clear();
                    }
                    copy->append(m_data + runStart, p + 1 - runStart);
                    p += 2;
                    runStart = p;
                    continue;
                }
                break;
            }
            if (copy) {
                copy->append(m_data + runStart, p - runStart);
                out.emplace_back(*copy);
            } else {
                out.emplace_back(m_data + runStart, p - runStart);
            }
            m_pos = p + 1;
        } else {
            size_t p = m_pos;
            while (p < m_size && m_data[p] != ',' && m_data[p] != '\n' && m_data[p] != '\r') {
                if (m_data[p] == '"') {
                    m_error = where(QStringLiteral("a quote inside an unquoted field"));
                    return false;
                }
                ++p;
            }
            out.emplace_back(m_data + m_pos, p - m_pos);
            m_pos = p;
        }
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

} // namespace kv::title
