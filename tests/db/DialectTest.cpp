// The program's SQL dialect on a real catalogue database: the statements the screens send,
// their meaning (Null propagation, case-insensitive text, wildcards, dates, DESC), and
// the refusal of everything outside the dialect.

#include "DbFixture.h"

#include "core/ErrorTable.h"
#include "core/RecordHelpers.h"

using namespace kv;
using namespace kv::test;

namespace {

const QString Q = QStringLiteral("\"");

// The texts as the screens build them.
const QString kBoth = QStringLiteral("[Title]+") + Q + QStringLiteral("  (") + Q +
                      QStringLiteral("+[Artist]+") + Q + QStringLiteral(")") + Q +
                      QStringLiteral(" AS Both");
const QString kFrom = QStringLiteral(" From [Collection - Contents]");
const QString kOrder =
    QStringLiteral(" ORDER BY [Collection - Contents].Title, [Collection - Contents].Artist");

class DialectTest : public ::testing::Test {
protected:
    void SetUp() override {
        c.addItem(1, "CAT-1", 10, "Zebra Crossing", "ábba");
        c.addItem(1, "cat-2", 11, "apple pie", QVariant(), true); // no artist
        c.addItem(1, "CAT-3", 12, "Éclair", "Ümlaut", true);
        c.addItem(3, "CAT-1", 10, "Zebra Crossing", "ábba");
        c.addItem(3, "X#9", 13, "Mango", "Band [live]");
    }
    TempCatalogue c;
};

TEST_F(DialectTest, ShoppingListViewsKeepTheirMeaning) {
    const QString list =
        QStringLiteral(
            "SELECT DISTINCTROW [Collection - Contents].[Catalogue Number],[Collection - "
            "Contents].[Album ID], ") +
        kBoth +
        QStringLiteral(
            ",[Collection - Contents].Order as [Order it],[Collection - Contents].Deleted") +
        kFrom + QStringLiteral(" WHERE ((([Collection - Contents].[Collection ID])=1))") + kOrder +
        QStringLiteral(";");
    Recordset rs = c.database.OpenRecordset(list);
    ASSERT_EQ(rs.FieldCount(), 5);
    EXPECT_EQ(rs.Fields(2).Name(), "Both");
    EXPECT_EQ(rs.Fields(3).Name(), "Order it");
    EXPECT_EQ(rs.Fields(2).Type(), dbText);
    EXPECT_EQ(rs.Fields(3).Type(), dbBoolean);
    // Sorted without regard to case; the item without an artist has a Null "Both".
    const auto rows = c.rows(list);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].toString(), "cat-2");
    EXPECT_TRUE(rows[0][2].isNull());
    EXPECT_EQ(rows[1][2].toString(), "Zebra Crossing  (ábba)");
    EXPECT_EQ(rows[2][2].toString(), "Éclair  (Ümlaut)");
    EXPECT_EQ(rows[2][3], QVariant(true));

    const QString ordered =
        QStringLiteral("SELECT DISTINCTROW [Collection - Contents].[Album ID], ") + kBoth +
        QStringLiteral(
            ",[Collection - Contents].[Catalogue Number], [Collection - Contents].[Medium], "
            "[Collection - Contents].[Title], [Collection - Contents].[Artist],[Collection - "
            "Contents].Deleted") +
        kFrom +
        QStringLiteral(" WHERE (([Collection - Contents].[Collection ID]=1) AND ([Collection - "
                       "Contents].[Order]=True))") +
        kOrder + QStringLiteral(";");
    EXPECT_EQ(c.column(ordered), (QStringList{"11", "12"}));

    const QString printing =
        QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, ") + kBoth + kFrom +
        QStringLiteral(" WHERE (([Collection - Contents].[Collection ID]=1) AND ([Collection - "
                       "Contents].[Order]=True))") +
        kOrder + QStringLiteral(";");
    Recordset print = c.database.OpenRecordset(printing, dbOpenDynaset);
    EXPECT_EQ(print.RecordCount(), 2);
    EXPECT_EQ(print.FieldCount(), 18);
    EXPECT_EQ(print.Fields(17).Name(), "Both");

    c.database.Execute(QStringLiteral(
        "UPDATE DISTINCTROW [Collection - Contents] SET [Collection - Contents].[Order] = "
        "False WHERE ((([Collection - Contents].[Collection ID])=1));"));
    EXPECT_EQ(c.database.RecordsAffected(), 3);
    EXPECT_TRUE(c.column(ordered).isEmpty());
}

