#include "formats/TextRules.h"

namespace kv::formats {

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t b = uint8_t(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int n;
        char32_t c, min;
        if ((b & 0xE0) == 0xC0)
            n = 1, c = b & 0x1F, min = 0x80;
        else if ((b & 0xF0) == 0xE0)
            n = 2, c = b & 0x0F, min = 0x800;
        else if ((b & 0xF8) == 0xF0)
            n = 3, c = b & 0x07, min = 0x10000;
        else
            return false;
        for (int k = 1; k <= n; ++k) {
            if (i + size_t(k) >= s.size()) return false;
            const uint8_t cb = uint8_t(s[i + size_t(k)]);
            if ((cb & 0xC0) != 0x80) return false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += size_t(n) + 1;
    }
    return true;
}

std::optional<TextProblem> textProblem(std::string_view s) {
    // Every refused character above ASCII starts with C2, D8 or E2, so the scan only looks
    // closer at those lead bytes.
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        const auto b = uint8_t(s[i]);
        if (b < 0x20 || b == 0x7F) return TextProblem{TextProblem::Control, b};
        if (b != 0xC2 && b != 0xD8 && b != 0xE2) continue;
        const uint8_t c1 = i + 1 < n ? uint8_t(s[i + 1]) : 0;
        if (b == 0xC2) {
            if (c1 >= 0x80 && c1 < 0xA0) return TextProblem{TextProblem::Control, c1};
            continue;
        }
        if (b == 0xD8) {
            if (c1 == 0x9C) return TextProblem{TextProblem::BidiControl, 0x061C};
            continue;
        }
        const uint8_t c2 = i + 2 < n ? uint8_t(s[i + 2]) : 0;
        const char32_t cp = 0x2000 | char32_t(c1 & 0x3F) << 6 | char32_t(c2 & 0x3F);
        if (cp == 0x2028 || cp == 0x2029) return TextProblem{TextProblem::LineSeparator, cp};
        if (cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
            (cp >= 0x2066 && cp <= 0x2069))
            return TextProblem{TextProblem::BidiControl, cp};
    }
    return std::nullopt;
}

const char* describe(TextProblem::Kind kind) {
    switch (kind) {
    case TextProblem::Control:
        return "a control character";
    case TextProblem::LineSeparator:
        return "a line or paragraph separator";
    case TextProblem::BidiControl:
        return "a bidirectional control";
    }
    return "a character that is not allowed";
}

} // namespace kv::formats
