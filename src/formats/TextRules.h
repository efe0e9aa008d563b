#pragma once

// Rules for text that ends up in titles and the database: well-formed UTF-8, and no
// characters that break a line or reorder what the reader sees.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kv::formats {

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view s);

struct TextProblem {
    enum Kind { Control, LineSeparator, BidiControl };
    Kind kind;
    char32_t codePoint;
};

// The first character that may not stand in a one-line text field of valid UTF-8: C0 and C1
// control characters and DEL (tab and line breaks among them), the line and paragraph
// separators U+2028 and U+2029, and the bidirectional controls (U+061C, U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069), which would let a field reorder the text around it.
std::optional<TextProblem> textProblem(std::string_view utf8);

// "a control character (U+0009)" and the like, for messages.
const char* describe(TextProblem::Kind kind);

} // namespace kv::formats
