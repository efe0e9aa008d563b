#pragma once

#include <QString>
#include <QtGlobal>

namespace kv {

// Whether the collections hold a release of the recording `lngAlbumID`: true with the
// catalogue number of the first such record of "Collection - Contents" (index "Album ID").
// False when none does or no catalogue database is open; failures are reported under
// "bReleases_FindFirst" and give false.
bool bReleases_FindFirst(qint32 lngAlbumID, QString& strCatalogueNumber);

} // namespace kv
