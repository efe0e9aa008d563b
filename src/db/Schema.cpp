#include "db/Schema.h"

#include "db/Connection.h"
#include "db/TextRules.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace kv::db {

namespace {

QString columnText(sqlite3_stmt* s, int i) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(s, i)) : QString();
}

// Runs a read-only catalogue query; a damaged catalogue simply yields fewer rows here and
// fails properly when the table itself is read.
template <typename RowFn> void eachRow(sqlite3* db, const QString& sql, RowFn&& fn) {
    sqlite3_stmt* s = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return;
    }
    while (sqlite3_step(s) == SQLITE_ROW)
        fn(s);
    sqlite3_finalize(s);
}

QVariant defaultFromSql(const QString& text) {
    if (text.isEmpty() || text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return QVariant();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) &&
        text.endsWith(QLatin1Char('\''))) {
        QString inner = text.mid(1, text.size() - 2);
        inner.replace(QLatin1String("''"), QLatin1String("'"));
        return inner;
    }
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (ok) return n;
    const double d = text.toDouble(&ok);
    if (ok) return d;
    return QVariant();
}

} // namespace

int TableInfo::fieldIndex(QStringView name) const {
    return m_byName.value(nameKey(name), -1);
}

const IndexInfo* TableInfo::index(QStringView name) const {
    const QString key = nameKey(name);
    for (const auto& i : indexes)
        if (nameKey(i.name) == key) return &i;
    return nullptr;
}

void Schema::typeFromDeclared(const QString& declared, int& type, int& size) {
    const QString t = declared.trimmed().toUpper();
    static const QRegularExpression sized(
        QStringLiteral(R"(^(?:TEXT|VARCHAR|CHAR|NVARCHAR)\s*\(\s*(\d+)\s*\)$)"));
    const auto m = sized.match(t);
    size = 0;
    if (m.hasMatch()) {
        type = dbText;
        size = qBound(1, m.captured(1).toInt(), 255);
        return;
    }
    if (t == u"TEXT" || t == u"VARCHAR" || t == u"CHAR") {
        type = dbText;
        size = 255;
    } else if (t == u"LONGTEXT" || t == u"MEMO") {
        type = dbMemo;
    } else if (t == u"BIT" || t == u"YESNO" || t == u"BOOLEAN" || t == u"LOGICAL") {
        type = dbBoolean;
        size = 1;
    } else if (t == u"BYTE" || t == u"TINYINT") {
        type = dbByte;
        size = 1;
    } else if (t == u"SHORT" || t == u"SMALLINT") {
        type = dbInteger;
        size = 2;
    } else if (t == u"LONG" || t == u"INTEGER" || t == u"INT" || t == u"COUNTER") {
        type = dbLong;
        size = 4;
    } else if (t == u"CURRENCY" || t == u"MONEY") {
        type = dbCurrency;
        size = 8;
    } else if (t == u"SINGLE") {
        type = dbSingle;
        size = 4;
    } else if (t == u"DOUBLE" || t == u"FLOAT" || t == u"REAL" || t == u"NUMERIC") {
        type = dbDouble;
        size = 8;
    } else if (t == u"DATETIME" || t == u"DATE" || t == u"TIME") {
        type = dbDate;
        size = 8;
    } else if (t == u"LONGBINARY" || t == u"BLOB" || t == u"BINARY" || t.isEmpty()) {
        type = dbLongBinary;
    } else if (t.contains(QLatin1String("INT"))) { // SQLite's own affinity rules
        type = dbLong;
        size = 4;
    } else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
               t.contains(QLatin1String("TEXT"))) {
        type = dbMemo;
    } else if (t.contains(QLatin1String("BLOB"))) {
        type = dbLongBinary;
    } else {
        type = dbDouble;
        size = 8;
    }
}

