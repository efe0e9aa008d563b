// Kept in a file of its own: the recording details reach the same look-up, and a program
// links exactly one definition of it.
#include "collections/CollectionStore.h"

#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"

namespace kv {

bool bReleases_FindFirst(qint32 lngAlbumID, QString& strCatalogueNumber) {
    strCatalogueNumber.clear();
    return guarded("bReleases_FindFirst", [&] {
        Recordset& rs = collectionStore().rsCollectionDetails;
        if (rs.isNull() || !rs.isOpen()) raiseError(err::ObjectNotSet);
        useIndex(rs, QStringLiteral("Album ID"));
        rs.Seek(QStringLiteral("="), lngAlbumID);
        if (rs.NoMatch()) return false;
        strCatalogueNumber = strCheckNull(rs.value(QStringLiteral("Catalogue Number")));
        return true;
    });
}

} // namespace kv
