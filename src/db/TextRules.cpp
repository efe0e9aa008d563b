#include "db/TextRules.h"

namespace kv::db {

namespace {

inline unsigned char asciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

} // namespace

int compareNoCase(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive);
}

int compareNoCase(const char* a, int aLength, const char* b, int bLength) {
    const int common = aLength < bLength ? aLength : bLength;
    int i = 0;
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) & 0x80) break;
        const unsigned char la = asciiLower(ca), lb = asciiLower(cb);
        if (la != lb) return la < lb ? -1 : 1;
    }
    if (i == common) return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
    // The equal ASCII prefix folds to itself, so comparing the rest decides.
    const QString ra = QString::fromUtf8(a + i, aLength - i);
    const QString rb = QString::fromUtf8(b + i, bLength - i);
    const int r = ra.compare(rb, Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::optional<LikePattern> LikePattern::compile(QStringView pattern) {
    LikePattern p;
    const QString folded = pattern.toString().toCaseFolded();
    const qsizetype n = folded.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = folded.at(i);
        Token t;
        if (c == u'*') {
            // Runs of "*" mean the same as one.
            if (!p.m_tokens.empty() && p.m_tokens.back().kind == Token::Any) continue;
            t.kind = Token::Any;
        } else if (c == u'?') {
            t.kind = Token::One;
        } else if (c == u'#') {
            t.kind = Token::Digit;
        } else if (c == u'[') {
            const qsizetype close = folded.indexOf(u']', i + 1);
            if (close < 0) return std::nullopt;
            qsizetype j = i + 1;
            t.kind = Token::Set;
            if (j < close && folded.at(j) == u'!') {
                t.negated = true;
                ++j;
            }
            for (; j < close; ++j) {
                const char16_t from = folded.at(j).unicode();
                if (j + 2 < close && folded.at(j + 1) == u'-') {
                    const char16_t to = folded.at(j + 2).unicode();
                    if (to < from) return std::nullopt;
                    t.ranges.emplace_back(from, to);
                    j += 2;
                } else {
                    t.ranges.emplace_back(from, from);
                }
            }
            // "[]" matches nothing in the original engine's sense of an empty set: it
            // stands for the empty string, so it is simply dropped.
            i = close;
            if (t.ranges.empty() && !t.negated) continue;
        } else {
            t.kind = Token::Char;
            t.ch = c.unicode();
        }
        p.m_tokens.push_back(std::move(t));
    }
    return p;
}

bool LikePattern::matchOne(const Token& t, char16_t c) {
    switch (t.kind) {
    case Token::One:
        return true;
    case Token::Digit:
        return c >= u'0' && c <= u'9';
    case Token::Char:
        return c == t.ch;
    case Token::Set: {
        bool in = false;
        for (const auto& [from, to] : t.ranges)
            if (c >= from && c <= to) {
                in = true;
                break;
            }
        return in != t.negated;
    }
    case Token::Any:
        break;
    }
    return false;
}

template <typename CharAt> bool LikePattern::matchFolded(qsizetype n, CharAt at) const {
    const auto m = static_cast<qsizetype>(m_tokens.size());
    qsizetype ti = 0, pi = 0, starP = -1, starT = 0;
    // Every token but "*" takes exactly one character, so going back to the last "*" and
    // letting it take one more character is enough.
    while (ti < n) {
        if (pi < m && m_tokens[pi].kind == Token::Any) {
            starP = pi++;
            starT = ti;
        } else if (pi < m && matchOne(m_tokens[pi], at(ti))) {
            ++pi;
            ++ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < m && m_tokens[pi].kind == Token::Any)
        ++pi;
    return pi == m;
}

bool LikePattern::matches(QStringView text) const {
    const QString folded = text.toString().toCaseFolded();
    return matchFolded(folded.size(), [&](qsizetype k) { return folded.at(k).unicode(); });
}

bool LikePattern::matchesUtf8(const char* text, qsizetype length) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (qsizetype k = 0; k < length; ++k)
        if (bytes[k] & 0x80)
            return matches(QString::fromUtf8(text, length));
    return matchFolded(length, [bytes](qsizetype k) { return char16_t(asciiLower(bytes[k])); });
}

} // namespace kv::db
