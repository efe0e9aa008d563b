// The sources: CSV reading, bad rows, and the shop directory.

#include "TitleFixture.h"

#include "formats/Csv.h"
#include "titles/engine/Page.h"

using namespace kv;
using namespace kv::test;

namespace {

TEST(Csv, QuotedFieldsLineEndsAndByteOrderMark) {
    formats::CsvReader csv;
    ASSERT_TRUE(csv.openText("x.csv",
                             "\xEF\xBB\xBF"
                             "b,a\r\n\"1,\"\"2\"\"\",\"multi\nline\"\r\n\n3,\n",
                             {"a", "b"}));
    ASSERT_TRUE(csv.next());
    EXPECT_EQ(csv.field(0), "multi\nline");
    EXPECT_EQ(csv.field(1), "1,\"2\"");
    EXPECT_EQ(csv.line(), 2);
    ASSERT_TRUE(csv.next());
    EXPECT_EQ(csv.line(), 5) << "a record's line counts the lines inside quoted fields";
    EXPECT_EQ(csv.field(0), "");
    EXPECT_EQ(csv.field(1), "3");
    EXPECT_FALSE(csv.next());
    EXPECT_TRUE(csv.error().isEmpty());
}

TEST(Csv, MalformedInputIsReportedWithItsLine) {
    const std::vector<std::pair<std::string, QString>> cases = {
        {"a,b\n1,\"open\n", "x.csv:2: a quoted field is not closed"},
        {"a,b\n1,2\n1,2,3\n", "x.csv:3: 3 fields where the header has 2"},
        {"a,b\n1,x\"y\n", "x.csv:2: a quote inside an unquoted field"},
        {"a,b\n\"1\"x,2\n", "x.csv:2: unexpected character after a field"},
        {"a,b\n1,\xC3\x28\n", "x.csv:2: the text is not valid UTF-8"},
    };
    for (const auto& [text, message] : cases) {
        formats::CsvReader csv;
        ASSERT_TRUE(csv.openText("x.csv", text, {"a", "b"}));
        while (csv.next()) {
        }
        EXPECT_EQ(csv.error(), message) << text;
    }
    formats::CsvReader csv;
    EXPECT_FALSE(csv.openText("x.csv", "a,c\n", {"a", "b"}));
    EXPECT_EQ(csv.error(), "x.csv:1: the header has no column \"b\"");
    EXPECT_FALSE(csv.openText("x.csv", "", {"a"}));
}

class BadSourceTest : public TitleTest {
protected:
    QString compile(const QByteArray& artists, const QByteArray& recordings,
                    const QByteArray& releases = "album_id,catalogue_number,label,release_date,"
                                                 "deleted_date,medium\n",
                    const QByteArray& tracks = "album_id,disc,number,title,duration,artist_id\n") {
        writeFile(path("artists.csv"), artists);
        writeFile(path("recordings.csv"), recordings);
        writeFile(path("releases.csv"), releases);
        writeFile(path("tracks.csv"), tracks);
        QString error;
        EXPECT_FALSE(title::compileCatalogue(m_dir.path(), path("out.M14"), &error));
        EXPECT_FALSE(QFile::exists(path("out.M14"))) << "a failed build leaves no title";
        return error.mid(m_dir.path().size() + 1);
    }
};

TEST_F(BadSourceTest, BadRowsNameFileLineAndReason) {
    const QByteArray a = "artist_id,name,sort_name,compilation\n1,A,,0\n";
    const QByteArray r = "album_id,title,artist_id,year,genre\n";
    EXPECT_EQ(compile("artist_id,name,sort_name,compilation\n1,A,,0\n1,B,,0\n", r),
              "artists.csv:3: artist_id 1 appears twice");
    EXPECT_EQ(compile("artist_id,name,sort_name,compilation\n1,,Sort,0\n", r),
              "artists.csv:2: name is empty");
    EXPECT_EQ(compile("artist_id,name,sort_name,compilation\n1,A,,yes\n", r),
              "artists.csv:2: compilation must be 0 or 1, not \"yes\"");
    EXPECT_EQ(compile("artist_id,name,sort_name,compilation\n1,\"Tab\there\",,0\n", r),
              "artists.csv:2: name contains a control character (U+0009)");
    EXPECT_EQ(compile(a, r + "100000000,T,1,,\n"),
              "recordings.csv:2: album_id \"100000000\" is not a number from 0 to 99999999");
    EXPECT_EQ(compile(a, r + "0,T,1,,\n"), "recordings.csv:2: album_id must be from 1 to 99999999");
    EXPECT_EQ(compile(a, r + "5,T,2,,\n"), "recordings.csv:2: artist_id 2 is not in artists.csv");
    EXPECT_EQ(compile(a, r + "5,T,1,19x9,\n"),
              "recordings.csv:2: year \"19x9\" is not a number from 0 to 9999");
    EXPECT_EQ(
        compile(a, r + "5,T,1,,\n",
                "album_id,catalogue_number,label,release_date,deleted_date,medium\n5,,L,,,\n"),
        "releases.csv:2: catalogue_number is empty");
    EXPECT_EQ(compile(a, r + "5,T,1,,\n",
                      "album_id,catalogue_number,label,release_date,deleted_date,medium\n",
                      "album_id,disc,number,title,duration,artist_id\n5,1,1,X,-3,\n"),
              "tracks.csv:2: duration \"-3\" is not a number from 0 to 99999999");
    EXPECT_EQ(compile(a, r + "5,T,1,,\n",
                      "album_id,catalogue_number,label,release_date,deleted_date,medium\n",
                      "album_id,disc,number,title,duration,artist_id\n6,1,1,X,,\n"),
              "tracks.csv:2: album_id 6 is not in recordings.csv");
    EXPECT_EQ(compile("id,name\n", r), "artists.csv:1: the header has no column \"artist_id\"");
}

TEST_F(BadSourceTest, MissingSourceFileIsNamed) {
    QString error;
    EXPECT_FALSE(title::compileCatalogue(path("nowhere"), path("out.M14"), &error));
    EXPECT_TRUE(error.contains("artists.csv: cannot open")) << error.toStdString();
}

TEST_F(TitleTest, ShopDirectoryTownsHotspotsAndShopPages) {
    writeFile(path("shops.csv"),
              "number,town,name,address,phone,fax,email,featured,orders_direct,description\n"
              "7,York,Shambles | Sounds,\"1 The Shambles, York\",01904 1,,a@b.example,1,0,\"Big, "
              "\"\"old\"\"\"\n"
              "3,Bath,Abbey Discs,2 Abbey Green,,01225 2,,0,1,\n"
              "9,york,Other Shop,3 Lane,,,,0,0,\n"
              "4,Bath,Walcot,4 Walcot St,01225 3,,,0,0,\n");
    QString error;
    ASSERT_TRUE(title::compileShops(path("shops.csv"), path("Shops.M14"), &error))
        << error.toStdString();
    const MVHandle t = open(path("Shops.M14"));
    const MVHandle w = wheel(t, "4");
    EXPECT_EQ(keywords(w), QStringList({"Bath", "York", "york"}));

    QList<qint32> addrs = topics(w, "Bath");
    ASSERT_EQ(addrs.size(), 1);
    MVTopic topic;
    ASSERT_TRUE(bMVGetTopic(t, vaMVConvertAddr(t, addrs[0]), topic));
    title::Page page;
    ASSERT_TRUE(title::decodePage({topic.page.constData(), size_t(topic.page.size())}, page));
    QStringList hotspots;
    for (const auto& b : page)
        for (const auto& s : b.spans)
            if (s.kind == title::SpanKind::Hotspot) hotspots << s.target;
    EXPECT_EQ(hotspots, QStringList({"S-O3|S_3|Abbey Discs|2 Abbey Green||01225 2|",
                                     "O-O3|S_3|Abbey Discs|2 Abbey Green||01225 2|",
                                     "S--4|S_4|Walcot|4 Walcot St|01225 3||"}));

    addrs = topics(w, "York");
    ASSERT_TRUE(bMVGetTopic(t, addrs.value(0), topic));
    ASSERT_TRUE(title::decodePage({topic.page.constData(), size_t(topic.page.size())}, page));
    EXPECT_TRUE(
        title::pageToHtml(page).contains("kvhot:SF-7%7CS_7%7CShambles%20%C2%A6%20Sounds%7C1%20The%"
                                         "20Shambles%2C%20York%7C01904%201%7C%7Ca%40b.example"))
        << title::pageToHtml(page).toStdString();

    // Featured and order-direct shops have their own page, named by the reference.
    EXPECT_GE(vaMVConvertContextString(t, "S_7"), 0);
    EXPECT_GE(vaMVConvertContextString(t, "S_3"), 0);
    EXPECT_EQ(vaMVConvertContextString(t, "S_4"), -1);
    ASSERT_TRUE(bMVGetTopic(t, vaMVConvertContextString(t, "S_7"), topic));
    ASSERT_TRUE(title::decodePage({topic.page.constData(), size_t(topic.page.size())}, page));
    EXPECT_TRUE(title::pageToPlainText(page).contains("Big, \"old\""));
    EXPECT_NE(hMVBaggageOpen(t, "Korva.$$$"), 0);
}

TEST_F(TitleTest, ShopListErrors) {
    writeFile(path("shops.csv"),
              "number,town,name,address,phone,fax,email,featured,orders_direct,description\n"
              "1,Bath,A,,,,,0,0,\n"
              "40000,Bath,B,,,,,0,0,\n");
    QString error;
    EXPECT_FALSE(title::compileShops(path("shops.csv"), path("Shops.M14"), &error));
    EXPECT_TRUE(error.endsWith("shops.csv:3: number \"40000\" is not a number from 0 to 32767"))
        << error.toStdString();
}

TEST_F(TitleTest, BundledShopListCompiles) {
    QString error, report;
    ASSERT_TRUE(title::compileShops(KV_SOURCE_DIR "/data/catalogue/shops.csv", path("Shops.M14"),
                                    &error, &report))
        << error.toStdString();
    EXPECT_TRUE(report.startsWith("Read 33 shops in 14 towns")) << report.toStdString();
}

} // namespace
