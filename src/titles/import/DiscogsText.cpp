#include "titles/import/DiscogsText.h"

#include "formats/TextRules.h"
#include "titles/engine/Fold.h"

#include <algorithm>

namespace kv::titleimport::discogs {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || uint8_t(s.front()) < 0x20))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || uint8_t(s.back()) < 0x20))
        s.remove_suffix(1);
    return s;
}

// Leading digits of `s` from `i` as a number up to `max`; `i` moves past them. False when
// there are none or the number is over `max`.
bool digits(std::string_view s, size_t& i, uint32_t max, uint32_t& out) {
    const size_t start = i;
    uint64_t v = 0;
    while (i < s.size() && isDigit(s[i])) {
        v = v * 10 + uint64_t(s[i] - '0');
        if (v > max) v = uint64_t(max) + 1;
        ++i;
    }
    out = uint32_t(std::min<uint64_t>(v, max));
    return i > start && v <= max;
}

constexpr uint32_t kMaxDisc = 9999; // what the catalogue sources take
constexpr uint32_t kMaxNumber = 99999;

} // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

namespace {

// Bytes of a character the catalogue refuses in a one-line field, and whether it breaks the
// line (it becomes a blank) or only reorders the text (it is dropped). 0 for any other byte.
size_t refusedCharacter(std::string_view s, size_t i, bool& blank) {
    const auto b = [&](size_t k) { return i + k < s.size() ? uint8_t(s[i + k]) : 0; };
    blank = true;
    if (b(0) < 0x20 || b(0) == 0x7F) return 1;
    if (b(0) == 0xC2 && b(1) >= 0x80 && b(1) <= 0x9F) return 2; // C1 controls
    if (b(0) == 0xE2 && b(1) == 0x80 && (b(2) == 0xA8 || b(2) == 0xA9)) return 3;
    blank = false;
    if (b(0) == 0xD8 && b(1) == 0x9C) return 2; // U+061C
    if (b(0) == 0xE2 && b(1) == 0x80 &&
        (b(2) == 0x8E || b(2) == 0x8F || (b(2) >= 0xAA && b(2) <= 0xAE)))
        return 3; // U+200E, U+200F, U+202A to U+202E
    if (b(0) == 0xE2 && b(1) == 0x81 && b(2) >= 0xA6 && b(2) <= 0xA9) return 3; // U+2066–2069
    return 0;
}

} // namespace

