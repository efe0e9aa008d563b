#include "connections/WebAddress.h"

#include <QRegularExpression>

namespace kv {

namespace {

// Characters beyond the first plane come as surrogate pairs; lonelySurrogate checks those.
bool refusedCharacter(QChar c) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'\\') return true;
    if (c.isSurrogate()) return false;
    // Blanks, line breaks, and the invisible characters that turn text around or hide parts
    // of it (bidirectional overrides, zero-width joiners).
    switch (c.category()) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
        return true;
    default:
        return false;
    }
}

bool lonelySurrogate(const QString& t) {
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= t.size() || !t.at(i + 1).isLowSurrogate()) return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

bool blankAround(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// "www.example.com", "example.co.uk:8080/shop?x=1": labels of letters and digits with
// inner hyphens, at least one dot, a final label of letters.
const QRegularExpression& bareHost() {
    static const QRegularExpression re(
        QStringLiteral(R"(^(?:[\p{L}\p{N}](?:[\p{L}\p{N}-]*[\p{L}\p{N}])?\.)+\p{L}{2,}\.?)"
                       R"((?::\d{1,5})?(?:[/?#].*)?$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression& hostName() {
    static const QRegularExpression re(
        QStringLiteral(R"(^[\p{L}\p{N}](?:[\p{L}\p{N}-]*[\p{L}\p{N}])?)"
                       R"((?:\.[\p{L}\p{N}](?:[\p{L}\p{N}-]*[\p{L}\p{N}])?)*\.?$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression& schemePrefix() {
    static const QRegularExpression re(QStringLiteral(R"(^([A-Za-z][A-Za-z0-9+.\-]*):)"));
    return re;
}

bool webScheme(const QString& scheme) {
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

} // namespace

WebAddress webAddressFromText(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && blankAround(text.at(from)))
        ++from;
    while (to > from && blankAround(text.at(to - 1)))
        --to;
    const QString t = text.mid(from, to - from);
    if (t.isEmpty() || t.size() > kMaxWebAddressLength || t.startsWith(u'-')) return {};
    if (lonelySurrogate(t)) return {};
    for (QChar c : t)
        if (refusedCharacter(c)) return {};

    QString candidate;
    const QRegularExpressionMatch scheme = schemePrefix().match(t);
    if (scheme.hasMatch() && webScheme(scheme.captured(1))) {
        if (t.mid(scheme.capturedLength(0), 2) != QLatin1String("//")) return {};
        candidate = t;
    } else if (bareHost().match(t).hasMatch()) {
        candidate = QStringLiteral("http://") + t;
    } else {
        return {};
    }

    const QUrl url(candidate, QUrl::StrictMode);
    if (!url.isValid() || !webScheme(url.scheme())) return {};
    // "http://good.example@evil.example" goes to evil.example: a name before an "@" only
    // misleads.
    if (!url.userInfo().isEmpty() || url.authority(QUrl::FullyEncoded).contains(u'@')) return {};
    const QString host = url.host(QUrl::FullyDecoded);
    if (host.isEmpty()) return {};
    const bool ip6 = host.contains(u':');
    if (ip6 ? !QRegularExpression(QStringLiteral("^[0-9A-Fa-f:.]+$")).match(host).hasMatch()
            : !hostName().match(host).hasMatch())
        return {};
    const QString handed = url.toString(QUrl::FullyEncoded);
    if (!handed.startsWith(QLatin1String("http"), Qt::CaseInsensitive)) return {};
    return {true, url};
}

} // namespace kv
