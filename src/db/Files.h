#pragma once

#include <QByteArray>
#include <QString>

namespace kv::db {

// Files the user points to are untrusted: a path may name a folder, a FIFO (whose open
// blocks until someone writes to it) or a device. The readers of the layer read regular
// files only, and the files it writes replace their old versions atomically and durably.

// What stands at a path when it is no regular file ("a folder", "a FIFO", "a device",
// "a socket"); empty for a regular file (or a link to one) and for nothing at all.
QString notRegularFile(const QString& path);

enum class ReadProblem { None, Missing, NotRegular, TooLarge, Unreadable };
// Reads a whole regular file of at most maxBytes without ever waiting on a FIFO or device
// (or a resource built into the program, ":/...").
ReadProblem readRegularFile(const QString& path, qint64 maxBytes, QByteArray& data);

// Renames from over to in one step (there is always a file at to, the old one or the new
// one) and makes the rename durable; false on failure, with from left in place.
bool replaceFile(const QString& from, const QString& to);

// Makes the entries of a folder (a file created, renamed or deleted in it) durable.
void syncFolder(const QString& folder);

} // namespace kv::db
