#include "formats/ShopList.h"

#include "formats/CsvRows.h"

#include <unordered_set>

namespace kv::formats {

bool readShopList(const QString& path, std::vector<ShopEntry>& shops, QString* error) {
    QString why;
    if (!error) error = &why;
    shops.clear();
    enum { Number, Town, Name, Address, Phone, Fax, Email, Featured, Direct, Description };
    CsvRows s(path,
              {"number", "town", "name", "address", "phone", "fax", "email", "featured",
               "orders_direct", "description"},
              error);
    // The town is a keyword of the shop directory title, where keywords stop at 65,535 bytes.
    s.limit(Town, 65535);
    std::unordered_set<uint32_t> numbers;
    while (s.next()) {
        ShopEntry shop;
        uint64_t number = 0;
        if (!s.number(Number, 32767, number) || !s.required(Town) || !s.required(Name) ||
            !s.flag(Featured, shop.featured) || !s.flag(Direct, shop.ordersDirect))
            return false;
        shop.number = uint32_t(number);
        if (!numbers.insert(shop.number).second)
            return s.fail(QStringLiteral("shop number %1 appears twice").arg(number));
        shop.town = s[Town];
        shop.name = s[Name];
        shop.address = s[Address];
        shop.phone = s[Phone];
        shop.fax = s[Fax];
        shop.email = s[Email];
        shop.description = s[Description];
        shops.push_back(std::move(shop));
    }
    return s.ok();
}

} // namespace kv::formats
