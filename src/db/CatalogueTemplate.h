#pragma once

#include "db/Database.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace kv::db {

// The catalogue database: its tables, fields and indexes (docs/database.md), the template
// that ships with the program and the identification check.

inline const QString kCatalogueDatabaseName = QStringLiteral("KORDB.MDB");
inline const QString kWorkgroupFileName = QStringLiteral("KORDB.MDW");
inline const QString kCatalogueIDCode = QStringLiteral("KORDB");
inline constexpr double kCatalogueVersion = 1.001;
// The built-in log-in of the program.
inline const QString kCatalogueUser = QStringLiteral("Korvanda");
inline const QString kCataloguePassword = QStringLiteral("Tq4mZr8LwPe");

// Creates the six tables and their indexes in an empty database.
void createCatalogueSchema(Database& database);

// One row of the demo shop directory (data/catalogue/shops.csv: number, town, name,
// address, phone, fax, email, featured, orders_direct, description). Empty fields are Null.
struct ShopRow {
    int number = 0;
    QVariant town, name, address, phone, fax, email;
    bool featured = false;
    bool ordersDirect = false;
    QVariant description;
};

// Reads the shop directory file under the rules of the shop directory title (formats/
// ShopList.h); raises 53 for a missing file, 5 with "FILE:LINE: reason" for a refused one.
std::vector<ShopRow> readShopsCsv(const QString& path);

// Writes a fresh template database: the identification row, the built-in collections 0
// and 1, the shops, an empty "User Data" and a few connections. The file appears whole or
// not at all.
void createTemplateDatabase(const QString& path, const std::vector<ShopRow>& shops);

// Writes the workgroup file with the program's built-in account.
void createWorkgroupFile(const QString& path, int iterations = 0);

// The identification check of a catalogue database.
enum class CatalogueIdentity { Valid, NotCatalogue, OldVersion };
// Raises 3011 when the identification table does not exist.
CatalogueIdentity checkCatalogueIdentity(const Database& database, const QString& code,
                                         double lowestVersion);

} // namespace kv::db
