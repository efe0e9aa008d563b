#pragma once

// A disk that fails: an SQLite VFS over the default one that makes the n-th write, sync or
// lock (counted over every file: the database and its journal) return an I/O error. Made the
// default while installed, so a database opened then goes through it; a test arms it before
// the step under test and checks that the failure reached the user and the file holds
// exactly what it held before.

#include <sqlite3.h>

#include <cstring>

namespace kv::test {

class FaultVfs {
public:
    enum Kind { Write, Sync, Lock };

    static FaultVfs& instance() {
        static FaultVfs vfs;
        return vfs;
    }
    // Makes the failing disk the default for databases opened from now on.
    void install() {
        if (m_installed) return;
        m_root = sqlite3_vfs_find(nullptr);
        m_vfs = *m_root;
        m_vfs.zName = "kv-fault";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + m_root->szOsFile;
        m_vfs.xOpen = &open;
        m_vfs.pNext = nullptr;
        sqlite3_vfs_register(&m_vfs, 1);
        m_installed = true;
    }
    void uninstall() {
        if (!m_installed) return;
        sqlite3_vfs_register(m_root, 1);
        sqlite3_vfs_unregister(&m_vfs);
        m_installed = false;
        disarm();
    }
    // The n-th call of the kind from now on fails (n counts from 1).
    void arm(Kind kind, int n) {
        m_kind = kind;
        m_failAt = n;
        m_count = 0;
        m_fired = false;
    }
    void disarm() { m_failAt = 0; }
    bool fired() const { return m_fired; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };

    static sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
    static bool hit(Kind kind) {
        FaultVfs& v = instance();
        if (v.m_failAt == 0 || kind != v.m_kind) return false;
        if (++v.m_count != v.m_failAt) return false;
        v.m_fired = true;
        return true;
    }

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
        File* file = reinterpret_cast<File*>(f);
        std::memset(file, 0, sizeof(File));
        file->real = reinterpret_cast<sqlite3_file*>(file + 1);
        sqlite3_vfs* root = instance().m_root;
        const int rc = root->xOpen(root, name, file->real, flags, outFlags);
        if (file->real->pMethods) file->base.pMethods = &methods;
        return rc;
    }

    static inline const sqlite3_io_methods methods = {
        3,
        [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); },
        [](sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return real(f)->pMethods->xRead(real(f), p, n, o); },
        [](sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
            return hit(Write) ? SQLITE_IOERR_WRITE : real(f)->pMethods->xWrite(real(f), p, n, o);
        },
        [](sqlite3_file* f, sqlite3_int64 size) { return real(f)->pMethods->xTruncate(real(f), size); },
        [](sqlite3_file* f, int flags) {
            return hit(Sync) ? SQLITE_IOERR_FSYNC : real(f)->pMethods->xSync(real(f), flags);
        },
        [](sqlite3_file* f, sqlite3_int64* size) { return real(f)->pMethods->xFileSize(real(f), size); },
        [](sqlite3_file* f, int lock) {
            return hit(Lock) ? SQLITE_IOERR_LOCK : real(f)->pMethods->xLock(real(f), lock);
        },
        [](sqlite3_file* f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
        [](sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
        [](sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
        [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
        [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
        [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
            return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
        },
        [](sqlite3_file* f, int offset, int n, int flags) {
            return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
        },
        [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); },
        [](sqlite3_file* f, int deleteFlag) { return real(f)->pMethods->xShmUnmap(real(f), deleteFlag); },
        [](sqlite3_file* f, sqlite3_int64 o, int n, void** out) {
            return real(f)->pMethods->xFetch(real(f), o, n, out);
        },
        [](sqlite3_file* f, sqlite3_int64 o, void* p) { return real(f)->pMethods->xUnfetch(real(f), o, p); },
    };

    sqlite3_vfs* m_root = nullptr;
    sqlite3_vfs m_vfs{};
    bool m_installed = false;
    Kind m_kind = Write;
    int m_failAt = 0;
    int m_count = 0;
    bool m_fired = false;
};

} // namespace kv::test
