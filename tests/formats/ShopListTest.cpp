// The shop list has one reader: a file the shop directory compiler refuses is refused for
// the template database too, with the same message, and one it takes gives the same shops.

#include "FormatsFixture.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "db/CatalogueTemplate.h"
#include "titles/engine/Compiler.h"

using namespace kv;
using namespace kv::test;

namespace {

const QByteArray kHeader =
    "number,town,name,address,phone,fax,email,featured,orders_direct,description\n";

TEST_F(FilesTest, AShopListTheDirectoryRefusesIsRefusedForTheTemplate) {
    struct Case {
        QByteArray rows;
        QString reason;
    } cases[] = {
        {"1,,Shop,,,,,0,0,\n", "2: town is empty"},
        {"1,Bath,,,,,,0,0,\n", "2: name is empty"},
        {"40000,Bath,A,,,,,0,0,\n", "2: number \"40000\" is not a number from 0 to 32767"},
        {" 7,Bath,A,,,,,0,0,\n", "2: number \" 7\" is not a number from 0 to 32767"},
        {"1,Bath,A,,,,,0,0,\n1,York,B,,,,,0,0,\n", "3: shop number 1 appears twice"},
        {"1,Bath,A,,,,,,0,\n", "2: featured must be 0 or 1, not \"\""},
        {"1,Bath,A,,,,,0,yes,\n", "2: orders_direct must be 0 or 1, not \"yes\""},
        {"1,Bath,A,,,,,0,0,\"Two\nlines\"\n",
         "2: description contains a control character (U+000A)"},
        {"1,Bath,A\xC2\x85,,,,,0,0,\n", "2: name contains a control character (U+0085)"},
        {"1,Bath,A\n", "2: 3 fields where the header has 10"},
    };
    for (const Case& c : cases) {
        const QString file = write("shops.csv", kHeader + c.rows);
        QString error;
        EXPECT_FALSE(title::compileShops(file, path("Shops.M14"), &error)) << c.rows.data();
        EXPECT_EQ(error, file + ":" + c.reason);
        try {
            db::readShopsCsv(file);
            ADD_FAILURE() << "the template took " << c.rows.data();
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), err::InvalidProcedureCall);
            EXPECT_EQ(e.description(), error);
        }
    }
    EXPECT_FALSE(QFile::exists(path("Shops.M14")));
}

TEST_F(FilesTest, BothTakeTheShippedShopList) {
    const QString shipped = QStringLiteral(KV_SOURCE_DIR "/data/catalogue/shops.csv");
    const std::vector<db::ShopRow> rows = db::readShopsCsv(shipped);
    ASSERT_EQ(rows.size(), 33u);
    EXPECT_EQ(rows[0].number, 1);
    EXPECT_EQ(rows[0].town.toString(), "Bristol");
    EXPECT_TRUE(rows[0].featured);
    EXPECT_TRUE(rows[2].email.isNull()) << "empty fields are Null in the database";
    QString error, report;
    ASSERT_TRUE(title::compileShops(shipped, path("Shops.M14"), &error, &report))
        << error.toStdString();
    EXPECT_TRUE(report.startsWith("Read 33 shops")) << report.toStdString();

    try {
        db::readShopsCsv(path("none.csv"));
        ADD_FAILURE();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::FileNotFound);
    }
}

} // namespace
