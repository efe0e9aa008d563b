// korvanda-db: the catalogue database tool.
//
//   korvanda-db create DIR [--shops FILE]   a fresh template KORDB.MDB and KORDB.MDW in DIR
//   korvanda-db check DB                    "ok" (status 0) or the program's message (1)
//   korvanda-db sql DB "STATEMENT"          runs one statement of the program's dialect
//   korvanda-db export DB N OUT [--details recording|custom|recording,custom]
//                                           collection N as a .txt, .csv, .html or .pdf file
//
// Query output: a header line of field names, then one line per row; fields separated by
// a tab; Null is \N; Yes/No fields are True or False; numbers are plain decimals; a
// backslash, tab, line feed or carriage return inside text is written \\, \t, \n, \r;
// binary values are \x and hex digits. An action statement prints the number of rows it
// changed. Engine errors print "Error N: description" on standard error (status 1).

#include "Export.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "core/ErrorTable.h"
#include "db/FieldValues.h"
#include "db/JetSql.h"
#include "core/VbError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

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
    errOut(QStringLiteral("usage: korvanda-db create DIR [--shops FILE]\n"
                          "       korvanda-db check DB\n"
                          "       korvanda-db sql DB \"STATEMENT\"\n"
                          "       korvanda-db export DB N OUT [--details recording|custom|recording,custom]\n"));
    return 2;
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

int create(const QStringList& args) {
    if (args.size() != 1 && !(args.size() == 3 && args[1] == QLatin1String("--shops")))
        return usage();
    const QString dir = args[0];
    if (!QDir().mkpath(dir))
        raiseError(err::PathNotFound, QStringLiteral("Cannot create the folder '%1'").arg(dir));
    QString shops = args.size() == 3 ? args[2] : QString();
#ifdef KV_HAVE_SHOPS
    if (shops.isEmpty()) shops = QStringLiteral(":/db/shops.csv");
#endif
    const std::vector<db::ShopRow> rows =
        shops.isEmpty() ? std::vector<db::ShopRow>() : db::readShopsCsv(shops);
    db::createTemplateDatabase(QDir(dir).filePath(db::kCatalogueDatabaseName), rows);
    db::createWorkgroupFile(QDir(dir).filePath(db::kWorkgroupFileName));
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
    QStringList header;
    std::vector<int> types;
    for (int k = 0; k < n; ++k) {
        header << escaped(rs.Fields(k).Name());
        types.push_back(rs.Fields(k).Type());
    }
    out(header.join(QLatin1Char('\t')) + QLatin1Char('\n'));
    QString line;
    while (!rs.Eof()) {
        line.clear();
        for (int k = 0; k < n; ++k) {
            if (k) line += QLatin1Char('\t');
            line += formatValue(rs.Fields(k).Value(), types[size_t(k)]);
        }
        line += QLatin1Char('\n');
        out(line);
        rs.MoveNext();
    }
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
        errOut(QStringLiteral("Error %1: %2\n").arg(e.number()).arg(e.description()));
        return 1;
    }
}