TEST_F(DialectTest, CollectionScreenStatementsWithTheirSpacing) {
    const QString select =
        QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, ") + kBoth + kFrom;
    // Exactly as the screen joins its pieces: " , " between keys, a blank before ";".
    EXPECT_EQ(c.column(select +
                       QStringLiteral(
                           " WHERE (([Collection ID]=3)) ORDER BY [Collection - Contents].Title , "
                           "[Collection - Contents].Artist ;")),
              (QStringList{"3", "3"}));
    const auto sorted =
        c.rows(select + QStringLiteral(" WHERE (([Collection ID]=1) AND ([Title] Like \"*e*\")) "
                                       "ORDER BY [Title]  DESC , [Collection - Contents].Title , "
                                       "[Collection - Contents].Artist ;"));
    ASSERT_EQ(sorted.size(), 2u);                         // "Éclair" has no plain "e"
    EXPECT_EQ(sorted[0][3].toString(), "Zebra Crossing"); // DESC, case-folded: z after a
    EXPECT_EQ(sorted[1][3].toString(), "apple pie");
    // A filter on the computed column and a sort by it.
    EXPECT_EQ(
        c.column(
            QStringLiteral("SELECT ") + kBoth + kFrom +
            QStringLiteral(
                " WHERE (([Collection ID]=1) AND ([Both] Like \"*(ÁBBA)*\")) ORDER BY [Both] ;")),
        (QStringList{"Zebra Crossing  (ábba)"}));

    c.database.Execute(QStringLiteral(
        "DELETE DISTINCTROW [Collection - Contents].*, [Collection - Contents].[Collection "
        "ID] From [Collection - Contents] WHERE ((([Collection - Contents].[Collection "
        "ID])=3));"));
    EXPECT_EQ(c.database.RecordsAffected(), 2);
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Collection ID] FROM [Collection - Contents]")),
              (QStringList{"1", "1", "1"}));

    EXPECT_EQ(
        c.column(QStringLiteral("SELECT DISTINCTROW [Connections].* From [Connections] ORDER BY "
                                "[Connections].[Connection Name];"))
            .size(),
        4);
    // The shop directory sorts its names without regard to case.
    QStringList names;
    for (const auto& r : c.rows(
             QStringLiteral("SELECT DISTINCTROW [Shop Directory].* From [Shop Directory] ORDER BY "
                            "[Shop Directory].Name")))
        names << r[2].toString();
    EXPECT_EQ(names, (QStringList{"abbey discs", "Harbourside Records", "Éclair Music"}));
}

TEST_F(DialectTest, TextComparesWithoutRegardToCase) {
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Title] FROM [Collection - Contents] WHERE [Artist] = \"ÜMLAUT\"")),
              QStringList{"Éclair"});
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Title] FROM [Collection - Contents] WHERE \"ÉCLAIR\" = [Title]")),
              QStringList{"Éclair"});
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Title] FROM [Collection - Contents] WHERE \"ÉCLAIR\" = \"éclair\" "
                  "AND [Collection ID] = 1 AND [Title] < \"B\"")),
              QStringList{"apple pie"});
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Title] FROM [Collection - Contents] WHERE [Title] In (\"MANGO\", "
                  "\"nothing\")")),
              QStringList{"Mango"});
    // Unique keys: the same catalogue number in other capitals is a duplicate.
    EXPECT_EQ(errorOf([&] { c.addItem(1, "ÇAT-1", 1, "a", "b"); }), 0);
    EXPECT_EQ(errorOf([&] { c.addItem(1, "çat-1", 1, "a", "b"); }), err::DuplicateKey);
    EXPECT_EQ(errorOf([&] { c.addItem(1, "Cat-3", 1, "a", "b"); }), err::DuplicateKey);
}

