#pragma once

// Imports the public Discogs data dumps (releases, and optionally masters and artists) into
// the catalogue source folder the title compiler reads: artists.csv, recordings.csv,
// releases.csv, tracks.csv. docs/import-discogs.md tells the mapping.
//
// The dumps are read once each, as a stream; what must be remembered across records is a
// few bits per id (which masters have releases kept, which artists are named) and, when a
// masters file is given, its main release ids. What a recording needs from a release that
// comes before or after its master's others goes to temporary files next to the output and
// is joined at the end. The output folder changes only when the import succeeds.

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace kv::titleimport {

struct ImportProgress {
    QString file;                            // the dump being read ("" while the output is joined)
    uint64_t records = 0;                    // records read from it so far
    uint64_t bytes = 0;                      // decompressed bytes read from it so far
    uint64_t filePosition = 0, fileSize = 0; // bytes of the file itself; size 0 when unknown
};

struct DiscogsImportOptions {
    QString outDir;
    QString releases; // required
    QString masters;  // optional
    QString artists;  // optional
    // Filters on releases; several values of one filter: any of them; different filters:
    // all of them. Compared without regard to case.
    QStringList genres, styles, countries, formats;
    int yearFrom = 0, yearTo = 0;                        // 0: no bound
    uint64_t limit = 0;                                  // releases kept at most; 0: all
    std::function<void(const ImportProgress&)> progress; // called every few thousand records
    const std::atomic<bool>* cancel = nullptr;           // set to stop; the output stays as it was
};

struct DiscogsImportReport {
    uint64_t mastersRead = 0, releasesRead = 0, artistsRead = 0;
    uint64_t releasesKept = 0, releasesFiltered = 0, releasesNotAccepted = 0;
    uint64_t recordings = 0, releaseRows = 0, tracks = 0, artists = 0;
    uint64_t skipped = 0;
    std::vector<QString> firstSkipped; // "release 123: why", the first few
    bool limitReached = false;
    uint64_t bytesRead = 0; // decompressed XML, all files
    // What the command prints at the end.
    QString text(const QString& outDir) const;
};

// Builds the folder; on failure `error` says why and the output folder is as it was.
bool importDiscogs(const DiscogsImportOptions& options, DiscogsImportReport& report,
                   QString* error);

// Album ids: a master's recording takes the master id, a release without a master takes
// kReleaseAlbumBase plus its release id, so both stay the same from one dump to the next.
inline constexpr uint32_t kMaxMasterId = 9999999;
inline constexpr uint32_t kReleaseAlbumBase = 10000000;
inline constexpr uint32_t kMaxReleaseId = 99999999 - kReleaseAlbumBase;
inline constexpr uint32_t kMaxArtistId = 99999999;

} // namespace kv::titleimport
