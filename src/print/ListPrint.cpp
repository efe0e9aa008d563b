#include "print/ListPrint.h"

#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "db/Database.h"
#include "print/CPrint.h"

#include <QFileInfo>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

namespace kv {

namespace {

const QString kTab = QStringLiteral("\t");
const QString kCrLf = QStringLiteral("\r\n");
const QString kNotInPrint = QStringLiteral("This item may not be available as it is no longer in print");

QString field(const Recordset& rs, const QString& name) { return strCheckNull(rs.value(name)); }

// Each record source is asked once whether it carries the screen's "Both" column (the
// shopping list's may not).
bool hasField(const Recordset& rs, const QString& name) {
    for (int k = 0; k < rs.FieldCount(); ++k)
        if (rs.Fields(k).Name().compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The row's title line: "Both" (title, two spaces, artist in parentheses). Without an
// artist "Both" is Null; the title alone then stands for it rather than a blank entry.
QString titleLine(const Recordset& rs, bool withBoth) {
    if (withBoth) {
        const QVariant both = rs.value(QStringLiteral("Both"));
        if (!isNull(both)) return strCheckNull(both);
    }
    const QString title = field(rs, QStringLiteral("Title"));
    const QVariant artist = rs.value(QStringLiteral("Artist"));
    if (withBoth || isNull(artist)) return title;
    return title + QStringLiteral("  (") + strCheckNull(artist) + QLatin1Char(')');
}

QString userFieldName(int number) { return QStringLiteral("User Field ") + QString::number(number); }

// Line breaks inside a value, in whatever form they were typed.
QStringList valueLines(const QString& value) {
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return v.split(QLatin1Char('\n'));
}

// Visits the rows the job covers: every row from the first, or the current one alone
// (none when there is no current row). The source is put back on the row it stood on.
template <typename Visit> bool forRows(const char* allName, const char* singleName, Recordset& rs,
                                      const ListPrintJob& job, Visit&& visit) {
    if (job.bSelectedOnly) {
        return guarded(singleName, [&] {
            if (rs.Bof() || rs.Eof()) return true;
            return visit();
        });
    }
    return guarded(allName, [&] {
        if (rs.Bof() && rs.Eof()) return true;
        const int type = rs.Type();
        const int position = type == dbOpenTable ? -1 : rs.AbsolutePosition();
        rs.MoveFirst();
        bool ok = true;
        while (ok && !rs.Eof()) {
            ok = visit();
            if (ok) rs.MoveNext();
        }
        if (position >= 0) rs.setAbsolutePosition(position);
        return ok;
    });
}

// ---- printed layout ----

QFont listFont(int pointSize, bool bold) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

void boldParagraph(CPrint& cp, const QString& text) {
    QFont bold = cp.ActiveFont();
    bold.setBold(true);
    cp.setActiveFont(bold);
    cp.Paragraph_Text(text);
    bold.setBold(false);
    cp.setActiveFont(bold);
}

void valueParagraphs(CPrint& cp, const QString& value) {
    for (const QString& line : valueLines(value))
        cp.Paragraph_Text(line);
}

bool List_Print_Line(CPrint& cp, const Recordset& rs, const ListPrintJob& job, bool withBoth) {
    return guarded("List_Print_Line", [&] {
        cp.setActiveFont(listFont(12, false));
        boldParagraph(cp, titleLine(rs, withBoth));
        if (job.bRecordingDetails) {
            cp.Paragraph_Text(QStringLiteral("Cat No :") + kTab + field(rs, QStringLiteral("Catalogue Number")));
            cp.Paragraph_Text(QStringLiteral("Format :") + kTab + field(rs, QStringLiteral("Medium")) + kTab +
                              QStringLiteral("Date :") + kTab + field(rs, QStringLiteral("Release Date")));
            if (bCheckNull(rs.value(QStringLiteral("Deleted")))) cp.Paragraph_Text(kNotInPrint);
            cp.Paragraph_Text(QString());
        }
        // Notes are custom details too: they print even when no user field is enabled,
        // as they do in the text file.
        if (job.bCustomDetails) {
            for (qsizetype i = 0; i < job.udfNumbers.size(); ++i) {
                const QVariant value = rs.value(userFieldName(job.udfNumbers[i]));
                if (isNull(value)) continue;
                boldParagraph(cp, job.udfTitles.value(i));
                valueParagraphs(cp, strCheckNull(value));
            }
            const QVariant notes = rs.value(QStringLiteral("Notes"));
            if (!isNull(notes)) {
                boldParagraph(cp, QStringLiteral("Notes:"));
                valueParagraphs(cp, strCheckNull(notes));
            }
        }
        cp.Paragraph_Text(QString());
    });
}

// ---- file formats ----

// The text file's lines for one row, each ending with CR LF.
QString textEntry(const Recordset& rs, const ListPrintJob& job, bool withBoth) {
    QStringList lines;
    const auto add = [&](const QString& value) { lines << valueLines(value).join(kCrLf); };
    add(titleLine(rs, withBoth));
    if (job.bRecordingDetails) {
        add(QStringLiteral("Cat No :") + kTab + field(rs, QStringLiteral("Catalogue Number")));
        add(QStringLiteral("Format :") + kTab + field(rs, QStringLiteral("Medium")) + kTab);
        add(QStringLiteral("Date :") + kTab + field(rs, QStringLiteral("Release Date")));
        if (bCheckNull(rs.value(QStringLiteral("Deleted")))) add(kNotInPrint);
        add(QString());
    }
    if (job.bCustomDetails) {
        for (qsizetype i = 0; i < job.udfNumbers.size(); ++i) {
            const QVariant value = rs.value(userFieldName(job.udfNumbers[i]));
            if (isNull(value)) continue;
            add(job.udfTitles.value(i));
            add(strCheckNull(value));
        }
        const QVariant notes = rs.value(QStringLiteral("Notes"));
        if (!isNull(notes)) {
            add(QStringLiteral("Notes:"));
            add(strCheckNull(notes));
        }
    }
    add(QString());
    return lines.join(kCrLf) + kCrLf;
}

// The table columns of the CSV and web page formats: title and artist, then the
// recording details, then the enabled user fields and the notes.
QStringList tableHeader(const ListPrintJob& job) {
    QStringList header{QStringLiteral("Title"), QStringLiteral("Artist")};
    if (job.bRecordingDetails)
        header << QStringLiteral("Catalogue Number") << QStringLiteral("Format") << QStringLiteral("Release Date")
               << QStringLiteral("In Print");
    if (job.bCustomDetails) header << job.udfTitles << QStringLiteral("Notes");
    return header;
}

QStringList tableRow(const Recordset& rs, const ListPrintJob& job) {
    QStringList row{field(rs, QStringLiteral("Title")), field(rs, QStringLiteral("Artist"))};
    if (job.bRecordingDetails)
        row << field(rs, QStringLiteral("Catalogue Number")) << field(rs, QStringLiteral("Medium"))
            << field(rs, QStringLiteral("Release Date"))
            << (bCheckNull(rs.value(QStringLiteral("Deleted"))) ? QStringLiteral("No") : QStringLiteral("Yes"));
    if (job.bCustomDetails) {
        for (const int number : job.udfNumbers)
            row << field(rs, userFieldName(number));
        row << field(rs, QStringLiteral("Notes"));
    }
    return row;
}

QString csvField(const QString& value) {
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : value)
        if (special.contains(c)) quote = true;
    if (!quote) return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& cells) {
    QStringList out;
    for (const QString& c : cells)
        out << csvField(c);
    return out.join(QLatin1Char(',')) + kCrLf;
}

QString htmlText(const QString& text) {
    return valueLines(text.toHtmlEscaped()).join(QStringLiteral("<br>"));
}

QString htmlRow(const QStringList& cells, const char* tag) {
    QString row = QStringLiteral("<tr>");
    for (const QString& c : cells)
        row += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), htmlText(c));
    return row + QStringLiteral("</tr>\n");
}

QString htmlHead(const ListPrintJob& job) {
    const QString title = job.strTitle.toHtmlEscaped();
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta name=\"generator\" content=\"Korvanda\">\n<title>%1</title>\n<style>\n"
               "body { font-family: \"Times New Roman\", \"Liberation Serif\", serif; margin: 2em; "
               "color: #000; background: #fff; }\n"
               "h1 { font-size: 1.5em; margin: 0 0 0.8em; }\n"
               "table { border-collapse: collapse; width: 100%; }\n"
               "th, td { border: 1px solid #888; padding: 0.25em 0.5em; text-align: left; vertical-align: top; }\n"
               "th { background: #eee; }\n"
               "thead { display: table-header-group; }\n"
               "tr { page-break-inside: avoid; break-inside: avoid; }\n"
               "@media print { body { margin: 0; } th { background: none; } }\n"
               "</style>\n</head>\n<body>\n<h1>%1</h1>\n<table>\n<thead>\n")
        .arg(title);
}

