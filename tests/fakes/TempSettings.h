#pragma once

// Points the settings store at a fresh temporary folder for the life of the object and
// puts the previous location back afterwards, so a test never touches the user's store.
// Create it before anything reads a setting.

#include "settings/SettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace kv::test {

class TempSettings {
public:
    TempSettings() : m_previous(settings::setStoreFolder(m_dir.path())) {}
    ~TempSettings() { settings::setStoreFolder(m_previous); }
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    QString folder() const { return m_dir.path(); }
    // The store file the program's reads and writes use now.
    QString file() const { return settings::storeFile(settings::settingsApp()); }

    // Direct access to the stored text, bypassing the program's defaults and write-backs.
    bool has(const QString& section, const QString& key) const {
        return HasSetting(settings::settingsApp(), section, key);
    }
    QString value(const QString& section, const QString& key) const {
        return GetSetting(settings::settingsApp(), section, key, QString());
    }
    void set(const QString& section, const QString& key, const QString& value) {
        SaveSetting(settings::settingsApp(), section, key, value);
    }
    // The keys stored in a section, as the program names them.
    QStringList keys(const QString& section) const {
        QSettings store(file(), QSettings::IniFormat);
        store.beginGroup(section);
        return store.childKeys();
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace kv::test
