#pragma once

// A disk that fails: a SQLite VFS over the default one that fails the n-th write, sync or
// lock (deleting and truncating a file count as writes), and the checks that go with it:
// a logical dump of every table and SQLite's integrity check.
//
// Typical use, for any operation that writes to the database:
//
//   forEveryFault([&] { ...open a fresh copy... },          // before each run
//                 [&] { return bSomething(...); },          // the operation
//                 [&](int n, bool ok) { ...checks... },     // after each faulted run
//                 [&] { ...close what setUp opened... });   // after every run
//
// forEveryFault runs the operation with fault 1, 2, 3 ... until a run finishes without
// reaching its fault (the operation has fewer I/O calls than n), which must succeed.
// Connections opened by setUp use the faulty VFS and must be closed by tearDown.

#include "core/VbError.h"
#include "db/Connection.h"
#include "db/Database.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace kv::test {

class FaultyVfs {
public:
    enum Kind { Write = 1, Sync = 2, Lock = 4, Any = 7 };

    // Installed as SQLite's default VFS while it lives; connections opened meanwhile use it.
    FaultyVfs() {
        m_real = sqlite3_vfs_find(nullptr);
        m_vfs = *m_real;
        m_vfs.zName = "kv-faulty";
        m_vfs.szOsFile = int(sizeof(File)) + m_real->szOsFile;
        m_vfs.pAppData = this;
        m_vfs.xOpen = &FaultyVfs::open;
        m_vfs.xDelete = &FaultyVfs::remove;
        m_vfs.pNext = nullptr;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FaultyVfs() {
        sqlite3_vfs_register(m_real, 1);
        sqlite3_vfs_unregister(&m_vfs);
    }
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // Fails the n-th call (from 1) of the given kinds from now on, once.
    void arm(int n, int kinds = Any) {
        m_target = n;
        m_kinds = kinds;
        m_seen = 0;
        m_fired = false;
    }
    void disarm() { m_target = 0; }
    bool fired() const { return m_fired; }
    int seen() const { return m_seen; }

    // Every file deleted through the VFS, and whether its folder was synced after it.
    struct Deletion {
        QString name;
        bool syncedFolder;
    };
    std::vector<Deletion> deletions;

private:
    struct File {
        sqlite3_file base;
        FaultyVfs* vfs;
        sqlite3_file* real; // the default VFS's file, right after this struct
    };

    // True when this call is the one to fail.
    bool fail(Kind kind) {
        if (m_target <= 0 || !(m_kinds & kind)) return false;
        if (++m_seen != m_target) return false;
        m_fired = true;
        return true;
    }
    static File* of(sqlite3_file* f) { return reinterpret_cast<File*>(f); }
    static sqlite3_file* real(sqlite3_file* f) { return of(f)->real; }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags) {
        auto* self = static_cast<FaultyVfs*>(vfs->pAppData);
        File* f = of(file);
        f->vfs = self;
        f->real = reinterpret_cast<sqlite3_file*>(f + 1);
        f->base.pMethods = nullptr;
        const int rc = self->m_real->xOpen(self->m_real, name, f->real, flags, outFlags);
        if (f->real->pMethods) f->base.pMethods = &methods();
        return rc;
    }
    static int remove(sqlite3_vfs* vfs, const char* name, int syncDir) {
        auto* self = static_cast<FaultyVfs*>(vfs->pAppData);
        self->deletions.push_back({QString::fromUtf8(name), syncDir != 0});
        if (self->fail(Write)) return SQLITE_IOERR_DELETE;
        return self->m_real->xDelete(self->m_real, name, syncDir);
    }

