// The collection screen in connections mode: what its buttons do to the user's web
// connections.
#include "app/Navigation.h"
#include "collections/DataControl.h"
#include "collections/frmCollection.h"
#include "connections/Connections.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"

namespace kv {

qint32 frmCollection::currentConnectionID() const {
    return qint32(Data1->currentValue(QStringLiteral("Connection ID")).toLongLong());
}

void frmCollection::editConnection() {
    if (!hasRow()) {
        ctx().messages().show(QStringLiteral("Please select the connection you wish to edit"), mb::OKOnly);
        return;
    }
    // A new name may move the connection in the list: read it again, staying on it.
    if (bConnection_Item_Edit(currentConnectionID())) reread();
    Refresh_Details();
}

void frmCollection::removeConnection() {
    if (!hasRow()) {
        ctx().messages().show(QStringLiteral("Please select the connection you wish to remove"), mb::OKOnly);
        return;
    }
    const QString name = strCheckNull(Data1->currentValue(QStringLiteral("Connection Name")));
    if (bConnection_DeleteFrom(currentConnectionID(), name)) {
        reread();
        Init_Grid_Connection();
    }
}

void frmCollection::imgActivate_Click() {
    bConnection_Item_Activate(hasRow() ? currentConnectionID() : 0);
}

void frmCollection::imgNew_Click() {
    qint32 id = 0;
    if (!bConnection_Item_Add(&id)) return;
    if (Set_DataSource_Conn()) {
        // The new connection becomes the current row.
        guarded("imgNew_Click", [&] {
            Recordset rs = Data1->recordset();
            rs.FindFirst(QStringLiteral("[Connection ID] = ") + QString::number(id));
            Data1->recordMoved();
        });
    }
    Init_Grid_Connection();
}

} // namespace kv
