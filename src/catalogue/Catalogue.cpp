#include "catalogue/Catalogue.h"

#include "db/CatalogueTemplate.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/FileLocations.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool folderIsWritable(const QString& folder) {
    const auto& probe = catalogueState().folderWritable;
    if (probe) return probe(folder);
    return QFileInfo(folder).isWritable();
}

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo(Normal_Path(a)).absoluteFilePath() ==
           QFileInfo(Normal_Path(b)).absoluteFilePath();
}

// When the application folder cannot be written, the database the program uses is a copy
// of the template in the per-user data folder, made on the first start and never
// overwritten; it becomes the stored "Database" location unless the user chose another.
void useUserCopyWhenReadOnly(const QString& defaultName) {
    const QString appFolder = App_Path();
    const QString userFolder = ctx().userDataFolder;
    if (userFolder.isEmpty() || folderIsWritable(appFolder)) return;
    const QString templatePath = appFolder + QLatin1Char('/') + defaultName;
    const QString userCopy = QDir(userFolder).filePath(defaultName);
    if (!QFileInfo::exists(userCopy)) {
        if (!QFileInfo::exists(templatePath)) return;
        QDir().mkpath(userFolder);
        const QString partial = userCopy + QStringLiteral(".partial");
        QFile::remove(partial);
        if (!QFile::copy(templatePath, partial))
            raiseError(err::PathFileAccessError,
                       QStringLiteral("Cannot copy '%1' to '%2'").arg(templatePath, userCopy));
        QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser);
        if (!QFile::rename(partial, userCopy)) {
            QFile::remove(partial);
            raiseError(err::PathFileAccessError,
                       QStringLiteral("Cannot copy '%1' to '%2'").arg(templatePath, userCopy));
        }
    }
    const QString app = settings::settingsApp();
    const QString stored = HasSetting(app, kSectionFileLocations, kDatabaseKey)
                               ? GetSetting(app, kSectionFileLocations, kDatabaseKey, QString())
                               : QString();
    if (stored.isEmpty() || sameFile(stored, templatePath))
        SaveSetting_Str(kSectionFileLocations, kDatabaseKey, userCopy);
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
        useUserCopyWhenReadOnly(defaultName);
        const QString extension = QStringLiteral("MDB");
        const QString title = QStringLiteral("Access Database File");
        QString path;
        if (!bReadIniStr_FileName(kSectionFileLocations, kDatabaseKey, defaultName, extension,
                                  title, path, false))
            return false;
        const Constants& c = ctx().constants;
        const QString code =
            c.strCatalogueIDCode.isEmpty() ? db::kCatalogueIDCode : c.strCatalogueIDCode;
        const double version =
            c.dblCatalogueVersion > 0 ? c.dblCatalogueVersion : db::kCatalogueVersion;
        CatalogueState& s = catalogueState();
        for (;;) {
            if (openChosen(path)) {
                if (bValidateTALVDatabase(code, version, catalogueTitle())) break;
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
