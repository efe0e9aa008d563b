#pragma once

// The search screen on a small catalogue compiled by our own compiler, inside a real
// background window, with a real catalogue database in a temporary folder.

#include "app/Navigation.h"
#include "app/frmBackground.h"
#include "collections/CollectionStore.h"
#include "db/CatalogueTemplate.h"
#include "catalogue/Catalogue.h"
#include "fakes/Fakes.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"
#include "search/UnboundGrid.h"
#include "search/frmSearch.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Compiler.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace kv::test {

inline void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
}

// Five artists: "Various Artists" is a compilation (in "|1" only), "Zed Guest" appears
// only as a guest on it. Arrival has three releases, two of them under one catalogue
// number; Brothers Live has none.
inline QString compileSmallCatalogue(const QString& folder) {
    writeText(folder + "/artists.csv", "artist_id,name,sort_name,compilation\n"
                                       "1,Abba,,0\n"
                                       "2,Abbott Brothers,,0\n"
                                       "3,Various Artists,,1\n"
                                       "4,Bob Dylan,Dylan Bob,0\n"
                                       "5,Zed Guest,,0\n");
    writeText(folder + "/recordings.csv", "album_id,title,artist_id,year,genre\n"
                                          "101,Arrival,1,1976,Pop\n"
                                          "102,Waterloo,1,1974,Pop\n"
                                          "103,Brothers Live,2,1990,\n"
                                          "104,Hits Collection,3,1995,\n"
                                          "105,Blonde on Blonde,4,1966,Rock\n");
    writeText(folder + "/releases.csv",
              "album_id,catalogue_number,label,release_date,deleted_date,medium\n"
              "101,POLS 272,Polar,1976,,LP\n"
              "101,821 319-2,Polydor,1984,1999,CD\n"
              "101,821 319-2,Polydor,1984,,Cassette\n"
              "102,POLS 252,Polar,1974,,LP\n"
              "104,HITS 1,Various,1995,,CD\n"
              "105,C2L 41,Columbia,1966,,LP\n"
              "105,CK 841,Columbia,1987,,CD\n");
    writeText(folder + "/tracks.csv", "album_id,disc,number,title,duration,artist_id\n"
                                      "101,1,1,Dancing Queen,230,\n"
                                      "101,1,2,Money Money Money,185,\n"
                                      "104,1,1,Guest Song,200,5\n"
                                      "105,1,1,Visions of Johanna,450,\n");
    const QString out = folder + "/Music.M14";
    QString error;
    EXPECT_TRUE(title::compileCatalogue(folder, out, &error)) << error.toStdString();
    return out;
}

class SearchScreenTest : public ::testing::Test {
protected:
    SearchScreenTest() {
        AppContext& a = t.ctx();
        a.services.resources = std::make_unique<QtResources>();
        a.constants.rectScreenArea = QRect(16, 57, 600, 335);
        a.constants.intScreenWidth = 1024;
        a.constants.intScreenHeight = 768;
        a.forms.registerFactory(form::Background, [] { return new frmBackground; });
        a.forms.registerFactory(form::Search, [] { return new frmSearch; });
        titlePath = compileSmallCatalogue(dir.path());

        const QString dbPath = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(dbPath, {});
        catalogueState().dbCatalogue = Database::open(dbPath);
        EXPECT_TRUE(bInit_RCollections());
    }

    ~SearchScreenTest() override {
        CloseCollections();
        catalogueState().dbCatalogue.Close();
    }

    // The screen as start-up and navigation leave it: the title open, shown in search mode
    // with the artists.
    frmSearch& screen() {
        if (!m_screen) {
            background()->Show_me();
            m_screen = t.ctx().forms.get<frmSearch>(form::Search);
            m_screen->MvrDetails->setTitleFile(titlePath);
            EXPECT_NE(m_screen->MvrDetails->titleHandle(), 0);
            EXPECT_TRUE(nav::bSearch_Show());
        }
        return *m_screen;
    }
    frmBackground* background() {
        return t.ctx().forms.get<frmBackground>(form::Background);
    }

    // The keyword grid's rows as shown.
    QStringList keywords() {
        QStringList all;
        for (qint32 r = 0; r < screen().TDBGrid1->count(); ++r)
            all << screen().keywordAt(r);
        return all;
    }
    QString currentKeyword() {
        const qint32 row = screen().TDBGrid1->currentRow();
        return row < 0 ? QString() : screen().keywordAt(row);
    }
    QStringList topicTitles() {
        QStringList all;
        for (qint32 r = 0; r < screen().TDBGrid2->count(); ++r)
            all << screen().TDBGrid2->model()->cellText(r, 0);
        return all;
    }
    void type(const QString& text) { QTest::keyClicks(screen().txtKeyword, text); }
    void clearKeyword() {
        QLineEdit* box = screen().txtKeyword;
        box->setFocus();
        box->end(false);
        while (!box->text().isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
    }
    // Chooses a topic row as a click does.
    void chooseTopic(const QString& title) {
        const qint32 row = topicTitles().indexOf(title);
        ASSERT_GE(row, 0) << title.toStdString();
        screen().TDBGrid2->setCurrentRow(row);
        ASSERT_TRUE(screen().bDetails_Show());
    }

    TestContext t;
    QTemporaryDir dir;
    QString titlePath;

private:
    frmSearch* m_screen = nullptr;
};

} // namespace kv::test
