// The catalogue build command: options, the steps shown on a terminal, stopping on Ctrl+C.

#include "BuildCommand.h"

#include "Terminal.h"

#include "titles/engine/Compiler.h"

#include <QLocale>
#include <cstdio>
#include <unistd.h>

namespace kv {

namespace {

// The step of the compile and how far it got.
QString stepText(const title::CompileProgress& p) {
    const QLocale english(QLocale::English);
    if (p.total > 0)
        return p.step + QStringLiteral(": %1 of %2")
                            .arg(english.toString(qulonglong(p.done)),
                                 english.toString(qulonglong(p.total)));
    if (p.done > 0)
        return p.step + QStringLiteral(": %1 rows").arg(english.toString(qulonglong(p.done)));
    return p.step;
}

} // namespace

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
    StatusLine line;
    if (isatty(STDERR_FILENO))
        options.progress = [&line](const title::CompileProgress& p) {
            if (line.due(p.step)) line.show(stepText(p));
        };
    options.cancel = stopOnInterrupt();
    QString error, report;
    const bool ok = title::compileCatalogue(args[0], args[1], &error, &report, options);
    line.finish();
    if (!ok) return failWith(error + QStringLiteral("\nNothing was written to ") + args[1]);
    std::fputs(report.toUtf8().constData(), stdout);
    return 0;
}

} // namespace kv