void Schema::load(sqlite3* db) {
    m_tables.clear();
    m_byName.clear();
    QStringList names;
    eachRow(db,
            QStringLiteral("SELECT name FROM sqlite_schema WHERE type='table' AND name NOT LIKE "
                           "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"),
            [&](sqlite3_stmt* s) { names << columnText(s, 0); });
    for (const QString& name : names) {
        auto t = std::make_shared<TableInfo>();
        t->name = name;
        const QByteArray tableUtf8 = name.toUtf8();
        int pkColumns = 0;
        int pkColumn = -1;
        eachRow(db, QStringLiteral("PRAGMA table_xinfo(%1)").arg(quoteName(name)),
                [&](sqlite3_stmt* s) {
                    if (sqlite3_column_int(s, 6) != 0) // hidden / generated
                        return;
                    FieldInfo f;
                    f.name = columnText(s, 1);
                    f.column = int(t->fields.size());
                    typeFromDeclared(columnText(s, 2), f.type, f.size);
                    f.required = sqlite3_column_int(s, 3) != 0;
                    f.defaultValue = defaultFromSql(columnText(s, 4));
                    if (sqlite3_column_int(s, 5) > 0) {
                        ++pkColumns;
                        pkColumn = f.column;
                    }
                    const QByteArray fieldUtf8 = f.name.toUtf8();
                    const char* collation = nullptr;
                    const char* declared = nullptr;
                    int notNull = 0, primary = 0, autoinc = 0;
                    if (sqlite3_table_column_metadata(db, "main", tableUtf8.constData(),
                                                      fieldUtf8.constData(), &declared, &collation,
                                                      &notNull, &primary, &autoinc) == SQLITE_OK) {
                        f.noCase = collation && qstricmp(collation, kNoCaseCollation) == 0;
                        f.autoIncrement = autoinc != 0;
                    }
                    t->m_byName.insert(nameKey(f.name), f.column);
                    t->fields.push_back(std::move(f));
                });
        // An INTEGER PRIMARY KEY is the row's own number: a counter when declared so.
        if (pkColumns == 1 && pkColumn >= 0 && t->fields[size_t(pkColumn)].autoIncrement)
            t->autoIncrementField = pkColumn;
        eachRow(db,
                QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type='table' AND name=%1 AND sql "
                               "LIKE '%%WITHOUT ROWID%%'")
                    .arg(QLatin1Char('\'') +
                         QString(name).replace(QLatin1Char('\''), QLatin1String("''")) +
                         QLatin1Char('\'')),
                [&](sqlite3_stmt*) { t->hasRowid = false; });

        std::vector<std::pair<QString, bool>> indexList;
        eachRow(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteName(name)),
                [&](sqlite3_stmt* s) {
                    if (sqlite3_column_int(s, 4) != 0) // partial indexes are not the engine's kind
                        return;
                    indexList.emplace_back(columnText(s, 1), sqlite3_column_int(s, 2) != 0);
                });
        const QString prefix = name + QLatin1Char('.');
        for (const auto& [sqlName, unique] : indexList) {
            IndexInfo ix;
            ix.sqlName = sqlName;
            ix.name = sqlName.startsWith(prefix) ? sqlName.mid(prefix.size()) : sqlName;
            ix.unique = unique;
            bool usable = true;
            eachRow(db, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteName(sqlName)),
                    [&](sqlite3_stmt* s) {
                        if (sqlite3_column_int(s, 5) == 0) // not a key column
                            return;
                        const int cid = sqlite3_column_int(s, 1);
                        if (cid < 0) { // an expression
                            usable = false;
                            return;
                        }
                        const QString column = columnText(s, 2);
                        const int field = t->fieldIndex(column);
                        if (field < 0) {
                            usable = false;
                            return;
                        }
                        ix.columns.push_back(field);
                        ix.collations.push_back(columnText(s, 4));
                        if (sqlite3_column_int(s, 3) != 0) ix.descending = true;
                    });
            if (usable && !ix.columns.empty()) t->indexes.push_back(std::move(ix));
        }
        const int position = int(m_tables.size());
        m_byName.insert(nameKey(name), position);
        m_tables.push_back(std::move(t));
    }
}

const TableInfo* Schema::table(QStringView name) const {
    const int i = m_byName.value(nameKey(name), -1);
    return i < 0 ? nullptr : m_tables[size_t(i)].get();
}

std::shared_ptr<const TableInfo> Schema::shared(QStringView name) const {
    const int i = m_byName.value(nameKey(name), -1);
    return i < 0 ? nullptr : m_tables[size_t(i)];
}

QStringList Schema::tableNames() const {
    QStringList out;
    for (const auto& t : m_tables)
        out << t->name;
    return out;
}

} // namespace kv::db
