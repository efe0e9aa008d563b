#pragma once

// A collection list on paper or in a file: the printed layout (through CPrint, on a printer
// or a PDF writer) and the file formats (text, CSV, web page, PDF). The collection screen's
// "Print to file" and `korvanda-db export` both write through here.

#include "db/Recordset.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;

namespace kv {

class Database;

// What one list job prints: the collection's name, its custom-field table and the options
// chosen in the print options dialog.
struct ListPrintJob {
    QString strTitle;
    // The custom-field table: the numbers (1 to 5) of the enabled user fields in order, and
    // their titles.
    QList<int> udfNumbers;
    QStringList udfTitles;
    bool bSelectedOnly = false;
    bool bRecordingDetails = false;
    bool bCustomDetails = false;

    void addCustomField(int number, const QString& title) {
        udfNumbers << number;
        udfTitles << title;
    }
};

enum class ListFileFormat { Text, Pdf, Csv, Html };

// The format a file name asks for, by its extension without regard to case (.pdf, .csv,
// .html or .htm); anything else is a text file.
ListFileFormat listFileFormat(const QString& path);
// The "Print to File" dialog's filter: text files first, as the default.
QString listFileFilter();

// The statement that lists a collection as the collection screen does: every item with
// the "Both" column, by title, then artist.
QString collectionListSql(qint16 intCollectionID);
// The job for a whole collection as stored: its name and its enabled user fields. False
// when there is no such collection.
bool collectionListJob(const Database& db, qint16 intCollectionID, ListPrintJob& job);

// Prints the list on a paged device as one document: the heading, then every row of the
// record source (or its current row alone when the job says so), then the end of the
// document. On an error (reported under the failing step's name) abortDocument runs
// while the document is still open, and the result is false. The record source is left
// on the row it stood on.
bool printList(QPagedPaintDevice& device, const QFont& ownerFont, Recordset rs, const ListPrintJob& job,
               const std::function<void()>& abortDocument = {});

// Writes the list to a file in the given format. The file is replaced only when it is
// complete: after an error (reported) the previous file, if any, is as it was.
bool writeListFile(const QString& path, ListFileFormat format, Recordset rs, const ListPrintJob& job);

} // namespace kv
