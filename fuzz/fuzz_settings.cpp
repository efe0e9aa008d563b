// Hostile text as the settings file: every key start-up reads is read from it, the defaults
// go back to it, and a value saved afterwards must read back as it was saved.

#include "settings/Options.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir root;
    static int run = 0;
    settings::setStoreFolder(root.path());
    const QString file = settings::storeFile(settings::settingsApp());
    const QString folder = QFileInfo(file).path();
    QDir(folder).removeRecursively(); // the last input's file and what was set aside
    QDir().mkpath(folder);
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // A time no earlier file had: nothing parsed for the last input can stand in for this one.
    timespec times[2] = {{946684800 + ++run, 0}, {946684800 + run, 0}};
    if (utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0) != 0) std::abort();

    bInit_Options();
    GetSetting_Str(kSectionOptions, QStringLiteral("SystemDB32"), QStringLiteral("/k/KORDB.MDW"));
    for (const char* key : {"Database", "Music.M14", "Shops.M14", "VIVO_GO.EXE"})
        GetSetting_Str(kSectionFileLocations, QLatin1String(key), QStringLiteral("/k/x"));
    HasSetting(settings::settingsApp(), kSectionFileLocations, QStringLiteral("Database"));

    const QString saved = QStringLiteral(" \"quoted\", with\\back=slash;\n@at ");
    if (!SaveSetting_Str(kSectionProgramOptions, QStringLiteral("Browser Name"), saved))
        std::abort();
    if (GetSetting_Str(kSectionProgramOptions, QStringLiteral("Browser Name"), QString()) != saved)
        std::abort();

    settings::setStoreFolder(QString());
    return 0;
}
