// The collection store's add, find and list on a collection of 10 items and on one of
// 100,000, each beside the same work done with direct SQLite prepared statements on the
// same connection. The store should cost the same at both sizes.

#include "collections/CollectionStore.h"
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

} // namespace

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
