#pragma once

#include "platform/FileLocator.h"

namespace kv {

// The file locator service of the program: the locate-file dialog.
class FindFileLocator : public IFileLocator {
public:
    bool locate(const QString& fileName, QString& fullPath, const QString& initDir = QString(),
                const QString& fileType = QString(),
                const QString& fileTypeDesc = QString()) override;
};

} // namespace kv
