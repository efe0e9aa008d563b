#pragma once

#include <QString>

namespace kv {

// The help viewer for the program's help book.
class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    virtual void setHelpFile(const QString& path) = 0;
    virtual QString helpFile() const = 0;
    virtual bool showContext(int contextNumber) = 0;
    virtual bool showContents() = 0;
    virtual void quit() = 0;
};

} // namespace kv
