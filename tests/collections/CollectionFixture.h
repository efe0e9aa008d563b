#pragma once

#include "fakes/QueryRows.h"

// The collection store on a template database made for the test (the build's own copy in
// the application folder may hold the developer's collections by now), with the platform
// fakes standing in for the user.

#include "collections/CollectionStore.h"
#include "collections/NRCollections.h"
#include "db/CatalogueTemplate.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "catalogue/Catalogue.h"
#include "fakes/Fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kv::test {

inline TopicRecord recording(qint32 album, const QString& title, const QString& artist) {
    TopicRecord r;
    r.lngAlbumID = album;
    r.strTitle = title;
    r.strArtist = artist;
    r.intKind = kTopicRecording;
    return r;
}

inline ReleaseRecord release(const QString& catalogue, const QString& label = QString(),
                             const QString& date = QString(), const QString& medium = QString(),
                             const QString& deletedDate = QString()) {
    ReleaseRecord r;
    r.strCatalogueNumber = catalogue;
    r.strLabel = label;
    r.strReleaseDate = date;
    r.strMedium = medium;
    r.strDeletedDate = deletedDate;
    r.bDeleted = !deletedDate.isEmpty();
    r.strDisplay = date + QStringLiteral(" - ") + medium;
    return r;
}

// Writes a picture file of the given size in a format Qt can write ("ICO", "PNG" ...).
inline QString writePicture(const QString& path, int side, const char* format,
                            QColor colour = Qt::red) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, format)) << path.toStdString();
    return path;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class StoreTest : public ::testing::Test {
protected:
    StoreTest() {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, {});
        catalogueState().dbCatalogue = Database::open(path);
    }
    // A test whose database did not come up stops here rather than pass on nothing.
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        ASSERT_FALSE(db().isNull());
    }
    ~StoreTest() override {
        CloseCollections();
        catalogueState().dbCatalogue.Close();
    }

    Database& db() { return catalogueState().dbCatalogue; }
    // A statement in SQLite's own dialect, straight to the file.
    void native(const QString& sql) { db().connection()->exec(sql.toUtf8()); }
    void addCollectionRow(int id, const QString& name) {
        native(
            QStringLiteral(
                R"(INSERT INTO "Collection" ("Collection ID", "Collection Name") VALUES (%1, '%2'))")
                .arg(id)
                .arg(name));
    }
    void addItemRow(int collection, const QString& catalogue, int album, const QString& title) {
        native(
            QStringLiteral(
                R"(INSERT INTO "Collection - Contents" ("Collection ID", "Catalogue Number", "Album ID", "Title") VALUES (%1, '%2', %3, '%4'))")
                .arg(collection)
                .arg(catalogue)
                .arg(album)
                .arg(title));
    }
    // The rows of a query in the program's dialect, each as its fields.
    std::vector<QVariantList> rows(const QString& sql) { return queryRows(db(), sql); }
    // The first field of every row as text, "<Null>" for Null.
    QStringList column(const QString& sql) { return queryColumn(db(), sql); }
    QStringList collectionIds() {
        return column(
            QStringLiteral("SELECT [Collection ID] FROM [Collection] ORDER BY [Collection ID]"));
    }
    QStringList itemsOf(int collection) {
        return column(QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] WHERE "
                                     "[Collection ID]=%1 ORDER BY [Catalogue Number]")
                          .arg(collection));
    }
    QStringList keys() {
        QStringList out;
        for (const auto& c : RCollections().Items())
            out << c->CollectionID;
        return out;
    }
    // The boxes shown so far, by text.
    QStringList texts() const { return t.messages.texts(); }

    TestContext t;
    QTemporaryDir dir;
    QString path;
};

} // namespace kv::test
