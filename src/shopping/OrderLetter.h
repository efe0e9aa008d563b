#pragma once

// The order letter, composed from its inputs alone: the shop, the user's details, the two
// ticks of the ordering page, the date and the ordered items. The e-mail route joins the
// lines into one text whose lines end with a lone carriage return; the print route prints
// the same lines as paragraphs. No widgets here.

#include "shopping/ShopRecord.h"
#include "shopping/UserDetails.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

namespace kv {

class Recordset;

// The letter's title, and the subject of an e-mailed order.
inline const QString kOrderTitle = QStringLiteral("Record Order");
inline const QString kOrderSubject = QStringLiteral("RECORD ORDER");

// The ordered items the ordering pages show and the letter lists: the ticked items of the
// shopping list in title-then-artist order.
QString Order_Items_SQL();

// The date as the letter writes it: the long date form of the user's locale.
QString Order_Date_Text(const QDate& date);

// The lines between the title (and the empty line after it) and the item blocks: the shop,
// the sender, the date, the wishes, the payment and "Records to Order" with the empty line
// after it.
QStringList Order_Letter_Lines(const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                               bool bContactMe, const QString& strDate);

// The block of the ordered items' current row with its number: five lines and an empty
// one. A Null field gives an empty value.
QStringList Order_Item_Lines(const Recordset& rsOrdered, int intItem);

// Appends a line to the e-mail text, ended by a lone carriage return. A line break inside
// a value (a multi-line address) becomes a lone carriage return too.
void Append_Letter_Line(QString& strText, const QString& strLine);

// The e-mail text before the item blocks: the title, an empty line and the letter lines.
QString Order_Send_Head(const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                        bool bContactMe, const QString& strDate);

// Runs `line` for each row of the ordered items with its number, from 1 in the record set's
// order (none for an empty record set); stops with false at the first that fails.
bool forEachOrderedItem(Recordset& rsOrdered, const std::function<bool(int intItem)>& line);

// Appends the block of every ordered item, numbered from 1 in the record set's order; an
// empty record set adds nothing. False (reported) when a row cannot be read: the text then
// must not be sent.
bool Order_Send_Data_all(Recordset& rsOrdered, QString& strText);
// Appends the block of the current row.
bool Order_Send_Line(Recordset& rsOrdered, QString& strText, int intItem);

} // namespace kv
