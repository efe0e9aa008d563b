#include "settings/FileLocations.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kv {

QString Normal_Path(const QString& path) {
    QString out = path;
    out.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return out;
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(Normal_Path(path));
    return info.exists() && info.isFile();
}

QString Dir_Part(const QString& path) {
    const QString p = Normal_Path(path);
    return p.left(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString File_Part(const QString& path) {
    const QString p = Normal_Path(path);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

bool Find_In_Parent(const QString& path, QString& foundPath) {
    const QString folder = Dir_Part(path);
    if (folder.size() < 2 || !folder.endsWith(QLatin1Char('/'))) return false;
    const qsizetype up = folder.lastIndexOf(QLatin1Char('/'), folder.size() - 2);
    if (up < 0) return false;
    foundPath = folder.left(up + 1) + File_Part(path);
    return FileExists(foundPath);
}

QString App_Path() {
    QString folder = Normal_Path(ctx().appFolder);
    if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

namespace {

// The locate dialog, then the accepted path goes to the store. The browse starts in the
// folder the stored path names when that still exists, else in the application folder.
bool locateAndStore(const QString& section, const QString& key, const QString& defaultName,
                    const QString& extension, const QString& dialogTitle, const QString& storedPath,
                    QString& result) {
    IFileLocator* locator = ctx().services.locator.get();
    if (!locator) raiseError(err::ObjectNotSet);
    QString initDir = Dir_Part(storedPath);
    if (initDir.size() > 1) initDir.chop(1);
    if (initDir.isEmpty() || !QFileInfo(initDir).isDir()) initDir = App_Path();
    QString chosen;
    if (!locator->locate(defaultName, chosen, initDir, extension, dialogTitle) || chosen.isEmpty())
        return false;
    chosen = Normal_Path(chosen);
    if (!SaveSetting_Str(section, key, chosen)) return false;
    result = chosen;
    return true;
}

QString defaultPath(const QString& defaultName) {
    return App_Path() + QLatin1Char('/') + defaultName;
}

} // namespace

bool bReadIniStr_FileName(const QString& section, const QString& key, const QString& defaultName,
                          const QString& extension, const QString& dialogTitle, QString& result,
                          bool searchParent) {
    QString found;
    const bool ok = guarded("bReadIniStr_FileName", [&] {
        const QString path = Normal_Path(GetSetting_Str(section, key, defaultPath(defaultName)));
        if (FileExists(path)) {
            found = path;
            return true;
        }
        QString parent;
        if (searchParent && Find_In_Parent(path, parent)) {
            found = parent;
            return true;
        }
        return locateAndStore(section, key, defaultName, extension, dialogTitle, path, found);
    });
    result = ok ? found : QString();
    return ok;
}

bool bGetIniStr_FileName(const QString& section, const QString& key, const QString& defaultName,
                         const QString& extension, const QString& dialogTitle, QString& result) {
    QString found;
    const bool ok = guarded("bGetIniStr_FileName", [&] {
        const QString stored =
            Normal_Path(GetSetting(settings::settingsApp(), section, key, QString()));
        return locateAndStore(section, key, defaultName, extension, dialogTitle, stored, found);
    });
    result = ok ? found : QString();
    return ok;
}

} // namespace kv
