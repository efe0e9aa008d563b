// A writing child process is killed at random moments, over and over; after every kill
// the file must pass SQLite's integrity check and hold every change the child reported as
// committed, and each transaction must be there whole or not at all.
//
// The child is this test program run again with KV_DB_KILL_CHILD naming the database;
// it reports each change on standard output ("KV ...") after the call that made it
// returned: A item added, U its title edited, T three items in one transaction, N an
// action statement, X/D an item about to be / removed, CA/C a collection about to be /
// added with two items, XC/DC a collection about to be / deleted with its items in one
// transaction, L a connection added and edited, V the user's details written. A
// collection's icon (a value over several pages) is rewritten all along.

#include "DbFixture.h"

#include "db/Transaction.h"
#include "fakes/FaultyDisk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <cstdio>

using namespace kv;
using namespace kv::test;

namespace {

void report(const QString& line) {
    std::fputs(("KV " + line + "\n").toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString contents() {
    return QStringLiteral("Collection - Contents");
}

// The child: every kind of write the program makes, in a loop, each reported once the call
// that made it has returned.
TEST(DurabilityChild, Writer) {
    const QString path = qEnvironmentVariable("KV_DB_KILL_CHILD");
    if (path.isEmpty()) GTEST_SKIP() << "runs only as the child of the kill test";
    const QString seed = qEnvironmentVariable("KV_DB_KILL_SEED");
    Database db = Database::open(path);
    Recordset table = db.OpenRecordset(contents());
    table.setIndex(QStringLiteral("PrimaryKey"));
    Recordset head = db.OpenRecordset(QStringLiteral("Collection"));
    head.setIndex(QStringLiteral("PrimaryKey"));
    Recordset links = db.OpenRecordset(QStringLiteral("Connections"));
    links.setIndex(QStringLiteral("PrimaryKey"));
    Recordset user = db.OpenRecordset(QStringLiteral("User Data"));
    report(QStringLiteral("READY"));
    auto id = [&](int n) { return QStringLiteral("S%1-%2").arg(seed).arg(n); };
    // Collection numbers never used before (the parent counts those announced).
    int nextCollection = qEnvironmentVariableIntValue("KV_DB_KILL_COLLECTION");
    // Each child starts at another point of the cycle, so that kills fall on every kind of
    // write even when a child gets only a few done.
    const int first = seed.toInt() % 12;
    for (int n = first; n < 5000; ++n) {
        // An item added, its title edited.
        table.AddNew();
        table.setValue(QStringLiteral("Collection ID"), 7);
        table.setValue(QStringLiteral("Catalogue Number"), id(n));
        table.setValue(QStringLiteral("Title"), QStringLiteral("t0"));
        table.setValue(QStringLiteral("Album ID"), n);
        table.Update();
        report(QStringLiteral("A ") + id(n));
        if (n % 3 == 1 && n - 1 >= first) {
            table.Seek(QStringLiteral("="), 7, id(n - 1));
            table.Edit();
            table.setValue(QStringLiteral("Title"), QStringLiteral("t%1").arg(n));
            table.Update();
            report(QStringLiteral("U %1 %2").arg(id(n - 1)).arg(n));
        }
        // Several statements in one transaction.
        if (n % 5 == 2) {
            Transaction t(db);
            for (const char* part : {"a", "b", "c"})
                db.Execute(
                    QStringLiteral(
                        "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number]) "
                        "VALUES (8, \"%1-%2\")")
                        .arg(id(n), QLatin1String(part)));
            t.commit();
            report(QStringLiteral("T ") + id(n));
        }
        // An action statement.
        if (n % 7 == 3) {
            db.Execute(QStringLiteral("UPDATE [Collection - Contents] SET [Notes] = \"n%1\" WHERE "
                                      "[Catalogue Number] = \"%2\"")
                           .arg(n)
                           .arg(id(n - 3)));
            report(QStringLiteral("N %1 %2").arg(id(n - 3)).arg(n));
        }
        // An item removed.
        if (n % 11 == 4 && n - 4 >= first) {
            table.Seek(QStringLiteral("="), 7, id(n - 4));
            // A kill between the delete and its report leaves the item rightly gone.
            report(QStringLiteral("X ") + id(n - 4));
            table.Delete();
            report(QStringLiteral("D ") + id(n - 4));
        }
        // A collection's icon, a long value over several pages.
        if (n % 4 == 0) {
            head.Seek(QStringLiteral("="), 0);
            head.Edit();
            head.Fields(QStringLiteral("Collection Icon"))
                .AppendChunk(QByteArray(6000, char('a' + n % 26)));
            head.Update();
        }
        // A collection added with two items, later deleted with its items in one
        // transaction, as the collection store does.
        if (n % 6 == 5 && nextCollection < 32000) {
            const int number = nextCollection++;
            report(QStringLiteral("CA %1").arg(number));
            head.AddNew();
            head.setValue(QStringLiteral("Collection ID"), number);
            head.setValue(QStringLiteral("Collection Name"), id(n));
            head.Update();
            for (const char* part : {"x", "y"}) {
                table.AddNew();
                table.setValue(QStringLiteral("Collection ID"), number);
                table.setValue(QStringLiteral("Catalogue Number"), QLatin1String(part));
                table.Update();
            }
            report(QStringLiteral("C %1").arg(number));
            if (n % 12 == 11) {
                report(QStringLiteral("XC %1").arg(number));
                Transaction t(db);
                db.Execute(QStringLiteral("DELETE DISTINCTROW [Collection - Contents].* FROM "
                                          "[Collection - Contents] WHERE [Collection ID] = %1")
                               .arg(number));
                head.Seek(QStringLiteral("="), number);
                head.Delete();
                t.commit();
                report(QStringLiteral("DC %1").arg(number));
            }
        }
        // A connection added (a counter of its own), edited, sometimes removed.
        if (n % 8 == 6) {
            links.AddNew();
            links.setValue(QStringLiteral("Connection Name"), id(n));
            links.setValue(QStringLiteral("Connection URL"), QStringLiteral("u0"));
            links.Update();
            links.setBookmark(links.LastModified());
            links.Edit();
            links.setValue(QStringLiteral("Connection URL"), QStringLiteral("u1"));
            links.Update();
            report(QStringLiteral("L ") + id(n));
        }
        // The user's details, one row written over and over.
        if (n % 9 == 7) {
            if (user.Bof() && user.Eof())
                user.AddNew();
            else {
                user.MoveFirst();
                user.Edit();
            }
            // One row shared by every child: its versions keep rising from child to child, so
            // a write committed by a child killed before it could report it never looks older
            // than one reported earlier.
            const int version = seed.toInt() * 5000 + n;
            user.setValue(QStringLiteral("User Name"), QStringLiteral("v%1").arg(version));
            user.Update();
            report(QStringLiteral("V %1").arg(version));
            user.Requery();
        }
    }
}

struct Expected {
    QHash<QString, bool> items;   // reported added; false once reported deleted
    QSet<QString> deleting;       // about to be deleted: either way is right until reported
    QHash<QString, int> titles;   // lowest title version that must be there
    QHash<QString, int> notes;    // lowest notes version that must be there
    QStringList groups;           // transactions reported committed
    QHash<int, bool> collections; // reported added; false once reported deleted
    QSet<int> collectionsDeleting;
    QStringList links;    // connections reported added (and edited)
    int userVersion = -1; // lowest version of the user's details that must be there
};

int versionOf(const QVariant& v) {
    return v.isNull() ? -1 : v.toString().mid(1).toInt();
}

// Applies one reported line to what must be found.
void expect(Expected& e, const QStringList& w) {
    if (w[0] == u"A")
        e.items.insert(w[1], true);
    else if (w[0] == u"X")
        e.deleting.insert(w[1]);
    else if (w[0] == u"D") {
        e.items.insert(w[1], false);
        e.deleting.remove(w[1]);
    } else if (w[0] == u"U")
        e.titles.insert(w[1], w[2].toInt());
    else if (w[0] == u"N")
        e.notes.insert(w[1], w[2].toInt());
    else if (w[0] == u"T")
        e.groups << w[1];
    else if (w[0] == u"C") {
        e.collections.insert(w[1].toInt(), true);
        e.collectionsDeleting.remove(w[1].toInt());
    } else if (w[0] == u"XC")
        e.collectionsDeleting.insert(w[1].toInt());
    else if (w[0] == u"DC") {
        e.collections.insert(w[1].toInt(), false);
        e.collectionsDeleting.remove(w[1].toInt());
    } else if (w[0] == u"L")
        e.links << w[1];
    else if (w[0] == u"V")
        e.userVersion = w[1].toInt();
}

void verifyItems(Database& db, const Expected& expected, int round) {
    QHash<QString, std::pair<int, int>> stored; // title, notes versions
    Recordset rs = db.OpenRecordset(
        QStringLiteral("SELECT [Catalogue Number], [Title], [Notes] FROM [Collection - "
                       "Contents] WHERE [Collection ID] = 7"),
        dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext())
        stored.insert(rs.value("Catalogue Number").toString(),
                      {versionOf(rs.value("Title")), versionOf(rs.value("Notes"))});
    for (auto it = expected.items.begin(); it != expected.items.end(); ++it) {
        if (!expected.deleting.contains(it.key())) {
            ASSERT_EQ(stored.contains(it.key()), it.value())
                << it.key().toStdString() << " round " << round;
        }
    }
    for (auto it = expected.titles.begin(); it != expected.titles.end(); ++it) {
        if (stored.contains(it.key())) {
            ASSERT_GE(stored[it.key()].first, it.value()) << it.key().toStdString();
        }
    }
    for (auto it = expected.notes.begin(); it != expected.notes.end(); ++it) {
        if (stored.contains(it.key())) {
            ASSERT_GE(stored[it.key()].second, it.value()) << it.key().toStdString();
        }
    }

    // Transactions: whole or not at all; the reported ones whole.
    QHash<QString, int> parts;
    Recordset groups = db.OpenRecordset(
        QStringLiteral(
            "SELECT [Catalogue Number] FROM [Collection - Contents] WHERE [Collection ID] = 8"),
        dbOpenSnapshot);
    for (; !groups.Eof(); groups.MoveNext()) {
        const QString cat = groups.value("Catalogue Number").toString();
        parts[cat.left(cat.lastIndexOf(u'-'))] += 1;
    }
    for (auto it = parts.begin(); it != parts.end(); ++it)
        ASSERT_EQ(it.value(), 3) << it.key().toStdString();
    for (const QString& g : expected.groups)
        ASSERT_EQ(parts.value(g), 3) << g.toStdString();
}

void verifyCollections(Database& db, const Expected& expected, int round) {
    QHash<int, int> items; // collection: its items
    QSet<int> rows;
    for (const QVariantList& r :
         queryRows(db, QStringLiteral("SELECT [Collection ID] FROM Collection WHERE "
                                      "[Collection ID] >= 100")))
        rows.insert(r[0].toInt());
    for (const QVariantList& r :
         queryRows(db, QStringLiteral("SELECT [Collection ID] FROM [Collection - Contents] "
                                      "WHERE [Collection ID] >= 100")))
        items[r[0].toInt()] += 1;
    for (auto it = expected.collections.begin(); it != expected.collections.end(); ++it) {
        if (!expected.collectionsDeleting.contains(it.key())) {
            ASSERT_EQ(rows.contains(it.key()), it.value()) << it.key() << " round " << round;
        }
    }
    // A collection's row goes with its items: none without the other once reported, and
    // never items left behind by a deletion.
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (!rows.contains(it.key())) {
            ASSERT_FALSE(expected.collections.value(it.key())) << it.key() << " round " << round;
        }
        ASSERT_LE(it.value(), 2);
    }
    for (auto it = expected.collections.begin(); it != expected.collections.end(); ++it) {
        if (it.value() && !expected.collectionsDeleting.contains(it.key())) {
            ASSERT_EQ(items.value(it.key()), 2) << it.key() << " round " << round;
        }
    }
    for (int c : expected.collectionsDeleting) {
        ASSERT_TRUE((rows.contains(c) && items.value(c) == 2) ||
                    (!rows.contains(c) && !items.contains(c)))
            << c << " round " << round;
    }
}

void verifyOthers(Database& db, const Expected& expected, int round) {
    QHash<QString, QString> urls;
    for (const QVariantList& r : queryRows(
             db, QStringLiteral("SELECT [Connection Name], [Connection URL] FROM Connections")))
        urls.insert(r[0].toString(), r[1].toString());
    for (const QString& l : expected.links) {
        ASSERT_EQ(urls.value(l), "u1") << l.toStdString() << " round " << round;
    }
    if (expected.userVersion >= 0) {
        const QStringList user =
            queryColumn(db, QStringLiteral("SELECT [User Name] FROM [User Data]"));
        ASSERT_EQ(user.size(), 1);
        ASSERT_GE(versionOf(user.front()), expected.userVersion) << "round " << round;
    }

    // The icon is one whole value.
    Recordset icon = db.OpenRecordset(
        QStringLiteral("SELECT [Collection Icon] FROM Collection WHERE [Collection ID]=0"));
    const QByteArray bytes = icon.value("Collection Icon").toByteArray();
    if (!bytes.isEmpty()) {
        ASSERT_EQ(bytes.size(), 6000);
        ASSERT_EQ(bytes.count(bytes.at(0)), 6000);
    }
}

void verify(const QString& path, const Expected& expected, int round) {
    Database db = Database::open(path);
    {
        db::Query q(*db.connection(), "PRAGMA integrity_check");
        ASSERT_TRUE(q.step());
        ASSERT_EQ(q.value(0).toString(), "ok") << "round " << round;
    }
    verifyItems(db, expected, round);
    if (::testing::Test::HasFatalFailure()) return;
    verifyCollections(db, expected, round);
    if (::testing::Test::HasFatalFailure()) return;
    verifyOthers(db, expected, round);
}

// The commit of a rollback journal is the journal's deletion; unless the folder is synced
// after it, a power cut can bring the journal back and with it roll back a change that was
// reported as made.
TEST(Durability, EveryCommitSyncsTheJournalsDeletion) {
    TempCatalogue c;
    c.database.Close();
    FaultyVfs vfs; // counts, never fails
    Database db = Database::open(c.path);
    Recordset rs = db.OpenRecordset(contents());
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.AddNew();
    rs.setValue(QStringLiteral("Collection ID"), 1);
    rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("D-1"));
    rs.Update();
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("D-1"));
    rs.Edit();
    rs.setValue(QStringLiteral("Notes"), QStringLiteral("n"));
    rs.Update();
    db.Execute(QStringLiteral("UPDATE Collection SET [Notes] = \"x\" WHERE [Collection ID] = 0"));
    {
        Transaction t(db);
        db.Execute(QStringLiteral("DELETE FROM [Collection - Contents] WHERE [Collection ID] = 1"));
        t.commit();
    }
    rs.Close();
    db.Close();
    int journals = 0;
    for (const auto& d : vfs.deletions) {
        if (!d.name.endsWith(QLatin1String("-journal"))) continue;
        ++journals;
        EXPECT_TRUE(d.syncedFolder) << d.name.toStdString();
    }
    EXPECT_EQ(journals, 4); // one commit each
}

