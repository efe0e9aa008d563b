// The workgroup file: log-in against salted hashes, and files that are not workgroup files.

#include "DbFixture.h"

#include "core/ErrorTable.h"
#include "db/DBEngine.h"
#include "db/Workgroup.h"

#include <QFile>
#include <sys/stat.h>

using namespace kv;
using namespace kv::test;

namespace {

class WorkgroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("KORDB.MDW"));
        db::WorkgroupFile wg;
        wg.addAccount(QStringLiteral("Korvanda"), QStringLiteral("Tq4mZr8LwPe"), 1000);
        wg.addAccount(QStringLiteral("Ünïcode user"), QStringLiteral("pässword"), 1000);
        wg.write(path);
        engine.setSystemDB(path);
    }
    QByteArray bytes() const {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void put(const QByteArray& data) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(data);
    }
    QTemporaryDir dir;
    QString path;
    DBEngine engine;
};

TEST_F(WorkgroupTest, LogsInOnlyWithTheRightNameAndPassword) {
    Workspace ws = engine.CreateWorkspace(QStringLiteral("Kordb"), QStringLiteral("KORVANDA"),
                                          QStringLiteral("Tq4mZr8LwPe"));
    EXPECT_EQ(ws.Name(), "Kordb");
    EXPECT_FALSE(ws.isNull());
    EXPECT_FALSE(
        engine.CreateWorkspace("w", QStringLiteral("ünïcode USER"), QStringLiteral("pässword"))
            .isNull());
    EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", "tq4mzr8lwpe"); }),
              err::NotValidAccount);
    EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", ""); }), err::NotValidAccount);
    EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Admin", "Tq4mZr8LwPe"); }),
              err::NotValidAccount);
    // The file never holds a password, and two accounts with one password differ by salt.
    EXPECT_FALSE(bytes().contains("Tq4mZr8LwPe"));
    db::WorkgroupFile a, b;
    a.addAccount("u", "p", 1000);
    b.addAccount("u", "p", 1000);
    EXPECT_NE(a.accounts()[0].hash, b.accounts()[0].hash);
    // PBKDF2-HMAC-SHA256 (RFC 7914's test vector).
    EXPECT_EQ(db::WorkgroupFile::pbkdf2("passwd", "salt", 1).toHex(),
              QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"));
}

TEST_F(WorkgroupTest, AnythingElseIsNotAWorkgroupFile) {
    const QByteArray good = bytes();
    const QList<QByteArray> broken = {
        QByteArray(),
        QByteArray("This is a text file.\n"),
        good.left(good.size() / 2),
        QByteArray(good).replace(40, 1, "X"),               // a changed byte
        QByteArray(good).replace("pbkdf2-sha256", "plain"), // checksum no longer fits
        QByteArray(200000, 'A'),
    };
    for (const QByteArray& data : broken) {
        put(data);
        EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", "Tq4mZr8LwPe"); }),
                  err::NotAWorkgroupFile)
            << data.left(30).constData();
    }
    TempCatalogue database; // a database is no workgroup file either
    engine.setSystemDB(database.path);
    EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", "Tq4mZr8LwPe"); }),
              err::NotAWorkgroupFile);
    engine.setSystemDB(dir.filePath("missing.mdw"));
    EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", "Tq4mZr8LwPe"); }),
              err::WorkgroupFileMissing);
    // A FIFO (whose open would wait for a writer), a folder or a device is no file at all.
    const QString fifo = dir.filePath("fifo.mdw");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, dir.path(), QStringLiteral("/dev/zero")}) {
        engine.setSystemDB(path);
        EXPECT_EQ(errorOf([&] { engine.CreateWorkspace("w", "Korvanda", "Tq4mZr8LwPe"); }),
                  err::NotAWorkgroupFile)
            << path.toStdString();
    }
}

} // namespace
