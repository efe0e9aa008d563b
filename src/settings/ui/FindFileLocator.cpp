#include "settings/ui/FindFileLocator.h"

#include "settings/ui/frmFindFile.h"

namespace kv {

bool FindFileLocator::locate(const QString& fileName, QString& fullPath, const QString& initDir,
                             const QString& fileType, const QString& fileTypeDesc) {
    bool accepted = false;
    frmFindFile::Locate_File(fileName, accepted, fullPath, initDir, fileType, fileTypeDesc);
    return accepted;
}

} // namespace kv
