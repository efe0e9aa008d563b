#pragma once

#include <QString>
#include <QUrl>

namespace kv {

// The rule for what a connection may open: a web page and nothing else. The stored text is
// the user's (or anyone's who wrote the database file), and the desktop opener would start
// whatever program handles any other scheme, open local files, or read a leading "-" as an
// option, so only http and https addresses with a real host pass. A text without a scheme
// that reads as a host name ("www.example.com/shop") means http.
struct WebAddress {
    bool ok = false;
    // The address to hand to the browser (fully encoded; it always starts with "http").
    QUrl url;
};

WebAddress webAddressFromText(const QString& text);

// The longest text taken as an address; the field holds 255 characters, so anything longer
// did not come through the program.
inline constexpr int kMaxWebAddressLength = 2048;

} // namespace kv
