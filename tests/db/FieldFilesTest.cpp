// Copying long binary fields to and from files, and text to a file.

#include "DbFixture.h"

#include "db/FieldFiles.h"
#include "fakes/Fakes.h"

#include <QFile>

using namespace kv;
using namespace kv::test;

namespace {

class FieldFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        rs = c.database.OpenRecordset(QStringLiteral("Collection"));
        rs.setIndex(QStringLiteral("PrimaryKey"));
        rs.Seek(QStringLiteral("="), 0);
    }
    QString write(const QString& name, const QByteArray& data) {
        QFile f(c.file(name));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return c.file(name);
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    static QByteArray pattern(int n) {
        QByteArray b;
        for (int k = 0; k < n; ++k)
            b.append(char((k * 31) ^ (k >> 8)));
        return b;
    }
    TestContext context;
    TempCatalogue c;
    Recordset rs;
};

TEST_F(FieldFilesTest, FileToFieldAndBackKeepsEveryByte) {
    for (int size : {1, 1999, 2000, 4000, 4001, 70000}) {
        const QByteArray data = pattern(size);
        ASSERT_TRUE(
            bWrite_File_to_Fld(rs, QStringLiteral("Collection Icon"), write("in.ico", data)));
        EXPECT_EQ(rs.EditMode(), dbEditInProgress); // the caller stores the record
        rs.Update();
        const QString out = c.file(QStringLiteral("out.ico"));
        ASSERT_TRUE(bWrite_Fld_to_File(rs.Fields(QStringLiteral("Collection Icon")), out)) << size;
        EXPECT_EQ(read(out), data) << size;
    }
    EXPECT_EQ(context.busy.depth(), 0);
    EXPECT_GT(context.busy.everBusy, 0);
    EXPECT_TRUE(context.messages.boxes.empty());
}

TEST_F(FieldFilesTest, FileIntoAFieldBeingEditedKeepsTheOtherChanges) {
    rs.Edit();
    rs.setValue(QStringLiteral("Collection Name"), QStringLiteral("Renamed"));
    ASSERT_TRUE(bWrite_File_to_Fld(rs, QStringLiteral("Collection Icon"), write("in.ico", "ICON")));
    rs.Update();
    EXPECT_EQ(rs.value(QStringLiteral("Collection Name")).toString(), "Renamed");
    EXPECT_EQ(rs.value(QStringLiteral("Collection Icon")).toByteArray(), "ICON");
    // An empty file empties the field.
    ASSERT_TRUE(bWrite_File_to_Fld(rs, QStringLiteral("Collection Icon"),
                                   write("empty.ico", QByteArray())));
    rs.Update();
    EXPECT_TRUE(rs.value(QStringLiteral("Collection Icon")).isNull());
}

TEST_F(FieldFilesTest, EmptyFieldWritesNothingAndLeavesTheFileAlone) {
    const QString out = write(QStringLiteral("existing.ico"), "keep me");
    EXPECT_FALSE(bWrite_Fld_to_File(rs.Fields(QStringLiteral("Collection Icon")), out));
    EXPECT_EQ(read(out), "keep me");
    EXPECT_TRUE(context.messages.boxes.empty());
}

TEST_F(FieldFilesTest, FailuresAreReportedUnderTheirOwnName) {
    EXPECT_FALSE(bWrite_File_to_Fld(rs, QStringLiteral("Collection Icon"),
                                    c.file(QStringLiteral("missing.ico"))));
    ASSERT_EQ(context.messages.boxes.size(), 1u);
    EXPECT_TRUE(context.messages.last().text.startsWith("Error: 53 "));
    EXPECT_TRUE(context.messages.last().text.endsWith("\rbWrite_File_to_Fld"));
    rs.Edit();
    rs.setValue(QStringLiteral("Collection Icon"), QByteArray("x"));
    rs.Update();
    EXPECT_FALSE(bWrite_Fld_to_File(rs.Fields(QStringLiteral("Collection Icon")),
                                    c.file("no/such/folder/x.ico")));
    EXPECT_TRUE(context.messages.last().text.endsWith("\rbWrite_Fld_to_File"));
    EXPECT_EQ(context.busy.depth(), 0);
}

TEST_F(FieldFilesTest, EveryRecordIntoOneFile) {
    Recordset all = c.database.OpenRecordset(
        QStringLiteral("SELECT [Collection Icon] FROM Collection ORDER BY [Collection ID]"));
    Recordset edit = c.database.OpenRecordset(QStringLiteral("Collection"));
    edit.MoveFirst();
    for (const char* part : {"first|", "second"}) {
        edit.Edit();
        edit.setValue(QStringLiteral("Collection Icon"), QByteArray(part));
        edit.Update();
        edit.MoveNext();
    }
    const QString out = c.file(QStringLiteral("all.bin"));
    ASSERT_TRUE(bWrite_RecordSet_Fld_to_File(all, all.Fields(0), out));
    EXPECT_EQ(read(out), "first|second");

    Recordset none = c.database.OpenRecordset(
        QStringLiteral("SELECT [Collection Icon] FROM Collection WHERE False"));
    const QString nothing = c.file(QStringLiteral("none.bin"));
    EXPECT_TRUE(bWrite_RecordSet_Fld_to_File(none, none.Fields(0), nothing));
    EXPECT_FALSE(QFile::exists(nothing));
}

TEST_F(FieldFilesTest, TextFileHoldsExactlyTheText) {
    const QString out =
        write(QStringLiteral("text.txt"), "a much longer text that was here before");
    ASSERT_TRUE(bWrite_Str_to_File(QStringLiteral("Short – ünïcode"), out));
    EXPECT_EQ(QString::fromUtf8(read(out)), "Short – ünïcode");
}

} // namespace
