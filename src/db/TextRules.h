#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace kv::db {

// Text compares, sorts, seeks and stays unique without regard to case, for all of Unicode:
// both sides are case-folded (simple folding, per character) and then compared by code
// unit. The SQLite collation of that name is registered on every connection and declared
// on every text column; unique text indexes therefore treat "abc" and "ABC" as one key.
inline constexpr const char* kNoCaseCollation = "KVNOCASE";

// Compares two UTF-8 texts under the rule above: <0, 0 or >0. ASCII is compared in place;
// the first non-ASCII byte hands the rest of both texts to Qt's case folding.
int compareNoCase(const char* a, int aLength, const char* b, int bLength);
int compareNoCase(QStringView a, QStringView b);

// A compiled pattern of the Like operator: "*" any run of characters, "?" one character,
// "#" one digit, "[abc]" / "[a-z]" one of a set, "[!abc]" one not in the set; everything
// else (and a wildcard inside brackets) stands for itself, without regard to case.
class LikePattern {
public:
    // Empty when the pattern is malformed (a "[" without its "]").
    static std::optional<LikePattern> compile(QStringView pattern);
    bool matches(QStringView text) const;
    // The same for UTF-8 text as the database hands it over. Text that is all ASCII (the
    // usual case) is matched where it lies, without copying or folding it into a string:
    // the pattern is folded already, and an ASCII character folds to its lower case.
    bool matchesUtf8(const char* text, qsizetype length) const;

private:
    struct Token {
        enum Kind { Any, One, Digit, Set, Char } kind;
        char16_t ch = 0;
        bool negated = false;
        std::vector<std::pair<char16_t, char16_t>> ranges;
    };
    static bool matchOne(const Token& t, char16_t c);
    // The wildcard match over n folded characters, the k-th given by at(k).
    template <typename CharAt> bool matchFolded(qsizetype n, CharAt at) const;
    std::vector<Token> m_tokens;
};

} // namespace kv::db
