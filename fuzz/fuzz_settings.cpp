// Hostile text as the settings file: the window size is read from it before start-up
// without changing it, every key start-up reads is read from it, the defaults go back to
// it, and a value saved afterwards must read back as it was saved.

#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSize.h"
#include "platform/AppContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
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

    // The read before start-up gives a choice the program offers and changes nothing.
    const int early = peekWindowSizeSetting();
    if (std::find(kWindowSizeChoices.begin(), kWindowSizeChoices.end(), early) ==
        kWindowSizeChoices.end())
        std::abort();
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) ||
            f.readAll() != QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)))
            std::abort();
    }

    bInit_Options();
    if (std::find(kWindowSizeChoices.begin(), kWindowSizeChoices.end(),
                  ctx().options.intWindowSize) == kWindowSizeChoices.end())
        std::abort();
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
