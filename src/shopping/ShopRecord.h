#pragma once

#include <QString>

namespace kv {

// The shop picked in the shop directory, filled from the hotspot data of its entry and read
// when an order is composed and sent.
struct ShopRecord {
    bool Featured = false;     // drives the featured-shop picture
    bool OrdersDirect = false; // drives the orders-direct picture
    qint16 Number = 0;         // the number in the hotspot code
    QString Reference;         // context string of the shop's own page
    QString Name;              // first line of the address block
    QString Address;           // second line of the address block
    QString Phone;             // "" when none
    QString Fax;               // "" when none
    QString EMail;             // "" when none
};

} // namespace kv