TEST_F(DialectTest, LikeWildcards) {
    const QString base = QStringLiteral(
        "SELECT [Catalogue Number] FROM [Collection - Contents] WHERE [Collection ID]=3 "
        "AND [Catalogue Number] Like ");
    EXPECT_EQ(c.column(base + QStringLiteral("\"x##\"")).size(), 0);
    EXPECT_EQ(c.column(base + QStringLiteral("\"x[#]#\"")), QStringList{"X#9"});
    EXPECT_EQ(c.column(base + QStringLiteral("\"?#9\"")).size(), 0);
    EXPECT_EQ(c.column(base + QStringLiteral("\"[a-c]at-?\"")), QStringList{"CAT-1"});
    EXPECT_EQ(c.column(base + QStringLiteral("\"[!c]*\"")), QStringList{"X#9"});
    EXPECT_EQ(
        c.column(QStringLiteral(
            "SELECT [Artist] FROM [Collection - Contents] WHERE [Artist] Like \"*[[]LIVE]\"")),
        QStringList{"Band [live]"});
    // A Null artist is neither like nor not like anything.
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Title] FROM [Collection - Contents] WHERE [Artist] Not Like \"*Ü*\" "
                  "ORDER BY [Title]")),
              (QStringList{"Mango", "Zebra Crossing", "Zebra Crossing"}));
    EXPECT_EQ(errorOf([&] { c.column(base + QStringLiteral("\"[abc\"")); }),
              err::InvalidPatternString);
}

TEST_F(DialectTest, OperatorsAndLiterals) {
    auto one = [&](const QString& expr) {
        const auto r = c.rows(QStringLiteral("SELECT ") + expr +
                              QStringLiteral(" AS v FROM [Collection] WHERE "
                                             "[Collection ID] = 0"));
        return r.at(0).at(0);
    };
    EXPECT_TRUE(one(QStringLiteral("\"a\" + Null")).isNull());
    EXPECT_EQ(one(QStringLiteral("\"a\" & Null & 1.5")).toString(), "a1.5");
    EXPECT_TRUE(one(QStringLiteral("Null & Null")).isNull());
    EXPECT_EQ(one(QStringLiteral("1 + 2 * 3 ^ 2")).toDouble(), 19.0);
    EXPECT_EQ(one(QStringLiteral("\"4\" + 1")).toInt(), 5);
    EXPECT_EQ(one(QStringLiteral("7 / 2")).toDouble(), 3.5);
    EXPECT_EQ(one(QStringLiteral("7 \\ 2")).toInt(), 3);
    EXPECT_EQ(one(QStringLiteral("7 Mod 4")).toInt(), 3);
    EXPECT_EQ(one(QStringLiteral("'it''s' & \" a \"\"quote\"\"\"")).toString(), "it's a \"quote\"");
    EXPECT_EQ(one(QStringLiteral("#3/4/1995#")).toDateTime(),
              QDateTime(QDate(1995, 3, 4), QTime(0, 0)));
    EXPECT_EQ(one(QStringLiteral("#4 Mar 95 2:30 PM#")).toDateTime(),
              QDateTime(QDate(1995, 3, 4), QTime(14, 30)));
    EXPECT_EQ(one(QStringLiteral("#1995-03-04# = #March 4, 1995#")), QVariant(true));
    EXPECT_EQ(one(QStringLiteral("[Builtin] = True")), QVariant(true));
    EXPECT_EQ(one(QStringLiteral("Not [Builtin]")).toInt(), 0);
    EXPECT_EQ(one(QStringLiteral("[Collection ID] Between 0 And 1")), QVariant(true));
    EXPECT_EQ(errorOf([&] { one(QStringLiteral("\"a\" + 1")); }), err::DataTypeMismatch);
    EXPECT_EQ(errorOf([&] { one(QStringLiteral("1 / 0")); }), err::DivisionByZero);
    EXPECT_EQ(errorOf([&] { one(QStringLiteral("#31/31/1995#")); }), err::SyntaxErrorInQuery);
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Collection Name] FROM Collection WHERE [Notes] Is Null AND "
                  "[Builtin]=True ORDER BY [Collection ID] DESC")),
              (QStringList{"Shopping List", "My Collection"}));
}

