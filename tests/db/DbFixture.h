#pragma once

#include "fakes/QueryRows.h"

// A fresh catalogue database (our own template, with the small shop directory of
// shops_fixture.csv) in a temporary folder, opened for the test.

#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "core/VbError.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace kv::test {

inline QString fixtureShops() {
    return QStringLiteral(KV_SOURCE_DIR "/tests/db/shops_fixture.csv");
}

class TempCatalogue {
public:
    TempCatalogue() {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, db::readShopsCsv(fixtureShops()));
        database = Database::open(path);
    }
    QString file(const QString& name) const { return dir.filePath(name); }

    // One item of "Collection - Contents" through the SQL dialect.
    void addItem(int collection, const QString& catalogue, int album, const QVariant& title,
                 const QVariant& artist, bool order = false) {
        auto lit = [](const QVariant& v) {
            return v.isNull()
                       ? QStringLiteral("Null")
                       : QLatin1Char('"') + v.toString().replace(u'"', QStringLiteral("\"\"")) +
                             QLatin1Char('"');
        };
        database.Execute(
            QStringLiteral(
                "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number], "
                "[Album ID], [Title], [Artist], [Order]) VALUES (%1, %2, %3, %4, %5, %6)")
                .arg(collection)
                .arg(lit(catalogue))
                .arg(album)
                .arg(lit(title), lit(artist),
                     order ? QStringLiteral("True") : QStringLiteral("False")));
    }

    // The rows of a query: each row's fields as QVariants.
    std::vector<QVariantList> rows(const QString& sql, int type = dbOpenSnapshot) {
        return queryRows(database, sql, type);
    }
    // The first field of every row, as text ("<Null>" for Null).
    QStringList column(const QString& sql) { return queryColumn(database, sql); }

    QTemporaryDir dir;
    QString path;
    Database database;
};

// The engine error number a call raises, or 0.
inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

} // namespace kv::test
