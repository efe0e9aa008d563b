#include "catalogue/Catalogue.h"

#include "core/ErrorReport.h"
#include "db/CatalogueTemplate.h"
#include "platform/AppContext.h"
#include "settings/FileLocations.h"
#include "settings/SettingsStore.h"

#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

const QString kSystemDBKey = QStringLiteral("SystemDB32");
const QString kDatabaseKey = QStringLiteral("Database");

void beepAndShow(const QString& text) {
    IMessageBox* box = ctx().services.messages.get();
    if (!box) return;
    box->beep();
    box->show(text, mb::OKOnly);
}

QString catalogueTitle() {
    const QString t = ctx().constants.strCatalogueTitle;
    return t.isEmpty() ? QStringLiteral("Korvanda") : t;
}

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo(Normal_Path(a)).absoluteFilePath() ==
           QFileInfo(Normal_Path(b)).absoluteFilePath();
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// Whether two regular files hold the same bytes.
bool sameContents(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        const QByteArray chunk = fa.read(1 << 16);
        if (chunk.isEmpty() || chunk != fb.read(chunk.size())) return false;
    }
    return true;
}

// Flushes a file, or the entries of a folder, to the disk, so that a rename that follows
// cannot reach the disk before the data it names.
void syncToDisk(const QString& path, bool folder) {
    const int fd =
        ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A free name beside path for a file kept aside.
QString asideName(const QString& path, const QString& suffix) {
    QString aside = path + suffix;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + suffix + QString::number(n);
    return aside;
}

// The identification the database must carry (the built-in values before start-up set them).
QString catalogueCode() {
    const QString code = ctx().constants.strCatalogueIDCode;
    return code.isEmpty() ? db::kCatalogueIDCode : code;
}
double catalogueVersion() {
    const double version = ctx().constants.dblCatalogueVersion;
    return version > 0 ? version : db::kCatalogueVersion;
}

bool isCatalogue(const Database& database) {
    try {
        return db::checkCatalogueIdentity(database, catalogueCode(), catalogueVersion()) ==
               db::CatalogueIdentity::Valid;
    } catch (const VbError& e) {
        if (e.number() == err::ObjectNotFound) return false;
        throw;
    }
}

bool notADatabase(const VbError& e) {
    return e.number() == err::UnrecognizedDatabaseFormat || e.number() == err::DatabaseCorrupt;
}

// Copies a catalogue database to target through SQLite (a hot journal beside the source is
// taken into account, which a copy of the file's bytes would miss), checks the copy (it
// opens, passes the integrity check and carries the identification), and only then puts it
// in place. A source that is no usable catalogue database is left to the open that follows,
// which tells the user and offers to locate another; any other failure is told here. False
// when target was not made; nothing else is changed then.
bool copyChecked(const QString& source, const QString& target) {
    const QString partial = target + QStringLiteral(".partial");
    QString reason;
    try {
        const QString folder = QFileInfo(target).absolutePath();
        if (!QDir().mkpath(folder))
            raiseError(err::PathNotFound,
                       QStringLiteral("The folder '%1' cannot be made").arg(folder));
        QFile::remove(partial); // left by a start that was cut short
        {
            Database from;
            try {
                from = Database::open(source, !QFileInfo(source).isWritable());
                if (!isCatalogue(from)) return false;
            } catch (const VbError& e) {
                if (notADatabase(e)) return false;
                throw;
            }
            db::Query vacuum(*from.connection(), "VACUUM INTO ?1");
            vacuum.bindString(1, partial);
            vacuum.step();
        }
        QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            const Database copy = Database::open(partial, true);
            db::Query check(*copy.connection(), "PRAGMA integrity_check");
            if (!check.step() || check.value(0).toString() != QLatin1String("ok") ||
                !isCatalogue(copy))
                raiseError(err::DatabaseCorrupt,
                           QStringLiteral("The copy '%1' did not pass its check").arg(partial));
        }
        syncToDisk(partial, false);
        if (std::rename(encoded(partial).constData(), encoded(target).constData()) != 0)
            raiseError(err::PathFileAccessError,
                       QStringLiteral("'%1' cannot be renamed to '%2': %3")
                           .arg(partial, target, QString::fromLocal8Bit(std::strerror(errno))));
        syncToDisk(folder, true);
        return true;
    } catch (const VbError& e) {
        reason = e.description();
    }
    QFile::remove(partial);
    IMessageBox* box = ctx().services.messages.get();
    if (box)
        box->show(
            QStringLiteral("The database \"%1\" could not be copied to \"%2\": %3\r"
                           "Nothing has been changed: the program goes on using \"%1\" "
                           "and tries again at its next start.")
                .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(target), reason),
            mb::OKOnly | mb::Exclamation);
    return false;
}