    static const sqlite3_io_methods& methods() {
        static const sqlite3_io_methods m = {
            3,
            [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); },
            [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
                return real(f)->pMethods->xRead(real(f), b, n, o);
            },
            [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
                if (of(f)->vfs->fail(Write)) return SQLITE_IOERR_WRITE;
                return real(f)->pMethods->xWrite(real(f), b, n, o);
            },
            [](sqlite3_file* f, sqlite3_int64 size) {
                if (of(f)->vfs->fail(Write)) return SQLITE_IOERR_TRUNCATE;
                return real(f)->pMethods->xTruncate(real(f), size);
            },
            [](sqlite3_file* f, int flags) {
                if (of(f)->vfs->fail(Sync)) return SQLITE_IOERR_FSYNC;
                return real(f)->pMethods->xSync(real(f), flags);
            },
            [](sqlite3_file* f, sqlite3_int64* size) {
                return real(f)->pMethods->xFileSize(real(f), size);
            },
            [](sqlite3_file* f, int level) {
                if (of(f)->vfs->fail(Lock)) return SQLITE_IOERR_LOCK;
                return real(f)->pMethods->xLock(real(f), level);
            },
            [](sqlite3_file* f, int level) { return real(f)->pMethods->xUnlock(real(f), level); },
            [](sqlite3_file* f, int* out) {
                return real(f)->pMethods->xCheckReservedLock(real(f), out);
            },
            [](sqlite3_file* f, int op, void* arg) {
                return real(f)->pMethods->xFileControl(real(f), op, arg);
            },
            [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
            [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
            [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
                return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
            },
            [](sqlite3_file* f, int offset, int n, int flags) {
                return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
            },
            [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); },
            [](sqlite3_file* f, int deleteFlag) {
                return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
            },
            [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
                return real(f)->pMethods->xFetch(real(f), o, n, out);
            },
            [](sqlite3_file* f, sqlite3_int64 o, void* p) {
                return real(f)->pMethods->xUnfetch(real(f), o, p);
            },
        };
        return m;
    }

    sqlite3_vfs* m_real = nullptr;
    sqlite3_vfs m_vfs{};
    int m_target = 0;
    int m_kinds = Any;
    int m_seen = 0;
    bool m_fired = false;
};

// Every table of a database as text, rows in rowid order, every column by type and value;
// two dumps are equal exactly when the tables hold the same data.
inline QString dumpDatabase(const QString& path) {
    sqlite3* db = nullptr;
    QString out;
    // Read-write, so that a journal left behind is rolled back first, as the program's
    // next open would.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("<cannot open>");
    }
    auto rowsOf = [&](const QByteArray& sql, const std::function<void(sqlite3_stmt*)>& each) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) != SQLITE_OK) {
            out += QStringLiteral("<error: %1>\n").arg(QString::fromUtf8(sqlite3_errmsg(db)));
            return;
        }
        while (sqlite3_step(s) == SQLITE_ROW)
            each(s);
        sqlite3_finalize(s);
    };
    QStringList tables;
    rowsOf(
        "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name", [&](sqlite3_stmt* s) {
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        });
    for (const QString& t : tables) {
        out += QStringLiteral("[%1]\n").arg(t);
        rowsOf(
            QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(db::quoteName(t)).toUtf8(),
            [&](sqlite3_stmt* s) {
                for (int c = 0; c < sqlite3_column_count(s); ++c) {
                    const int type = sqlite3_column_type(s, c);
                    const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(s, c)),
                                           sqlite3_column_bytes(s, c));
                    out +=
                        QStringLiteral("%1:%2|").arg(type).arg(QString::fromLatin1(bytes.toHex()));
                }
                out += u'\n';
            });
    }
    sqlite3_close(db);
    return out;
}

// SQLite's own check of the file, on a connection of the layer (whose collation the
// indexes use): "ok" when it is sound.
inline std::string integrityOf(const QString& path) {
    try {
        const auto c = db::Connection::open(path, false);
        db::Query q(*c, "PRAGMA integrity_check");
        return q.step() ? q.value(0).toString().toStdString() : std::string("<no answer>");
    } catch (const VbError& e) {
        return "<error " + std::to_string(e.number()) + ">";
    }
}

// Runs operation under fault n = 1, 2, ... (see above); returns the number of faulted runs.
inline int forEveryFault(const std::function<void()>& setUp, const std::function<bool()>& operation,
                         const std::function<void(int n, bool ok)>& afterFault,
                         const std::function<void()>& tearDown, int kinds = FaultyVfs::Any,
                         int limit = 1000) {
    FaultyVfs vfs;
    for (int n = 1; n <= limit; ++n) {
        setUp();
        vfs.arm(n, kinds);
        const bool ok = operation();
        vfs.disarm();
        const bool fired = vfs.fired();
        if (fired) afterFault(n, ok);
        tearDown();
        if (!fired) {
            EXPECT_TRUE(ok) << "the operation failed without a fault";
            return n - 1;
        }
        if (::testing::Test::HasFatalFailure()) return n;
    }
    ADD_FAILURE() << "the operation still reached a fault after " << limit << " runs";
    return limit;
}

} // namespace kv::test
