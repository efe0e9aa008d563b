// The printed layout of a collection, on a real PDF page read back with poppler: the
// heading, each entry's lines in order, and bold where the layout puts it.

#include "PrintFixture.h"

#include "fakes/Fakes.h"

#include <QPdfWriter>

using namespace kv;
using namespace kv::test;

namespace {

class ListPdfTest : public ListDbTest {
protected:
    void SetUp() override {
        if (!haveProgram(QStringLiteral("pdftotext"))) GTEST_SKIP() << "poppler-utils is not installed";
    }
    // Prints through a PDF writer, as the PDF export does.
    QStringList printed(Recordset rs, const ListPrintJob& job, bool expectOk = true) {
        {
            QPdfWriter writer(pdf);
            EXPECT_EQ(printList(writer, QFont(), rs, job, [this] { ++aborts; }), expectOk);
        }
        return textLines(pdfText(pdf));
    }
    QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    int aborts = 0;
    TestContext t;
};

const QStringList kFullLines = {
    "Collection : Vinyl, mostly",
    "Afterglow (Orla Venn)",
    "Cat No : AB 12",
    "Format : Cassette Date : 1985",
    "Condition",
    "Worn",
    "Bought at",
    "Fair",
    "Field Recordings",
    "Cat No : FR 9",
    "Format : Date :",
    "Night Harbour (The Lanterns)",
    "Cat No : LAN 001",
    "Format : LP Date : 1972",
    "Condition",
    "Mint",
    "Notes:",
    "Gatefold sleeve",
    "Say \"Hello\", Goodbye (Mira Kade)",
    "Cat No : QS 7",
    "Format : CD Date : 1999",
    "This item may not be available as it is no longer in print",
    "Bought at",
    "Market stall",
    "Notes:",
    "Two discs",
    "second one scratched",
};

TEST_F(ListPdfTest, PrintsTheHeadingAndEveryEntryInOrder) {
    EXPECT_EQ(printed(listOf(5), jobFor(5, true, true)), kFullLines);
    EXPECT_EQ(aborts, 0);
    EXPECT_TRUE(t.messages.boxes.empty());

    EXPECT_EQ(printed(listOf(5), jobFor(5, false, false)),
              QStringList({"Collection : Vinyl, mostly", "Afterglow (Orla Venn)", "Field Recordings",
                           "Night Harbour (The Lanterns)", "Say \"Hello\", Goodbye (Mira Kade)"}));
}

TEST_F(ListPdfTest, EmptyCollectionPrintsOnlyTheHeadingAndSelectedOneEntry) {
    EXPECT_EQ(printed(listOf(6), jobFor(6, true, true)), QStringList({"Collection : Nothing yet"}));

    Recordset rs = listOf(5);
    rs.MoveLast(); // Say "Hello", Goodbye
    ListPrintJob job = jobFor(5, true, false);
    job.bSelectedOnly = true;
    EXPECT_EQ(printed(rs, job),
              QStringList({"Collection : Vinyl, mostly", "Say \"Hello\", Goodbye (Mira Kade)", "Cat No : QS 7",
                           "Format : CD Date : 1999",
                           "This item may not be available as it is no longer in print"}));
}

TEST_F(ListPdfTest, NotesPrintWithCustomDetailsEvenWithoutUserFields) {
    native(QStringLiteral(R"(UPDATE "Collection" SET "User Field 2 visible" = 0, "User Field 4 visible" = 0
                              WHERE "Collection ID" = 5)"));
    const QStringList lines = printed(listOf(5), jobFor(5, false, true));
    EXPECT_EQ(lines, QStringList({"Collection : Vinyl, mostly", "Afterglow (Orla Venn)", "Field Recordings",
                                  "Night Harbour (The Lanterns)", "Notes:", "Gatefold sleeve",
                                  "Say \"Hello\", Goodbye (Mira Kade)", "Notes:", "Two discs",
                                  "second one scratched"}));
}

TEST_F(ListPdfTest, TitlesFieldTitlesAndNotesHeadingAreBold) {
    if (!haveProgram(QStringLiteral("pdftohtml")) || !haveProgram(QStringLiteral("pdffonts")))
        GTEST_SKIP() << "poppler-utils is not complete";
    printed(listOf(5), jobFor(5, true, true));

    // The faces asked for by name come out as their metric twins, regular and bold.
    const QStringList fonts = pdfFonts(pdf);
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSerif"))) << fonts.join(' ').toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSerif-Bold"))) << fonts.join(' ').toStdString();

    QHash<QString, bool> bold;
    for (const PdfRun& run : pdfRuns(pdf))
        if (!run.text.isEmpty()) bold.insert(run.text, run.bold);
    for (const char* text : {"Afterglow (Orla Venn)", "Field Recordings", "Condition", "Bought at", "Notes:"}) {
        ASSERT_TRUE(bold.contains(QLatin1String(text))) << text;
        EXPECT_TRUE(bold.value(QLatin1String(text))) << text;
    }
    for (const char* text : {"Collection : Vinyl, mostly", "Worn", "Fair", "Gatefold sleeve",
                             "This item may not be available as it is no longer in print"}) {
        ASSERT_TRUE(bold.contains(QLatin1String(text))) << text;
        EXPECT_FALSE(bold.value(QLatin1String(text))) << text;
    }
}

TEST_F(ListPdfTest, AnErrorMidwayAbortsTheDocumentWithTheStepsName) {
    Recordset rs = listOf(5);
    native(QStringLiteral(R"(DELETE FROM "Collection - Contents" WHERE "Catalogue Number" = 'LAN 001')"));
    printed(rs, jobFor(5, true, true), false);
    EXPECT_EQ(aborts, 1);
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.endsWith(QStringLiteral("\rList_Print_Line")))
        << t.messages.last().text.toStdString();
}

TEST_F(ListPdfTest, PrintedPageScreenshot) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    if (!haveProgram(QStringLiteral("pdftoppm"))) GTEST_SKIP() << "pdftoppm is not installed";
    printed(listOf(5), jobFor(5, true, true));
    const ProgramRun r = runProgram(QStringLiteral("pdftoppm"),
                             {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("70"), QStringLiteral("-f"),
                              QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                              pdf, folder + QStringLiteral("/print-page")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
}

} // namespace
