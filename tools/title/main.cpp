// korvanda-title: compiles titles, generates the demo catalogue and answers look-ups.

#include "BuildCommand.h"
#include "ImportCommand.h"
#include "Terminal.h"
#include "titles/engine/Compiler.h"
#include "titles/engine/Page.h"
#include "titles/engine/ViewerLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

using namespace kv;

namespace {

constexpr int kWholeKeyword = 65536 + 1;

void out(const QString& s) {
    std::fputs(s.toUtf8().constData(), stdout);
}

int usage() {
    return failWith(QStringLiteral("usage:\n"
                                   "  korvanda-title build catalogue SRC_DIR OUT [--memory MB] [--scratch DIR]\n"
                                   "  korvanda-title build shops SHOPS_CSV OUT\n"
                                   "  korvanda-title demo DIR [--artists N] [--seed S]\n"
                                   "  korvanda-title info TITLE\n"
                                   "  korvanda-title keywords TITLE WHEEL [FROM [COUNT]]\n"
                                   "  korvanda-title prefix TITLE WHEEL TEXT\n"
                                   "  korvanda-title search TITLE WHEEL PATTERN\n"
                                   "  korvanda-title topics TITLE WHEEL KEYWORD\n"
                                   "  korvanda-title topic TITLE ADDRESS_OR_CONTEXT\n") +
                    importUsage());
}

QString upToNul(const QString& buffer) {
    const qsizetype nul = buffer.indexOf(QChar(0));
    return nul < 0 ? buffer : buffer.left(nul);
}

bool isDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// A whole number from `min` to `max`, digits only: a value that would not fit is refused,
// never cut to fit.
bool toNumber(const QString& s, quint64 min, quint64 max, quint64& value) {
    bool ok = false;
    value = s.toULongLong(&ok);
    return isDigits(s) && ok && value >= min && value <= max;
}

int badNumber(const char* name, const QString& arg, quint64 min, quint64 max) {
    return failWith(QStringLiteral("%1 must be a number from %2 to %3: %4")
                        .arg(QLatin1String(name))
                        .arg(min)
                        .arg(max)
                        .arg(arg));
}

constexpr quint64 kMaxInt32 = 0x7FFFFFFF;

// Opens a title and, when asked, one of its wheels; closes both on the way out.
class Opened {
public:
    explicit Opened(const QString& path) : title(hMVTitleOpen(path)) {}
    ~Opened() {
        if (wheel) MVWordWheelClose(wheel);
        if (title) MVTitleClose(title);
    }
    bool openWheel(const QString& id) {
        wheel = hMVWordWheelOpenTitle(title, u'|' + id);
        return wheel != 0;
    }
    // False when the keyword's record in the title is damaged.
    bool keyword(qint32 position, QString& text) const {
        QString buffer;
        if (nMVWordWheelLookup(wheel, position, buffer, kWholeKeyword) != 0) return false;
        text = upToNul(buffer);
        return true;
    }
    MVHandle title = 0;
    MVHandle wheel = 0;
};

int info(const QString& path) {
    Opened t(path);
    if (!t.title) return failWith(strMVLastError());
    out(QStringLiteral("Title: %1 (%2 bytes)\n").arg(path).arg(QFileInfo(path).size()));
    out(QStringLiteral("Contents topic: %1\n").arg(vaMVGetContents(t.title)));
    for (int n = 0;; ++n) {
        QString buffer(257, QChar(0));
        const qint32 code = lMVTitleGetInfo(t.title, kInfoIndex, 257 + 65536 * n, buffer);
        if (code == 0) break;
        const QString id = QString(QChar(char16_t(code)));
        Opened w(path);
        const qint32 length = w.openWheel(id) ? lMVWordWheelLength(w.wheel) : -1;
        if (length < 0)
            return failWith(
                QStringLiteral("%1 is damaged: wheel |%2 cannot be read").arg(path, id));
        out(QStringLiteral("Wheel |%1\t%2\t%3 keywords\n").arg(id, upToNul(buffer)).arg(length));
    }
    const MVHandle marker = hMVBaggageOpen(t.title, QStringLiteral("Korva.$$$"));
    out(QStringLiteral("Marker Korva.$$$: %1\n").arg(marker ? "present" : "missing"));
    MVBaggageClose(marker);
    return 0;
}

// Prints "position<TAB>keyword" lines in large pieces.
class Lines {
public:
    ~Lines() { flush(); }
    void add(qint32 position, const QString& keyword) {
        m_text += QStringLiteral("%1\t%2\n").arg(position).arg(keyword);
        if (m_text.size() > 1 << 20) flush();
    }
    void flush() {
        out(m_text);
        m_text.clear();
    }

private:
    QString m_text;
};

int damagedKeyword(Lines& lines, const QStringList& a, qint64 position) {
    lines.flush(); // what was read stays printed before the error
    return failWith(QStringLiteral("%1 is damaged: the keyword at position %2 of wheel |%3 "
                                   "cannot be read")
                        .arg(a[0])
                        .arg(position)
                        .arg(a[1]));
}

int keywords(const QStringList& a) {
    Opened t(a[0]);
    if (!t.title) return failWith(strMVLastError());
    if (!t.openWheel(a[1])) return failWith(strMVLastError());
    const qint64 length = lMVWordWheelLength(t.wheel);
    if (length < 0) return failWith(strMVLastError());
    quint64 from = 0, count = quint64(length);
    if (a.size() > 2 && !toNumber(a[2], 0, quint64(length), from))
        return badNumber("FROM", a[2], 0, quint64(length));
    if (a.size() > 3 && !toNumber(a[3], 0, kMaxInt32, count))
        return badNumber("COUNT", a[3], 0, kMaxInt32);
    Lines lines;
    for (quint64 p = from; p < quint64(length) && p - from < count; ++p) {
        QString keyword;
        if (!t.keyword(qint32(p), keyword)) return damagedKeyword(lines, a, qint64(p));
        lines.add(qint32(p), keyword);
    }
    return 0;
}

int search(const QStringList& a) {
    Opened t(a[0]);
    if (!t.title) return failWith(strMVLastError());
    if (!t.openWheel(a[1])) return failWith(strMVLastError());
    const MVHandle group = MVWordWheelSearch(t.wheel, a[2], 0);
    if (!group) return failWith(strMVLastError());
    const qint32 n = lMVGroupItemCount(group);
    Lines lines;
    int status = 0;
    for (qint32 i = 0; i < n && status == 0; ++i) {
        const qint32 p = lMVGroupFind(group, i);
        QString keyword;
        if (p < 0 || !t.keyword(p, keyword))
            status = damagedKeyword(lines, a, p);
        else
            lines.add(p, keyword);
    }
    MVGroupFree(group);
    return status;
}

int topics(const QStringList& a) {
    Opened t(a[0]);
    if (!t.title) return failWith(strMVLastError());
    if (!t.openWheel(a[1])) return failWith(strMVLastError());
    const qint32 count = nMVKeyIndexGetCount(t.wheel, a[2]);
    if (count < 0) return failWith(QStringLiteral("no keyword \"%1\" in wheel %2").arg(a[2], a[1]));
    QList<qint32> addresses;
    if (count > 0 && lMVKeyIndexGetAddrs(t.wheel, a[2], 0, count - 1, addresses) < 0)
        return failWith(strMVLastError());
    for (qint32 i = 0; i < count; ++i) {
        QString buffer(4096, QChar(0));
        if (lMVTitleGetInfo(t.title, kInfoTopicTitle, addresses[i], buffer) != 0)
            return failWith(QStringLiteral("%1 is damaged: topic %2 cannot be read")
                                .arg(a[0])
                                .arg(addresses[i]));
        out(QStringLiteral("%1\t%2\n").arg(addresses[i]).arg(upToNul(buffer)));
    }
    return 0;
}

int topic(const QStringList& a) {
    Opened t(a[0]);
    if (!t.title) return failWith(strMVLastError());
    // Digits name a topic address, anything else a context string.
    quint64 address = 0;
    if (isDigits(a[1]) && !toNumber(a[1], 0, kMaxInt32, address))
        return badNumber("ADDRESS", a[1], 0, kMaxInt32);
    const qint32 va = isDigits(a[1]) ? vaMVConvertAddr(t.title, qint32(address))
                                     : vaMVConvertContextString(t.title, a[1]);
    MVTopic topic;
    if (va < 0 || !bMVGetTopic(t.title, va, topic))
        return failWith(QStringLiteral("no topic %1 in %2").arg(a[1], a[0]));
    title::Page page;
    const bool ok = title::decodePage({topic.page.constData(), size_t(topic.page.size())}, page);
    out(topic.identification + u'\n' + topic.title + QStringLiteral("\n\n") +
        title::pageToPlainText(page));
    return ok ? 0 : failWith(QStringLiteral("the page of topic %1 is damaged").arg(a[1]));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();
    const QString command = args.takeFirst();
    QString error, report;

    if (command == u"build" && !args.isEmpty() && args[0] == u"catalogue")
        return buildCatalogueCommand(args.mid(1));
    if (command == u"build" && args.size() == 3) {
        bool ok;
        if (args[0] == u"shops")
            ok = title::compileShops(args[1], args[2], &error, &report);
        else
            return usage();
        if (!ok) return failWith(error);
        out(report);
        return 0;
    }
    if (command == u"demo" && !args.isEmpty()) {
        quint64 artists = 3000, seed = 1;
        for (int i = 1; i < args.size(); i += 2) {
            if (i + 1 >= args.size()) return usage();
            if (args[i] == u"--artists") {
                if (!toNumber(args[i + 1], 3, 10000000, artists))
                    return badNumber("--artists", args[i + 1], 3, 10000000);
            } else if (args[i] == u"--seed") {
                if (!toNumber(args[i + 1], 0, ~quint64(0), seed))
                    return badNumber("--seed", args[i + 1], 0, ~quint64(0));
            } else {
                return usage();
            }
        }
        if (!title::writeDemoSource(args[0], int(artists), seed, &error, &report))
            return failWith(error);
        out(report);
        return 0;
    }
    if (command == u"import") return importCommand(args);
    if (command == u"info" && args.size() == 1) return info(args[0]);
    if (command == u"keywords" && args.size() >= 2 && args.size() <= 4) return keywords(args);
    if (command == u"prefix" && args.size() == 3) {
        Opened t(args[0]);
        if (!t.title) return failWith(strMVLastError());
        if (!t.openWheel(args[1])) return failWith(strMVLastError());
        out(QStringLiteral("%1\n").arg(lMVWordWheelPrefix(t.wheel, args[2])));
        return 0;
    }
    if (command == u"search" && args.size() == 3) return search(args);
    if (command == u"topics" && args.size() == 3) return topics(args);
    if (command == u"topic" && args.size() == 2) return topic(args);
    return usage();
}