[[noreturn]] void raiseFileError(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::ResourceError: raiseError(err::DiskFull);
    case QFileDevice::PermissionsError: raiseError(err::PermissionDenied);
    case QFileDevice::OpenError: raiseError(err::PathFileAccessError);
    default: raiseError(err::DeviceIOError);
    }
}

void writeText(QSaveFile& file, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) raiseFileError(file);
}

bool writeRows(QSaveFile& file, ListFileFormat format, Recordset& rs, const ListPrintJob& job) {
    const bool withBoth = hasField(rs, QStringLiteral("Both"));
    if (format == ListFileFormat::Csv)
        writeText(file, csvLine(tableHeader(job)));
    else if (format == ListFileFormat::Html)
        writeText(file, htmlHead(job) + htmlRow(tableHeader(job), "th") + QStringLiteral("</thead>\n<tbody>\n"));
    const bool ok = forRows("List_Print_File_all", "List_Print_File_Single", rs, job, [&] {
        return guarded("List_PrintFile_Line", [&] {
            switch (format) {
            case ListFileFormat::Csv: writeText(file, csvLine(tableRow(rs, job))); break;
            case ListFileFormat::Html: writeText(file, htmlRow(tableRow(rs, job), "td")); break;
            default: writeText(file, textEntry(rs, job, withBoth)); break;
            }
        });
    });
    if (ok && format == ListFileFormat::Html) writeText(file, QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n"));
    return ok;
}

QPageSize localPaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize(QPageSize::Letter)
                                                                                : QPageSize(QPageSize::A4);
}

} // namespace

