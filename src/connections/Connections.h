#pragma once

// The user's web connections: the one table cursor on "Connections", kept open from
// start-up to exit, and the operations the connections screen calls.

#include "db/Recordset.h"

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace kv {

struct ConnectionsState {
    Recordset rsConnections;
};

// Lives in ctx().slot, so every test starts without a cursor.
ConnectionsState& connectionsState();

// Start-up: bOpenConnectionDetails.
bool bInit_Connections();
// Table "Connections" as a table cursor, index "primarykey".
bool bOpenConnectionDetails();
// Shutdown: closes the cursor (before the database closes).
void CloseConnections();

// A new row, then the dialog for it; a cancelled dialog deletes the row again. The new
// row's "Connection ID" comes back through newID when it is kept.
bool bConnection_Item_Add(qint32* newID = nullptr);
// The dialog for one connection; what the user confirmed is stored.
bool bConnection_Item_Edit(qint32 lngConnectionID);
bool bConnection_Item_Delete(qint32 lngConnectionID);
// Asks (No is the default) and deletes.
bool bConnection_DeleteFrom(qint32 lngConnectionID, const QString& strName);
// Opens the connection's address in the browser.
bool bConnection_Item_Activate(qint32 lngConnectionID);
// Opens the address of the row the cursor stands on. Only web addresses are opened.
bool bConnection_Activate_32Bit();

// The details text of a connection: each of description, address and notes that is not
// Null, under its heading.
QString strConnection_Text(const QVariant& description, const QVariant& url,
                           const QVariant& notes);

// The messages of this part that callers and tests refer to.
inline const QString kNoWebAddress = QStringLiteral(
    "This connection does not hold a web address that can be opened (one beginning with "
    "http:// or https://, or a site name such as www.example.com).\r\rPlease edit the "
    "connection and enter the site's web address.");

} // namespace kv
