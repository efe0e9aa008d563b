// korvanda-db: the catalogue database tool.
//
//   korvanda-db create DIR [--shops FILE] [--replace]
//                                           a fresh template KORDB.MDB and KORDB.MDW in DIR;
//                                           existing files are replaced only with --replace
//                                           (the old ones kept as KORDB.MDB.bak, KORDB.MDW.bak,
//                                           or .bak2 ... when those are taken)
//   korvanda-db check DB                    "ok" (status 0) or the program's message (1)
//   korvanda-db sql DB "STATEMENT"          runs one statement of the program's dialect
//   korvanda-db export DB N OUT [--details recording|custom|recording,custom]
//                                           collection N as a .txt, .csv, .html or .pdf file
//
// Query output: a header line of field names, then one line per row; fields separated by
// a tab; Null is \N; Yes/No fields are True or False; numbers are plain decimals; a
// backslash, tab, line feed or carriage return inside text is written \\, \t, \n, \r,
// any other control character (C0, DEL, C1, line and paragraph separators, direction
// marks and overrides) \u and four hex digits; binary values are \x and hex digits. An
// action statement prints the number of rows it changed. Engine errors print
// "Error N: description" on standard error (status 1). Only regular files are opened.

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "Export.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/FieldValues.h"
#include "db/Files.h"
#include "db/JetSql.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace kv;

namespace {

void out(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
}

void errOut(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stderr);
}

int usage() {
    errOut(QStringLiteral("usage: korvanda-db create DIR [--shops FILE] [--replace]\n"
                          "       korvanda-db check DB\n"
                          "       korvanda-db sql DB \"STATEMENT\"\n"
                          "       korvanda-db export DB N OUT [--details recording|custom|recording,custom]\n"));
    return 2;
}

// Characters that would steer a terminal or reorder what it shows.
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069) || c == 0x200e ||
           c == 0x200f || c == 0x061c;
}

QString escaped(const QString& text) {
    QString o;
    o.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            o += QLatin1String("\\\\");
            break;
        case u'\t':
            o += QLatin1String("\\t");
            break;
        case u'\n':
            o += QLatin1String("\\n");
            break;
        case u'\r':
            o += QLatin1String("\\r");
            break;
        default:
            if (isControl(c.unicode()))
                o += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            else
                o += c;
        }
    }
    return o;
}

QString formatValue(const QVariant& v, int type) {
    if (!v.isValid() || v.isNull()) return QStringLiteral("\\N");
    if (type == dbBoolean) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Double:
        return db::numberText(v.toDouble());
    case QMetaType::QByteArray:
        return QStringLiteral("\\x") + QString::fromLatin1(v.toByteArray().toHex());
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return db::storedDateText(dt, dt.time() != QTime(0, 0));
    }
    default:
        return escaped(v.toString());
    }
}

void requireRegularFile(const QString& path) {
    if (const QString kind = db::notRegularFile(path); !kind.isEmpty())
        raiseError(err::PathFileAccessError,
                   QStringLiteral("'%1' is %2, not a file").arg(path, kind));
}

bool existsAtAll(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// An unfinished change of the old database (a journal left by a crash) is rolled back by
// opening it, so that its backup is whole and no journal is left to be played back into
// the new file.
void settle(const QString& database) {
    const QString journal = database + QStringLiteral("-journal");
    const QString wal = database + QStringLiteral("-wal");
    if (!existsAtAll(journal) && !existsAtAll(wal)) return;
    try {
        Database::open(database).Close();
        // A hot journal was rolled back by that read-write open; one still there was never
        // more than begun (SQLite reads it as empty) and goes.
        QFile::remove(journal);
    } catch (const VbError&) {
        // Told below.
    }
    if (existsAtAll(journal) || existsAtAll(wal))
        raiseError(err::PathFileAccessError,
                   QStringLiteral("'%1' has an unfinished change that cannot be rolled back; "
                                  "it is left as it is")
                       .arg(database));
}

// Keeps the old file under the first free name of NAME.bak, NAME.bak2, ... (an older
// backup is never replaced): a second name for the same file where the file system has
// them (nothing is copied, nothing can be lost), a synced copy elsewhere.
QString keepBackup(const QString& path) {
    QString backup = path + QStringLiteral(".bak");
    for (int n = 2; existsAtAll(backup); ++n)
        backup = path + QStringLiteral(".bak") + QString::number(n);
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(backup).constData()) == 0) {
        db::syncFolder(QFileInfo(backup).absolutePath());
        return backup;
    }
    const QString partial = backup + QStringLiteral(".partial");
    QFile::remove(partial);
    QFile copy(partial);
    if (!QFile::copy(path, partial) || !copy.open(QIODevice::ReadWrite) ||
        ::fsync(copy.handle()) != 0 || !db::replaceFile(partial, backup)) {
        QFile::remove(partial);
        raiseError(err::PathFileAccessError,
                   QStringLiteral("Cannot keep a backup of '%1' as '%2'").arg(path, backup));
    }
    return backup;
}

