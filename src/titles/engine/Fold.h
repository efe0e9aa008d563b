#pragma once

// Keyword folding: how collectors' typing is compared with keywords.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace kv::title {

// NFKD, combining marks removed, case folded.
QString foldText(QStringView text);

// The folded form of UTF-8 text as UTF-8; ASCII takes a fast path with the same result.
std::string foldUtf8(std::string_view utf8);

bool isAscii(std::string_view s);

// A catalogue number as the catalogue-number wheel files it and compares typing with it:
// blanks and the punctuation " -./" left out, so that "CK 63628", "ck63628" and "CK-63628"
// are one keyword once folded. Wildcards pass through.
std::string compactCatalogueNumber(std::string_view utf8);
QString compactCatalogueNumber(QStringView text);
// The keywords of a release's catalogue-number field: its numbers (a release on several
// labels lists them joined with ", "), compacted, ASCII letters in capitals, without empty
// ones and without the "[r123]" stand-in a release without any number carries.
std::vector<std::string> catalogueNumberKeywords(std::string_view field);

// No character's folded form is longer than this many times the character's UTF-8 length
// (U+FDFA is the worst), so text shorter than a limit divided by it folds within the limit.
inline constexpr size_t kMaxFoldGrowth = 11;

// Byte offsets of the word starts in folded UTF-8 text: the first character, and every
// letter or number that follows a character that is neither.
std::vector<uint32_t> wordStarts(std::string_view folded);
// The first word start after `start` (itself 0 or a word start), or folded.size() when there
// is none; for walking the word starts without a list.
uint32_t nextWordStart(std::string_view folded, uint32_t start);

// A wildcard pattern folded piece by piece: literal runs are folded, `*` and `?` kept.
struct Pattern {
    enum Kind { Literal, Star, Any };
    struct Token {
        Kind kind;
        std::string text;
    };
    std::vector<Token> tokens;

    static Pattern parse(QStringView pattern);
    // The folded literal the pattern starts with ("" when it starts with a wildcard).
    std::string_view leadingLiteral() const;
    bool onlyStars() const;
    // True when the pattern is one literal followed by stars only.
    bool isPrefixOnly() const;
    // Whether the whole of `text` matches.
    bool matches(std::string_view text) const;
};

} // namespace kv::title
