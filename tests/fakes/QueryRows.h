#pragma once

// Reading a query's result in tests: every row's fields, or the first field as text.

#include "db/DaoConstants.h"
#include "db/Database.h"
#include "db/Recordset.h"

#include <QStringList>
#include <QVariantList>
#include <vector>

namespace kv::test {

inline std::vector<QVariantList> queryRows(const Database& db, const QString& sql, int type = dbOpenSnapshot) {
    Recordset rs = db.OpenRecordset(sql, type);
    std::vector<QVariantList> out;
    for (; !rs.Eof(); rs.MoveNext()) {
        QVariantList r;
        for (int k = 0; k < rs.FieldCount(); ++k)
            r << rs.Fields(k).Value();
        out.push_back(r);
    }
    return out;
}

// The first field of every row as text, "<Null>" for Null.
inline QStringList queryColumn(const Database& db, const QString& sql) {
    QStringList out;
    for (const QVariantList& r : queryRows(db, sql))
        out << (r.value(0).isNull() ? QStringLiteral("<Null>") : r.value(0).toString());
    return out;
}

} // namespace kv::test
