#include "platform/qt/QtServices.h"

#include "platform/qt/QtPrinter.h"
#include "platform/qt/QtResources.h"
#include "platform/qt/QtSecretStore.h"
#include "platform/qt/QtSound.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QUrl>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

class QtMessageBox : public IMessageBox {
public:
    int show(const QString& text, int style, const QString& title) override { return run(text, style, title, 0); }
    int showWithHelp(const QString& text, int style, int helpContext, const QString& title) override {
        return run(text, style, title, helpContext);
    }

private:
    int run(const QString& text, int style, const QString& title, int helpContext) {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
        // The program breaks lines with a carriage return; Qt's label wants a line feed.
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        box.setText(shown);
        switch (mb::iconOf(style)) {
        case mb::Critical: box.setIcon(QMessageBox::Critical); break;
        case mb::Question: box.setIcon(QMessageBox::Question); break;
        case mb::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case mb::Information: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon); break;
        }
        struct Choice {
            QMessageBox::StandardButton button;
            int result;
        };
        std::vector<Choice> choices;
        switch (mb::buttonsOf(style)) {
        case mb::OKCancel: choices = {{QMessageBox::Ok, mb::OK}, {QMessageBox::Cancel, mb::Cancel}}; break;
        case mb::AbortRetryIgnore:
            choices = {{QMessageBox::Abort, mb::Abort}, {QMessageBox::Retry, mb::Retry}, {QMessageBox::Ignore, mb::Ignore}};
            break;
        case mb::YesNoCancel:
            choices = {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}, {QMessageBox::Cancel, mb::Cancel}};
            break;
        case mb::YesNo: choices = {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}}; break;
        case mb::RetryCancel: choices = {{QMessageBox::Retry, mb::Retry}, {QMessageBox::Cancel, mb::Cancel}}; break;
        default: choices = {{QMessageBox::Ok, mb::OK}}; break;
        }
        QMessageBox::StandardButtons buttons;
        for (const Choice& c : choices)
            buttons |= c.button;
        box.setStandardButtons(buttons);
        const size_t defaultIndex = mb::defaultOf(style) == mb::Default3 ? 2 : mb::defaultOf(style) == mb::Default2 ? 1 : 0;
        box.setDefaultButton(choices[std::min(defaultIndex, choices.size() - 1)].button);
        QPushButton* help = nullptr;
        if (helpContext > 0 || (style & mb::MsgBoxHelpButton))
            help = box.addButton(QMessageBox::Help);
        // A box needs the normal pointer even while the program is busy.
        const bool busy = QApplication::overrideCursor() != nullptr;
        if (busy)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        int pressed = box.exec();
        // Help opens the help book and leaves the box up, so the user can read both.
        while (help && box.clickedButton() == help) {
            if (IHelpViewer* viewer = ctx().services.help.get())
                viewer->showContext(helpContext);
            pressed = box.exec();
        }
        if (busy)
            QApplication::restoreOverrideCursor();
        for (const Choice& c : choices)
            if (c.button == pressed)
                return c.result;
        // Closed without a button Qt knows: the last choice is the escape one.
        return choices.back().result;
    }
    void beep() override { QApplication::beep(); }
};

class QtDialogRunner : public IDialogRunner {
public:
    int exec(QDialog& dialog) override { return dialog.exec(); }
};

class QtFileDialogs : public IFileDialogs {
public:
    QString openFile(QWidget* parent, const QString& title, const QString& filter, const QString& initialDir) override {
        return QFileDialog::getOpenFileName(parent, title, initialDir, qtFilterFromClassic(filter));
    }
    QString saveFile(QWidget* parent, const QString& title, const QString& filter, const QString& initialPath) override {
        QFileDialog dialog(parent, title, initialPath, qtFilterFromClassic(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // A name typed without an extension takes the chosen type's, before the dialog asks
        // whether to replace an existing file of that name.
        const auto suffixOf = [](const QString& nameFilter) {
            static const QRegularExpression single(QStringLiteral("\\(\\*\\.(\\w+)[ )]"));
            const QRegularExpressionMatch m = single.match(nameFilter);
            return m.hasMatch() ? m.captured(1).toLower() : QString();
        };
        dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&](const QString& chosen) { dialog.setDefaultSuffix(suffixOf(chosen)); });
        if (dialog.exec() != QDialog::Accepted) return QString();
        return dialog.selectedFiles().value(0);
    }
};

