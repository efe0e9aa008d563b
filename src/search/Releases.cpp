#include "search/Releases.h"

#include "db/ErrorReport.h"
#include "db/RecordHelpers.h"
#include "db/catalogue/Catalogue.h"

namespace kv {

bool bReleases_FindFirst(qint32 lngAlbumID, QString& strCatalogueNumber) {
    strCatalogueNumber.clear();
    return guarded("bReleases_FindFirst", [&] {
        const Database& db = dbCatalogue();
        // Without a database there are no collections to consult.
        if (db.isNull() || !db.isOpen()) return false;
        Recordset contents = db.OpenRecordset(QStringLiteral("Collection - Contents"), dbOpenTable);
        contents.setIndex(QStringLiteral("Album ID"));
        contents.Seek(QStringLiteral("="), lngAlbumID);
        const bool found = !contents.NoMatch();
        if (found)
            strCatalogueNumber = strCheckNull(contents.value(QStringLiteral("Catalogue Number")));
        contents.Close();
        return found;
    });
}

} // namespace kv
