#pragma once

// Reading printed output back with poppler's tools, a catalogue database with collections
// to print, and small helpers shared by the print tests.

#include "db/Connection.h"
#include "db/Database.h"
#include "print/ListPrint.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kv::test {

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline ProgramRun runProgram(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) return {};
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

inline bool haveProgram(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// The PDF's text as pdftotext lays it out; pages end with a form feed.
inline QString pdfText(const QString& pdf) {
    return QString::fromUtf8(runProgram(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).out);
}

// The non-empty lines of a text, blanks around them dropped and runs of blanks made one.
inline QStringList textLines(const QString& text) {
    QStringList out;
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    for (QString line : text.split(QRegularExpression(QStringLiteral("[\\n\\f]")))) {
        line = line.replace(blanks, QStringLiteral(" ")).trimmed();
        if (!line.isEmpty()) out << line;
    }
    return out;
}

// The text runs of a PDF and whether each is set in bold, from pdftohtml's XML.
struct PdfRun {
    QString text;
    bool bold;
};
inline std::vector<PdfRun> pdfRuns(const QString& pdf) {
    const QString xml = QString::fromUtf8(
        runProgram(QStringLiteral("pdftohtml"),
                   {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-stdout"), QStringLiteral("-q"), pdf})
            .out);
    // Fonts are declared once; a run names its font by id.
    QHash<QString, bool> boldFont;
    static const QRegularExpression fontSpec(QStringLiteral("<fontspec id=\"(\\d+)\"[^>]*family=\"([^\"]*)\""));
    for (auto it = fontSpec.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        boldFont[m.captured(1)] = m.captured(2).contains(QStringLiteral("Bold"));
    }
    std::vector<PdfRun> runs;
    static const QRegularExpression text(QStringLiteral("<text [^>]*font=\"(\\d+)\"[^>]*>(.*?)</text>"));
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    for (auto it = text.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        QString body = m.captured(2);
        const bool taggedBold = body.contains(QStringLiteral("<b>"));
        body.remove(tags);
        body.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        runs.push_back({body.replace(blanks, QStringLiteral(" ")).trimmed(), taggedBold || boldFont.value(m.captured(1))});
    }
    return runs;
}

// The font names pdffonts lists (subset prefixes removed).
inline QStringList pdfFonts(const QString& pdf) {
    const QStringList lines = QString::fromUtf8(runProgram(QStringLiteral("pdffonts"), {pdf}).out).split(QLatin1Char('\n'));
    QStringList names;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        QString name = lines[i].section(QLatin1Char(' '), 0, 0);
        if (name.isEmpty()) continue;
        if (name.size() > 7 && name.at(6) == QLatin1Char('+')) name = name.mid(7);
        names << name;
    }
    return names;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

// A copy of the build's template database with one collection of four items (and an
// empty one) to print.
class ListDbTest : public ::testing::Test {
protected:
    ListDbTest() {
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
        const QString templ = QStringLiteral(KV_APP_DIR "/KORDB.MDB");
        EXPECT_TRUE(QFile::copy(templ, path)) << "the build's template " << templ.toStdString();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        db = Database::open(path);
        addSampleCollection();
    }
    ~ListDbTest() override { db.Close(); }

    void native(const QString& sql) { db.connection()->exec(sql.toUtf8()); }

    // Collection 5 "Vinyl, mostly" with user fields 2 "Condition" and 4 "Bought at"
    // enabled and 3 titled but disabled; collection 6 "Nothing yet" is empty.
    void addSampleCollection() {
        native(QStringLiteral(
            R"(INSERT INTO "Collection" ("Collection ID", "Collection Name", "User Field 2", "User Field 2 visible",
                 "User Field 3", "User Field 3 visible", "User Field 4", "User Field 4 visible")
               VALUES (5, 'Vinyl, mostly', 'Condition', 1, 'Lent to', 0, 'Bought at', 1))"));
        native(QStringLiteral(R"(INSERT INTO "Collection" ("Collection ID", "Collection Name") VALUES (6, 'Nothing yet'))"));
        native(QStringLiteral(
            R"(INSERT INTO "Collection - Contents" ("Collection ID", "Catalogue Number", "Album ID", "Title", "Artist",
                 "Medium", "Release Date", "Deleted", "User Field 2", "User Field 3", "User Field 4", "Notes") VALUES
               (5, 'LAN 001', 101, 'Night Harbour', 'The Lanterns', 'LP', '1972', 0, 'Mint', 'Sam', NULL, 'Gatefold sleeve'),
               (5, 'QS 7', 102, 'Say "Hello", Goodbye', 'Mira Kade', 'CD', '1999', 1, NULL, NULL, 'Market stall',
                  'Two discs' || char(10) || 'second one scratched'),
               (5, 'FR 9', 103, 'Field Recordings', NULL, NULL, NULL, 0, NULL, NULL, NULL, NULL),
               (5, 'AB 12', 104, 'Afterglow', 'Orla Venn', 'Cassette', '1985', 0, 'Worn', NULL, 'Fair', NULL),
               (7, 'XX 1', 105, 'Somewhere Else', 'Nobody', 'LP', '2001', 0, NULL, NULL, NULL, NULL))"));
    }

    // The collection in the collection screen's order, on its first row.
    Recordset listOf(qint16 collection) {
        return db.OpenRecordset(collectionListSql(collection), dbOpenDynaset);
    }
    ListPrintJob jobFor(qint16 collection, bool recording, bool custom) {
        ListPrintJob job;
        EXPECT_TRUE(collectionListJob(db, collection, job));
        job.bRecordingDetails = recording;
        job.bCustomDetails = custom;
        return job;
    }

    QTemporaryDir dir;
    QString path;
    Database db;
};

} // namespace kv::test

namespace kv::test {

// Collection 5 as a text file with both kinds of details: tabs, CR LF line ends, the
// not-in-print line, Null user fields skipped with their titles, no heading.
inline const QByteArray kFullText =
    "Afterglow  (Orla Venn)\r\n"
    "Cat No :\tAB 12\r\n"
    "Format :\tCassette\t\r\n"
    "Date :\t1985\r\n"
    "\r\n"
    "Condition\r\n"
    "Worn\r\n"
    "Bought at\r\n"
    "Fair\r\n"
    "\r\n"
    "Field Recordings\r\n"
    "Cat No :\tFR 9\r\n"
    "Format :\t\t\r\n"
    "Date :\t\r\n"
    "\r\n"
    "\r\n"
    "Night Harbour  (The Lanterns)\r\n"
    "Cat No :\tLAN 001\r\n"
    "Format :\tLP\t\r\n"
    "Date :\t1972\r\n"
    "\r\n"
    "Condition\r\n"
    "Mint\r\n"
    "Notes:\r\n"
    "Gatefold sleeve\r\n"
    "\r\n"
    "Say \"Hello\", Goodbye  (Mira Kade)\r\n"
    "Cat No :\tQS 7\r\n"
    "Format :\tCD\t\r\n"
    "Date :\t1999\r\n"
    "This item may not be available as it is no longer in print\r\n"
    "\r\n"
    "Bought at\r\n"
    "Market stall\r\n"
    "Notes:\r\n"
    "Two discs\r\n"
    "second one scratched\r\n"
    "\r\n";

// The same with no details: the title lines alone.
inline const QByteArray kTitlesText = "Afterglow  (Orla Venn)\r\n\r\n"
                                      "Field Recordings\r\n\r\n"
                                      "Night Harbour  (The Lanterns)\r\n\r\n"
                                      "Say \"Hello\", Goodbye  (Mira Kade)\r\n\r\n";

// The CSV rows and web page table of collection 5 with both kinds of details.
inline const std::vector<QStringList> kFullTable = {
    {"Title", "Artist", "Catalogue Number", "Format", "Release Date", "In Print", "Condition", "Bought at", "Notes"},
    {"Afterglow", "Orla Venn", "AB 12", "Cassette", "1985", "Yes", "Worn", "Fair", ""},
    {"Field Recordings", "", "FR 9", "", "", "Yes", "", "", ""},
    {"Night Harbour", "The Lanterns", "LAN 001", "LP", "1972", "Yes", "Mint", "", "Gatefold sleeve"},
    {"Say \"Hello\", Goodbye", "Mira Kade", "QS 7", "CD", "1999", "No", "", "Market stall",
     "Two discs\nsecond one scratched"},
};

// Reads a CSV file or a web page with Python's own parsers: rows of cells as JSON.
inline QJsonDocument readBack(const char* kind, const QString& file) {
    const ProgramRun r = runProgram(QStringLiteral("python3"),
                             {QStringLiteral(KV_SOURCE_DIR "/tests/print/readback.py"), QLatin1String(kind), file});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out);
}

inline std::vector<QStringList> jsonRows(const QJsonArray& rows) {
    std::vector<QStringList> out;
    for (const QJsonValue& row : rows) {
        QStringList cells;
        for (const QJsonValue& c : row.toArray())
            cells << c.toString();
        out.push_back(cells);
    }
    return out;
}

} // namespace kv::test
