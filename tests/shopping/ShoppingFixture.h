#pragma once

// The shopping screen inside a real background window, on a real catalogue database with
// the shipped shop directory, and the shop directory title the build compiled into the
// application folder. People and devices are the platform fakes.

#include "OrderFixture.h"

#include "app/Navigation.h"
#include "app/frmBackground.h"
#include "catalogue/Catalogue.h"
#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "fakes/FakeMail.h"
#include "fakes/Fakes.h"
#include "fakes/QueryRows.h"
#include "fakes/TempSettings.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"
#include "shopping/frmPropUser.h"
#include "shopping/frmShopping.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv::test {

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ShoppingTest : public ::testing::Test {
protected:
    ShoppingTest() {
        AppContext& a = t.ctx();
        a.services.resources = std::make_unique<QtResources>();
        a.constants.rectScreenArea = QRect(16, 57, 600, 335);
        a.constants.intScreenWidth = 1024;
        a.constants.intScreenHeight = 768;
        a.appFolder = QStringLiteral(KV_APP_DIR);
        a.userDataFolder = dir.filePath(QStringLiteral("user"));
        a.forms.registerFactory(form::Background, [] { return new frmBackground; });
        a.forms.registerFactory(form::Shopping, [] { return new frmShopping; });
        dbPath = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(dbPath, db::readShopsCsv(QStringLiteral(KV_SOURCE_DIR "/data/catalogue/shops.csv")));
        catalogueState().dbCatalogue = Database::open(dbPath);
        EXPECT_TRUE(bInit_RCollections());
    }
    ~ShoppingTest() override {
        t.ctx().forms.unloadAll();
        CloseCollections();
        catalogueState().dbCatalogue.Close();
    }

    Database& db() { return catalogueState().dbCatalogue; }
    // A release wanted from the search screen: into the shopping list (collection 1).
    void want(qint32 album, const QString& title, const QVariant& artist, const QString& catalogue,
              const QString& medium = QStringLiteral("LP"), const QString& deletedDate = QString()) {
        Recordset rs = db().OpenRecordset(QStringLiteral("Collection - Contents"), dbOpenTable);
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 1);
        rs.setValue(QStringLiteral("Catalogue Number"), catalogue);
        rs.setValue(QStringLiteral("Album ID"), album);
        rs.setValue(QStringLiteral("Title"), title);
        rs.setValue(QStringLiteral("Artist"), artist);
        rs.setValue(QStringLiteral("Medium"), medium);
        rs.setValue(QStringLiteral("Deleted Date"), deletedDate.isEmpty() ? QVariant() : QVariant(deletedDate));
        rs.setValue(QStringLiteral("Deleted"), !deletedDate.isEmpty());
        rs.Update();
        rs.Close();
    }
    // The usual list: three wanted releases, the second out of print.
    void wantThree() {
        want(11, QStringLiteral("Blue Train"), QStringLiteral("John Coltrane"), QStringLiteral("BLP 1577"));
        want(12, QStringLiteral("Kind of Blue"), QStringLiteral("Miles Davis"), QStringLiteral("CL 1355"),
             QStringLiteral("LP"), QStringLiteral("1971"));
        want(13, QStringLiteral("A Love Supreme"), QStringLiteral("John Coltrane"), QStringLiteral("A-77"),
             QStringLiteral("CD"));
    }
    // The stored order flags of the shopping list, by catalogue number.
    QStringList ticked() {
        return queryColumn(db(), QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] WHERE "
                                                "[Collection ID]=1 AND [Order]=True ORDER BY [Catalogue Number]"));
    }

    frmBackground* background() { return t.ctx().forms.get<frmBackground>(form::Background); }
    // The screen as the Shopping button leaves it: loaded, on the shopping list.
    frmShopping& screen() {
        if (!m_screen) {
            background()->Show_me();
            EXPECT_TRUE(Go_To_Screen(screen::ShoppingList));
            m_screen = t.ctx().forms.find<frmShopping>(form::Shopping);
            EXPECT_NE(m_screen, nullptr);
        }
        return *m_screen;
    }
    // The grid's "Recording" texts as shown.
    QStringList rowsShown(int column = 2) {
        QStringList shown;
        DataControl* data = screen().Data1;
        for (int r = 0; r < data->rowCount(); ++r)
            shown << data->data(data->index(r, column)).toString();
        return shown;
    }
    void selectRow(int row) { screen().Data1->setCurrentRow(row); }
    // Chooses a town as a click in the town chooser does.
    void chooseTown(const QString& town) {
        QComboBox* towns = screen().cboTowns;
        const int k = towns->findText(town);
        ASSERT_GE(k, 0) << town.toStdString();
        towns->setCurrentIndex(k);
        screen().cboTowns_Click();
    }
    // Clicks the hotspot of the directory page whose data string names the shop, of a kind.
    void clickShop(const QString& name, QChar kind = u'S') {
        TitleViewer* viewer = screen().MvrShops;
        const auto& links = viewer->pageLinks();
        for (int i = 0; i < links.size(); ++i)
            if (links[i].hotspot && links[i].target.startsWith(kind) &&
                links[i].target.section(u'|', 2, 2) == name) {
                viewer->activateLink(i);
                return;
            }
        ADD_FAILURE() << "no hotspot " << QString(kind).toStdString() << " for " << name.toStdString();
    }
    // The e-mail ordering page of an order-direct shop, as the user reaches it.
    void toEmailPage(const QString& town, const QString& shop) {
        screen();
        tickRow(0);
        screen().imgDirectory_Click();
        chooseTown(town);
        clickShop(shop, u'O');
        screen().imgEmail_Click();
    }
    void tickRow(int row) {
        selectRow(row);
        screen().Toggle_Order();
    }

    TestContext t;
    TempSettings settings;
    MailFakes mail;
    QTemporaryDir dir;
    QString dbPath;

private:
    frmShopping* m_screen = nullptr;
};

} // namespace kv::test
