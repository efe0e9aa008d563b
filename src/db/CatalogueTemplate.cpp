#include "db/CatalogueTemplate.h"

#include "db/Connection.h"
#include "core/ErrorTable.h"
#include "db/Recordset.h"
#include "db/Transaction.h"
#include "core/VbError.h"
#include "db/Workgroup.h"
#include "formats/ShopList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv::db {

namespace {

// Text columns carry the case-insensitive collation; every Yes/No column is required and
// False by default, as in the original engine.
const char* const kSchema[] = {
    R"(CREATE TABLE "Internal - TALV ID" (
        "TALV ID Code" TEXT(50) COLLATE KVNOCASE,
        "Version" DOUBLE))",

    R"(CREATE TABLE "Collection" (
        "Collection ID" SHORT NOT NULL,
        "Collection Name" TEXT(50) COLLATE KVNOCASE,
        "Builtin" BIT NOT NULL DEFAULT 0,
        "User Field 1" TEXT(50) COLLATE KVNOCASE,
        "User Field 2" TEXT(50) COLLATE KVNOCASE,
        "User Field 3" TEXT(50) COLLATE KVNOCASE,
        "User Field 4" TEXT(50) COLLATE KVNOCASE,
        "User Field 5" TEXT(50) COLLATE KVNOCASE,
        "User Field 1 visible" BIT NOT NULL DEFAULT 0,
        "User Field 2 visible" BIT NOT NULL DEFAULT 0,
        "User Field 3 visible" BIT NOT NULL DEFAULT 0,
        "User Field 4 visible" BIT NOT NULL DEFAULT 0,
        "User Field 5 visible" BIT NOT NULL DEFAULT 0,
        "Collection Icon" LONGBINARY,
        "Notes" LONGTEXT COLLATE KVNOCASE))",
    R"(CREATE UNIQUE INDEX "Collection.PrimaryKey" ON "Collection" ("Collection ID"))",

    // Field order: the collection screen leaves out positions 0, 2, 8, 9 and 15 onwards
    // and reads the user fields at 10 to 14.
    R"(CREATE TABLE "Collection - Contents" (
        "Collection ID" SHORT NOT NULL,
        "Catalogue Number" TEXT(50) NOT NULL COLLATE KVNOCASE,
        "Album ID" LONG,
        "Title" TEXT(255) COLLATE KVNOCASE,
        "Artist" TEXT(255) COLLATE KVNOCASE,
        "Medium" TEXT(50) COLLATE KVNOCASE,
        "Label" TEXT(100) COLLATE KVNOCASE,
        "Release Date" TEXT(50) COLLATE KVNOCASE,
        "Deleted" BIT NOT NULL DEFAULT 0,
        "Deleted Date" TEXT(50) COLLATE KVNOCASE,
        "User Field 1" TEXT(255) COLLATE KVNOCASE,
        "User Field 2" TEXT(255) COLLATE KVNOCASE,
        "User Field 3" TEXT(255) COLLATE KVNOCASE,
        "User Field 4" TEXT(255) COLLATE KVNOCASE,
        "User Field 5" TEXT(255) COLLATE KVNOCASE,
        "Notes" LONGTEXT COLLATE KVNOCASE,
        "Order" BIT NOT NULL DEFAULT 0))",
    R"(CREATE UNIQUE INDEX "Collection - Contents.PrimaryKey" ON "Collection - Contents" ("Collection ID", "Catalogue Number"))",
    R"(CREATE INDEX "Collection - Contents.Album ID" ON "Collection - Contents" ("Album ID"))",
    R"(CREATE INDEX "Collection - Contents.Catalogue Number" ON "Collection - Contents" ("Catalogue Number"))",

    R"(CREATE TABLE "Connections" (
        "Connection ID" INTEGER PRIMARY KEY AUTOINCREMENT,
        "Connection Name" TEXT(50) COLLATE KVNOCASE,
        "Connection Description" TEXT(255) COLLATE KVNOCASE,
        "Connection URL" TEXT(255) COLLATE KVNOCASE,
        "Notes" LONGTEXT COLLATE KVNOCASE))",
    R"(CREATE UNIQUE INDEX "Connections.PrimaryKey" ON "Connections" ("Connection ID"))",

    R"(CREATE TABLE "Shop Directory" (
        "Number" LONG,
        "Town" TEXT(50) COLLATE KVNOCASE,
        "Name" TEXT(100) COLLATE KVNOCASE,
        "Address" TEXT(255) COLLATE KVNOCASE,
        "Phone" TEXT(30) COLLATE KVNOCASE,
        "Fax" TEXT(30) COLLATE KVNOCASE,
        "EMail" TEXT(255) COLLATE KVNOCASE,
        "Featured" BIT NOT NULL DEFAULT 0,
        "Orders Direct" BIT NOT NULL DEFAULT 0,
        "Description" LONGTEXT COLLATE KVNOCASE))",

    R"(CREATE TABLE "User Data" (
        "User Name" TEXT(100) COLLATE KVNOCASE,
        "Address" LONGTEXT COLLATE KVNOCASE,
        "PostCode" TEXT(20) COLLATE KVNOCASE,
        "Phone" TEXT(25) COLLATE KVNOCASE,
        "Fax" TEXT(25) COLLATE KVNOCASE,
        "EMail" TEXT(255) COLLATE KVNOCASE,
        "Card Type" TEXT(50) COLLATE KVNOCASE,
        "Card Name" TEXT(50) COLLATE KVNOCASE,
        "Card Number" TEXT(50) COLLATE KVNOCASE,
        "Expires" TEXT(10) COLLATE KVNOCASE))",
};

struct Connection_ {
    const char* name;
    const char* description;
    const char* url;
};

