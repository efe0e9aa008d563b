#include "formats/CsvRows.h"

#include "formats/TextRules.h"

#include <charconv>

namespace kv::formats {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool parseNumber(std::string_view s, uint64_t max, uint64_t& out) {
    if (s.empty() || s.size() > 19) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && out <= max;
}

} // namespace

CsvRows::CsvRows(const QString& path, std::vector<std::string> columns, QString* error)
    : m_columns(std::move(columns)), m_error(error) {
    m_ok = m_csv.open(path, m_columns);
    if (!m_ok) *m_error = m_csv.error();
}

bool CsvRows::next() {
    if (!m_ok) return false;
    if (m_csv.next()) {
        ++m_rows;
        for (size_t i = 0; i < m_columns.size(); ++i)
            if (const auto problem = textProblem(m_csv.field(i))) {
                const QString code =
                    QString::number(uint(problem->codePoint), 16).toUpper().rightJustified(4, u'0');
                return fail(QStringLiteral("%1 contains %2 (U+%3)")
                                .arg(column(i), QLatin1String(describe(problem->kind)), code));
            }
        return true;
    }
    if (!m_csv.error().isEmpty()) {
        *m_error = m_csv.error();
        m_ok = false;
    }
    return false;
}

bool CsvRows::fail(const QString& reason) {
    m_csv.fail(reason);
    *m_error = m_csv.error();
    m_ok = false;
    return false;
}

bool CsvRows::required(size_t i) {
    if (!m_csv.field(i).empty()) return true;
    return fail(QStringLiteral("%1 is empty").arg(column(i)));
}

bool CsvRows::number(size_t i, uint64_t max, uint64_t& out) {
    if (parseNumber(m_csv.field(i), max, out)) return true;
    return fail(QStringLiteral("%1 \"%2\" is not a number from 0 to %3")
                    .arg(column(i), qs(m_csv.field(i)))
                    .arg(max));
}

bool CsvRows::flag(size_t i, bool& out) {
    const std::string_view v = m_csv.field(i);
    if (v == "0" || v == "1") {
        out = v == "1";
        return true;
    }
    return fail(QStringLiteral("%1 must be 0 or 1, not \"%2\"").arg(column(i), qs(v)));
}

} // namespace kv::formats
