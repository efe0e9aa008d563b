// The database layer against direct SQLite prepared statements on the same file, over a
// collection of 100,000 items: seek-and-read, add-and-update, and a dynaset over all of
// it. Each pair does the same work and reads the values into Qt types, as the program does.

#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Transaction.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace kv;

namespace {

constexpr int kItems = 100000;

struct Fixture {
    Fixture() {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, {});
        database = Database::open(path);
        Transaction t(database);
        db::Query q(*database.connection(), "INSERT INTO \"Collection - Contents\" (\"Collection "
                                            "ID\", \"Catalogue Number\", \"Album ID\", "
                                            "\"Title\", \"Artist\", \"Medium\", \"Label\") VALUES "
                                            "(0, ?1, ?2, ?3, ?4, 'CD', 'Label')");
        for (int k = 0; k < kItems; ++k) {
            sqlite3_reset(q.stmt());
            q.bindText(1, QStringLiteral("CAT-%1").arg(k, 6, 10, QLatin1Char('0')).toUtf8());
            q.bindInt(2, k);
            q.bindText(3, QStringLiteral("Title %1").arg((k * 7919) % kItems).toUtf8());
            if (k % 50 == 0)
                q.bindNull(4);
            else
                q.bindText(4, QStringLiteral("Artist %1").arg(k % 977).toUtf8());
            q.step();
        }
        t.commit();
    }
    QTemporaryDir dir;
    QString path;
    Database database;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

sqlite3* raw() {
    return fixture().database.connection()->raw();
}

QString columnText(sqlite3_stmt* s, int i) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                             sqlite3_column_bytes(s, i));
}

// --- seek and read ---------------------------------------------------------------------

void SeekRead_Layer(benchmark::State& state) {
    Recordset rs = fixture().database.OpenRecordset(QStringLiteral("Collection - Contents"),
                                                    dbOpenTable, dbReadOnly);
    rs.setIndex(QStringLiteral("Album ID"));
    QRandomGenerator random(1);
    for (auto _ : state) {
        rs.Seek(QStringLiteral("="), int(random.bounded(kItems)));
        QString title = rs.Fields(QStringLiteral("Title")).Value().toString();
        QString artist = rs.Fields(QStringLiteral("Artist")).Value().toString();
        QString number = rs.Fields(QStringLiteral("Catalogue Number")).Value().toString();
        benchmark::DoNotOptimize(title);
        benchmark::DoNotOptimize(artist);
        benchmark::DoNotOptimize(number);
    }
}

void SeekRead_Direct(benchmark::State& state) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        raw(),
        "SELECT \"Title\", \"Artist\", \"Catalogue Number\" FROM \"Collection - Contents\" WHERE "
        "\"Album ID\" = ?",
        -1, &s, nullptr);
    QRandomGenerator random(1);
    for (auto _ : state) {
        sqlite3_bind_int(s, 1, int(random.bounded(kItems)));
        if (sqlite3_step(s) == SQLITE_ROW) {
            QString title = columnText(s, 0), artist = columnText(s, 1), number = columnText(s, 2);
            benchmark::DoNotOptimize(title);
            benchmark::DoNotOptimize(artist);
            benchmark::DoNotOptimize(number);
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// --- add and update (inside one transaction: the work of the layer, not the disk) -------

void AddUpdate_Layer(benchmark::State& state) {
    Database& d = fixture().database;
    Transaction t(d); // rolled back at the end
    Recordset rs = d.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    int n = 0;
    for (auto _ : state) {
        const QString number = QStringLiteral("NEW-%1").arg(n++);
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 5);
        rs.setValue(QStringLiteral("Catalogue Number"), number);
        rs.setValue(QStringLiteral("Album ID"), n);
        rs.setValue(QStringLiteral("Title"), QStringLiteral("A title"));
        rs.Update();
        rs.Seek(QStringLiteral("="), 5, number);
        rs.Edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("Some notes"));
        rs.Update();
    }
}