// The user's database lives in the per-user data folder: the application folder holds only
// the template, which a new build or installation replaces. On a start with no database
// there yet, it is copied from the application folder. A KORDB.MDB that differs from a
// template set beside it (KORDB.MDB.template: a build found the database the program used
// to keep there holding changes) is the user's database from before: it is the one copied,
// then kept aside under a new name, never deleted, and the template takes its place. A
// stored location elsewhere (the user's choice) is left as it is, and so is a per-user
// database that went missing after it was stored: the usual locate dialog follows. Returns
// the database to open when it is the per-user one.
QString placeUserDatabase(const QString& defaultName) {
    const QString userFolder = ctx().userDataFolder;
    if (userFolder.isEmpty()) return {};
    const QString appDb = App_Path() + QLatin1Char('/') + defaultName;
    const QString templ = appDb + QStringLiteral(".template");
    const QString userDb = QDir(userFolder).filePath(defaultName);
    const QString stored = Normal_Path(
        GetSetting(settings::settingsApp(), kSectionFileLocations, kDatabaseKey, QString()));
    const bool storedIsUser = !stored.isEmpty() && sameFile(stored, userDb);
    if (!stored.isEmpty() && !storedIsUser && !sameFile(stored, appDb)) return {};

    const bool appHoldsChanges =
        FileExists(appDb) && FileExists(templ) && !sameContents(appDb, templ);
    if (!FileExists(userDb)) {
        if (storedIsUser) return {};
        const QString source = appHoldsChanges || !FileExists(templ) ? appDb : templ;
        if (!FileExists(source) || !copyChecked(source, userDb)) return {};
    }
    if (!storedIsUser) SaveSetting_Str(kSectionFileLocations, kDatabaseKey, userDb);
    if (appHoldsChanges) {
        const QString aside = asideName(appDb, QStringLiteral(".moved"));
        if (std::rename(encoded(appDb).constData(), encoded(aside).constData()) == 0) {
            // The template takes its usual place again.
            std::rename(encoded(templ).constData(), encoded(appDb).constData());
            if (IMessageBox* box = ctx().services.messages.get())
                box->show(
                    QStringLiteral("The program keeps your database in \"%1\" now. The "
                                   "database that was in the application folder has been "
                                   "kept as \"%2\".")
                        .arg(QDir::toNativeSeparators(userDb), QDir::toNativeSeparators(aside)),
                    mb::OKOnly | mb::Information);
        }
    }
    return userDb;
}

// Opens the chosen file. A file that is no database at all (text, truncated, damaged) is
// told as "not a catalogue database" so that the user can choose another one; false then.
bool openChosen(const QString& path) {
    CatalogueState& s = catalogueState();
    try {
        s.dbCatalogue = s.wsCatalogue.OpenDatabase(path);
        return true;
    } catch (const VbError& e) {
        if (e.number() == err::UnrecognizedDatabaseFormat || e.number() == err::DatabaseCorrupt) {
            beepAndShow(QStringLiteral("Sorry this is not a ") + catalogueTitle() +
                        QStringLiteral(" database"));
            return false;
        }
        if (e.number() == err::CannotOpenFile || e.number() == err::CouldNotFindFile) {
            Report_Error(e, QStringLiteral("bOpenTALVDatabase"));
            return false;
        }
        throw;
    }
}

} // namespace

