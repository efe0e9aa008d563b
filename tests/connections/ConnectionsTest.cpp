// The connections store and dialog on a copy of the template database, with the fakes
// standing in for the user and the browser.

#include "catalogue/Catalogue.h"
#include "connections/Connections.h"
#include "connections/frmPropConnection.h"
#include "db/Connection.h"
#include "db/CatalogueTemplate.h"
#include "db/Database.h"
#include "fakes/Fakes.h"
#include "fakes/QueryRows.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

class ConnectionsTest : public ::testing::Test {
protected:
    ConnectionsTest() {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, {});
        catalogueState().dbCatalogue = Database::open(path);
        EXPECT_TRUE(bInit_Connections());
    }
    ~ConnectionsTest() override {
        CloseConnections();
        t.ctx().forms.unloadAll();
        catalogueState().dbCatalogue.Close();
    }

    QStringList names() {
        return queryColumn(catalogueState().dbCatalogue,
                           "SELECT [Connection Name] FROM [Connections] ORDER BY [Connection ID]");
    }
    // A connection with the given address, straight into the table; its ID.
    qint32 addRow(const QString& name, const QVariant& url) {
        Recordset rs = catalogueState().dbCatalogue.OpenRecordset("Connections", dbOpenTable);
        rs.AddNew();
        const qint32 id = qint32(rs.value("Connection ID").toLongLong());
        rs.setValue("Connection Name", name);
        rs.setValue("Connection URL", url);
        rs.Update();
        rs.Close();
        return id;
    }
    QVariantList row(qint32 id) {
        const auto rows = queryRows(catalogueState().dbCatalogue,
                                    QStringLiteral("SELECT [Connection Name], [Connection Description], "
                                                   "[Connection URL], [Notes] FROM [Connections] "
                                                   "WHERE [Connection ID]=%1")
                                        .arg(id));
        return rows.empty() ? QVariantList() : rows.front();
    }
    // The dialog's next showing: fill it and press OK (or Cancel when ok is false).
    void answerDialog(const QString& name, const QString& description, const QString& url,
                      const QString& notes, bool ok = true) {
        t.dialogs.script([=](QDialog& d) {
            auto& p = static_cast<frmPropConnection&>(d);
            p.txtName->setText(name);
            p.txtDescription->setPlainText(description);
            p.txtURL->setPlainText(url);
            p.txtNotes->setPlainText(notes);
            (ok ? p.cmdOK : p.cmdCancel)->click();
        });
    }

    TestContext t;
    QTemporaryDir dir;
    QString path;
};

TEST_F(ConnectionsTest, ACancelledNewConnectionLeavesNoRow) {
    const QStringList before = names();
    answerDialog("Label site", "", "", "", false);
    qint32 id = -1;
    EXPECT_FALSE(bConnection_Item_Add(&id));
    EXPECT_EQ(id, -1);
    EXPECT_EQ(names(), before);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ConnectionsTest, ANewConnectionNeedsANameAndStoresEmptyEntriesAsNull) {
    t.dialogs.script([&](QDialog& d) {
        auto& p = static_cast<frmPropConnection&>(d);
        p.cmdOK->click();
        // Refused: the dialog is still up and says why.
        EXPECT_EQ(t.messages.texts(), QStringList{"Please enter a name for the connection"});
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(p.Accepted);
        p.txtName->setText("Discogs");
        p.txtURL->setPlainText("https://www.discogs.com");
        p.cmdOK->click();
    });
    qint32 id = 0;
    ASSERT_TRUE(bConnection_Item_Add(&id));
    EXPECT_EQ(row(id), (QVariantList{"Discogs", QVariant(), "https://www.discogs.com", QVariant()}));
}

TEST_F(ConnectionsTest, EditingStoresTheEntriesAndAClearedAddressBecomesNull) {
    const qint32 id = addRow("Shop", "www.example.com/shop");
    answerDialog("Shop", "Second-hand vinyl", "", "Open on Sundays");
    ASSERT_TRUE(bConnection_Item_Edit(id));
    EXPECT_EQ(row(id), (QVariantList{"Shop", "Second-hand vinyl", QVariant(), "Open on Sundays"}));

    // Activating it now opens nothing and says there is no address; the result is true.
    EXPECT_TRUE(bConnection_Item_Activate(id));
    EXPECT_TRUE(t.shell.opened.isEmpty());
    EXPECT_EQ(t.messages.texts().last(), QStringLiteral("There is no URL entered for this connection, "
                                                        "please edit the connection and try again"));

    // Cancel stores nothing.
    answerDialog("Renamed", "x", "y", "z", false);
    EXPECT_FALSE(bConnection_Item_Edit(id));
    EXPECT_EQ(row(id).value(0), QVariant("Shop"));
}