void AddUpdate_Direct(benchmark::State& state) {
    Database& d = fixture().database;
    Transaction t(d);
    sqlite3_stmt *insert = nullptr, *update = nullptr;
    sqlite3_prepare_v2(raw(),
                       "INSERT INTO \"Collection - Contents\" (\"Collection ID\", \"Catalogue "
                       "Number\", \"Album ID\", "
                       "\"Title\") VALUES (?, ?, ?, ?)",
                       -1, &insert, nullptr);
    sqlite3_prepare_v2(
        raw(),
        "UPDATE \"Collection - Contents\" SET \"Notes\" = ? WHERE \"Collection ID\" = ? AND "
        "\"Catalogue Number\" = ?",
        -1, &update, nullptr);
    int n = 0;
    for (auto _ : state) {
        const QByteArray number = QStringLiteral("NEW-%1").arg(n++).toUtf8();
        const QByteArray title = QStringLiteral("A title").toUtf8();
        sqlite3_bind_int(insert, 1, 5);
        sqlite3_bind_text(insert, 2, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, n);
        sqlite3_bind_text(insert, 4, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        const QByteArray notes = QStringLiteral("Some notes").toUtf8();
        sqlite3_bind_text(update, 1, notes.constData(), int(notes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(update, 2, 5);
        sqlite3_bind_text(update, 3, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
    sqlite3_finalize(insert);
    sqlite3_finalize(update);
}

// The same, each change committed to the disk before it returns (the program's way).
void AddUpdateDurable_Layer(benchmark::State& state) {
    Recordset rs = fixture().database.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    static int n = 0;
    for (auto _ : state) {
        const QString number = QStringLiteral("DUR-L-%1").arg(n++);
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 6);
        rs.setValue(QStringLiteral("Catalogue Number"), number);
        rs.Update();
        rs.Seek(QStringLiteral("="), 6, number);
        rs.Edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("Some notes"));
        rs.Update();
    }
}

void AddUpdateDurable_Direct(benchmark::State& state) {
    sqlite3_stmt *insert = nullptr, *update = nullptr;
    sqlite3_prepare_v2(raw(),
                       "INSERT INTO \"Collection - Contents\" (\"Collection ID\", \"Catalogue "
                       "Number\") VALUES (6, ?)",
                       -1, &insert, nullptr);
    sqlite3_prepare_v2(raw(),
                       "UPDATE \"Collection - Contents\" SET \"Notes\" = 'Some notes' WHERE "
                       "\"Collection ID\" = 6 AND "
                       "\"Catalogue Number\" = ?",
                       -1, &update, nullptr);
    static int n = 0;
    for (auto _ : state) {
        const QByteArray number = QStringLiteral("DUR-D-%1").arg(n++).toUtf8();
        sqlite3_bind_text(insert, 1, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_bind_text(update, 1, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_step(update);
        sqlite3_reset(update);
    }
    sqlite3_finalize(insert);
    sqlite3_finalize(update);
}

// --- the cost of durability: one change per user action, committed under each setting ---

// synchronous=EXTRA (the layer's) against FULL, on the same file: EXTRA adds a sync of the
// folder after the journal's deletion, the commit point of the rollback journal.
void commitOneChange(benchmark::State& state, const char* setting, const char* prefix) {
    Database& d = fixture().database;
    d.connection()->exec(QByteArray("PRAGMA synchronous=") + setting);
    Recordset rs = d.OpenRecordset(QStringLiteral("Collection - Contents"));
    static int n = 0;
    for (auto _ : state) {
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 7);
        rs.setValue(QStringLiteral("Catalogue Number"),
                    QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(n++));
        rs.Update();
    }
    d.connection()->exec("PRAGMA synchronous=EXTRA");
}

void CommitOne_Extra(benchmark::State& state) {
    commitOneChange(state, "EXTRA", "SYNC-E");
}

void CommitOne_Full(benchmark::State& state) {
    commitOneChange(state, "FULL", "SYNC-F");
}

// --- a dynaset over the whole collection (the collection screen's statement) -----------

void Dynaset_Layer(benchmark::State& state) {
    const QString sql = QStringLiteral(
        "SELECT DISTINCTROW [Collection - Contents].*, [Title]+\"  (\"+[Artist]+\")\" AS "
        "Both From [Collection - Contents] WHERE (([Collection ID]=0)) ORDER BY "
        "[Collection - Contents].Title , [Collection - Contents].Artist ;");
    for (auto _ : state) {
        Recordset rs = fixture().database.OpenRecordset(sql, dbOpenDynaset);
        const Field both = rs.Fields(QStringLiteral("Both"));
        const Field number = rs.Fields(QStringLiteral("Catalogue Number"));
        int rows = 0;
        while (!rs.Eof()) {
            QString b = both.Value().toString(), c = number.Value().toString();
            benchmark::DoNotOptimize(b);
            benchmark::DoNotOptimize(c);
            rs.MoveNext();
            ++rows;
        }
        if (rows != kItems) state.SkipWithError("wrong row count");
    }
}

void Dynaset_Direct(benchmark::State& state) {
    // The same statement in SQLite's own terms: the same fields, the case-insensitive
    // collation and the Null-propagating join.
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(raw(),
                       "SELECT \"Collection - Contents\".*, (\"Title\" || '  (' || \"Artist\" || "
                       "')') COLLATE KVNOCASE "
                       "FROM \"Collection - Contents\" WHERE \"Collection ID\" = 0 ORDER BY "
                       "\"Title\", \"Artist\", rowid",
                       -1, &s, nullptr);
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            QString c = columnText(s, 1);
            QString b = sqlite3_column_type(s, 17) == SQLITE_NULL ? QString() : columnText(s, 17);
            benchmark::DoNotOptimize(b);
            benchmark::DoNotOptimize(c);
            ++rows;
        }
        sqlite3_reset(s);
        if (rows != kItems) state.SkipWithError("wrong row count");
    }
    sqlite3_finalize(s);
}

} // namespace

BENCHMARK(SeekRead_Layer);
BENCHMARK(SeekRead_Direct);
BENCHMARK(AddUpdate_Layer);
BENCHMARK(AddUpdate_Direct);
BENCHMARK(AddUpdateDurable_Layer)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(AddUpdateDurable_Direct)->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(CommitOne_Extra)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CommitOne_Full)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Dynaset_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(Dynaset_Direct)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
