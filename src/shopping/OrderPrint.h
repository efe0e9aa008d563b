#pragma once

// Dispatching the order letter on paper: the print options dialog captioned "Print/Fax
// Order" (a fax is a fax printer's queue chosen there), then the letter set through the
// paragraph print engine. The lines are those of the e-mailed letter, each a paragraph.

#include "shopping/ShopRecord.h"
#include "shopping/UserDetails.h"

#include <QFont>
#include <QString>
#include <functional>

class QPagedPaintDevice;

namespace kv {

class CPrint;
class Recordset;

// Asks for the printer and prints the letter. False when the dialog was cancelled (nothing
// is printed) or the printing failed (reported).
bool Order_Print(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard, bool bContactMe);
// Prints the letter on the printer with the user's details as they stand now.
bool Order_Print_Data(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard, bool bContactMe);
// Prints the block of every ordered item, numbered from 1; an empty record set prints none.
bool Order_Print_Data_all(Recordset& rsOrdered, CPrint& cp);
// Prints the block of the current row.
bool Order_Print_Line(Recordset& rsOrdered, CPrint& cp, int intItem);

// The letter as one document on a paged device: the title at 16 point between two empty
// paragraphs above and two below, the rest at 12 point. On an error (reported under the
// failing step's name) abortDocument runs while the document is still open, so nothing half
// printed goes out, and the result is false.
bool printOrderLetter(QPagedPaintDevice& device, const QFont& ownerFont, Recordset& rsOrdered,
                      const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                      bool bContactMe, const QString& strDate,
                      const std::function<void()>& abortDocument = {});

} // namespace kv
