#pragma once

#include "db/DBEngine.h"
#include "db/Database.h"
#include "db/Workspace.h"

#include <QString>

namespace kv {

// The process-wide catalogue database: the engine with its workgroup-file setting, the
// workspace of the log-in and the open database, from start-up to exit. It lives in the
// context (ctx().slot), so every test starts without one.
struct CatalogueState {
    DBEngine engine;
    Workspace wsCatalogue;
    Database dbCatalogue;
    // The full path of the open database, kept after a successful open.
    QString strDatabasePath;
};

CatalogueState& catalogueState();
Database& dbCatalogue();
Workspace& wsCatalogue();
QString strDatabasePath();

// Start-up step: the workgroup file and log-in (bSetDBSecurity with workgroupName), then,
// when that succeeded, the catalogue database (bOpenTALVDatabase with databaseName). The
// first argument is not used.
bool bOpenCollection_DB(const QString& unused, const QString& databaseName,
                        const QString& workgroupName);
// Finds the workgroup file ("Options" / "SystemDB32") and logs in with the built-in user.
bool bSetDBSecurity(const QString& defaultName);
// Finds ("File Locations" / "Database"), opens and validates the database, asking for
// another file as long as the chosen one is not a usable catalogue database. The user's
// database is kept in ctx().userDataFolder: the first start copies it there from the
// application folder, which holds only the template.
bool bOpenTALVDatabase(const QString& defaultName);
// Checks the open database's identification table.
bool bValidateTALVDatabase(const QString& code, double version, const QString& title);

// Closes the database and the workspace (shutdown).
void CloseCatalogue();

} // namespace kv
