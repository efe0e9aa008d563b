// Start-up's reads from the settings store: the fourteen program options and the four data
// file locations, as a fresh process does them (the file is parsed anew each iteration).
// The peer is the least any reader can do: one QSettings parse of the same file and the
// same eighteen values read from it. Two files: the store as a run of the program leaves
// it, and the same with other sections filling it to just under the size the store reads.

#include "settings/Options.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

using namespace kv;

namespace {

constexpr qint64 kLargeSize = 1000 * 1024; // the store reads files up to 1 MiB

struct StoreFiles {
    StoreFiles() {
        normal = make(QStringLiteral("normal"), 0);
        large = make(QStringLiteral("large"), kLargeSize);
    }
    // A store folder whose file holds what a start writes, then filler up to fillTo bytes.
    QString make(const QString& name, qint64 fillTo) {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder + QStringLiteral("/TALV_Ltd"));
        QByteArray text = "[File%20Locations]\n"
                          "Database=/home/user/.local/share/TALV_Ltd/Korvanda/KORDB.MDB\n"
                          "Music.M14=/opt/korvanda/Music.M14\n"
                          "Shops.M14=/opt/korvanda/Shops.M14\n"
                          "\n[Options]\nSystemDB32=/opt/korvanda/KORDB.MDW\n"
                          "\n[Program%20Options]\n"
                          "Album%20Auto%20Search=True\nAlbum%20Quick%20Search=False\n"
                          "Artist%20Auto%20Search=True\nArtist%20Quick%20Search=True\n"
                          "Browser%20Name=\nBrowser%20Path=\nCollection%20Tips=False\n"
                          "Confirm%20Delete=True\nInclude%20Compilations=False\nPlay%20Intro=True\n"
                          "Quick%20Add=True\nTool%20Tips=True\nTrack%20Auto%20Search=False\n"
                          "Track%20Quick%20Search=False\n";
        for (int section = 0; text.size() < fillTo; ++section) {
            text += "\n[Recent%20" + QByteArray::number(section) + "]\n";
            for (int k = 0; k < 100 && text.size() < fillTo; ++k)
                text += "Entry%20" + QByteArray::number(k) +
                        "=/home/user/Music/Collections/Some artist/Some album, disc " +
                        QByteArray::number(k) + "\n";
        }
        QFile f(folder + QStringLiteral("/TALV_Ltd/TALV_Ltd.ini"));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return folder;
    }
    QTemporaryDir dir;
    QString normal, large;
};

StoreFiles& files() {
    static StoreFiles f;
    return f;
}

QString folderOf(const benchmark::State& state) {
    return state.range(0) ? files().large : files().normal;
}

// A new modification time makes every reader take the file as changed, as a new process
// would find it: nothing parsed before is reused.
void touch(const QString& folder) {
    static long tick = 0;
    const QByteArray file = QFile::encodeName(folder + QStringLiteral("/TALV_Ltd/TALV_Ltd.ini"));
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += ++tick;
    times[1] = times[0];
    utimensat(AT_FDCWD, file.constData(), times, 0);
}

void Startup_Store(benchmark::State& state) {
    const QString folder = folderOf(state);
    for (auto _ : state) {
        state.PauseTiming();
        touch(folder);
        settings::setStoreFolder(folder);
        state.ResumeTiming();
        benchmark::DoNotOptimize(bInit_Options());
        benchmark::DoNotOptimize(GetSetting_Str(kSectionOptions, QStringLiteral("SystemDB32"),
                                                QStringLiteral("/opt/korvanda/KORDB.MDW")));
        for (const char* key : {"Database", "Music.M14", "Shops.M14"})
            benchmark::DoNotOptimize(
                GetSetting_Str(kSectionFileLocations, QLatin1String(key), QString()));
    }
}

void Startup_QSettingsOnce(benchmark::State& state) {
    const QString folder = folderOf(state);
    const QString file = folder + QStringLiteral("/TALV_Ltd/TALV_Ltd.ini");
    static const char* const keys[] = {"Program Options/Artist Quick Search",
                                       "Program Options/Album Quick Search",
                                       "Program Options/Track Quick Search",
                                       "Program Options/Artist Auto Search",
                                       "Program Options/Album Auto Search",
                                       "Program Options/Track Auto Search",
                                       "Program Options/Include Compilations",
                                       "Program Options/Quick Add",
                                       "Program Options/Confirm Delete",
                                       "Program Options/Tool Tips",
                                       "Program Options/Play Intro",
                                       "Program Options/Collection Tips",
                                       "Program Options/Browser Path",
                                       "Program Options/Browser Name",
                                       "Options/SystemDB32",
                                       "File Locations/Database",
                                       "File Locations/Music.M14",
                                       "File Locations/Shops.M14"};
    for (auto _ : state) {
        state.PauseTiming();
        touch(folder);
        state.ResumeTiming();
        QSettings store(file, QSettings::IniFormat);
        for (const char* key : keys)
            benchmark::DoNotOptimize(store.value(QLatin1String(key)).toString());
    }
}

} // namespace

BENCHMARK(Startup_Store)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Startup_QSettingsOnce)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
