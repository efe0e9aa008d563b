// libFuzzer target for the SQL translator. The first byte chooses: even, the rest is a
// statement of the program's dialect; odd, a Find criterion on a dynaset with computed
// fields. Whatever translates also runs in SQLite, on a small catalogue in memory, with
// every change rolled back. Any outcome but an engine error is a finding.

#include "core/VbError.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/JetSql.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <sqlite3.h>

using namespace kv;

namespace {

// A long query is cut short (SQLite then reports an interruption, an engine error).
int stopLongQueries(void*) {
    return 1;
}

Database& catalogue() {
    static Database db = [] {
        Database d = Database::create(QStringLiteral(":memory:"));
        db::createCatalogueSchema(d);
        d.Execute(QStringLiteral("INSERT INTO Collection ([Collection ID], [Collection Name], "
                                 "[Builtin]) VALUES (0, \"My Collection\", True)"));
        d.Execute(QStringLiteral("INSERT INTO Collection ([Collection ID], [Collection Name]) "
                                 "VALUES (2, \"Vinyl\")"));
        const char* const items[] = {
            "(0, \"POLS 272\", 101, \"Arrival\", \"Abba\", \"LP\", \"1976\", True, 'n')",
            "(0, \"821 319-2\", 102, \"Éclair\", Null, \"CD\", #1984-05-01#, False, Null)",
            "(2, \"X#9\", -7, \"[live]\", \"Band \"\"B\"\"\", Null, Null, True, '*?')",
        };
        for (const char* values : items)
            d.Execute(QStringLiteral("INSERT INTO [Collection - Contents] ([Collection ID], "
                                     "[Catalogue Number], [Album ID], [Title], [Artist], "
                                     "[Medium], [Release Date], [Order], [Notes]) VALUES ") +
                      QLatin1String(values));
        sqlite3_progress_handler(d.connection()->raw(), 200000, stopLongQueries, nullptr);
        return d;
    }();
    return db;
}

void readRows(Recordset& rs, int most) {
    for (int n = 0; n < most && !rs.Eof(); ++n) {
        for (int k = 0; k < rs.FieldCount(); ++k)
            rs.Fields(k).Value();
        rs.MoveNext();
    }
}

void statement(const QString& text) {
    Database& d = catalogue();
    const db::Translation tr = db::translateStatement(text, d.connection()->schema());
    if (tr.kind == db::Translation::Select) {
        Recordset rs = d.OpenRecordset(text, dbOpenDynaset, dbReadOnly);
        readRows(rs, 50);
        return;
    }
    Transaction t(d); // never committed
    d.Execute(text);
}

void criterion(const QString& text) {
    Recordset rs = catalogue().OpenRecordset(
        QStringLiteral("SELECT [Catalogue Number], [Title] & \" - \" & [Artist] AS Both, "
                       "[Album ID] * 2 AS Twice, [Order] FROM [Collection - Contents] "
                       "ORDER BY [Title]"),
        dbOpenDynaset, dbReadOnly);
    rs.FindFirst(text);
    if (!rs.NoMatch()) rs.FindNext(text);
    rs.FindLast(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    try {
        if (data[0] % 2 == 0)
            statement(text);
        else
            criterion(text);
    } catch (const VbError&) {
        // Refused or failed with the engine's error: what should happen.
    }
    return 0;
}