TEST_F(DialectTest, QuotedValuesNeverEndTheirLiteral) {
    const QString hostile = QStringLiteral("x\" OR \"1\"=\"1");
    c.addItem(3, "Q-1", 1, hostile, "a");
    const QString where =
        QStringLiteral(
            "SELECT [Catalogue Number] FROM [Collection - Contents] WHERE [Title] = \"") +
        strCheck_Quote(hostile) + QStringLiteral("\"");
    EXPECT_EQ(c.column(where), QStringList{"Q-1"});
    const QString like =
        QStringLiteral(
            "SELECT [Catalogue Number] FROM [Collection - Contents] WHERE [Title] Like \"*") +
        strCheck_Quote(QStringLiteral("\" OR \"\"=\"")) + QStringLiteral("*\"");
    EXPECT_TRUE(c.column(like).isEmpty());
    // Without the doubling the same text ends the literal: refused, never run.
    EXPECT_NE(errorOf([&] {
                  c.column(QStringLiteral("SELECT * FROM Collection WHERE [Notes] = \"") + hostile +
                           QStringLiteral("\"; DELETE FROM Collection"));
              }),
              0);
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Collection ID] FROM Collection")).size(), 2);
}

// Values and names holding "%1", "%2" ... are text like any other, in what is stored,
// found and written back.
TEST_F(DialectTest, PercentSignsAreJustText) {
    const QString odd = QStringLiteral("50%1 off %2, '%4' \"%3\"");
    const QString literal = QLatin1Char('"') + QString(odd).replace("\"", "\"\"") + "\"";
    c.database.Execute("UPDATE Collection SET [Notes] = " + literal + " WHERE [Collection ID]=0");
    c.database.Execute("INSERT INTO Connections ([Connection Name]) VALUES (" + literal + ")");
    EXPECT_EQ(c.column("SELECT [Notes] FROM Collection WHERE [Collection ID] = 0"),
              QStringList{odd});
    EXPECT_EQ(
        c.column("SELECT [Connection Name] FROM Connections WHERE [Connection Name] = " + literal),
        QStringList{odd});
    // A field whose own name holds them is written to by name.
    c.database.connection()->exec(R"(ALTER TABLE "Collection" ADD "Sale %2 %3" TEXT(50))");
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.Seek(QStringLiteral("="), 1);
    rs.Edit();
    rs.setValue(QStringLiteral("Sale %2 %3"), QStringLiteral("%1"));
    rs.Update();
    EXPECT_EQ(c.column("SELECT [Sale %2 %3] FROM Collection WHERE [Collection ID] = 1"),
              QStringList{"%1"});
}

