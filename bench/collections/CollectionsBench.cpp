// The collection store's add, find and list on a collection of 10 items and on one of
// 100,000, each beside the same work done with direct SQLite prepared statements on the
// same connection. The store should cost the same at both sizes.
//
// The collection screen's work on the collection of 100,000 items, to its first screen of
// rows (20 rows of the grid's two columns, read through the grid's data control): switching
// to the collection, sorting it, filtering it, and a find-next from the first row; each
// beside the same statement prepared directly in SQLite.

#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/NRCollections.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Transaction.h"
#include "catalogue/Catalogue.h"
#include "platform/AppContext.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <sqlite3.h>

using namespace kv;

namespace {

// Any box the store shows here is a failure of the benchmark.
class StderrMessages : public IMessageBox {
public:
    int show(const QString& text, int, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++shown;
        return mb::OK;
    }
    void beep() override {}
    int shown = 0;
};

QString catalogueNumber(int k) {
    return QStringLiteral("CAT-%1").arg(k, 6, 10, QLatin1Char('0'));
}

// A database whose collection 2 holds `items` items (album k, catalogue CAT-k); every
// other one is on the shopping list too.
struct Fixture {
    explicit Fixture(int items) : items(items) {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, {});
        database = Database::open(path);
        Transaction t(database);
        database.connection()->exec(
            R"(INSERT INTO "Collection" ("Collection ID", "Collection Name") VALUES (2, 'Big'))");
        db::Query q(
            *database.connection(),
            "INSERT INTO \"Collection - Contents\" (\"Collection ID\", \"Catalogue Number\", "
            "\"Album ID\", \"Title\", \"Artist\", \"Medium\", \"Label\") VALUES "
            "(?1, ?2, ?3, ?4, 'Artist', 'CD', 'Label')");
        for (int k = 0; k < items; ++k) {
            for (int collection : {2, 1}) {
                if (collection == 1 && k % 2) continue;
                sqlite3_reset(q.stmt());
                q.bindInt(1, collection);
                q.bindText(2, catalogueNumber(k).toUtf8());
                q.bindInt(3, k);
                q.bindText(4, QStringLiteral("Title %1").arg(k).toUtf8());
                q.step();
            }
        }
        t.commit();
    }
    int items;
    QTemporaryDir dir;
    QString path;
    Database database;
};

struct Process {
    Process() {
        context = std::make_unique<ScopedContext>();
        messages = new StderrMessages;
        context->get().services.messages.reset(messages);
    }
    std::unique_ptr<ScopedContext> context;
    StderrMessages* messages;
    std::map<int, std::unique_ptr<Fixture>> fixtures;
    int current = -1;
};

Process& process() {
    static Process p;
    return p;
}

// The store opened on the database of the given size.
Fixture& use(int items) {
    Process& p = process();
    auto& f = p.fixtures[items];
    if (!f) f = std::make_unique<Fixture>(items);
    if (p.current != items) {
        CloseCollections();
        catalogueState().dbCatalogue = f->database;
        if (!bInit_RCollections()) std::fprintf(stderr, "bInit_RCollections failed\n");
        p.current = items;
    }
    return *f;
}

sqlite3* raw(Fixture& f) {
    return f.database.connection()->raw();
}

bool failed(benchmark::State& state) {
    if (process().messages->shown == 0) return false;
    state.SkipWithError("the store showed a message");
    return true;
}

// --- add: one new item per iteration, inside a transaction rolled back at the end so the
// collection keeps its size -------------------------------------------------------------------

void Add_Store(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    TopicRecord recording;
    recording.lngAlbumID = 7;
    recording.strTitle = QStringLiteral("New title");
    recording.strArtist = QStringLiteral("New artist");
    ReleaseRecord release;
    release.strLabel = QStringLiteral("Label");
    release.strMedium = QStringLiteral("LP");
    int k = 0;
    {
        Transaction t(f.database);
        for (auto _ : state) {
            release.strCatalogueNumber = QStringLiteral("NEW-%1").arg(k++);
            benchmark::DoNotOptimize(bCollection_Item_Add(2, recording, release));
        }
    }
    failed(state);
}

void Add_Direct(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        raw(f),
        "INSERT INTO \"Collection - Contents\" (\"Collection ID\", \"Catalogue Number\", "
        "\"Album ID\", \"Title\", \"Artist\", \"Label\", \"Medium\", \"Release Date\", "
        "\"Deleted Date\", \"Deleted\") VALUES (2, ?1, 7, ?2, ?3, ?4, ?5, NULL, NULL, 0)",
        -1, &s, nullptr);
    int k = 0;
    {
        Transaction t(f.database);
        for (auto _ : state) {
            const QByteArray number = QStringLiteral("NEW-%1").arg(k++).toUtf8();
            sqlite3_bind_text(s, 1, number.constData(), int(number.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, "New title", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 3, "New artist", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 4, "Label", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 5, "LP", -1, SQLITE_STATIC);
            if (sqlite3_step(s) != SQLITE_DONE) state.SkipWithError("insert failed");
            sqlite3_reset(s);
        }
    }
    sqlite3_finalize(s);
}

