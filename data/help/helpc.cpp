// kv-helpc OUTPUT SOURCEDIR: packs SOURCEDIR/book.map and every file of SOURCEDIR/pages/
// into the help book OUTPUT (docs/help-format.md), then reads the result back so a broken
// map fails the build.
#include "settings/HelpBook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

int failWith(const QString& message) {
    std::fprintf(stderr, "kv-helpc: %s\n", qPrintable(message));
    return 1;
}

bool readFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    bytes = file.readAll();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) return failWith(QStringLiteral("usage: kv-helpc OUTPUT SOURCEDIR"));
    const QString output = args[1];
    const QDir source(args[2]);

    QList<kv::HelpBook::Entry> entries;
    QByteArray map;
    if (!readFile(source.filePath(QStringLiteral("book.map")), map))
        return failWith(
            QStringLiteral("cannot read %1").arg(source.filePath(QStringLiteral("book.map"))));
    entries.push_back({QStringLiteral("book.map"), map});

    const QDir pages(source.filePath(QStringLiteral("pages")));
    const QStringList names = pages.entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QByteArray bytes;
        if (!readFile(pages.filePath(name), bytes))
            return failWith(QStringLiteral("cannot read %1").arg(pages.filePath(name)));
        entries.push_back({name, bytes});
    }

    const QByteArray book = kv::HelpBook::pack(entries);
    kv::HelpBook check;
    QString why;
    if (!check.load(book, &why))
        return failWith(QStringLiteral("the help book would be refused: %1").arg(why));

    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(book) != book.size() || !out.commit())
        return failWith(QStringLiteral("cannot write %1").arg(output));
    std::printf("kv-helpc: %s: %lld pages, %lld contexts, %lld bytes\n", qPrintable(output),
                qlonglong(check.pages().size()), qlonglong(check.contexts().size()),
                qlonglong(book.size()));
    return 0;
}
