// The import command: options, progress on a terminal, stopping on Ctrl+C.

#include "ImportCommand.h"

#include "Terminal.h"

#include "titles/import/DiscogsImport.h"

#include <QFileInfo>
#include <QLocale>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace kv {

namespace {

QString clock(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QChar(u'0'))
                           .arg(s % 60, 2, 10, QChar(u'0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar(u'0'));
}

// Records read, the rate and the time left, on the terminal's status line.
class ProgressLine {
public:
    void update(const titleimport::ImportProgress& p) {
        const auto now = std::chrono::steady_clock::now();
        if (p.file != m_file) {
            m_file = p.file;
            m_start = now;
        }
        if (!m_line.due(p.file)) return;
        const double elapsed = std::chrono::duration<double>(now - m_start).count();
        const QLocale english(QLocale::English);
        QString line =
            QStringLiteral("%1: %2 records")
                .arg(QFileInfo(p.file).fileName(), english.toString(qulonglong(p.records)));
        if (elapsed > 0.5) {
            line += QStringLiteral(", %1 MB/s, %2 records/s")
                        .arg(double(p.bytes) / 1e6 / elapsed, 0, 'f', 1)
                        .arg(english.toString(qint64(double(p.records) / elapsed)));
            if (p.fileSize > 0 && p.filePosition > 0 && p.filePosition <= p.fileSize)
                line += QStringLiteral(", %1 left")
                            .arg(clock(elapsed * double(p.fileSize - p.filePosition) /
                                       double(p.filePosition)));
        }
        m_line.show(line);
    }
    void finishLine() { m_line.finish(); }

private:
    StatusLine m_line;
    QString m_file;
    std::chrono::steady_clock::time_point m_start;
};

bool toInt(const QString& s, qint64 min, qint64 max, qint64& out) {
    bool ok = false;
    out = s.toLongLong(&ok);
    return ok && out >= min && out <= max;
}

} // namespace

QString importUsage() {
    return QStringLiteral(
        "  korvanda-title import discogs OUTDIR --releases FILE [--masters FILE] [--artists FILE]\n"
        "      [--genre G]... [--style S]... [--country C]... [--format F]...\n"
        "      [--year-from Y] [--year-to Y] [--limit N]");
}

int importCommand(const QStringList& args) {
    if (args.size() < 2 || args[0] != u"discogs")
        return failWith(QStringLiteral("usage:\n") + importUsage());
    titleimport::DiscogsImportOptions o;
    o.outDir = args[1];
    for (int i = 2; i < args.size(); i += 2) {
        const QString& name = args[i];
        if (i + 1 >= args.size()) return failWith(QStringLiteral("%1 needs a value").arg(name));
        const QString& value = args[i + 1];
        qint64 n = 0;
        if (name == u"--releases")
            o.releases = value;
        else if (name == u"--masters")
            o.masters = value;
        else if (name == u"--artists")
            o.artists = value;
        else if (name == u"--genre")
            o.genres << value;
        else if (name == u"--style")
            o.styles << value;
        else if (name == u"--country")
            o.countries << value;
        else if (name == u"--format")
            o.formats << value;
        else if (name == u"--year-from" || name == u"--year-to") {
            if (!toInt(value, 1, 9999, n))
                return failWith(QStringLiteral("%1 must be a year, not \"%2\"").arg(name, value));
            (name == u"--year-from" ? o.yearFrom : o.yearTo) = int(n);
        } else if (name == u"--limit") {
            if (!toInt(value, 1, std::numeric_limits<qint64>::max(), n))
                return failWith(
                    QStringLiteral("--limit must be a number of releases, not \"%1\"").arg(value));
            o.limit = uint64_t(n);
        } else {
            return failWith(QStringLiteral("unknown option %1\nusage:\n").arg(name) +
                            importUsage());
        }
    }
    if (o.releases.isEmpty())
        return failWith(QStringLiteral("--releases FILE is required\nusage:\n") + importUsage());

    ProgressLine line;
    if (isatty(STDERR_FILENO))
        o.progress = [&line](const titleimport::ImportProgress& p) { line.update(p); };
    o.cancel = stopOnInterrupt();

    titleimport::DiscogsImportReport report;
    QString error;
    const bool ok = titleimport::importDiscogs(o, report, &error);
    line.finishLine();
    if (!ok) return failWith(error + QStringLiteral("\nNothing was written to ") + o.outDir);
    std::fputs(report.text(o.outDir).toUtf8().constData(), stdout);
    return 0;
}

} // namespace kv
