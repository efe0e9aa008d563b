#pragma once

#include <QString>

namespace kv {

// Finding the program's data files (database, workgroup file, titles, intro movie) through
// the settings store. Paths use "/"; a "\" in a stored or typed path is read as "/".

// A path with every "\" read as the separator.
QString Normal_Path(const QString& path);

// True when the path names an existing file whose length can be read.
bool FileExists(const QString& path);
// The folder part of a full path, up to and including the last separator ("" when the
// path has none). File_Part is the rest.
QString Dir_Part(const QString& path);
QString File_Part(const QString& path);
// Looks for the same file name one folder level up; hands back that candidate path and
// says whether the file exists there.
bool Find_In_Parent(const QString& path, QString& foundPath);

// The application folder (the program's read-only data), without a trailing separator.
QString App_Path();

// Finds a data file: the path stored under section/key (default: application folder and
// defaultName); when that file is missing and searchParent is set, the same name one
// folder up (used, not stored); otherwise the user locates it in the locate-file dialog
// (dialogTitle describes the file type, extension has no dot) and the accepted path is
// stored. False when the user gives up or on error.
bool bReadIniStr_FileName(const QString& section, const QString& key, const QString& defaultName,
                          const QString& extension, const QString& dialogTitle, QString& result,
                          bool searchParent);
// Lets the user locate the file at once (the stored one proved unusable) and stores it.
bool bGetIniStr_FileName(const QString& section, const QString& key, const QString& defaultName,
                         const QString& extension, const QString& dialogTitle, QString& result);

} // namespace kv
