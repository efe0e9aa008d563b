#pragma once

// The collection screen on a real database with a few collections, items and the
// template's connections; the find, filter and sort dialog behind it is the real one.

#include "CollectionFixture.h"

#include "app/Navigation.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/frmCollection.h"
#include "connections/Connections.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"
#include "search/fSearch.h"

#include <QComboBox>
#include <QListWidget>
#include <functional>

namespace kv::test {

class ScreenTest : public StoreTest {
protected:
    ScreenTest() {
        t.ctx().services.resources = std::make_unique<QtResources>();
        t.ctx().forms.registerFactory(form::FindFilterSort, [] { return new fSearch; });
        t.ctx().forms.registerFactory(form::Collection, [] { return new frmCollection; });
        addCollectionRow(2, "Jazz");
        addCollectionRow(3, "Vinyl");
        // Vinyl: four items, one without an artist; Jazz: empty.
        addItem(3, "B-1", 11, "Blue Train", "John Coltrane");
        addItem(3, "K-1", 12, "Kind of Blue", "Miles Davis");
        addItem(3, "A-1", 13, "A Love Supreme", "John Coltrane");
        addItem(3, "S-1", 14, "Somethin' Else", QVariant());
        native(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1,
                  "User Field 4" = 'Lent to', "User Field 4 visible" = 1,
                  "User Field 5" = 'Hidden', "User Field 5 visible" = 0 WHERE "Collection ID" = 3)");
        EXPECT_TRUE(bInit_RCollections());
        EXPECT_TRUE(bInit_Connections());
    }
    ~ScreenTest() override {
        t.ctx().forms.unloadAll();
        CloseConnections();
    }

    void addItem(int collection, const QString& catalogue, int album, const QString& title,
                 const QVariant& artist) {
        Recordset rs = db().OpenRecordset("Collection - Contents", dbOpenTable);
        rs.AddNew();
        rs.setValue("Collection ID", collection);
        rs.setValue("Catalogue Number", catalogue);
        rs.setValue("Album ID", album);
        rs.setValue("Title", title);
        rs.setValue("Artist", artist);
        rs.setValue("Medium", "LP");
        rs.setValue("Release Date", "1959");
        rs.Update();
        rs.Close();
    }

    frmCollection& screen() {
        if (!m_screen) {
            m_screen = t.ctx().forms.get<frmCollection>(form::Collection);
            m_screen->Form_Mode(screen::Collections);
        }
        return *m_screen;
    }
    // Chooses a collection in the drop-down list as a click does.
    void choose(const QString& name) {
        QListWidget* list = screen().lstCollection;
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->setCurrentItem(found.front());
        screen().Refresh_Collection();
    }
    // The grid's rows as shown.
    QStringList rowsShown() {
        QStringList shown;
        DataControl* data = screen().Data1;
        for (int r = 0; r < data->rowCount(); ++r)
            shown << data->data(data->index(r, 0)).toString();
        return shown;
    }
    QString currentShown() {
        DataControl* data = screen().Data1;
        const int r = data->currentRow();
        return r < 0 ? QString() : data->data(data->index(r, 0)).toString();
    }
    // The find dialog's next showing, with a script for the user.
    void withDialog(std::function<void(fSearch&)> user) {
        t.dialogs.script([user](QDialog& d) { user(static_cast<fSearch&>(d)); });
    }
    static void chooseField(fSearch& d, const QString& shownName) {
        const int k = d.cboIn->findText(shownName);
        ASSERT_GE(k, 0) << shownName.toStdString();
        d.cboIn->setCurrentIndex(k);
    }

private:
    frmCollection* m_screen = nullptr;
};

} // namespace kv::test
