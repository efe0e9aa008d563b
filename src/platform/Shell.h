#pragma once

#include <QString>
#include <QUrl>
#include <memory>

namespace kv {

// A program started through the shell, for as long as anyone keeps the handle.
class IRunningProgram {
public:
    virtual ~IRunningProgram() = default;
    virtual bool isRunning() const = 0;
};

// What became of a request to open a web address in the browser.
struct WebOpenResult {
    enum Status { Opened, NoProgram, Failed };
    Status status = Opened;
    // The opener's own failure code (its exit status) when it failed, 0 otherwise.
    int code = 0;
};

// Opening documents and URLs with their associated program, and starting programs.
class IShell {
public:
    virtual ~IShell() = default;
    virtual bool openUrl(const QString& urlOrPath) = 0;
    // Hands a web address to the desktop's browser. NoProgram: nothing on this desktop opens
    // this kind of address. The caller decides which addresses may be opened at all.
    virtual WebOpenResult openWebAddress(const QUrl& url) {
        return openUrl(url.toString(QUrl::FullyEncoded)) ? WebOpenResult{}
                                                         : WebOpenResult{WebOpenResult::Failed, 0};
    }
    // Starts the program in the working folder; nullptr when it could not be started.
    // A file that is not executable is opened with its associated program instead, and
    // its handle then reports not running (the opener cannot be followed).
    virtual std::shared_ptr<IRunningProgram> startProgram(const QString& path, const QString& workingFolder) = 0;
};

} // namespace kv
