#include "settings/SettingsStore.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <memory>

namespace kv {

namespace {

QString& folderOverride() {
    static QString folder;
    return folder;
}

// QSettings reads "/" and "\" as group separators; the program's sections and keys never
// contain them, so a path-like key would silently land in a sub-group. Folding them keeps
// every key a key of its own section.
QString flatName(const QString& name) {
    QString out = name;
    out.replace(QLatin1Char('/'), QLatin1Char('_'));
    out.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return out;
}

QString storeKey(const QString& section, const QString& key) {
    return flatName(section) + QLatin1Char('/') + flatName(key);
}

// A store file that does not parse would be rewritten by the next write, losing whatever
// it held. It is kept aside under a new name instead, and the user is told once.
void setAsideDamaged(const QString& file) {
    QString aside = file + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(aside); ++n)
        aside = file + QStringLiteral(".damaged%1").arg(n);
    if (!QFile::rename(file, aside)) return;
    IMessageBox* box = ctx().services.messages.get();
    if (box)
        box->show(QStringLiteral("The settings file \"%1\" could not be read. It has been kept as "
                                 "\"%2\" and the default settings are used.")
                      .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(aside)),
                  mb::OKOnly | mb::Exclamation);
}

std::unique_ptr<QSettings> openStore(const QString& appName) {
    const QString file = settings::storeFile(appName);
    auto store = std::make_unique<QSettings>(file, QSettings::IniFormat);
    if (store->status() == QSettings::FormatError) {
        store.reset();
        setAsideDamaged(file);
        store = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    return store;
}

QString textOf(const QVariant& value) {
    // An unquoted value with commas reads back as a list; the text is what was meant.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool writeSetting(const QString& appName, const QString& section, const QString& key,
                  const QString& value) {
    auto store = openStore(appName);
    store->setValue(storeKey(section, key), value);
    store->sync();
    return store->status() == QSettings::NoError;
}

} // namespace

namespace settings {

QString storeFolder() {
    return folderOverride();
}

QString setStoreFolder(const QString& folder) {
    QString previous = folderOverride();
    folderOverride() = folder;
    return previous;
}

QString storeFile(const QString& appName) {
    QString folder = folderOverride();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString app =
        flatName(appName.trimmed().isEmpty() ? kDefaultSettingsApp : appName.trimmed());
    return folder + QLatin1Char('/') + app + QLatin1Char('/') + app + QStringLiteral(".ini");
}

QString settingsApp() {
    const QString app = ctx().constants.strSettingsApp.trimmed();
    return app.isEmpty() ? kDefaultSettingsApp : app;
}

} // namespace settings

QString strBoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool bTextToBool(const QString& text, bool& value) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        value = true;
        return true;
    }
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        value = false;
        return true;
    }
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok || std::isnan(number)) return false;
    value = number != 0.0;
    return true;
}

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& def) {
    auto store = openStore(appName);
    const QVariant value = store->value(storeKey(section, key));
    return value.isValid() ? textOf(value) : def;
}

bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
    return writeSetting(appName, section, key, value);
}

bool HasSetting(const QString& appName, const QString& section, const QString& key) {
    return openStore(appName)->contains(storeKey(section, key));
}

QString GetSetting_Str(const QString& section, const QString& key, const QString& def) {
    return guardedValue<QString>("GetSetting_Str", def, [&] {
        const QString app = settings::settingsApp();
        const QString value = GetSetting(app, section, key, def);
        // A store that cannot be written still reads: the write-back is best effort.
        if (value.trimmed().toUpper() == def.trimmed().toUpper())
            SaveSetting(app, section, key, def);
        return value;
    });
}

bool GetSetting_Bool(const QString& section, const QString& key, bool def) {
    return guardedValue<bool>("GetSetting_Bool", def, [&] {
        const QString app = settings::settingsApp();
        const QString defText = strBoolText(def);
        const QString value = GetSetting(app, section, key, defText);
        if (value.trimmed().toUpper() == defText.toUpper()) SaveSetting(app, section, key, defText);
        bool result = def;
        if (!bTextToBool(value, result)) {
            SaveSetting(app, section, key, defText);
            return def;
        }
        return result;
    });
}

bool SaveSetting_Str(const QString& section, const QString& key, const QString& value) {
    return guardedValue<bool>("SaveSetting_Str", false, [&] {
        if (!SaveSetting(settings::settingsApp(), section, key, value))
            raiseError(err::PathFileAccessError);
        return true;
    });
}

bool SaveSetting_Bool(const QString& section, const QString& key, bool value) {
    return guardedValue<bool>("SaveSetting_Bool", false, [&] {
        if (!SaveSetting(settings::settingsApp(), section, key, strBoolText(value)))
            raiseError(err::PathFileAccessError);
        return true;
    });
}

} // namespace kv