CatalogueState& catalogueState() {
    return ctx().slot<CatalogueState>();
}
Database& dbCatalogue() {
    return catalogueState().dbCatalogue;
}
Workspace& wsCatalogue() {
    return catalogueState().wsCatalogue;
}
QString strDatabasePath() {
    return catalogueState().strDatabasePath;
}

bool bOpenCollection_DB(const QString&, const QString& databaseName, const QString& workgroupName) {
    return guarded("bOpenCollection_DB", [&] {
        if (!bSetDBSecurity(workgroupName)) return false;
        return bOpenTALVDatabase(databaseName);
    });
}

bool bSetDBSecurity(const QString& defaultName) {
    return guarded("bSetDBSecurity", [&] {
        QString path;
        if (!bReadIniStr_FileName(kSectionOptions, kSystemDBKey, defaultName, QStringLiteral("MDW"),
                                  QStringLiteral("Access Security File"), path, false))
            return false;
        CatalogueState& s = catalogueState();
        const Constants& c = ctx().constants;
        s.engine.setSystemDB(path);
        try {
            s.wsCatalogue = s.engine.CreateWorkspace(
                QStringLiteral("Kordb"), c.strDBUser.isEmpty() ? db::kCatalogueUser : c.strDBUser,
                c.strDBPassword.isEmpty() ? db::kCataloguePassword : c.strDBPassword);
        } catch (const VbError& e) {
            if (e.number() != err::NotAWorkgroupFile) throw;
            // Forget the file, so that the next start asks for the right one.
            SaveSetting_Str(kSectionOptions, kSystemDBKey, QString());
            beepAndShow(path + QStringLiteral(" is not an Access Security File") +
                        QLatin1Char('\r') +
                        QStringLiteral("Please Restart the program and locate Security file"));
            return false;
        }
        return true;
    });
}

bool bOpenTALVDatabase(const QString& defaultName) {
    return guarded("bOpenTALVDatabase", [&] {
        const QString extension = QStringLiteral("MDB");
        const QString title = QStringLiteral("Access Database File");
        QString path = placeUserDatabase(defaultName);
        if (path.isEmpty() && !bReadIniStr_FileName(kSectionFileLocations, kDatabaseKey,
                                                    defaultName, extension, title, path, false))
            return false;
        CatalogueState& s = catalogueState();
        for (;;) {
            if (openChosen(path)) {
                if (bValidateTALVDatabase(catalogueCode(), catalogueVersion(), catalogueTitle()))
                    break;
                s.dbCatalogue.Close();
                s.dbCatalogue = Database();
            }
            if (!bGetIniStr_FileName(kSectionFileLocations, kDatabaseKey, defaultName, extension,
                                     title, path))
                return false;
        }
        s.strDatabasePath = path;
        return true;
    });
}

bool bValidateTALVDatabase(const QString& code, double version, const QString& title) {
    return guarded("bValidateTALVDatabase", [&] {
        const QString notCatalogue =
            QStringLiteral("Sorry this is not a ") + title + QStringLiteral(" database");
        try {
            switch (db::checkCatalogueIdentity(dbCatalogue(), code, version)) {
            case db::CatalogueIdentity::Valid:
                return true;
            case db::CatalogueIdentity::NotCatalogue:
                beepAndShow(notCatalogue);
                return false;
            case db::CatalogueIdentity::OldVersion:
                beepAndShow(QStringLiteral("Sorry this ") + title +
                            QStringLiteral(" database is an old version."));
                return false;
            }
        } catch (const VbError& e) {
            // No identification table, or a file that turns out damaged when read.
            if (e.number() != err::ObjectNotFound && e.number() != err::DatabaseCorrupt &&
                e.number() != err::UnrecognizedDatabaseFormat)
                throw;
            beepAndShow(notCatalogue);
        }
        return false;
    });
}

void CloseCatalogue() {
    CatalogueState& s = catalogueState();
    s.dbCatalogue.Close();
    s.wsCatalogue.Close();
}

} // namespace kv
