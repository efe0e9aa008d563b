// The CSV reader's limits, files that change while they are read, and the text rules every
// source field keeps.

#include "FormatsFixture.h"

#include "formats/Csv.h"
#include "formats/CsvRows.h"
#include "formats/TextRules.h"

#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

// Reads to the end; the error, or "" when every record was read.
QString readAll(formats::CsvReader& csv, int* records = nullptr) {
    int n = 0;
    while (csv.next())
        ++n;
    if (records) *records = n;
    return csv.error();
}

TEST(CsvLimits, AFieldIsRefusedAsSoonAsItPassesItsLimit) {
    const std::string big(70000, 'a');
    struct Case {
        std::string text;
        QString error;
    } cases[] = {
        {"name,x\n" + big + ",1\n", "x.csv:2: name is longer than 65535 bytes"},
        {"name,x\n\"" + big + "\",1\n", "x.csv:2: name is longer than 65535 bytes"},
        // Doubled quotes count once; an unclosed quote past the limit is a long field.
        {"name,x\n\"" + std::string(40000, '"') + "\",1\n", ""},
        {"name,x\n\"" + std::string(140000, '"') + "\",1\n",
         "x.csv:2: name is longer than 65535 bytes"},
        {"name,x\n1,2\n\"" + big, "x.csv:3: name is longer than 65535 bytes"},
        {"name,x\n" + std::string(65535, 'b') + ",1\n", ""},
        // Columns without a limit take any length.
        {"name,x\n1," + big + "\n", ""},
    };
    for (const Case& c : cases) {
        formats::CsvReader csv;
        ASSERT_TRUE(csv.openText("x.csv", c.text, {"name"}));
        csv.setFieldLimit(0, 65535);
        EXPECT_EQ(readAll(csv), c.error) << c.text.substr(0, 20);
    }
}

TEST_F(FilesTest, ASourceCutShortWhileItIsReadFailsWithAClearMessage) {
    // Rows far past the first pages, so that the cut leaves pages mapped but gone.
    QByteArray text = "album_id,title\n";
    for (int i = 0; i < 20000; ++i)
        text += QByteArray::number(i) + ",Track title number " + QByteArray::number(i) + "\n";
    const QString file = write("tracks.csv", text);
    formats::CsvReader csv;
    ASSERT_TRUE(csv.open(file, {"album_id", "title"}));
    ASSERT_TRUE(csv.next());
    ASSERT_TRUE(QFile::resize(file, 4096));
    int records = 0;
    EXPECT_EQ(readAll(csv, &records), file + ": the file was cut short while it was read");
    EXPECT_LT(records, 20000);

    // Cut where a record ends, so that what is left parses cleanly: still refused.
    formats::CsvReader again;
    ASSERT_TRUE(again.open(write("tracks.csv", text), {"album_id", "title"}));
    ASSERT_TRUE(again.next());
    ASSERT_TRUE(QFile::resize(file, text.indexOf("\n100,") + 1));
    EXPECT_EQ(readAll(again), file + ": the file was cut short while it was read");
}

TEST_F(FilesTest, SpecialAndMissingSourcesAreRefusedWithoutWaiting) {
    formats::CsvReader csv;
    EXPECT_FALSE(csv.open(fifo("artists.csv"), {"a"}));
    EXPECT_EQ(csv.error(), path("artists.csv") + ": cannot open: not a regular file");
    formats::CsvReader missing;
    EXPECT_FALSE(missing.open(path("none.csv"), {"a"}));
    EXPECT_EQ(missing.error(), path("none.csv") + ": cannot open: No such file or directory");
}

TEST(TextRules, LineBreaksControlsAndBidiControlsAreRefused) {
    struct Case {
        const char* text;
        std::optional<char32_t> refused;
    } cases[] = {
        {"Plain text, with ¦ and ˆ and é", std::nullopt},
        {"tab\there", 0x09},
        {"del\x7F", 0x7F},
        {"next\xC2\x85line", 0x85},       // NEL
        {"c1\xC2\x9F", 0x9F},             // last C1 control
        {"nbsp\xC2\xA0ok", std::nullopt}, // the first character after C1 is fine
        {"line\xE2\x80\xA8sep", 0x2028},
        {"para\xE2\x80\xA9sep", 0x2029},
        {"rlo\xE2\x80\xAEtxt", 0x202E},
        {"lre\xE2\x80\xAA", 0x202A},
        {"rlm\xE2\x80\x8F", 0x200F},
        {"isolate\xE2\x81\xA6", 0x2066},
        {"pdi\xE2\x81\xA9", 0x2069},
        {"alm\xD8\x9C", 0x061C},
        {"dashes\xE2\x80\x94\xE2\x80\x93 ok", std::nullopt},
        {"zwj\xE2\x80\x8D kept", std::nullopt}, // joins emoji; no reordering
        {"arabic \xD8\xA8", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto p = formats::textProblem(c.text);
        ASSERT_EQ(p.has_value(), c.refused.has_value()) << c.text;
        if (p) {
            EXPECT_EQ(uint(p->codePoint), uint(*c.refused)) << c.text;
        }
    }
}

TEST_F(FilesTest, SourceRowsNameTheFileLineColumnAndCharacter) {
    QString error;
    const QString file = write("recordings.csv", "title,year\n"
                                                 "Fine,1999\n"
                                                 "\"Bad\xE2\x80\xAEtitle\",2000\n");
    formats::CsvRows rows(file, {"title", "year"}, &error);
    ASSERT_TRUE(rows.next());
    EXPECT_FALSE(rows.next());
    EXPECT_EQ(error, file + ":3: title contains a bidirectional control (U+202E)");
    EXPECT_FALSE(rows.ok());
}

} // namespace
