#pragma once

// Compiling titles from their sources (the catalogue CSV folder, the shop list) and
// generating the demo sources. On success `report` says what was read and written; on
// failure `error` names the file, line and reason, and no output file is left behind.

#include <QString>
#include <QtGlobal>

namespace kv::title {

inline constexpr char kMarkerFile[] = "Korva.$$$";

bool compileCatalogue(const QString& sourceDir, const QString& outPath, QString* error,
                      QString* report = nullptr);
bool compileShops(const QString& shopsCsv, const QString& outPath, QString* error,
                  QString* report = nullptr);

// Writes artists.csv, recordings.csv, releases.csv, tracks.csv and shops.csv into `dir`;
// the same seed and count always give the same files.
bool writeDemoSource(const QString& dir, int artists, quint64 seed, QString* error,
                     QString* report = nullptr);

} // namespace kv::title
