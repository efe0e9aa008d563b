#pragma once

// Fakes of the platform services: each records what it was asked and answers from a
// script. TestContext installs a fresh process-wide context that uses them.

#include "platform/AppContext.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace kv::test {

struct ShownBox {
    QString text;
    QString title;
    int buttons = 0;
    int icon = 0;
    int defaultButton = 0;
    // The help context of a box with a Help button, 0 for none.
    int helpContext = 0;
};

class FakeMessageBox : public IMessageBox {
public:
    int show(const QString& text, int style, const QString& title) override;
    int showWithHelp(const QString& text, int style, int helpContext, const QString& title) override;
    void beep() override { ++beeps; }

    // Answers for the next boxes, in order; when none is left a box answers with its
    // default button.
    void answer(int result) { answers.push_back(result); }
    const ShownBox& last() const { return boxes.back(); }
    QStringList texts() const;

    std::vector<ShownBox> boxes;
    std::deque<int> answers;
    int beeps = 0;
    // Called while a box is "up" (before it answers), e.g. to check the busy pointer.
    std::function<void(const ShownBox&)> onShow;
};

// Hands the live dialog to the next script in the queue; the script types into it and
// presses its buttons. A dialog with no script left is rejected.
class FakeDialogRunner : public IDialogRunner {
public:
    using Script = std::function<void(QDialog&)>;
    int exec(QDialog& dialog) override;
    void script(Script s) { scripts.push_back(std::move(s)); }

    std::deque<Script> scripts;
    QStringList shown; // object names (or window titles) of the dialogs shown
};

class FakeFileDialogs : public IFileDialogs {
public:
    struct Request {
        QString title;
        QString filter;
        QString initial;
    };
    QString openFile(QWidget*, const QString& title, const QString& filter, const QString& initialDir) override;
    QString saveFile(QWidget*, const QString& title, const QString& filter, const QString& initialPath) override;

    std::deque<QString> answers; // "" means cancel
    std::vector<Request> requests;
};

class FakeBusyPointer : public IBusyPointer {
public:
    void setBusy() override {
        ++m_depth;
        ++everBusy;
    }
    void restore() override {
        if (m_depth > 0)
            --m_depth;
    }
    void reset() override { m_depth = 0; }
    int depth() const override { return m_depth; }
    int everBusy = 0;

private:
    int m_depth = 0;
};

class FakeSound : public ISound {
public:
    struct Play {
        QByteArray wave;
        int flags;
    };
    bool play(const QByteArray& wave, int flags) override {
        plays.push_back({wave, flags});
        return !wave.isEmpty();
    }
    void stop() override { ++stops; }
    std::vector<Play> plays;
    int stops = 0;
};

class FakeHelpViewer : public IHelpViewer {
public:
    void setHelpFile(const QString& path) override { file = path; }
    QString helpFile() const override { return file; }
    bool showContext(int n) override {
        contexts.push_back(n);
        return true;
    }
    bool showContents() override {
        ++contentsShown;
        return true;
    }
    void quit() override { ++quits; }
    QString file;
    std::vector<int> contexts;
    int contentsShown = 0;
    int quits = 0;
};

// Thrown instead of ending the process; it is not a std::exception, so no procedure's
// error guard swallows it.
struct ProcessEnded {
    int exitCode;
};

class FakeProcessControl : public IProcessControl {
public:
    [[noreturn]] void endNow(int exitCode) override {
        ++ends;
        throw ProcessEnded{exitCode};
    }
    int ends = 0;
};

class FakeRunningProgram : public IRunningProgram {
public:
    bool isRunning() const override { return running; }
    bool running = true;
};

class FakeShell : public IShell {
public:
    bool openUrl(const QString& url) override {
        opened << url;
        return openSucceeds;
    }
    // Every web address that reaches the shell is recorded in `opened`, as the text the
    // browser would get.
    WebOpenResult openWebAddress(const QUrl& url) override {
        opened << url.toString(QUrl::FullyEncoded);
        return webResult;
    }
    std::shared_ptr<IRunningProgram> startProgram(const QString& path, const QString& folder) override {
        started << path;
        folders << folder;
        if (!startSucceeds)
            return nullptr;
        last = std::make_shared<FakeRunningProgram>();
        return last;
    }
    QStringList opened, started, folders;
    bool openSucceeds = true;
    bool startSucceeds = true;
    WebOpenResult webResult;
    std::shared_ptr<FakeRunningProgram> last;
};

// A fresh process-wide context with fakes for every service (real resources are added
// by tests that need pictures or sounds).
class TestContext {
public:
    TestContext();
    AppContext& ctx() { return m_scope.get(); }
    FakeMessageBox& messages;
    FakeDialogRunner& dialogs;
    FakeFileDialogs& files;
    FakeBusyPointer& busy;
    FakeSound& sound;
    FakeHelpViewer& help;
    FakeProcessControl& process;
    FakeShell& shell;

private:
    ScopedContext m_scope;
};

} // namespace kv::test