// KV_DB_KILL_ROUNDS sets the number of kills (110 by default; 1000 for the long run of
// docs/reliability.md). The outcome counts are printed at the end.
TEST(Durability, KilledWriterNeverLosesOrCorruptsACommittedChange) {
    TempCatalogue c;
    c.database.Close();
    Expected expected;
    const int asked = qEnvironmentVariableIntValue("KV_DB_KILL_ROUNDS");
    const int rounds = asked > 0 ? asked : 110;
    auto* random = QRandomGenerator::global();
    QMap<QString, int> reported; // changes reported, by kind
    int journalsLeft = 0;        // kills that left a journal for the next open to roll back
    int nextCollection = 100;    // past every collection number a child announced
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KV_DB_KILL_CHILD"), c.path);
        env.insert(QStringLiteral("KV_DB_KILL_SEED"), QString::number(round));
        env.insert(QStringLiteral("KV_DB_KILL_COLLECTION"), QString::number(nextCollection));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=DurabilityChild.Writer")});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains("KV READY\n") && waited.elapsed() < 20000 &&
               child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
        }
        ASSERT_TRUE(output.contains("KV READY\n"))
            << output.constData() << child.readAllStandardError().constData();
        // Let it write for a random while, then kill it mid-flight.
        const int delay = int(random->bounded(150));
        QElapsedTimer running;
        running.start();
        while (running.elapsed() < delay && child.state() == QProcess::Running) {
            child.waitForReadyRead(2);
            output += child.readAllStandardOutput();
        }
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().constData();
        child.kill();
        child.waitForFinished(10000);
        output += child.readAllStandardOutput();

        // Only whole lines were reported.
        const QList<QByteArray> lines = output.left(output.lastIndexOf('\n') + 1).split('\n');
        for (const QByteArray& raw : lines) {
            if (!raw.startsWith("KV ") || raw == "KV READY") continue;
            const QStringList w = QString::fromUtf8(raw.mid(3)).split(u' ');
            reported[w[0]] += 1;
            if (w[0] == u"CA") nextCollection = std::max(nextCollection, w[1].toInt() + 1);
            expect(expected, w);
        }
        if (QFileInfo::exists(c.path + QStringLiteral("-journal"))) ++journalsLeft;
        verify(c.path, expected, round);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(expected.items.size(), rounds); // the children did write between the kills
    QStringList kinds;
    int total = 0;
    for (auto it = reported.begin(); it != reported.end(); ++it) {
        kinds << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
        total += it.value();
    }
    std::printf("kill test: %d rounds, %d changes reported (%s), %d kills left a journal that "
                "the next open rolled back, every check passed\n",
                rounds, total, kinds.join(QStringLiteral(", ")).toUtf8().constData(), journalsLeft);
    RecordProperty("reported_changes", total);
    RecordProperty("journals_rolled_back", journalsLeft);
}

} // namespace
