#pragma once

// RFC 4180 CSV over a memory-mapped file: a header line, fields separated by commas,
// quoted fields with doubled quotes inside, LF or CRLF line ends, an optional UTF-8 byte
// order mark. Blank lines are skipped.

#include <QString>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QFile;

namespace kv::title {

class CsvReader {
public:
    CsvReader();
    ~CsvReader();

    // Opens the file and reads the header; every name in `required` must be a column.
    bool open(const QString& path, const std::vector<std::string>& required);
    // For tests: parses text in memory.
    bool openText(const QString& name, std::string text, const std::vector<std::string>& required);

    // The next record; false at the end or on an error (then error() is set).
    bool next();
    // Field of the current record by column name given to open() (index into `required`).
    std::string_view field(size_t requiredIndex) const {
        return m_fields[m_columns[requiredIndex]];
    }
    // Line number where the current record starts (1 = header).
    qint64 line() const { return m_line; }
    // "FILE:LINE: reason" for the current record.
    QString where(const QString& reason) const;
    QString error() const { return m_error; }
    qint64 bytes() const { return qint64(m_size); }

private:
    bool start(const std::vector<std::string>& required);
    bool parseRecord(std::vector<std::string_view>& out);

    QString m_name;
    std::unique_ptr<QFile> m_file;
    std::string m_text;
    const char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    qint64 m_nextLine = 1;
    qint64 m_line = 0;
    std::vector<std::string_view> m_fields;
    std::vector<size_t> m_columns;
    size_t m_columnCount = 0;
    std::deque<std::string> m_unquoted; // stable: views point into it
    size_t m_unquotedUsed = 0;
    QString m_error;
};

// Quotes a field for writing when it needs it.
std::string csvField(std::string_view s);

} // namespace kv::title
