// The catalogue build command: options, the steps shown on a terminal, stopping on Ctrl+C.

#include "BuildCommand.h"

#include "titles/engine/Compiler.h"

#include <QLocale>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace kv {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onSignal(int) {
    g_interrupted.store(true);
}

void err(const QString& s) {
    std::fputs(s.toUtf8().constData(), stderr);
}

int failWith(const QString& s) {
    err(QStringLiteral("korvanda-title: ") + s + u'\n');
    return 1;
}

// The step of the compile on one line, rewritten a few times a second; each new step on a
// line of its own, so the last lines show where the time went.
class StepLine {
public:
    void update(const title::CompileProgress& p) {
        const auto now = std::chrono::steady_clock::now();
        if (p.step != m_step) {
            finish();
            m_step = p.step;
        } else if (now - m_shown < std::chrono::milliseconds(250)) {
            return;
        }
        m_shown = now;
        const QLocale english(QLocale::English);
        QString line = p.step;
        if (p.total > 0)
            line += QStringLiteral(": %1 of %2")
                        .arg(english.toString(qulonglong(p.done)),
                             english.toString(qulonglong(p.total)));
        else if (p.done > 0)
            line += QStringLiteral(": %1 rows").arg(english.toString(qulonglong(p.done)));
        err(QStringLiteral("\r\x1b[K") + line);
        m_open = true;
    }
    void finish() {
        if (m_open) err(QStringLiteral("\n"));
        m_open = false;
    }

private:
    QString m_step;
    std::chrono::steady_clock::time_point m_shown;
    bool m_open = false;
};

} // namespace

const std::atomic<bool>* stopOnInterrupt() {
    static const bool installed = [] {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        return true;
    }();
    Q_UNUSED(installed);
    return &g_interrupted;
}

int buildCatalogueCommand(const QStringList& args) {
    const QString usage =
        QStringLiteral("usage: korvanda-title build catalogue SRC_DIR OUT [--memory MB] [--scratch DIR]");
    if (args.size() < 2) return failWith(usage);
    title::CompileOptions options;
    for (int i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return failWith(usage);
        if (args[i] == u"--memory") {
            bool ok = false;
            const qulonglong mb = args[i + 1].toULongLong(&ok);
            if (!ok || mb < 1 || mb > (1u << 20) || args[i + 1].startsWith(u'+'))
                return failWith(QStringLiteral("--memory must be a number from 1 to %1: %2")
                                    .arg(1u << 20)
                                    .arg(args[i + 1]));
            options.memoryBytes = size_t(mb) << 20;
        } else if (args[i] == u"--scratch") {
            options.scratchDir = args[i + 1];
        } else {
            return failWith(usage);
        }
    }
    StepLine line;
    if (isatty(STDERR_FILENO))
        options.progress = [&line](const title::CompileProgress& p) { line.update(p); };
    options.cancel = stopOnInterrupt();
    QString error, report;
    const bool ok = title::compileCatalogue(args[0], args[1], &error, &report, options);
    line.finish();
    if (!ok) return failWith(error + QStringLiteral("\nNothing was written to ") + args[1]);
    std::fputs(report.toUtf8().constData(), stdout);
    return 0;
}

} // namespace kv
