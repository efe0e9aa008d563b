#pragma once

#include "db/Field.h"
#include "db/Recordset.h"

#include <QString>

namespace kv {

// Copying long binary fields to and from files (a collection's icon), and text to a file.
// Each shows the busy pointer while it works and reports errors through Report_Error under
// its own name.

// Puts the current record into edit mode (unless it already is being edited or added) and
// sets the field to exactly the file's bytes (Null for an empty file); the caller then
// stores the record with Update.
bool bWrite_File_to_Fld(Recordset& rs, const QString& fieldName, const QString& path);

// Writes the field's content to the file in pieces of 2000 bytes. An empty (or Null) field
// writes nothing and leaves any existing file untouched: the result is false.
bool bWrite_Fld_to_File(const Field& field, const QString& path);

// Writes the field of every record, one after another, into one file. An empty record set
// writes no file and the result is still true.
bool bWrite_RecordSet_Fld_to_File(Recordset& rs, const Field& field, const QString& path);

// Writes the text (UTF-8) into the file; the file holds exactly the text afterwards.
bool bWrite_Str_to_File(const QString& text, const QString& path);

// The piece size of the field-to-file copies.
inline constexpr int kFieldChunkSize = 2000;

} // namespace kv