int create(const QStringList& args) {
    QStringList rest = args;
    const bool replace = rest.removeAll(QStringLiteral("--replace")) > 0;
    if (rest.size() != 1 && !(rest.size() == 3 && rest[1] == QLatin1String("--shops")))
        return usage();
    const QString dir = rest[0];
    if (!QDir().mkpath(dir))
        raiseError(err::PathNotFound, QStringLiteral("Cannot create the folder '%1'").arg(dir));
    QString shops = rest.size() == 3 ? rest[2] : QString();
#ifdef KV_HAVE_SHOPS
    if (shops.isEmpty()) shops = QStringLiteral(":/db/shops.csv");
#endif
    // Everything that can be refused is refused before anything is written.
    const std::vector<db::ShopRow> rows =
        shops.isEmpty() ? std::vector<db::ShopRow>() : db::readShopsCsv(shops);
    const QString database = QDir(dir).filePath(db::kCatalogueDatabaseName);
    const QString workgroup = QDir(dir).filePath(db::kWorkgroupFileName);
    QStringList existing;
    for (const QString& path : {database, workgroup}) {
        if (!existsAtAll(path)) continue;
        if (!replace)
            raiseError(err::FileAlreadyExists,
                       QStringLiteral("'%1' already exists (--replace replaces it and keeps the "
                                      "old one as a backup)")
                           .arg(path));
        requireRegularFile(path);
        existing << path;
    }
    if (existing.contains(database)) settle(database);
    QString kept;
    for (const QString& path : existing)
        kept += QStringLiteral("kept '%1' as '%2'\n").arg(escaped(path), escaped(keepBackup(path)));
    // Each file is renamed over the old one in one step.
    db::createTemplateDatabase(database, rows);
    db::createWorkgroupFile(workgroup);
    db::syncFolder(dir);
    out(kept);
    return 0;
}

int check(const QStringList& args) {
    if (args.size() != 1) return usage();
    const QString path = args[0];
    const QString notCatalogue = QStringLiteral("Sorry this is not a Korvanda database");
    try {
        const Database database = Database::open(path, !QFileInfo(path).isWritable());
        switch (db::checkCatalogueIdentity(database, db::kCatalogueIDCode, db::kCatalogueVersion)) {
        case db::CatalogueIdentity::Valid:
            out(QStringLiteral("ok\n"));
            return 0;
        case db::CatalogueIdentity::OldVersion:
            out(QStringLiteral("Sorry this Korvanda database is an old version.\n"));
            return 1;
        case db::CatalogueIdentity::NotCatalogue:
            break;
        }
    } catch (const VbError& e) {
        // A file that is no database at all, or no catalogue database, is told the same.
        if (e.number() != err::ObjectNotFound && e.number() != err::UnrecognizedDatabaseFormat &&
            e.number() != err::DatabaseCorrupt)
            throw;
    }
    out(notCatalogue + QLatin1Char('\n'));
    return 1;
}

int sql(const QStringList& args) {
    if (args.size() != 2) return usage();
    Database database = Database::open(args[0]);
    const db::Translation tr = db::translateStatement(args[1], database.connection()->schema());
    if (tr.kind != db::Translation::Select) {
        database.Execute(args[1]);
        out(QString::number(database.RecordsAffected()) + QLatin1Char('\n'));
        return 0;
    }
    Recordset rs = database.OpenRecordset(args[1], dbOpenDynaset, dbReadOnly);
    const int n = rs.FieldCount();
    QStringList names;
    std::vector<int> types;
    for (int k = 0; k < n; ++k) {
        names << escaped(rs.Fields(k).Name());
        types.push_back(rs.Fields(k).Type());
    }
    // The header goes out with the first row (or once the result is known to be empty),
    // so that an error reading the first row does not leave it standing alone.
    QString header = names.join(QLatin1Char('\t')) + QLatin1Char('\n');
    QString line;
    while (!rs.Eof()) {
        line = header;
        header.clear();
        for (int k = 0; k < n; ++k) {
            if (k) line += QLatin1Char('\t');
            line += formatValue(rs.Fields(k).Value(), types[size_t(k)]);
        }
        line += QLatin1Char('\n');
        out(line);
        rs.MoveNext();
    }
    out(header);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Export makes its own application object (it needs the GUI layer's fonts).
    if (argc > 1 && std::strcmp(argv[1], "export") == 0) return exportMain(argc, argv);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("create")) return create(args);
        if (command == QLatin1String("check")) return check(args);
        if (command == QLatin1String("sql")) return sql(args);
        return usage();
    } catch (const VbError& e) {
        // Descriptions may quote the database (names, values): escaped like the output.
        errOut(QStringLiteral("Error %1: %2\n").arg(e.number()).arg(escaped(e.description())));
        return 1;
    }
}