const Connection_ kConnections[] = {
    {"MusicBrainz", "An open encyclopaedia of recordings, releases and artists",
     "https://musicbrainz.org/"},
    {"Discogs", "A database and marketplace of releases, with catalogue numbers and pressings",
     "https://www.discogs.com/"},
    {"Internet Archive: Audio", "Free recordings, live concerts and old 78s",
     "https://archive.org/details/audio"},
    {"Wikipedia: Record labels", "Lists of record labels and their histories",
     "https://en.wikipedia.org/wiki/Lists_of_record_labels"},
};

QVariant textOrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

} // namespace

void createCatalogueSchema(Database& database) {
    auto conn = database.connection();
    if (!conn) raiseError(err::ObjectNotSet);
    Transaction t(database);
    for (const char* statement : kSchema)
        conn->exec(statement);
    t.commit();
}

std::vector<ShopRow> readShopsCsv(const QString& path) {
    // The same reader as the shop directory title's, so that both take the same files.
    if (!path.startsWith(u':') && !QFileInfo::exists(path))
        raiseError(err::FileNotFound, QStringLiteral("File not found: '%1'").arg(path));
    std::vector<formats::ShopEntry> entries;
    QString error;
    if (!formats::readShopList(path, entries, &error)) raiseError(err::InvalidProcedureCall, error);
    auto text = [](const std::string& s) { return textOrNull(QString::fromStdString(s)); };
    std::vector<ShopRow> shops;
    shops.reserve(entries.size());
    for (const formats::ShopEntry& e : entries) {
        ShopRow s;
        s.number = int(e.number);
        s.town = text(e.town);
        s.name = text(e.name);
        s.address = text(e.address);
        s.phone = text(e.phone);
        s.fax = text(e.fax);
        s.email = text(e.email);
        s.featured = e.featured;
        s.ordersDirect = e.ordersDirect;
        s.description = text(e.description);
        shops.push_back(std::move(s));
    }
    return shops;
}

void createTemplateDatabase(const QString& path, const std::vector<ShopRow>& shops) {
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral("-journal"));
    {
        Database db = Database::create(partial);
        createCatalogueSchema(db);
        Transaction t(db);

        Recordset id = db.OpenRecordset(QStringLiteral("Internal - TALV ID"), dbOpenTable);
        id.AddNew();
        id.setValue(QStringLiteral("TALV ID Code"), kCatalogueIDCode);
        id.setValue(QStringLiteral("Version"), kCatalogueVersion);
        id.Update();

        Recordset collection = db.OpenRecordset(QStringLiteral("Collection"), dbOpenTable);
        const QString builtin[] = {QStringLiteral("My Collection"),
                                   QStringLiteral("Shopping List")};
        for (int k = 0; k < 2; ++k) {
            collection.AddNew();
            collection.setValue(QStringLiteral("Collection ID"), k);
            collection.setValue(QStringLiteral("Collection Name"), builtin[k]);
            collection.setValue(QStringLiteral("Builtin"), true);
            collection.Update();
        }

        Recordset shop = db.OpenRecordset(QStringLiteral("Shop Directory"), dbOpenTable);
        for (const ShopRow& s : shops) {
            shop.AddNew();
            shop.setValue(QStringLiteral("Number"), s.number);
            shop.setValue(QStringLiteral("Town"), s.town);
            shop.setValue(QStringLiteral("Name"), s.name);
            shop.setValue(QStringLiteral("Address"), s.address);
            shop.setValue(QStringLiteral("Phone"), s.phone);
            shop.setValue(QStringLiteral("Fax"), s.fax);
            shop.setValue(QStringLiteral("EMail"), s.email);
            shop.setValue(QStringLiteral("Featured"), s.featured);
            shop.setValue(QStringLiteral("Orders Direct"), s.ordersDirect);
            shop.setValue(QStringLiteral("Description"), s.description);
            shop.Update();
        }

        Recordset links = db.OpenRecordset(QStringLiteral("Connections"), dbOpenTable);
        for (const Connection_& c : kConnections) {
            links.AddNew();
            links.setValue(QStringLiteral("Connection Name"), QString::fromUtf8(c.name));
            links.setValue(QStringLiteral("Connection Description"),
                           QString::fromUtf8(c.description));
            links.setValue(QStringLiteral("Connection URL"), QString::fromUtf8(c.url));
            links.Update();
        }
        t.commit();
        db.connection()->exec("VACUUM");
        db.Close();
    }
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        raiseError(err::PathFileAccessError, QStringLiteral("Cannot write '%1'").arg(path));
}

void createWorkgroupFile(const QString& path, int iterations) {
    WorkgroupFile wg;
    wg.addAccount(kCatalogueUser, kCataloguePassword,
                  iterations > 0 ? iterations : WorkgroupFile::kDefaultIterations);
    wg.write(path);
}

CatalogueIdentity checkCatalogueIdentity(const Database& database, const QString& code,
                                         double lowestVersion) {
    Recordset rs =
        database.OpenRecordset(QStringLiteral("Internal - TALV ID"), dbOpenTable, dbReadOnly);
    CatalogueIdentity result = CatalogueIdentity::Valid;
    if (rs.Bof() && rs.Eof()) {
        result = CatalogueIdentity::NotCatalogue;
    } else {
        rs.MoveFirst();
        const QVariant id = rs.value(QStringLiteral("TALV ID Code"));
        const QVariant version = rs.value(QStringLiteral("Version"));
        if (id.isNull() || id.toString() != code)
            result = CatalogueIdentity::NotCatalogue;
        else if (version.isNull()) // no version at all is no catalogue database
            result = CatalogueIdentity::NotCatalogue;
        else if (version.toDouble() < lowestVersion)
            result = CatalogueIdentity::OldVersion;
    }
    rs.Close();
    return result;
}

} // namespace kv::db
