#pragma once

#include "db/Recordset.h"

namespace kv {

class CCollection;

// Prints a collection or saves it to a file: the print options dialog, then the printer or
// the file. rs holds the rows in the order shown and stands on the row the user selected
// (the "Selected" range prints that row alone). False only after an error.
bool List_Print(Recordset rs, const CCollection& collection);
// The same for the shopping list's ticked items ("Ticked Items" instead of the whole
// collection; recording details ticked).
bool List_PrintOrdered(Recordset rs, const CCollection& collection);

} // namespace kv