ListFileFormat listFileFormat(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) return ListFileFormat::Pdf;
    if (suffix == QLatin1String("csv")) return ListFileFormat::Csv;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) return ListFileFormat::Html;
    return ListFileFormat::Text;
}

QString listFileFilter() {
    return QStringLiteral("Text Files (*.txt)| *.txt") + QLatin1Char('|') +
           QStringLiteral("PDF (*.pdf)| *.pdf|CSV (*.csv)| *.csv|Web page (*.html)| *.html") + QLatin1Char('|') +
           QStringLiteral("All (*.*)| *.*");
}

QString collectionListSql(qint16 intCollectionID) {
    return QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, [Title]+\"  (\"+[Artist]+\")\" AS Both"
                          " From [Collection - Contents] WHERE (([Collection ID]=%1))"
                          " ORDER BY [Collection - Contents].Title , [Collection - Contents].Artist ;")
        .arg(intCollectionID);
}

bool collectionListJob(const Database& db, qint16 intCollectionID, ListPrintJob& job) {
    Recordset rs = db.OpenRecordset(
        QStringLiteral("SELECT * FROM [Collection] WHERE [Collection ID]=%1").arg(intCollectionID), dbOpenSnapshot);
    if (rs.Eof()) return false;
    job.strTitle = strCheckNull(rs.value(QStringLiteral("Collection Name")));
    job.udfNumbers.clear();
    job.udfTitles.clear();
    for (int i = 1; i <= 5; ++i)
        if (bCheckNull(rs.value(userFieldName(i) + QStringLiteral(" visible"))))
            job.addCustomField(i, strCheckNull(rs.value(userFieldName(i))));
    return true;
}

bool printList(QPagedPaintDevice& device, const QFont& ownerFont, Recordset rs, const ListPrintJob& job,
               const std::function<void()>& abortDocument) {
    CPrint cp;
    bool started = false;
    bool ok = guarded("List_Print_Data", [&] {
        cp.Initialize_Printing(ownerFont, device);
        started = true;
        const QFont normal = listFont(12, false);
        cp.setActiveFont(normal);
        cp.setDefaultFont(normal);
        cp.setActiveFont(listFont(16, false));
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(QStringLiteral("Collection : ") + job.strTitle);
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(QString());
        cp.setActiveFont(normal);
    });
    if (ok) {
        const bool withBoth = hasField(rs, QStringLiteral("Both"));
        ok = forRows("List_Print_Data_all", "List_Print_Data_Single", rs, job,
                     [&] { return List_Print_Line(cp, rs, job, withBoth); });
    }
    if (ok) ok = guarded("List_Print_Data", [&] { cp.Done_Printing(); });
    // Nothing half printed goes out.
    if (!ok && started && cp.isActive() && abortDocument) abortDocument();
    return ok;
}

bool writeListFile(const QString& path, ListFileFormat format, Recordset rs, const ListPrintJob& job) {
    QSaveFile file(path);
    bool ok = guarded("List_Print_File", [&] {
        if (!file.open(QIODevice::WriteOnly)) raiseFileError(file);
    });
    if (!ok) return false;
    if (format == ListFileFormat::Pdf) {
        QPdfWriter writer(&file);
        writer.setPageSize(localPaper());
        writer.setTitle(job.strTitle);
        writer.setCreator(QStringLiteral("Korvanda"));
        ok = printList(writer, QFont(), rs, job);
    } else {
        ok = guarded("List_Print_File", [&] { return writeRows(file, format, rs, job); });
    }
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    return guarded("List_Print_File", [&] {
        if (!file.commit()) raiseFileError(file);
    });
}

} // namespace kv
