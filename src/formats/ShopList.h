#pragma once

// The shop list (shops.csv): number,town,name,address,phone,fax,email,featured,
// orders_direct,description. One reader for the shop directory title and the template
// database, so that both accept exactly the same files.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace kv::formats {

struct ShopEntry {
    uint32_t number = 0; // 0 to 32767: the shop directory's links carry it as a 16-bit value
    std::string town, name, address, phone, fax, email, description; // UTF-8
    bool featured = false;
    bool ordersDirect = false;
};

// Reads the list in file order: town and name required, numbers distinct, flags 0 or 1.
// False with "FILE:LINE: reason" in `error` for the first bad row.
bool readShopList(const QString& path, std::vector<ShopEntry>& shops, QString* error);

} // namespace kv::formats