// --- find: the first item of a recording ----------------------------------------------------

void Find_Store(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    QRandomGenerator random(1);
    QString number;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bReleases_FindFirst(qint32(random.bounded(f.items)), number));
        benchmark::DoNotOptimize(number);
    }
    failed(state);
}

void Find_Direct(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        raw(f),
        "SELECT \"Catalogue Number\" FROM \"Collection - Contents\" WHERE \"Album ID\" = ?1 "
        "ORDER BY \"Album ID\", rowid LIMIT 1",
        -1, &s, nullptr);
    QRandomGenerator random(1);
    for (auto _ : state) {
        sqlite3_bind_int(s, 1, int(random.bounded(f.items)));
        QString number;
        if (sqlite3_step(s) == SQLITE_ROW)
            number = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                       sqlite3_column_bytes(s, 0));
        benchmark::DoNotOptimize(number);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// --- list: the collections that hold a release ----------------------------------------------

void List_Store(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    QRandomGenerator random(1);
    bool found = false;
    QList<qint16> ids;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            bCollections_List(catalogueNumber(int(random.bounded(f.items))), found, ids));
        benchmark::DoNotOptimize(ids);
    }
    failed(state);
}

void List_Direct(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        raw(f),
        "SELECT \"Collection ID\" FROM \"Collection - Contents\" WHERE \"Catalogue Number\" = ?1 "
        "ORDER BY \"Catalogue Number\", rowid",
        -1, &s, nullptr);
    QRandomGenerator random(1);
    for (auto _ : state) {
        const QByteArray number = catalogueNumber(int(random.bounded(f.items))).toUtf8();
        sqlite3_bind_text(s, 1, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        QList<qint16> ids;
        while (sqlite3_step(s) == SQLITE_ROW)
            ids.append(qint16(sqlite3_column_int(s, 0)));
        benchmark::DoNotOptimize(ids);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// --- the collection screen, to its first screen of rows ------------------------------------

constexpr int kScreenRows = 20;
const QString kSelect = QStringLiteral(
    "SELECT DISTINCTROW [Collection - Contents].*, [Title]+\"  (\"+[Artist]+\")\" AS Both From "
    "[Collection - Contents] WHERE (([Collection ID]=2)");
const QString kOrder = QStringLiteral("[Collection - Contents].Title , [Collection - Contents].Artist ;");
const char* const kDirectSelect =
    "SELECT \"Catalogue Number\", (\"Title\" || '  (' || \"Artist\" || ')') COLLATE KVNOCASE "
    "FROM \"Collection - Contents\" WHERE \"Collection ID\" = 2";

// Opens the statement in the grid's data control and reads the first screen of rows.
void firstScreen(benchmark::State& state, const QString& statement, int expected) {
    Fixture& f = use(int(state.range(0)));
    DataControl data;
    data.setColumns({{QStringLiteral("Both"), QStringLiteral("Title")},
                     {QStringLiteral("Catalogue Number"), QString()}});
    data.setRecordSource(statement);
    for (auto _ : state) {
        data.Refresh(f.database);
        const int rows = std::min(kScreenRows, data.rowCount());
        for (int r = 0; r < rows; ++r) {
            QVariant both = data.data(data.index(r, 0)), number = data.data(data.index(r, 1));
            benchmark::DoNotOptimize(both);
            benchmark::DoNotOptimize(number);
        }
        if (data.rowCount() != expected) state.SkipWithError("wrong row count");
    }
}

// The same statement prepared directly, stepped to its first screen of rows.
void firstScreenDirect(benchmark::State& state, const QByteArray& statement) {
    Fixture& f = use(int(state.range(0)));
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(raw(f), statement.constData(), -1, &s, nullptr) != SQLITE_OK)
        state.SkipWithError(sqlite3_errmsg(raw(f)));
    for (auto _ : state) {
        for (int r = 0; r < kScreenRows && sqlite3_step(s) == SQLITE_ROW; ++r) {
            QString number = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
            QString both = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
            benchmark::DoNotOptimize(number);
            benchmark::DoNotOptimize(both);
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

void Switch_Screen(benchmark::State& state) {
    firstScreen(state, kSelect + QStringLiteral(") ORDER BY ") + kOrder, int(state.range(0)));
}
void Switch_Direct(benchmark::State& state) {
    firstScreenDirect(state, QByteArray(kDirectSelect) + " ORDER BY \"Title\", \"Artist\", rowid");
}
void Sort_Screen(benchmark::State& state) {
    firstScreen(state, kSelect + QStringLiteral(") ORDER BY [Title]  DESC , ") + kOrder,
                int(state.range(0)));
}
void Sort_Direct(benchmark::State& state) {
    firstScreenDirect(state, QByteArray(kDirectSelect) +
                                 " ORDER BY \"Title\" DESC, \"Title\", \"Artist\", rowid");
}
// "Title 12" is in 1 title of 9 ("Title 12", "Title 120" ... "Title 12999") or so.
int filtered(int items) {
    int n = 0;
    for (int k = 0; k < items; ++k)
        n += QStringLiteral("Title %1").arg(k).contains(QLatin1String("title 12"), Qt::CaseInsensitive);
    return n;
}
void Filter_Screen(benchmark::State& state) {
    firstScreen(state,
                kSelect + QStringLiteral(" AND ([Title] Like \"*title 12*\")) ORDER BY ") + kOrder,
                filtered(int(state.range(0))));
}
void Filter_Direct(benchmark::State& state) {
    firstScreenDirect(state, QByteArray(kDirectSelect) +
                                 " AND \"Title\" LIKE '%title 12%' ORDER BY \"Title\", \"Artist\", rowid");
}

// Find-next from the first row of the open list to the next title holding the text.
void FindNext_Screen(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    DataControl data;
    data.setColumns({{QStringLiteral("Both"), QStringLiteral("Title")},
                     {QStringLiteral("Catalogue Number"), QString()}});
    data.setRecordSource(kSelect + QStringLiteral(") ORDER BY ") + kOrder);
    data.Refresh(f.database);
    Recordset rs = data.recordset();
    for (auto _ : state) {
        data.setCurrentRow(0);
        rs.FindNext(QStringLiteral("[Title] Like \"*title 9999*\""));
        data.recordMoved();
        QVariant both = data.data(data.index(data.currentRow(), 0));
        benchmark::DoNotOptimize(both);
        if (rs.NoMatch()) state.SkipWithError("no match");
    }
}
void FindNext_Direct(benchmark::State& state) {
    Fixture& f = use(int(state.range(0)));
    sqlite3_stmt* first = nullptr;
    sqlite3_stmt* next = nullptr;
    sqlite3_prepare_v2(raw(f),
                       "SELECT \"Title\", \"Artist\", rowid FROM \"Collection - Contents\" WHERE "
                       "\"Collection ID\" = 2 ORDER BY \"Title\", \"Artist\", rowid LIMIT 1",
                       -1, &first, nullptr);
    const QByteArray sql = QByteArray(kDirectSelect) +
                           " AND \"Title\" LIKE '%title 9999%' AND (\"Title\", \"Artist\", rowid) > "
                           "(?1, ?2, ?3) ORDER BY \"Title\", \"Artist\", rowid LIMIT 1";
    if (sqlite3_prepare_v2(raw(f), sql.constData(), -1, &next, nullptr) != SQLITE_OK)
        state.SkipWithError(sqlite3_errmsg(raw(f)));
    for (auto _ : state) {
        sqlite3_step(first);
        sqlite3_bind_value(next, 1, sqlite3_column_value(first, 0));
        sqlite3_bind_value(next, 2, sqlite3_column_value(first, 1));
        sqlite3_bind_int64(next, 3, sqlite3_column_int64(first, 2));
        if (sqlite3_step(next) != SQLITE_ROW) state.SkipWithError("no match");
        QString both = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(next, 1)));
        benchmark::DoNotOptimize(both);
        sqlite3_reset(next);
        sqlite3_reset(first);
    }
    sqlite3_finalize(first);
    sqlite3_finalize(next);
}

} // namespace

BENCHMARK(Switch_Screen)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Switch_Direct)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Sort_Screen)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Sort_Direct)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter_Screen)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter_Direct)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(FindNext_Screen)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(FindNext_Direct)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Add_Store)->Arg(10)->Arg(100000);
BENCHMARK(Add_Direct)->Arg(10)->Arg(100000);
BENCHMARK(Find_Store)->Arg(10)->Arg(100000);
BENCHMARK(Find_Direct)->Arg(10)->Arg(100000);
BENCHMARK(List_Store)->Arg(10)->Arg(100000);
BENCHMARK(List_Direct)->Arg(10)->Arg(100000);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The store's cursors go before the databases they read.
    CloseCollections();
    process().fixtures.clear();
    return 0;
}
