#pragma once

#include <QString>

namespace kv {

// Asks the user to point to a data file that is not where the settings say (the
// locate-file dialog). Returns true with the accepted full path, or false with "".
class IFileLocator {
public:
    virtual ~IFileLocator() = default;
    virtual bool locate(const QString& fileName, QString& fullPath, const QString& initDir = QString(),
                        const QString& fileType = QString(), const QString& fileTypeDesc = QString()) = 0;
};

} // namespace kv