TEST_F(DialectTest, EverythingOutsideTheDialectIsRefused) {
    struct Case {
        const char* sql;
        int error;
    };
    const Case cases[] = {
        {"DROP TABLE Collection", err::InvalidSqlStatement},
        {"PRAGMA writable_schema=1", err::InvalidSqlStatement},
        {"SELECT * FROM Collection; DROP TABLE Collection", err::CharactersAfterEnd},
        {"SELECT * FROM Collection WHERE", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection WHERE [Builtin] = True XOR 1", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection WHERE [Notes] = 'open", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection WHERE [Collection]![Notes] = 1", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection WHERE [Collection ID] IN (SELECT 1)", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection WHERE 1 = 1 = 1", err::SyntaxErrorInQuery},
        {"SELECT * FROM [Collection, Connections", err::SyntaxErrorInQuery},
        {"SELECT * FROM Collection, Connections", err::SyntaxErrorInFrom},
        {"SELECT * FROM Collection INNER JOIN Connections ON 1=1", err::SyntaxErrorInFrom},
        {"SELECT * FROM Collection ORDER BY", err::SyntaxErrorInOrderBy},
        {"SELECT * FROM Collection GROUP BY [Builtin]", err::SyntaxErrorInSelect},
        {"SELECT TOP 1 * FROM Collection", err::SyntaxErrorInSelect},
        {"SELECT *", err::SyntaxErrorInSelect},
        {"UPDATE Collection [Notes] = 1", err::SyntaxErrorInUpdate},
        {"INSERT Collection VALUES (1)", err::SyntaxErrorInInsert},
        {"INSERT INTO Collection ([Collection ID]) VALUES (1, 2)", err::ValueCountMismatch},
        {"INSERT INTO Collection ([Nothing]) VALUES (1)", err::UnknownInsertField},
        {"SELECT [Nothing] FROM Collection", err::TooFewParameters},
        {"SELECT [Other].[Notes] FROM Collection", err::TooFewParameters},
        {"SELECT * FROM Nothing", err::InputTableNotFound},
        {"SELECT UCase([Notes]) FROM Collection", err::UndefinedFunction},
        {"SELECT sqlite_version() FROM Collection", err::UndefinedFunction},
        {"SELECT [Notes], Count(*) FROM Collection", err::NotPartOfAggregate},
        {"UPDATE Connections SET [Connection ID] = 5", err::FieldNotUpdatable},
        {"DELETE [Connections].* FROM Collection", err::DeleteTableNotGiven},
    };
    for (const Case& k : cases) {
        const QString sql = QString::fromUtf8(k.sql);
        if (sql.startsWith(QLatin1String("SELECT")))
            EXPECT_EQ(errorOf([&] { c.rows(sql); }), k.error) << k.sql;
        else
            EXPECT_EQ(errorOf([&] { c.database.Execute(sql); }), k.error) << k.sql;
    }
    EXPECT_EQ(errorOf([&] { c.database.Execute(QStringLiteral("SELECT * FROM Collection")); }),
              err::CannotExecuteSelect);
    EXPECT_EQ(errorOf([&] { c.database.OpenRecordset(QStringLiteral("DELETE FROM Collection")); }),
              err::InvalidOperation);
    // Nothing of the above changed a thing.
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Collection ID] FROM Collection")).size(), 2);
}

TEST_F(DialectTest, ActionStatementsCheckWhatTheyStore) {
    EXPECT_EQ(errorOf([&] {
                  c.database.Execute(QStringLiteral(
                      "UPDATE Collection SET [Collection ID] = 40000 WHERE [Collection ID]=0"));
              }),
              err::NumericFieldOverflow);
    EXPECT_EQ(errorOf([&] {
                  c.database.Execute(
                      QStringLiteral("UPDATE Collection SET [Collection Name] = \"") +
                      QString(51, u'x') + QStringLiteral("\""));
              }),
              err::FieldTooSmall);
    EXPECT_EQ(errorOf([&] {
                  c.database.Execute(QStringLiteral("UPDATE Collection SET [Builtin] = \"maybe\""));
              }),
              err::DataTypeConversion);
    // A failed statement changes nothing at all.
    EXPECT_EQ(c.column(QStringLiteral(
                  "SELECT [Collection Name] FROM Collection ORDER BY [Collection ID]")),
              (QStringList{"My Collection", "Shopping List"}));
    c.database.Execute(QStringLiteral(
        "UPDATE Collection SET [Builtin] = 0, [Collection ID] = 2.5 WHERE [Collection ID]=0"));
    EXPECT_EQ(
        c.column(QStringLiteral(
            "SELECT [Collection ID] & \"/\" & [Builtin] FROM Collection WHERE [Builtin] = False")),
        QStringList{"2/0"}); // rounded half to even; Yes/No stored as 0 / -1
}

