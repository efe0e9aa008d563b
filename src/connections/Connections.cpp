#include "connections/Connections.h"

#include "catalogue/Catalogue.h"
#include "catalogue/RecordGuards.h"
#include "connections/WebAddress.h"
#include "connections/frmPropConnection.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "settings/HelpContexts.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace kv {

namespace {

const QString kID = QStringLiteral("Connection ID");
const QString kName = QStringLiteral("Connection Name");
const QString kDescription = QStringLiteral("Connection Description");
const QString kURL = QStringLiteral("Connection URL");
const QString kNotes = QStringLiteral("Notes");

const QString kBrowser = QStringLiteral("Unable to establish a connection with your browser.");

Recordset& cursor() {
    Recordset& rs = connectionsState().rsConnections;
    if (rs.isNull() || !rs.isOpen()) raiseError(err::ObjectNotSet);
    return rs;
}

// Index names compare without regard to case; choosing the one already current would move
// the cursor to its first row for nothing.
bool seekConnection(Recordset& rs, const QString& index, qint32 id) {
    if (rs.Index().compare(index, Qt::CaseInsensitive) != 0) rs.setIndex(index);
    rs.Seek(QStringLiteral("="), id);
    return !rs.NoMatch();
}

void say(const QString& text) {
    ctx().messages().show(text, mb::OKOnly | mb::Exclamation);
}

} // namespace

ConnectionsState& connectionsState() {
    return ctx().slot<ConnectionsState>();
}

bool bOpenConnectionDetails() {
    return guarded("bOpenConnectionDetails", [] {
        Recordset rs = dbCatalogue().OpenRecordset(QStringLiteral("Connections"), dbOpenTable);
        rs.setIndex(QStringLiteral("primarykey"));
        connectionsState().rsConnections = rs;
    });
}

bool bInit_Connections() {
    return bOpenConnectionDetails();
}

void CloseConnections() {
    Recordset& rs = connectionsState().rsConnections;
    try {
        if (!rs.isNull() && rs.isOpen()) rs.Close();
    } catch (...) {
    }
    rs = Recordset();
}

bool bConnection_Item_Add(qint32* newID) {
    qint32 id = 0;
    const bool added = guarded("bConnection_Item_Add", [&] {
        Recordset& rs = cursor();
        EditGuard guard(rs);
        rs.AddNew();
        id = qint32(rs.value(kID).toLongLong());
        rs.Update();
        seekConnection(rs, QStringLiteral("primarykey"), id);
    });
    if (!added) return false;
    if (bConnection_Item_Edit(id)) {
        if (newID) *newID = id;
        return true;
    }
    // Cancelled (or not stored): the new row goes again, so nothing is left behind.
    guarded("bConnection_Item_Add", [&] {
        Recordset& rs = cursor();
        if (seekConnection(rs, QStringLiteral("PrimaryKey"), id)) rs.Delete();
    });
    return false;
}

bool bConnection_Item_Edit(qint32 lngConnectionID) {
    BusyScope busy;
    return guarded("bConnection_Item_Edit", [&] {
        Recordset& rs = cursor();
        if (!seekConnection(rs, QStringLiteral("Primarykey"), lngConnectionID)) {
            say(QStringLiteral("No connection selected to edit"));
            return false;
        }
        frmPropConnection* dialog = connectionDialog();
        if (!dialog) raiseError(err::ObjectNotSet);
        dialog->Accepted = false;
        dialog->SSTab1->setCurrentIndex(0);
        dialog->txtName->setText(strCheckNull(rs.value(kName)));
        dialog->txtDescription->setPlainText(strCheckNull(rs.value(kDescription)));
        dialog->txtURL->setPlainText(strCheckNull(rs.value(kURL)));
        dialog->txtNotes->setPlainText(strCheckNull(rs.value(kNotes)));
        dialog->txtName->setFocus();
        {
            PointerReleased normal;
            ctx().services.dialogs->exec(*dialog);
        }
        if (!dialog->Accepted) return false;
        // The cursor is shared: find the row again before writing to it.
        if (!seekConnection(rs, QStringLiteral("Primarykey"), lngConnectionID))
            raiseError(err::NoCurrentRecord);
        EditGuard guard(rs);
        rs.Edit();
        rs.setValue(kName, dialog->txtName->text());
        rs.setValue(kDescription, varEmptytoNull(dialog->txtDescription->toPlainText()));
        rs.setValue(kURL, varEmptytoNull(dialog->txtURL->toPlainText()));
        rs.setValue(kNotes, varEmptytoNull(dialog->txtNotes->toPlainText()));
        rs.Update();
        return true;
    });
}

