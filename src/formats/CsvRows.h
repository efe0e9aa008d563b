#pragma once

// The rows of a CSV source file under the rules every source of the titles and of the shop
// directory keeps: each named column present, every field valid UTF-8 without control
// characters, line separators or bidirectional controls, and numbers, flags and required
// fields checked with messages that name the file, the line and the column.

#include "formats/Csv.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::formats {

class CsvRows {
public:
    // On failure `*error` says why and ok() is false; `error` must outlive the reader.
    CsvRows(const QString& path, std::vector<std::string> columns, QString* error);

    bool ok() const { return m_ok; }
    // The next row, its fields checked as text; false at the end or on an error.
    bool next();
    std::string_view operator[](size_t i) const { return m_csv.field(i); }
    qint64 rows() const { return m_rows; }
    QString column(size_t i) const { return QString::fromStdString(m_columns[i]); }

    // Each returns false with "FILE:LINE: reason" in the error once the row is refused.
    bool fail(const QString& reason);
    bool required(size_t i);
    // A decimal number from 0 to `max` (digits only).
    bool number(size_t i, uint64_t max, uint64_t& out);
    // "0" or "1".
    bool flag(size_t i, bool& out);
    // Refuses a field of the column longer than `bytes` as soon as it passes the limit.
    void limit(size_t i, size_t bytes) { m_csv.setFieldLimit(i, bytes); }

private:
    CsvReader m_csv;
    std::vector<std::string> m_columns;
    QString* m_error;
    bool m_ok = false;
    qint64 m_rows = 0;
};

} // namespace kv::formats
