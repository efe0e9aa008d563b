#pragma once

#include "platform/BusyPointer.h"
#include "platform/Dialogs.h"
#include "platform/FileLocator.h"
#include "platform/FormRegistry.h"
#include "platform/HelpViewer.h"
#include "platform/Mail.h"
#include "platform/MessageBox.h"
#include "platform/Printer.h"
#include "platform/ProcessControl.h"
#include "platform/Resources.h"
#include "platform/SecretStore.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kv {

// The services through which the program reaches the world outside the process.
struct Services {
    std::unique_ptr<IMessageBox> messages;
    std::unique_ptr<IDialogRunner> dialogs;
    std::unique_ptr<IFileDialogs> files;
    std::unique_ptr<IFileLocator> locator;
    std::unique_ptr<IBusyPointer> busy;
    std::unique_ptr<ISound> sound;
    std::unique_ptr<IResources> resources;
    std::unique_ptr<IHelpViewer> help;
    std::unique_ptr<IProcessControl> process;
    std::unique_ptr<IShell> shell;
    std::unique_ptr<IMail> mail;
    std::unique_ptr<ISecretStore> secrets;
    std::unique_ptr<IPrinter> printer;
};

// Values fixed during start-up that live for the whole run.
struct Constants {
    int intScreenWidth = 0;
    int intScreenHeight = 0;
    int intLayoutClass = 0;
    int lngResourceBase = 10000;
    QString strCatalogueTitle;
    QString strCatalogueIDCode;
    double dblCatalogueVersion = 0.0;
    QString strDBUser;
    QString strDBPassword;
    QString strTitleMarkerFile;
    QString strSettingsApp;
    QRect rectScreenArea;
};

// The program options as read from the settings store at start-up. Index 0 artists,
// 1 albums, 2 tracks.
struct ProgramOptions {
    std::array<bool, 3> QuickSearch{true, false, false};
    std::array<bool, 3> AutoSearch{true, true, false};
    bool bIncludeCompilations = false;
    bool bQuickAdd = true;
    bool bConfirmDelete = true;
    bool bToolTips = true;
    bool bPlayIntro = true;
    bool bCollectionTips = false;
    QString strBrowserPath;
    QString strBrowserName;
};

// The process-wide context: services, constants, options, the loaded windows and the
// navigation state. Exactly one is current; tests install a fresh one per test.
class AppContext {
public:
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Services services;
    Constants constants;
    ProgramOptions options;
    FormRegistry forms;

    // The folder of the program's read-only data (titles, help, clips, template database).
    QString appFolder;
    // The writable per-user data folder (the user's copy of the database lives here when
    // the application folder cannot be written).
    QString userDataFolder;

    // Navigation state: the code of the screen now shown (0 before the first one), and
    // the window of that screen (cleared at exit).
    int intCurrentScreen = 0;
    QPointer<QObject> frmActive;

    // Run in order by the background window when the program exits, after the windows
    // are unloaded: subsystems close their record sets and the database here.
    std::vector<std::pair<QString, std::function<void()>>> shutdownSteps;

    // Free slots for subsystems above this layer (database, titles, collections ...),
    // destroyed in reverse order of creation when the context ends.
    template <typename T> T& slot() {
        static const int key = nextSlotKey();
        auto& entry = slotAt(key);
        if (!entry) {
            auto* object = new T();
            entry = std::shared_ptr<void>(object, [](void* p) { delete static_cast<T*>(p); });
            noteSlotCreated(key);
        }
        return *static_cast<T*>(entry.get());
    }

    // Convenience access to the services.
    IMessageBox& messages() const { return *services.messages; }
    IBusyPointer& busy() const { return *services.busy; }

private:
    static int nextSlotKey();
    std::shared_ptr<void>& slotAt(int key);
    void noteSlotCreated(int key);
    struct SlotStore;
    std::unique_ptr<SlotStore> m_slots;
};

// The current context. There is always one: a default one with no services is made on
// first use, but the program and each test install their own with ScopedContext.
AppContext& ctx();

// Makes a fresh context current for its lifetime and puts the previous one back after.
class ScopedContext {
public:
    ScopedContext();
    ~ScopedContext();
    AppContext& get() { return *m_context; }
    AppContext* operator->() { return m_context.get(); }

private:
    std::unique_ptr<AppContext> m_context;
    AppContext* m_previous;
};

} // namespace kv
