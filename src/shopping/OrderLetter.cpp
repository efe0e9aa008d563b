#include "shopping/OrderLetter.h"

#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "db/Recordset.h"
#include "platform/AppContext.h"

#include <QLocale>

namespace kv {

namespace {

const QChar kTab = QLatin1Char('\t');

// A number as the classic Str() writes it: a blank in the sign position when not negative.
QString strNumber(int n) {
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

QString field(const Recordset& rs, const char* name) {
    return strCheckNull(rs.value(QString::fromLatin1(name)));
}

} // namespace

UserDetails Current_User_Details() {
    const UserDetailsSource& source = ctx().slot<UserDetailsSource>();
    return source.read ? source.read() : UserDetails();
}

QString Order_Items_SQL() {
    return QStringLiteral(
        "SELECT DISTINCTROW [Collection - Contents].[Album ID], [Title]+\"  (\"+[Artist]+\")\" AS "
        "Both,[Collection - Contents].[Catalogue Number], [Collection - Contents].[Medium], "
        "[Collection - Contents].[Title], [Collection - Contents].[Artist],[Collection - "
        "Contents].Deleted From [Collection - Contents] WHERE (([Collection - "
        "Contents].[Collection "
        "ID]=1) AND ([Collection - Contents].[Order]=True)) ORDER BY [Collection - "
        "Contents].Title, "
        "[Collection - Contents].Artist;");
}

QString Order_Date_Text(const QDate& date) {
    return QLocale().toString(date, QLocale::LongFormat);
}

QStringList Order_Letter_Lines(const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                               bool bContactMe, const QString& strDate) {
    QStringList l;
    l << QStringLiteral("To:") << kTab + shop.Name << kTab + shop.Address << QString();
    l << QStringLiteral("From:") << kTab + user.Name << kTab + user.Address << kTab + user.PostCode;
    if (!user.Phone.isEmpty())
        l << kTab + QStringLiteral("Phone") + kTab + QLatin1Char(':') + user.Phone;
    if (!user.Fax.isEmpty()) l << kTab + QStringLiteral("Fax") + kTab + QLatin1Char(':') + user.Fax;
    if (!user.EMail.isEmpty())
        l << kTab + QStringLiteral("E-mail") + kTab + QLatin1Char(':') + user.EMail;
    l << QString();
    l << QStringLiteral("Date :") + kTab + strDate << QString();
    l << QStringLiteral("I wish to order the following items and have them delivered.");
    if (bContactMe) l << QStringLiteral("Please contact me to confirm the order.");
    l << QString();
    if (bPayByCard) {
        l << QStringLiteral("I wish to pay by credit card, my card details are:");
        l << QStringLiteral("Card Type") + kTab + QLatin1Char(':') + kTab + user.CardType;
        l << QStringLiteral("Name on card") + kTab + QLatin1Char(':') + kTab + user.CardName;
        l << QStringLiteral("Name Number") + kTab + QLatin1Char(':') + kTab + user.CardNumber;
        l << QStringLiteral("Expiry Date") + kTab + QLatin1Char(':') + kTab + user.Expires;
    } else {
        l << QStringLiteral("I wish to pay when the goods are ready.");
    }
    l << QString();
    l << QStringLiteral("Records to Order") << QString();
    return l;
}

QStringList Order_Item_Lines(const Recordset& rsOrdered, int intItem) {
    const QString colon = kTab + QLatin1Char(':') + kTab;
    return {QStringLiteral("Item         ") + kTab + colon + strNumber(intItem),
            QStringLiteral("Catalogue Number") + colon + field(rsOrdered, "Catalogue Number"),
            QStringLiteral("Recording name  ") + colon + field(rsOrdered, "Title"),
            QStringLiteral("Artist          ") + kTab + colon + field(rsOrdered, "Artist"),
            QStringLiteral("Format          ") + kTab + colon + field(rsOrdered, "Medium"),
            QString()};
}

void Append_Letter_Line(QString& strText, const QString& strLine) {
    QString line = strLine;
    line.replace(QLatin1String("\r\n"), QLatin1String("\r"))
        .replace(QLatin1Char('\n'), QLatin1Char('\r'));
    strText += line;
    strText += QLatin1Char('\r');
}

QString Order_Send_Head(const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                        bool bContactMe, const QString& strDate) {
    QString text;
    Append_Letter_Line(text, kOrderTitle);
    Append_Letter_Line(text, QString());
    for (const QString& line : Order_Letter_Lines(shop, user, bPayByCard, bContactMe, strDate))
        Append_Letter_Line(text, line);
    return text;
}

bool Order_Send_Line(Recordset& rsOrdered, QString& strText, int intItem) {
    return guarded("Order_Send_Line", [&] {
        // The whole block or nothing: a row that cannot be read leaves the text as it was.
        QString block;
        for (const QString& line : Order_Item_Lines(rsOrdered, intItem))
            Append_Letter_Line(block, line);
        strText += block;
    });
}

bool forEachOrderedItem(Recordset& rsOrdered, const std::function<bool(int intItem)>& line) {
    if (rsOrdered.Bof() && rsOrdered.Eof()) return true;
    rsOrdered.MoveFirst();
    for (int intItem = 1; !rsOrdered.Eof(); ++intItem) {
        if (!line(intItem)) return false;
        rsOrdered.MoveNext();
    }
    return true;
}

bool Order_Send_Data_all(Recordset& rsOrdered, QString& strText) {
    return guarded("Order_Send_Data_all", [&] {
        return forEachOrderedItem(
            rsOrdered, [&](int intItem) { return Order_Send_Line(rsOrdered, strText, intItem); });
    });
}

} // namespace kv
