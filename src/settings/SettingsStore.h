#pragma once

#include <QString>

namespace kv {

// The per-user settings store: application name -> section -> key -> text. It is one INI
// file in the user's configuration folder, "<folder>/<app>/<app>.ini", where the
// application name is ctx().constants.strSettingsApp ("TALV_Ltd"). Booleans are stored as
// the text "True" or "False".
//
// Each store file is parsed once and kept in memory; it is parsed again only when the file
// on disk changes behind the program's back. A store file that is not a regular file (a
// FIFO would block the read), is larger than settings::kMaxStoreFileSize or does not parse
// is never read: it is renamed aside, the user is told once, and the defaults are used.

// The sections of the store.
inline const QString kSectionProgramOptions = QStringLiteral("Program Options");
inline const QString kSectionFileLocations = QStringLiteral("File Locations");
inline const QString kSectionOptions = QStringLiteral("Options");

// The application name used when start-up has not set one.
inline const QString kDefaultSettingsApp = QStringLiteral("TALV_Ltd");

// The raw store: the value of a key, or the default when the key is missing. SaveSetting
// returns false when the store cannot be written.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& def);
bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);
// Whether the key exists in the store.
bool HasSetting(const QString& appName, const QString& section, const QString& key);

// The program's reads and writes under strSettingsApp. A read that finds the default (or
// no value at all) writes the default back, so every key read once exists afterwards. A
// stored Boolean that does not convert ("yes", "", garbage) is replaced by the default.
QString GetSetting_Str(const QString& section, const QString& key, const QString& def);
bool GetSetting_Bool(const QString& section, const QString& key, bool def);
// Store a value; true unless the store could not be written (reported as an error).
bool SaveSetting_Str(const QString& section, const QString& key, const QString& value);
bool SaveSetting_Bool(const QString& section, const QString& key, bool value);

// "True" / "False".
QString strBoolText(bool value);
// The classic text-to-Boolean conversion: "True"/"False" in any case, or a number
// (non-zero is True), blanks around either ignored. Returns false when it does not convert.
bool bTextToBool(const QString& text, bool& value);

namespace settings {

// The largest store file that is read. The program's own store is a few kilobytes; a file
// far beyond that is not one it wrote, and parsing it would stall start-up.
inline constexpr qint64 kMaxStoreFileSize = 1024 * 1024;

// Holds back the defaults that reads write back (GetSetting_Str, GetSetting_Bool) until the
// outermost batch ends, then writes each store file that changed once, best effort as
// those write-backs always are. Explicit saves are never held back: they write at once,
// together with whatever is held, and report their failure.
class WriteBatch {
public:
    WriteBatch();
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;
};

// The folder that holds the store (one sub-folder per application name). Empty means the
// user's configuration folder ($XDG_CONFIG_HOME or ~/.config).
QString storeFolder();
// Points the store at another folder (tests); returns the previous setting. Whatever was
// read before is forgotten, so the next read parses the file again.
QString setStoreFolder(const QString& folder);
// The store file for an application name.
QString storeFile(const QString& appName);
// The application name the program's reads and writes use.
QString settingsApp();

} // namespace settings
} // namespace kv
