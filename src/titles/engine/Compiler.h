#pragma once

// Compiling titles from their sources (the catalogue CSV folder, the shop list) and
// generating the demo sources. On success `report` says what was read and written; on
// failure `error` names the file, line and reason, and no output file is left behind.

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <functional>

namespace kv::title {

inline constexpr char kMarkerFile[] = "Korva.$$$";

// What a catalogue compile may hold in memory for the pages it has made, and again for the
// tracks it sorts by recording, before it moves them to unnamed scratch files in
// `scratchDir` (the output's folder when empty). Everything else it holds grows with the
// artists, recordings, releases and distinct keywords, not with the tracks.
struct CompileProgress {
    QString step;       // "Reading tracks.csv", "Writing recording pages", ...
    uint64_t done = 0;  // rows or pages of the step so far
    uint64_t total = 0; // 0 when not known in advance
};
struct CompileOptions {
    size_t memoryBytes = size_t(512) << 20;
    QString scratchDir;
    // Called as each step starts and every few ten thousand rows or pages.
    std::function<void(const CompileProgress&)> progress;
    // Set to stop: the compile fails with "interrupted" and the previous title stays.
    const std::atomic<bool>* cancel = nullptr;
};

bool compileCatalogue(const QString& sourceDir, const QString& outPath, QString* error,
                      QString* report = nullptr, const CompileOptions& options = {});
bool compileShops(const QString& shopsCsv, const QString& outPath, QString* error,
                  QString* report = nullptr);

// Writes artists.csv, recordings.csv, releases.csv, tracks.csv and shops.csv into `dir`;
// the same seed and count always give the same files.
bool writeDemoSource(const QString& dir, int artists, quint64 seed, QString* error,
                     QString* report = nullptr);

} // namespace kv::title
