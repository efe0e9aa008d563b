#pragma once

// The ordering tests: a fresh catalogue database with a shopping list, the platform fakes
// standing in for the user, a settings store of the test's own, and a shop and a customer.

#include "core/RecordHelpers.h"
#include "db/CatalogueTemplate.h"
#include "db/DaoConstants.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "fakes/Fakes.h"
#include "fakes/QueryRows.h"
#include "fakes/TempSettings.h"
#include "platform/AppContext.h"
#include "platform/Mail.h"
#include "shopping/OrderLetter.h"
#include "shopping/ShopRecord.h"
#include "shopping/UserDetails.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

// Failures show texts as text, with the line ends visible.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"'
        << QString(text)
               .replace(QLatin1Char('\r'), QLatin1String("\\r\n"))
               .replace(QLatin1Char('\t'), QLatin1String("\\t"))
               .toStdString()
        << '"';
}

namespace kv::test {

// A mail server account of the customer's (STARTTLS on the submission port).
inline MailAccount serverAccount(const QString& server = QStringLiteral("smtp.example.org"),
                                 int port = 587, const QString& userName = QStringLiteral("ann")) {
    MailAccount a;
    a.useServer = true;
    a.server = server;
    a.port = port;
    a.security = MailSecurity::StartTls;
    a.userName = userName;
    a.address = QStringLiteral("ann@example.org");
    return a;
}

class OrderTest : public ::testing::Test {
protected:
    OrderTest() {
        const QString path = dir.filePath(QStringLiteral("KORDB.MDB"));
        db::createTemplateDatabase(path, {});
        database = Database::open(path);
        shop.Name = QStringLiteral("Spin City Records");
        shop.Address = QStringLiteral("12 Market Street, Leeds");
        shop.EMail = QStringLiteral("orders@spincity.example");
        user.Name = QStringLiteral("Ann Collector");
        user.Address = QStringLiteral("3 Elm Road, York");
        user.PostCode = QStringLiteral("YO1 7HH");
        ctx().slot<UserDetailsSource>().read = [this] { return user; };
    }
    ~OrderTest() override { database.Close(); }

    // An item of the shopping list (collection 1); Null for an absent value.
    void addItem(const QString& catalogue, const QVariant& title, const QVariant& artist,
                 const QVariant& medium, bool order, int collection = 1) {
        auto lit = [](const QVariant& v) {
            return v.isNull() ? QStringLiteral("Null")
                              : QStringLiteral("\"%1\"").arg(strCheck_Quote(v));
        };
        database.Execute(
            QStringLiteral(
                "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number], "
                "[Album ID], [Title], [Artist], [Medium], [Order]) VALUES (%1, %2, 1, %3, %4, "
                "%5, %6)")
                .arg(collection)
                .arg(lit(catalogue), lit(title), lit(artist), lit(medium),
                     order ? QStringLiteral("True") : QStringLiteral("False")));
    }
    // The three ordered items of the usual list (and one not ticked, and one elsewhere).
    void addThreeItems() {
        addItem("B-200", "Blue Train", "John Coltrane", "LP", true);
        addItem("A-100", "Abbey Road", "The Beatles", "CD", true);
        addItem("Z-900", "Zebra", "Nobody", "CD", false);
        addItem("A-101", "Abbey Road", "Anderson", "Cassette", true);
        addItem("W-1", "Wanted Elsewhere", "Other", "CD", true, 0);
    }
    Recordset ordered() { return database.OpenRecordset(Order_Items_SQL(), dbOpenDynaset); }
    int orderedCount() { return int(queryRows(database, Order_Items_SQL()).size()); }

    TestContext t;
    TempSettings settings;
    QTemporaryDir dir;
    Database database;
    ShopRecord shop;
    UserDetails user;
};

} // namespace kv::test