TEST_F(ConnectionsTest, TheDialogHoldsNoMoreThanItsFieldsDo) {
    frmPropConnection* d = connectionDialog();
    ASSERT_NE(d, nullptr);
    d->txtName->setText(QString(80, 'n'));
    d->txtURL->setPlainText(QString(300, 'u'));
    d->txtDescription->setPlainText(QString(256, 'd'));
    EXPECT_EQ(d->txtName->text().size(), 50);
    EXPECT_EQ(d->txtURL->toPlainText().size(), 255);
    EXPECT_EQ(d->txtDescription->toPlainText().size(), 255);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Connection Item"));
    // One dialog for the run: the next edit gets the same one, filled afresh.
    EXPECT_EQ(connectionDialog(), d);
}

TEST_F(ConnectionsTest, MissingRowsGiveTheirMessages) {
    EXPECT_FALSE(bConnection_Item_Edit(99999));
    EXPECT_FALSE(bConnection_Item_Delete(99999));
    EXPECT_FALSE(bConnection_Item_Activate(99999));
    EXPECT_EQ(t.messages.texts(), (QStringList{"No connection selected to edit", "No matching record",
                                               "No connection selected to activate"}));
    EXPECT_TRUE(t.shell.opened.isEmpty());
}

TEST_F(ConnectionsTest, RemovingAsksWithNoAsTheDefault) {
    const qint32 id = addRow("Fan page", "www.example.org");
    // The box's own default answers: No, and the row stays.
    EXPECT_FALSE(bConnection_DeleteFrom(id, "Fan page"));
    const ShownBox& box = t.messages.last();
    EXPECT_EQ(box.text, QStringLiteral("Are you sure you want to remove 'Fan page' from the Connections"));
    EXPECT_EQ(box.buttons, mb::YesNo);
    EXPECT_EQ(box.icon, mb::Question);
    EXPECT_EQ(box.defaultButton, mb::Default2);
    EXPECT_FALSE(row(id).isEmpty());
    t.messages.answer(mb::Yes);
    EXPECT_TRUE(bConnection_DeleteFrom(id, "Fan page"));
    EXPECT_TRUE(row(id).isEmpty());
}

TEST_F(ConnectionsTest, ActivatingHandsTheWebAddressToTheBrowser) {
    const qint32 bare = addRow("Bare", "www.example.com/shop");
    const qint32 full = addRow("Full", " https://Example.org/a b?q=1\r\n");
    const qint32 plain = addRow("Plain", "https://example.org/records?q=abba");
    EXPECT_TRUE(bConnection_Item_Activate(bare));
    EXPECT_TRUE(bConnection_Item_Activate(plain));
    EXPECT_EQ(t.shell.opened,
              (QStringList{"http://www.example.com/shop", "https://example.org/records?q=abba"}));
    // A blank inside the address is refused, not passed on in pieces.
    EXPECT_TRUE(bConnection_Item_Activate(full));
    EXPECT_EQ(t.shell.opened.size(), 2);
    EXPECT_EQ(t.messages.texts(), QStringList{kNoWebAddress});
}

TEST_F(ConnectionsTest, BrowserFailuresGiveTheirWarningsWithHelp) {
    const qint32 id = addRow("Site", "http://www.example.com");
    t.shell.webResult = {WebOpenResult::NoProgram, 3};
    EXPECT_TRUE(bConnection_Item_Activate(id));
    t.shell.webResult = {WebOpenResult::Failed, 4};
    EXPECT_TRUE(bConnection_Item_Activate(id));
    ASSERT_EQ(t.messages.boxes.size(), 2u);
    EXPECT_EQ(t.messages.boxes[0].text,
              QStringLiteral("Unable to establish a connection with your browser.\r"
                             "No association set up for .URL files\r"
                             "See help for how to rectify this problem"));
    EXPECT_EQ(t.messages.boxes[1].text,
              QStringLiteral("Error : 4 Unable to establish a connection with your browser."));
    for (const ShownBox& box : t.messages.boxes) {
        EXPECT_EQ(box.icon, mb::Exclamation);
        EXPECT_EQ(box.helpContext, 1000);
    }
}

TEST_F(ConnectionsTest, TheDetailsTextListsWhatIsThere) {
    EXPECT_EQ(strConnection_Text(QVariant(), QVariant(), QVariant()), QString());
    EXPECT_EQ(strConnection_Text("Labels", "www.example.com", "Notes here"),
              QStringLiteral("Description - \r\nLabels\r\nSite's URL - \r\nwww.example.com\r\n"
                             "Notes - \r\nNotes here"));
    EXPECT_EQ(strConnection_Text(QVariant(), QVariant(), "Only notes"),
              QStringLiteral("Notes - \r\nOnly notes"));
}

} // namespace
