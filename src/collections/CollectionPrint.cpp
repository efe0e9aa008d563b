#include "collections/CollectionPrint.h"

// Placeholder until the print engine lands: the callers are wired to these already.
namespace kv {

bool List_Print(Recordset, const CCollection&) { return true; }
bool List_PrintOrdered(Recordset, const CCollection&) { return true; }

} // namespace kv
