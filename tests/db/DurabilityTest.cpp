// A writing child process is killed at random moments, over and over; after every kill
// the file must pass SQLite's integrity check and hold every change the child reported as
// committed, and each transaction must be there whole or not at all.
//
// The child is this test program run again with KV_DB_KILL_CHILD naming the database;
// it reports each change on standard output ("KV ...") after the call that made it
// returned.

#include "DbFixture.h"

#include "db/Transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
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

TEST(DurabilityChild, Writer) {
    const QString path = qEnvironmentVariable("KV_DB_KILL_CHILD");
    if (path.isEmpty()) GTEST_SKIP() << "runs only as the child of the kill test";
    const QString seed = qEnvironmentVariable("KV_DB_KILL_SEED");
    Database db = Database::open(path);
    Recordset table = db.OpenRecordset(contents());
    table.setIndex(QStringLiteral("PrimaryKey"));
    Recordset head = db.OpenRecordset(QStringLiteral("Collection"));
    head.setIndex(QStringLiteral("PrimaryKey"));
    report(QStringLiteral("READY"));
    auto id = [&](int n) { return QStringLiteral("S%1-%2").arg(seed).arg(n); };
    for (int n = 0; n < 5000; ++n) {
        table.AddNew();
        table.setValue(QStringLiteral("Collection ID"), 7);
        table.setValue(QStringLiteral("Catalogue Number"), id(n));
        table.setValue(QStringLiteral("Title"), QStringLiteral("t0"));
        table.setValue(QStringLiteral("Album ID"), n);
        table.Update();
        report(QStringLiteral("A ") + id(n));
        if (n % 3 == 1) {
            table.Seek(QStringLiteral("="), 7, id(n - 1));
            table.Edit();
            table.setValue(QStringLiteral("Title"), QStringLiteral("t%1").arg(n));
            table.Update();
            report(QStringLiteral("U %1 %2").arg(id(n - 1)).arg(n));
        }
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
        if (n % 7 == 3) {
            db.Execute(QStringLiteral("UPDATE [Collection - Contents] SET [Notes] = \"n%1\" WHERE "
                                      "[Catalogue Number] = \"%2\"")
                           .arg(n)
                           .arg(id(n - 3)));
            report(QStringLiteral("N %1 %2").arg(id(n - 3)).arg(n));
        }
        if (n % 11 == 4) {
            table.Seek(QStringLiteral("="), 7, id(n - 4));
            // A kill between the delete and its report leaves the item rightly gone.
            report(QStringLiteral("X ") + id(n - 4));
            table.Delete();
            report(QStringLiteral("D ") + id(n - 4));
        }
        if (n % 4 == 0) {
            head.Seek(QStringLiteral("="), 0);
            head.Edit();
            head.Fields(QStringLiteral("Collection Icon"))
                .AppendChunk(QByteArray(6000, char('a' + n % 26)));
            head.Update();
        }
    }
}

struct Expected {
    QHash<QString, bool> items; // reported added; false once reported deleted
    QSet<QString> deleting;     // about to be deleted: either way is right until reported
    QHash<QString, int> titles; // lowest title version that must be there
    QHash<QString, int> notes;  // lowest notes version that must be there
    QStringList groups;         // transactions reported committed
};

int versionOf(const QVariant& v) {
    return v.isNull() ? -1 : v.toString().mid(1).toInt();
}

void verify(const QString& path, const Expected& expected, int round) {
    Database db = Database::open(path);
    {
        db::Query q(*db.connection(), "PRAGMA integrity_check");
        ASSERT_TRUE(q.step());
        ASSERT_EQ(q.value(0).toString(), "ok") << "round " << round;
    }
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

    // The icon is one whole value.
    Recordset icon = db.OpenRecordset(
        QStringLiteral("SELECT [Collection Icon] FROM Collection WHERE [Collection ID]=0"));
    const QByteArray bytes = icon.value("Collection Icon").toByteArray();
    if (!bytes.isEmpty()) {
        ASSERT_EQ(bytes.size(), 6000);
        ASSERT_EQ(bytes.count(bytes.at(0)), 6000);
    }
}

TEST(Durability, KilledWriterNeverLosesOrCorruptsACommittedChange) {
    TempCatalogue c;
    c.database.Close();
    Expected expected;
    const int rounds = 110;
    auto* random = QRandomGenerator::global();
    int reportedTotal = 0;
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KV_DB_KILL_CHILD"), c.path);
        env.insert(QStringLiteral("KV_DB_KILL_SEED"), QString::number(round));
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
        while (running.elapsed() < delay) {
            child.waitForReadyRead(2);
            output += child.readAllStandardOutput();
        }
        child.kill();
        child.waitForFinished(10000);
        output += child.readAllStandardOutput();

        // Only whole lines were reported.
        const QList<QByteArray> lines = output.left(output.lastIndexOf('\n') + 1).split('\n');
        for (const QByteArray& raw : lines) {
            if (!raw.startsWith("KV ")) continue;
            const QStringList w = QString::fromUtf8(raw.mid(3)).split(u' ');
            ++reportedTotal;
            if (w[0] == u"A")
                expected.items.insert(w[1], true);
            else if (w[0] == u"X")
                expected.deleting.insert(w[1]);
            else if (w[0] == u"D") {
                expected.items.insert(w[1], false);
                expected.deleting.remove(w[1]);
            } else if (w[0] == u"U")
                expected.titles.insert(w[1], w[2].toInt());
            else if (w[0] == u"N")
                expected.notes.insert(w[1], w[2].toInt());
            else if (w[0] == u"T")
                expected.groups << w[1];
        }
        verify(c.path, expected, round);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(expected.items.size(), rounds); // the children did write between the kills
    RecordProperty("reported_changes", reportedTotal);
    RecordProperty("milliseconds", int(clock.elapsed()));
}

} // namespace
