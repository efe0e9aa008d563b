#pragma once

// RFC 4180 CSV over a memory-mapped file: a header line, fields separated by commas,
// quoted fields with doubled quotes inside, LF or CRLF line ends, an optional UTF-8 byte
// order mark. Blank lines are skipped. Only regular files are read (and Qt resources, which
// are read into memory); a file cut short while it is read is reported, never a crash.

#include <QString>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv::formats {

class MappedFile;

class CsvReader {
public:
    CsvReader();
    ~CsvReader();

    // Opens the file and reads the header; every name in `required` must be a column.
    bool open(const QString& path, const std::vector<std::string>& required);
    // Parses text in memory; `name` stands for the file in messages.
    bool openText(const QString& name, std::string text, const std::vector<std::string>& required);

    // Refuses a record as soon as its field in the required column `requiredIndex` passes
    // `bytes`, before the rest of the field is read.
    void setFieldLimit(size_t requiredIndex, size_t bytes);

    // The next record; false at the end or on an error (then error() is set).
    bool next();
    // Field of the current record by column name given to open() (index into `required`).
    std::string_view field(size_t requiredIndex) const {
        return m_fields[m_columns[requiredIndex]];
    }
    const std::string& columnName(size_t requiredIndex) const { return m_required[requiredIndex]; }
    // The header's column names, in file order.
    const std::vector<std::string>& header() const { return m_header; }
    // Line number where the current record starts (1 = header).
    qint64 line() const { return m_line; }
    // "FILE:LINE: reason" for the current record.
    QString where(const QString& reason) const;
    QString error() const { return m_error; }
    // Sets the error to "FILE:LINE: reason" for the current record (or to the cut-short
    // message when the file lost pages) and returns false.
    bool fail(const QString& reason);
    qint64 bytes() const { return qint64(m_size); }

private:
    bool start(const std::vector<std::string>& required);
    bool parseRecord(std::vector<std::string_view>& out);
    bool parseQuoted(std::vector<std::string_view>& out, size_t limit);
    bool parseUnquoted(std::vector<std::string_view>& out, size_t limit);
    bool tooLong(const std::vector<std::string_view>& out);
    // Replaces the error with the real cause when the file lost pages while it was read.
    bool failed();

    QString m_name;
    std::unique_ptr<MappedFile> m_file;
    std::string m_text;
    const char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    qint64 m_nextLine = 1;
    qint64 m_line = 0;
    std::vector<std::string> m_required;
    std::vector<std::string> m_header;
    std::vector<std::string_view> m_fields;
    std::vector<size_t> m_columns;
    std::vector<size_t> m_limits; // per column of the file
    size_t m_columnCount = 0;
    std::deque<std::string> m_unquoted; // stable: views point into it
    size_t m_unquotedUsed = 0;
    QString m_error;
};

// Quotes a field for writing when it needs it.
std::string csvField(std::string_view s);

} // namespace kv::formats
