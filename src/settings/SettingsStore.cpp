#include "settings/SettingsStore.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>

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

// What stat says of a store file: enough to tell whether it is the file parsed last time
// (a rename over it gives a new inode, a write a new time or size) and whether it may be
// opened at all.
struct FileStamp {
    bool exists = false;
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path) {
    FileStamp s;
    struct stat st;
    // stat, never open: opening a FIFO for reading blocks until someone writes to it.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return s;
    s.exists = true;
    s.regular = S_ISREG(st.st_mode);
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

bool readable(const FileStamp& s) {
    return !s.exists || (s.regular && s.size <= settings::kMaxStoreFileSize);
}

// A store file that cannot be read would be rewritten by the next write, losing whatever it
// held. It is kept aside under a new name instead, and the user is told once. The rename
// is the system call itself: a copy-and-delete fallback would open the file.
bool setAsideDamaged(const QString& file) {
    QString aside = file + QStringLiteral(".damaged");
    struct stat st;
    for (int n = 2; ::lstat(QFile::encodeName(aside).constData(), &st) == 0; ++n)
        aside = file + QStringLiteral(".damaged%1").arg(n);
    if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(aside).constData()) != 0)
        return false;
    IMessageBox* box = ctx().services.messages.get();
    if (box)
        box->show(QStringLiteral("The settings file \"%1\" could not be read. It has been kept as "
                                 "\"%2\" and the default settings are used.")
                      .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(aside)),
                  mb::OKOnly | mb::Exclamation);
    return true;
}

// One store file as parsed, with the write-backs a batch holds for it. No settings object
// means the file could be neither read nor set aside: reads give the defaults and writes
// fail.
struct StoreFile {
    std::unique_ptr<QSettings> settings;
    // The file as it was when settings was made (or found unreadable).
    FileStamp stamp;
    bool known = false;
    std::map<QString, QString> heldBack;
};

struct StoreCache {
    std::map<QString, StoreFile> files;
    int batchDepth = 0;
};

StoreCache& cache() {
    static StoreCache c;
    return c;
}

// The store file at path, parsed when it is not the one parsed last time.
StoreFile& refresh(const QString& path) {
    StoreFile& f = cache().files[path];
    FileStamp now = stampOf(path);
    if (f.known && f.stamp == now) return f;
    // The settings object never holds unwritten changes here, so dropping it writes nothing.
    f.settings.reset();
    f.known = true;
    if (!readable(now)) {
        if (!setAsideDamaged(path)) {
            f.stamp = now;
            return f;
        }
        now = stampOf(path);
    }
    f.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (f.settings->status() == QSettings::FormatError) {
        f.settings.reset();
        if (!setAsideDamaged(path)) {
            f.stamp = now;
            return f;
        }
        f.settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    f.stamp = stampOf(path);
    return f;
}

StoreFile& openStore(const QString& appName) {
    return refresh(settings::storeFile(appName));
}

QString textOf(const QVariant& value) {
    // An unquoted value with commas reads back as a list; the text is what was meant.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

std::optional<QString> storedText(const StoreFile& f, const QString& key) {
    if (auto held = f.heldBack.find(key); held != f.heldBack.end()) return held->second;
    if (!f.settings) return std::nullopt;
    const QVariant value = f.settings->value(key);
    if (!value.isValid()) return std::nullopt;
    return textOf(value);
}

// Whether the file already holds exactly this text (as plain text: a value that reads as a
// list is written again, quoted).
bool holds(const StoreFile& f, const QString& key, const QString& value) {
    if (auto held = f.heldBack.find(key); held != f.heldBack.end()) return held->second == value;
    if (!f.settings) return false;
    const QVariant stored = f.settings->value(key);
    return stored.userType() == QMetaType::QString && stored.toString() == value;
}

// An upper bound of what text adds to the file once escaped (control characters become
// "\xNNNN", quotes and backslashes gain a backslash, keys are percent-encoded).
qint64 escapedSizeBound(const QString& text, bool isKey) {
    qint64 n = 2;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (isKey || u < 0x20 || u == 0x7f)
            n += 6;
        else if (u == '\\' || u == '"')
            n += 2;
        else
            n += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    return n;
}

// Writes the values in one pass over the file. A store that would grow past what is read
// back is not written: the next start would have to set it aside.
bool writeValues(const QString& path, std::map<QString, QString> values) {
    StoreFile& f = refresh(path);
    for (auto& [key, value] : f.heldBack)
        values.try_emplace(key, value);
    f.heldBack.clear();
    qint64 growth = 0;
    bool changed = false;
    for (const auto& [key, value] : values) {
        if (holds(f, key, value)) continue;
        changed = true;
        growth += escapedSizeBound(key, true) + escapedSizeBound(value, false);
    }
    if (!changed) return true;
    if (!f.settings || f.stamp.size + growth > settings::kMaxStoreFileSize) return false;
    for (const auto& [key, value] : values)
        f.settings->setValue(key, value);
    f.settings->sync();
    if (f.settings->status() != QSettings::NoError) {
        // Parsed again next time, so that what is on disk, not what failed, is read.
        f.settings.reset();
        f.known = false;
        return false;
    }
    f.stamp = stampOf(path);
    return true;
}

bool writeSetting(const QString& appName, const QString& section, const QString& key,
                  const QString& value) {
    return writeValues(settings::storeFile(appName), {{storeKey(section, key), value}});
}

// A read found the default (or nothing): the default goes back to the store, so that every
// key read once exists afterwards. Best effort: a store that cannot be written still reads.
void writeBack(const QString& appName, const QString& section, const QString& key,
               const QString& value) {
    const QString path = settings::storeFile(appName);
    StoreFile& f = refresh(path);
    const QString k = storeKey(section, key);
    if (holds(f, k, value)) return;
    if (cache().batchDepth > 0) {
        f.heldBack[k] = value;
        return;
    }
    writeValues(path, {{k, value}});
}

} // namespace

namespace settings {

WriteBatch::WriteBatch() {
    ++cache().batchDepth;
}

WriteBatch::~WriteBatch() {
    if (--cache().batchDepth > 0) return;
    for (auto& [path, file] : cache().files)
        if (!file.heldBack.empty()) writeValues(path, {});
}

QString storeFolder() {
    return folderOverride();
}

QString setStoreFolder(const QString& folder) {
    QString previous = folderOverride();
    folderOverride() = folder;
    cache().files.clear();
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
    return storedText(openStore(appName), storeKey(section, key)).value_or(def);
}

bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
    return writeSetting(appName, section, key, value);
}

bool HasSetting(const QString& appName, const QString& section, const QString& key) {
    return storedText(openStore(appName), storeKey(section, key)).has_value();
}

QString GetSetting_Str(const QString& section, const QString& key, const QString& def) {
    return guardedValue<QString>("GetSetting_Str", def, [&] {
        const QString app = settings::settingsApp();
        const QString value = GetSetting(app, section, key, def);
        if (value.trimmed().toUpper() == def.trimmed().toUpper()) writeBack(app, section, key, def);
        return value;
    });
}

bool GetSetting_Bool(const QString& section, const QString& key, bool def) {
    return guardedValue<bool>("GetSetting_Bool", def, [&] {
        const QString app = settings::settingsApp();
        const QString defText = strBoolText(def);
        const QString value = GetSetting(app, section, key, defText);
        if (value.trimmed().toUpper() == defText.toUpper()) writeBack(app, section, key, defText);
        bool result = def;
        if (!bTextToBool(value, result)) {
            writeBack(app, section, key, defText);
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
