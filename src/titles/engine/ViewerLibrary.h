#pragma once

// The viewer-library functions over compiled titles. Handles are 32-bit values drawn from
// a table with generation counters: a stale, closed or made-up handle fails safely (0, −1
// or a negative result) and never reaches freed memory.
//
// Text buffers follow the library's convention: the buffer holds the text, then NULs up to
// its capacity; text longer than capacity − 1 UTF-16 units is cut (never inside a
// surrogate pair).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace kv {

using MVHandle = qint32;

// Opening and closing a title (what the viewer control does with its title-file property).
MVHandle hMVTitleOpen(const QString& path);
void MVTitleClose(MVHandle title);
QString strMVTitlePath(MVHandle title);
// Why the last call on this thread failed.
QString strMVLastError();

MVHandle hMVWordWheelOpenTitle(MVHandle title, const QString& wheelName);
void MVWordWheelClose(MVHandle wheel);
qint32 lMVWordWheelLength(MVHandle wheel);
// 0 on success; non-zero when the wheel or the position is bad.
qint32 nMVWordWheelLookup(MVHandle wheel, qint32 position, QString& buffer, qint32 bufferSize);
// Position of the first keyword starting with the text (folded), or where the text would
// stand; −1 on a bad handle.
qint32 lMVWordWheelPrefix(MVHandle wheel, const QString& text);

// A search group lives until MVGroupFree, until its wheel is closed, or until
// kMaxLiveGroups newer groups have been made (the oldest is freed first); after that its
// handle is stale. Flags are reserved (0).
inline constexpr int kMaxLiveGroups = 256;
MVHandle MVWordWheelSearch(MVHandle wheel, const QString& pattern, qint32 flags);
void MVGroupFree(MVHandle group);
qint32 lMVGroupItemCount(MVHandle group);
qint32 lMVGroupFind(MVHandle group, qint32 item);
// Items first .. first + count − 1 of a group in one call (clamped to the group); returns how
// many were copied, −1 on a bad handle. For lists that show many rows at once.
qint32 lMVGroupFindRange(MVHandle group, qint32 first, qint32 count, QList<qint32>& positions);

// Topic count of a keyword (exact display text) or −1 when the wheel or keyword is unknown.
// The count is a full 32-bit value: a keyword may carry more than 32,767 topics.
qint32 nMVKeyIndexGetCount(MVHandle wheel, const QString& keyword);
// Fills addresses[0 ..] with topics first .. last (clamped to the keyword's topics; the list
// grows as needed). Returns how many were filled, negative on failure.
qint32 lMVKeyIndexGetAddrs(MVHandle wheel, const QString& keyword, qint32 first, qint32 last,
                           QList<qint32>& addresses);

// Kind 14: `param` = capacity + 65536 × n; returns the identifier code of the n-th index in
// identifier order (0 when there are no more) and its name in the buffer.
// Kind 110: `param` = topic address; the topic title in the buffer (capacity: the buffer's
// size, 128 when empty); returns 0, or −1 when the address is bad.
inline constexpr qint32 kInfoIndex = 14;
inline constexpr qint32 kInfoTopicTitle = 110;
qint32 lMVTitleGetInfo(MVHandle title, qint32 kind, qint32 param, QString& buffer);

qint32 vaMVConvertAddr(MVHandle title, qint32 address);
qint32 vaMVConvertContextString(MVHandle title, const QString& context);
qint32 vaMVGetContents(MVHandle title);

MVHandle hMVBaggageOpen(MVHandle title, const QString& name);
void MVBaggageClose(MVHandle baggage);
QByteArray baMVBaggageRead(MVHandle baggage);

// What the viewer shows for a view address.
struct MVTopic {
    QChar kind;
    QString contextString;
    QString title;
    QString identification;
    QByteArray page; // encoded; decode with title::decodePage
};
bool bMVGetTopic(MVHandle title, qint32 viewAddress, MVTopic& topic);

} // namespace kv
