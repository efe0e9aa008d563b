#include "titles/engine/Fold.h"

#include <QChar>
#include <algorithm>

namespace kv::title {

namespace {

bool isCombining(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// Decodes one code point of valid UTF-8 at s[i], advancing i.
char32_t decode(std::string_view s, size_t& i) {
    const uint8_t b = uint8_t(s[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    char32_t c = b & (0x3F >> n);
    ++i;
    while (n-- > 0 && i < s.size())
        c = (c << 6) | (uint8_t(s[i++]) & 0x3F);
    return c;
}

bool isWordChar(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return QChar::isLetterOrNumber(c);
}

} // namespace

namespace {

constexpr bool isCatalogueFiller(char32_t c) {
    return c == ' ' || c == '-' || c == '.' || c == '/';
}

// "[r" digits "]": what a release without a number of its own is called.
bool isReleaseStandIn(std::string_view s) {
    if (s.size() < 4 || s.substr(0, 2) != "[r" || s.back() != ']') return false;
    for (char c : s.substr(2, s.size() - 3))
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string compactCatalogueNumber(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8)
        if (!isCatalogueFiller(char32_t(uint8_t(c)))) out += c;
    return out;
}

QString compactCatalogueNumber(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isCatalogueFiller(c.unicode())) out += c;
    return out;
}

std::vector<std::string> catalogueNumberKeywords(std::string_view field) {
    std::vector<std::string> out;
    while (!field.empty()) {
        const size_t comma = field.find(", ");
        const std::string_view one = field.substr(0, comma);
        field = comma == std::string_view::npos ? std::string_view() : field.substr(comma + 2);
        std::string k = compactCatalogueNumber(one);
        if (k.empty() || isReleaseStandIn(k)) continue;
        // Numbers are printed in capitals; spellings that differ only in case are one keyword.
        for (char& c : k)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (std::find(out.begin(), out.end(), k) == out.end()) out.push_back(std::move(k));
    }
    return out;
}

QString foldText(QStringView text) {
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        char32_t c = decomposed[i].unicode();
        qsizetype units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < decomposed.size() &&
            decomposed[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(decomposed[i], decomposed[i + 1]);
            units = 2;
        }
        if (!isCombining(c)) kept.append(decomposed.mid(i, units));
        i += units - 1;
    }
    return kept.toCaseFolded();
}

bool isAscii(std::string_view s) {
    for (char ch : s)
        if (uint8_t(ch) >= 0x80) return false;
    return true;
}

std::string foldUtf8(std::string_view utf8) {
    if (isAscii(utf8)) {
        std::string out(utf8);
        for (char& ch : out)
            if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
        return out;
    }
    return foldText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))).toStdString();
}

std::vector<uint32_t> wordStarts(std::string_view folded) {
    std::vector<uint32_t> starts;
    for (uint32_t s = 0; s < folded.size(); s = nextWordStart(folded, s))
        starts.push_back(s);
    return starts;
}

uint32_t nextWordStart(std::string_view folded, uint32_t start) {
    size_t i = start;
    if (i >= folded.size()) return uint32_t(folded.size());
    bool prevWord = isWordChar(decode(folded, i));
    while (i < folded.size()) {
        const size_t at = i;
        const bool word = isWordChar(decode(folded, i));
        if (word && !prevWord) return uint32_t(at);
        prevWord = word;
    }
    return uint32_t(folded.size());
}

Pattern Pattern::parse(QStringView pattern) {
    Pattern p;
    QString literal;
    auto flush = [&] {
        if (literal.isEmpty()) return;
        const std::string folded = foldText(literal).toStdString();
        if (!p.tokens.empty() && p.tokens.back().kind == Literal)
            p.tokens.back().text += folded;
        else if (!folded.empty())
            p.tokens.push_back({Literal, folded});
        literal.clear();
    };
    for (QChar ch : pattern) {
        if (ch == u'*' || ch == u'?') {
            flush();
            if (ch == u'*' && !p.tokens.empty() && p.tokens.back().kind == Star) continue;
            p.tokens.push_back({ch == u'*' ? Star : Any, {}});
        } else {
            literal.append(ch);
        }
    }
    flush();
    return p;
}

std::string_view Pattern::leadingLiteral() const {
    if (tokens.empty() || tokens.front().kind != Literal) return {};
    return tokens.front().text;
}

bool Pattern::onlyStars() const {
    return !tokens.empty() && tokens.size() == 1 && tokens.front().kind == Star;
}

bool Pattern::isPrefixOnly() const {
    return tokens.size() == 2 && tokens[0].kind == Literal && tokens[1].kind == Star;
}

bool Pattern::matches(std::string_view text) const {
    // Classic greedy matcher with one backtrack point per star: O(text × pattern) worst case,
    // never exponential. A star followed by a literal jumps to the literal's next occurrence
    // (a byte search is exact here: a literal starts with a lead byte, which never occurs
    // inside a character of valid UTF-8).
    size_t ti = 0, tk = 0;
    size_t starTk = SIZE_MAX, starTi = 0;
    auto seekAfterStar = [&] {
        if (tk >= tokens.size() || tokens[tk].kind != Literal) return true;
        const size_t at = text.find(tokens[tk].text, ti);
        if (at == std::string_view::npos) return false;
        starTi = ti = at;
        return true;
    };
    while (ti < text.size() || tk < tokens.size()) {
        if (tk < tokens.size()) {
            const Token& t = tokens[tk];
            if (t.kind == Star) {
                starTk = tk++;
                starTi = ti;
                if (tk == tokens.size()) return true;
                if (!seekAfterStar()) return false;
                continue;
            }
            if (t.kind == Any && ti < text.size()) {
                decode(text, ti);
                ++tk;
                continue;
            }
            if (t.kind == Literal && text.substr(ti, t.text.size()) == t.text) {
                ti += t.text.size();
                ++tk;
                continue;
            }
        }
        if (starTk == SIZE_MAX || starTi >= text.size()) return false;
        decode(text, starTi);
        ti = starTi;
        tk = starTk + 1;
        if (!seekAfterStar()) return false;
    }
    return true;
}

} // namespace kv::title