bool bConnection_Item_Delete(qint32 lngConnectionID) {
    BusyScope busy;
    return guarded("bConnection_Item_Delete", [&] {
        Recordset& rs = cursor();
        if (!seekConnection(rs, QStringLiteral("PrimaryKey"), lngConnectionID)) {
            say(QStringLiteral("No matching record"));
            return false;
        }
        rs.Delete();
        return true;
    });
}

bool bConnection_DeleteFrom(qint32 lngConnectionID, const QString& strName) {
    BusyScope busy;
    return guarded("bConnection_DeleteFrom", [&] {
        const int answer = ctx().messages().show(
            QStringLiteral("Are you sure you want to remove '") + strName +
                QStringLiteral("' from the Connections"),
            mb::YesNo | mb::Question | mb::Default2);
        if (answer != mb::Yes) return false;
        return bConnection_Item_Delete(lngConnectionID);
    });
}

bool bConnection_Item_Activate(qint32 lngConnectionID) {
    BusyScope busy;
    bool result = false;
    const bool ran = guarded("bConnection_Item_Activate", [&] {
        Recordset& rs = cursor();
        if (!seekConnection(rs, QStringLiteral("Primarykey"), lngConnectionID)) {
            say(QStringLiteral("No connection selected to activate"));
            return;
        }
        if (isNull(rs.value(kURL))) {
            say(QStringLiteral("There is no URL entered for this connection, please edit the "
                               "connection and try again"));
            result = true;
            return;
        }
        result = bConnection_Activate_32Bit();
    });
    return ran && result;
}

bool bConnection_Activate_32Bit() {
    BusyScope busy;
    return guarded("bConnection_Activate_32Bit", [&] {
        const QString text = strCheckNull(cursor().value(kURL));
        const WebAddress address = webAddressFromText(text);
        if (!address.ok) {
            say(kNoWebAddress);
            return;
        }
        IShell* shell = ctx().services.shell.get();
        if (!shell) raiseError(err::ObjectNotSet);
        const WebOpenResult opened = shell->openWebAddress(address.url);
        switch (opened.status) {
        case WebOpenResult::Opened: break;
        case WebOpenResult::NoProgram:
            ctx().messages().showWithHelp(kBrowser + QStringLiteral("\r") +
                                              QStringLiteral("No association set up for .URL files") +
                                              QStringLiteral("\r") +
                                              QStringLiteral("See help for how to rectify this problem"),
                                          mb::OKOnly | mb::Exclamation, help::BrowserAssociation);
            break;
        case WebOpenResult::Failed:
            // A number is written with its sign position: a blank before a positive one.
            ctx().messages().showWithHelp(QStringLiteral("Error :") +
                                              (opened.code >= 0 ? QStringLiteral(" ") : QString()) +
                                              QString::number(opened.code) + QStringLiteral(" ") + kBrowser,
                                          mb::OKOnly | mb::Exclamation, help::BrowserAssociation);
            break;
        }
    });
}

QString strConnection_Text(const QVariant& description, const QVariant& url,
                           const QVariant& notes) {
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    if (!isNull(description))
        text += QStringLiteral("Description - ") + crlf + strCheckNull(description) + crlf;
    if (!isNull(url)) text += QStringLiteral("Site's URL - ") + crlf + strCheckNull(url) + crlf;
    if (!isNull(notes)) text += QStringLiteral("Notes - ") + crlf + strCheckNull(notes);
    return text;
}

} // namespace kv