class QtBusyPointer : public IBusyPointer {
public:
    void setBusy() override {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_depth;
    }
    void restore() override {
        if (m_depth == 0)
            return;
        --m_depth;
        QApplication::restoreOverrideCursor();
    }
    void reset() override {
        while (m_depth > 0)
            restore();
    }
    int depth() const override { return m_depth; }

private:
    int m_depth = 0;
};

class QtRunningProgram : public IRunningProgram {
public:
    explicit QtRunningProgram(std::unique_ptr<QProcess> process) : m_process(std::move(process)) {}
    ~QtRunningProgram() override {
        // The program goes on after we let go of it.
        if (m_process && m_process->state() != QProcess::NotRunning)
            m_process.release()->setParent(nullptr);
    }
    bool isRunning() const override { return m_process && m_process->state() != QProcess::NotRunning; }

private:
    std::unique_ptr<QProcess> m_process;
};

class NotFollowed : public IRunningProgram {
public:
    bool isRunning() const override { return false; }
};

// xdg-open's documented exit statuses.
constexpr int kOpenerToolMissing = 3;
// How long the opener may take before it counts as having handed the address over: a
// desktop without a session helper runs the browser itself and returns only when it ends.
constexpr int kOpenerWaitMs = 4000;

class QtShell : public IShell {
public:
    WebOpenResult openWebAddress(const QUrl& url) override {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return QDesktopServices::openUrl(url) ? WebOpenResult{} : WebOpenResult{WebOpenResult::NoProgram, 0};
        auto* process = new QProcess;
        process->setProgram(opener);
        process->setArguments({url.toString(QUrl::FullyEncoded)});
        process->setStandardInputFile(QProcess::nullDevice());
        process->start();
        if (!process->waitForStarted(kOpenerWaitMs)) {
            delete process;
            return {WebOpenResult::NoProgram, 0};
        }
        if (process->waitForFinished(kOpenerWaitMs)) {
            const bool normal = process->exitStatus() == QProcess::NormalExit;
            const int code = process->exitCode();
            delete process;
            if (normal && code == 0)
                return {};
            if (normal && code == kOpenerToolMissing)
                return {WebOpenResult::NoProgram, code};
            return {WebOpenResult::Failed, normal ? code : 0};
        }
        // Still running: it has started the browser. It is let go, not ended with the
        // program, so closing Korvanda never closes the browser.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return {};
    }
    bool openUrl(const QString& urlOrPath) override {
        const QUrl url = QFileInfo::exists(urlOrPath) ? QUrl::fromLocalFile(urlOrPath) : QUrl::fromUserInput(urlOrPath);
        return url.isValid() && QDesktopServices::openUrl(url);
    }
    std::shared_ptr<IRunningProgram> startProgram(const QString& path, const QString& workingFolder) override {
        const QFileInfo file(path);
        if (!file.exists())
            return nullptr;
        if (!file.isExecutable())
            return openUrl(path) ? std::make_shared<NotFollowed>() : nullptr;
        auto process = std::make_unique<QProcess>();
        process->setProgram(file.absoluteFilePath());
        process->setWorkingDirectory(workingFolder.isEmpty() ? file.absolutePath() : workingFolder);
        process->start();
        if (!process->waitForStarted(5000))
            return nullptr;
        return std::make_shared<QtRunningProgram>(std::move(process));
    }
};

class QtProcessControl : public IProcessControl {
public:
    [[noreturn]] void endNow(int exitCode) override {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
};

} // namespace

void installQtServices(AppContext& context) {
    Services& s = context.services;
    s.messages = std::make_unique<QtMessageBox>();
    s.dialogs = std::make_unique<QtDialogRunner>();
    s.files = std::make_unique<QtFileDialogs>();
    s.busy = std::make_unique<QtBusyPointer>();
    s.sound = std::make_unique<QtSound>();
    s.resources = std::make_unique<QtResources>();
    s.process = std::make_unique<QtProcessControl>();
    s.shell = std::make_unique<QtShell>();
    s.secrets = std::make_unique<QtSecretStore>(QStringLiteral("Korvanda"));
    s.printer = std::make_unique<QtPrinter>();
}

} // namespace kv
