#pragma once

// Opening and validating the titles, the keyword index table, and the word-wheel and topic
// look-ups the screens make, each with its "Keyword Index" message.

#include "titles/engine/ViewerLibrary.h"

#include <QList>
#include <QString>

namespace kv {

class TitleViewer;

// Text buffer sizes of the look-ups, in characters; the text ends at the first NUL, so a
// keyword longer than 260 characters comes back cut.
inline constexpr qint32 kKeywordBufferSize = 261;
inline constexpr qint32 kIndexNameBufferSize = 257;
inline constexpr qint32 kTopicTitleBufferSize = 128;

inline const QString kKeywordIndexTitle = QStringLiteral("Keyword Index");
inline const QString kTitleDialogTitle = QStringLiteral("Korvanda Title");
inline const QString kUntitledIndex = QStringLiteral("<Untitled Index>");

// Locates the title `fileName` ("Music.M14", "Shops.M14") through the "File Locations"
// setting of the same name, opens it in the viewer and validates it. A file that is not
// one of our titles (no marker, damaged, foreign, unreadable) is reported and the user is
// asked for another until one validates or the user cancels; the location chosen is
// stored under the same key. False when the path cannot be found or the user cancels;
// the viewer then holds no title. `searchParent` is handed to the settings layer.
bool bOpenTALVMVTitle(const QString& fileName, TitleViewer* viewer, bool searchParent = true);

// True when the viewer's title carries the marker baggage file; otherwise shows
// "<path> was not created for the Korvanda and cannot be loaded." and gives false.
bool bValidateTALVMVTitle(TitleViewer* viewer, const QString& markerName);

// One keyword index of a title: the identifier character of its wheel ("|" + strID) and
// its display name.
struct MVIndexEntry {
    QString strID;
    QString strName;
};
using MVIndexTable = QList<MVIndexEntry>;

// The keyword index table of the catalogue title, filled by bInit_MV; it holds at least
// its initial empty entry once filled.
MVIndexTable& MVIndexes();
// The viewer bInit_MV read the table from (the search screen's), or nullptr.
TitleViewer* catalogueViewer();

// Fills the keyword index table from the title held by the catalogue viewer.
bool bInit_MV(TitleViewer* viewer);
// Resets `table` to one empty entry, then adds every index of the title in order.
bool bMV_LoadIndexes(MVIndexTable& table, MVHandle title);

// Opens wheel "|" + id. A failed open is reported ("Unable to open Word Wheel "id".")
// unless `quiet`, leaves `wheel` 0 and gives false. An unreadable length is reported and
// gives false with `wheel` still open (the caller closes what it holds).
bool bMV_OpenWordWheel(MVHandle title, const QString& id, MVHandle& wheel, qint32& length,
                       bool quiet = false);

// The text of a library buffer up to its first NUL.
QString strCString(const QString& buffer);
// high × 65536 + low, as the library's packed parameters want it.
qint32 lngPackParam(int low, int high);

// The look-ups. Each reports its failure with its "Keyword Index" message when `report`
// is set; row providers of long lists pass false and show an empty row instead.
// Number of keywords, −1 on failure.
qint32 lMV_WordWheelLength(MVHandle wheel, bool report = true);
// The keyword at a 0-based position ("" on failure).
bool bMV_Keyword(MVHandle wheel, qint32 position, QString& keyword, bool report = true);
// Position of the first keyword that begins with the text; −1 without a wheel.
qint32 lMV_WordWheelPrefix(MVHandle wheel, const QString& text);
// The group of keywords matching a pattern ("abc*"); 0 without a wheel.
MVHandle hMV_WordWheelSearch(MVHandle wheel, const QString& pattern);
qint32 lMV_GroupItemCount(MVHandle group);
qint32 lMV_GroupFind(MVHandle group, qint32 item);
// Topics filed under a keyword; −1 when the keyword is not in the wheel.
qint32 nMV_KeyIndexGetCount(MVHandle wheel, const QString& keyword, bool report = true);
// The topic addresses of a keyword, `count` of them from the first.
bool bMV_KeyIndexGetAddrs(MVHandle wheel, const QString& keyword, qint32 count,
                          QList<qint32>& addresses, bool report = true);
// The title of the topic at an address ("" on failure).
bool bMV_TopicTitle(MVHandle title, qint32 address, QString& topicTitle, bool report = true);
// The view address of a topic address, for a jump; −1 when there is no such topic.
qint32 vaMV_ConvertAddr(MVHandle title, qint32 address);

} // namespace kv
