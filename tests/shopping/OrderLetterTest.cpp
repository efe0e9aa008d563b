// The order letter line for line, against texts worked out by hand.

#include "OrderFixture.h"

using namespace kv;
using namespace kv::test;

namespace {

const QString kDate = QStringLiteral("Monday, 3 March 2025");

// The item block as the letter writes it.
QString block(int n, const QString& catalogue, const QString& title, const QString& artist,
              const QString& format) {
    return QStringLiteral("Item         \t\t:\t %1\r"
                          "Catalogue Number\t:\t%2\r"
                          "Recording name  \t:\t%3\r"
                          "Artist          \t\t:\t%4\r"
                          "Format          \t\t:\t%5\r"
                          "\r")
        .arg(n)
        .arg(catalogue, title, artist, format);
}

QString letterOf(Recordset rs, const ShopRecord& shop, const UserDetails& user, bool card,
                 bool contact) {
    QString text = Order_Send_Head(shop, user, card, contact, kDate);
    EXPECT_TRUE(Order_Send_Data_all(rs, text));
    return text;
}

} // namespace

TEST_F(OrderTest, PlainLetterWithAThreeLineSenderAndItemsInTitleThenArtistOrder) {
    addThreeItems();
    const QString expected =
        QStringLiteral("Record Order\r"
                       "\r"
                       "To:\r"
                       "\tSpin City Records\r"
                       "\t12 Market Street, Leeds\r"
                       "\r"
                       "From:\r"
                       "\tAnn Collector\r"
                       "\t3 Elm Road, York\r"
                       "\tYO1 7HH\r"
                       "\r"
                       "Date :\tMonday, 3 March 2025\r"
                       "\r"
                       "I wish to order the following items and have them delivered.\r"
                       "\r"
                       "I wish to pay when the goods are ready.\r"
                       "\r"
                       "Records to Order\r"
                       "\r") +
        block(1, "A-101", "Abbey Road", "Anderson", "Cassette") +
        block(2, "A-100", "Abbey Road", "The Beatles", "CD") +
        block(3, "B-200", "Blue Train", "John Coltrane", "LP");
    // Card details the user typed stay out of a letter that does not pay by card.
    user.CardType = QStringLiteral("Visa");
    user.CardNumber = QStringLiteral("4929123456781234");
    const QString letter = letterOf(ordered(), shop, user, false, false);
    EXPECT_EQ(letter, expected);
    EXPECT_FALSE(letter.contains(QLatin1Char('\n')));
    EXPECT_FALSE(letter.contains(QStringLiteral("4929")));
}

TEST_F(OrderTest, ContactAndCardLetterWithEveryContactLineAndNullFields) {
    addItem("N-1", "No Artist Known", QVariant(), QVariant(), true);
    user.Phone = QStringLiteral("0113 496 0000");
    user.Fax = QStringLiteral("0113 496 0001");
    user.EMail = QStringLiteral("ann@example.org");
    user.CardType = QStringLiteral("Visa");
    user.CardName = QStringLiteral("MRS A COLLECTOR");
    user.CardNumber = QStringLiteral("4929123456781234");
    user.Expires = QStringLiteral("09/27");
    const QString expected =
        QStringLiteral("Record Order\r"
                       "\r"
                       "To:\r"
                       "\tSpin City Records\r"
                       "\t12 Market Street, Leeds\r"
                       "\r"
                       "From:\r"
                       "\tAnn Collector\r"
                       "\t3 Elm Road, York\r"
                       "\tYO1 7HH\r"
                       "\tPhone\t:0113 496 0000\r"
                       "\tFax\t:0113 496 0001\r"
                       "\tE-mail\t:ann@example.org\r"
                       "\r"
                       "Date :\tMonday, 3 March 2025\r"
                       "\r"
                       "I wish to order the following items and have them delivered.\r"
                       "Please contact me to confirm the order.\r"
                       "\r"
                       "I wish to pay by credit card, my card details are:\r"
                       "Card Type\t:\tVisa\r"
                       "Name on card\t:\tMRS A COLLECTOR\r"
                       "Name Number\t:\t4929123456781234\r"
                       "Expiry Date\t:\t09/27\r"
                       "\r"
                       "Records to Order\r"
                       "\r") +
        block(1, "N-1", "No Artist Known", "", "");
    EXPECT_EQ(letterOf(ordered(), shop, user, true, true), expected);
}

TEST_F(OrderTest, OneTickWithoutTheOtherAndLineBreaksInsideValues) {
    user.Address = QStringLiteral("Flat 2\r\n3 Elm Road\nYork");
    const QString contactOnly = Order_Send_Head(shop, user, false, true, kDate);
    EXPECT_TRUE(contactOnly.contains(
        QStringLiteral("delivered.\rPlease contact me to confirm the order.\r\r"
                       "I wish to pay when the goods are ready.\r")));
    // Every line of the text ends with a lone carriage return, those inside the address too.
    EXPECT_TRUE(contactOnly.contains(
        QStringLiteral("From:\r\tAnn Collector\r\tFlat 2\r3 Elm Road\rYork\r\tYO1 7HH\r")));
    EXPECT_FALSE(contactOnly.contains(QLatin1Char('\n')));
    const QString cardOnly = Order_Send_Head(shop, user, true, false, kDate);
    EXPECT_TRUE(cardOnly.contains(QStringLiteral("delivered.\r\rI wish to pay by credit card")));
}

TEST_F(OrderTest, TheItemLoopOnAnEmptyOrUnreadableRecordSet) {
    QString text = QStringLiteral("head\r");
    Recordset none = ordered();
    EXPECT_TRUE(Order_Send_Data_all(none, text));
    EXPECT_EQ(text, "head\r");
    EXPECT_TRUE(t.messages.boxes.empty());

    // A record set without the fields of an item: reported with the step's name, nothing
    // half-written, and the loop stops.
    addThreeItems();
    Recordset wrong = database.OpenRecordset(
        QStringLiteral("SELECT [Catalogue Number], [Title] FROM [Collection - Contents]"),
        dbOpenDynaset);
    EXPECT_FALSE(Order_Send_Data_all(wrong, text));
    EXPECT_EQ(text, "head\r");
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().title, "Error");
    EXPECT_TRUE(t.messages.last().text.endsWith("\rOrder_Send_Line"))
        << t.messages.last().text.toStdString();
}

TEST_F(OrderTest, TheDateIsTheLocalesLongDate) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(Order_Date_Text(QDate(2025, 3, 3)), "Monday, 3 March 2025");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Order_Date_Text(QDate(2025, 3, 3)), "Montag, 3. März 2025");
    QLocale::setDefault(previous);
}