bool cleanText(std::string_view in, std::string& out) {
    out.clear();
    if (!formats::isValidUtf8(in)) return false;
    bool pendingSpace = false;
    for (size_t i = 0; i < in.size();) {
        const char c = in[i];
        bool blank = false;
        if (const size_t n = refusedCharacter(in, i, blank); n > 0 || c == ' ') {
            // Line breaks and controls part words as a blank would; direction marks vanish.
            if (n == 0 || blank) pendingSpace = !out.empty();
            i += std::max<size_t>(n, 1);
            continue;
        }
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        out += c;
        ++i;
    }
    if (out.size() > kMaxText) {
        size_t cut = kMaxText;
        while (cut > 0 && (uint8_t(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
    }
    return true;
}

std::string_view withoutNumberSuffix(std::string_view name) {
    if (name.size() < 5 || name.back() != ')') return name;
    size_t i = name.size() - 1;
    while (i > 0 && isDigit(name[i - 1]))
        --i;
    if (i == name.size() - 1 || i < 3 || name[i - 1] != '(' || name[i - 2] != ' ') return name;
    return name.substr(0, i - 2);
}

std::string sortName(std::string_view name) {
    if (name.size() > 4 && equalsNoCase(name.substr(0, 4), "the ") && name[4] != ' ')
        return std::string(name.substr(4)) + ", " + std::string(name.substr(0, 3));
    return {};
}

Position parsePosition(std::string_view position) {
    const std::string_view s = trim(position);
    Position p;
    size_t i = 0;
    while (i < s.size() && isLetter(s[i]))
        ++i;
    const size_t letters = i;
    if (letters == 1) {
        // A vinyl or tape side: A and B are the first record, C and D the second...
        char side = s[0];
        if (side >= 'a' && side <= 'z') side = char(side - 'a' + 'A');
        p.disc = uint32_t(side - 'A') / 2 + 1;
        return p;
    }
    if (letters > 0) {
        // A medium before the disc number: "CD2-4", "DVD1.3", "Disc 2-1".
        while (i < s.size() && s[i] == ' ')
            ++i;
        if (i == s.size() || !isDigit(s[i])) return p;
    }
    uint32_t first = 0, second = 0;
    if (!digits(s, i, kMaxNumber, first)) return p;
    if (i + 1 < s.size() && (s[i] == '-' || s[i] == '.') && isDigit(s[i + 1])) {
        ++i;
        if (digits(s, i, kMaxNumber, second) && first >= 1 && first <= kMaxDisc) {
            p.disc = first;
            p.number = second;
        }
        return p;
    }
    if (letters == 0) p.number = first; // "7", "7a", "11.a"
    return p;
}

int64_t parseDuration(std::string_view duration) {
    const std::string_view s = trim(duration);
    uint32_t parts[3];
    int n = 0;
    size_t i = 0;
    while (n < 3) {
        const size_t start = i;
        if (!digits(s, i, 99999999, parts[n])) return -1;
        if (n > 0 && (i - start > 2 || parts[n] > 59)) return -1;
        ++n;
        if (i == s.size()) break;
        if (s[i] != ':') return -1;
        ++i;
    }
    if (i != s.size() || n < 2) return -1;
    const int64_t seconds = n == 2 ? int64_t(parts[0]) * 60 + parts[1]
                                   : int64_t(parts[0]) * 3600 + int64_t(parts[1]) * 60 + parts[2];
    return seconds <= 99999999 ? seconds : -1;
}

uint32_t& TrackNumbering::last(uint32_t disc) {
    for (auto& [d, n] : m_last)
        if (d == disc) return n;
    m_last.emplace_back(disc, 0);
    return m_last.back().second;
}

TrackNumbering::Place TrackNumbering::next(std::string_view position) {
    const Position p = parsePosition(position);
    if (p.disc) m_disc = std::min(p.disc, kMaxDisc);
    uint32_t& n = last(m_disc);
    n = p.number && p.number >= n ? p.number : std::min(n + 1, kMaxNumber);
    return {m_disc, n};
}

TrackNumbering::Place TrackNumbering::sub(std::string_view position, const Place* parent) {
    if (parent) return *parent;
    Position p = parsePosition(position);
    uint32_t& n = last(m_disc);
    // "3a", "3b" under a heading: parts of track 3.
    n = p.number && !p.disc && p.number >= n ? p.number : std::min(n + 1, kMaxNumber);
    return {m_disc, n};
}

std::string releaseDate(std::string_view released) {
    std::string clean;
    if (!cleanText(released, clean)) return {};
    const std::string_view s = clean;
    auto allDigits = [](std::string_view d) { return std::all_of(d.begin(), d.end(), isDigit); };
    const bool shaped = (s.size() == 4 || s.size() == 7 || s.size() == 10) &&
                        allDigits(s.substr(0, 4)) &&
                        (s.size() < 7 || (s[4] == '-' && allDigits(s.substr(5, 2)))) &&
                        (s.size() < 10 || (s[7] == '-' && allDigits(s.substr(8, 2))));
    if (!shaped) return clean;
    if (s.substr(0, 4) == "0000") return {};
    if (s.size() >= 7 && s.substr(5, 2) == "00") return std::string(s.substr(0, 4));
    if (s.size() == 10 && s.substr(8, 2) == "00") return std::string(s.substr(0, 7));
    return clean;
}

int yearOf(std::string_view released) {
    const std::string_view s = trim(released);
    if (s.size() < 4) return 0;
    int year = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!isDigit(s[i])) return 0;
        year = year * 10 + (s[i] - '0');
    }
    if (s.size() > 4 && isDigit(s[4])) return 0;
    return year;
}

std::string medium(const XmlRecord& record, const XmlNode* formats) {
    std::string out, piece;
    if (!formats) return out;
    record.forEach(*formats, "format", [&](const XmlNode& f) {
        std::string name;
        if (!cleanText(record.attr(f, "name"), name) || name.empty()) return;
        const std::string_view qty = trim(record.attr(f, "qty"));
        piece.clear();
        if (!qty.empty() && qty != "1" && qty.size() <= 4 &&
            std::all_of(qty.begin(), qty.end(), isDigit) && qty[0] != '0')
            piece.append(qty).append("\xC3\x97"); // ×
        piece += name;
        if (const XmlNode* ds = record.child(f, "descriptions")) {
            std::string d;
            record.forEach(*ds, "description", [&](const XmlNode& n) {
                if (!cleanText(n.text, d) || d.empty()) return;
                const bool what = d == "LP" || d == "EP" || d == "Single" || d == "Maxi-Single" ||
                                  d == "Mini-Album" || (d.back() == '"' && isDigit(d[0]));
                if (what) piece.append(", ").append(d);
            });
        }
        if (!out.empty()) out += " + ";
        out += piece;
    });
    std::string capped;
    cleanText(out, capped);
    return capped;
}

} // namespace kv::titleimport::discogs
