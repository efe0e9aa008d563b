#pragma once

#include <QString>
#include <memory>

namespace kv {

// A program started through the shell, for as long as anyone keeps the handle.
class IRunningProgram {
public:
    virtual ~IRunningProgram() = default;
    virtual bool isRunning() const = 0;
};

// Opening documents and URLs with their associated program, and starting programs.
class IShell {
public:
    virtual ~IShell() = default;
    virtual bool openUrl(const QString& urlOrPath) = 0;
    // Starts the program in the working folder; nullptr when it could not be started.
    // A file that is not executable is opened with its associated program instead, and
    // its handle then reports not running (the opener cannot be followed).
    virtual std::shared_ptr<IRunningProgram> startProgram(const QString& path, const QString& workingFolder) = 0;
};

} // namespace kv