// Statements of any size or nesting, from the program or from a file, end in an engine
// error: never in a crash of the parser, the emitter or SQLite.
TEST_F(DialectTest, StatementsTooComplexAreRefusedNotCrashed) {
    auto repeat = [](const char* piece, int times) {
        QString out;
        for (int k = 0; k < times; ++k)
            out += QLatin1String(piece);
        return out;
    };
    const QString where = QStringLiteral("SELECT * FROM [Collection] WHERE ");
    const QStringList conditions = {
        repeat("(", 5000) + QStringLiteral("1=1") + repeat(")", 5000),
        QStringLiteral("[Collection ID] = 1") + repeat(" + 1", 10000),
        QStringLiteral("[Collection ID] = 1") + repeat(" ^ 1", 30000),
        repeat("Not ", 30000) + QStringLiteral("[Builtin]"),
        QStringLiteral("[Collection ID] = ") + repeat("-", 100000) + QStringLiteral("1"),
        QStringLiteral("[Collection ID] = 1") + repeat(" Or [Collection ID] = 1", 5000),
        // Each Between writes its left side twice: the text doubles with every level.
        repeat("(", 60) + QStringLiteral("[Collection ID]") + repeat(" Between 0 And 1)", 60) +
            QStringLiteral(" = 0"),
    };
    for (const QString& condition : conditions) {
        EXPECT_EQ(errorOf([&] { c.rows(where + condition); }), err::QueryTooComplex)
            << condition.left(40).toStdString();
        EXPECT_EQ(errorOf([&] {
                      c.database.Execute(QStringLiteral("DELETE FROM [Collection] WHERE ") +
                                         condition);
                  }),
                  err::QueryTooComplex);
    }
    // SQLite's own limits give the same error.
    EXPECT_EQ(errorOf([&] {
                  c.rows(QStringLiteral("SELECT [Notes]") + repeat(", [Notes]", 2500) +
                         QStringLiteral(" FROM [Collection]"));
              }),
              err::QueryTooComplex);

    // Find criteria walk the same way; a refused one leaves the record set where it was.
    Recordset rs = c.database.OpenRecordset(
        QStringLiteral("SELECT [Catalogue Number], [Album ID] + 1 AS Next FROM "
                       "[Collection - Contents] ORDER BY [Catalogue Number]"));
    rs.MoveLast();
    for (const QString& condition : conditions)
        EXPECT_EQ(errorOf([&] { rs.FindFirst(condition); }), err::QueryTooComplex);
    // An alias stands for its whole expression wherever a criterion names it.
    Recordset deep = c.database.OpenRecordset(
        QStringLiteral("SELECT ") + repeat("(", 60) + QStringLiteral("[Album ID] + 0") +
        repeat(")", 60) + QStringLiteral(" AS Deep FROM [Collection - Contents]"));
    EXPECT_EQ(errorOf([&] {
                  deep.FindFirst(repeat("(", 70) + QStringLiteral("Deep = 11") + repeat(")", 70));
              }),
              err::QueryTooComplex);
    deep.FindFirst(QStringLiteral("Deep = 11"));
    EXPECT_FALSE(deep.NoMatch());
    EXPECT_EQ(rs.value("Catalogue Number").toString(), "X#9");

    // Deep but sensible statements still run.
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] "
                                      "WHERE ") +
                       repeat("(", 40) + QStringLiteral("[Album ID] = 13") + repeat(")", 40)),
              QStringList{"X#9"});
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] "
                                      "WHERE [Album ID] = 99") +
                       repeat(" Or [Album ID] = 99", 98) + QStringLiteral(" Or [Album ID] = 13")),
              QStringList{"X#9"});
    rs.FindFirst(QStringLiteral("Next = ") + repeat("-", 20) + QStringLiteral("14"));
    EXPECT_FALSE(rs.NoMatch()); // an even number of signs
    EXPECT_EQ(rs.value("Catalogue Number").toString(), "X#9");
}

} // namespace
