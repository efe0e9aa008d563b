#include "platform/Mail.h"

namespace kv {

namespace {

QString lowerFirst(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toLower();
    return text;
}

QString lineBreakProblem(const QString& value, const QString& whose) {
    return QStringLiteral(
               "%1 \"%2\" holds a line break. It must stand on one line: please correct it.")
        .arg(whose, QString(value).replace(QLatin1Char('\0'), QLatin1Char(' ')).simplified());
}

} // namespace

bool hasLineBreakOrNul(const QString& text) {
    for (QChar c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\0')) return true;
    return false;
}

QString mailHeaderProblem(const QString& value, const QString& whose) {
    return hasLineBreakOrNul(value) ? lineBreakProblem(value, whose) : QString();
}

QString mailAddressProblem(const QString& address, const QString& whose) {
    if (address.trimmed().isEmpty())
        return QStringLiteral("Please enter %1.").arg(lowerFirst(whose));
    if (hasLineBreakOrNul(address)) return lineBreakProblem(address, whose);
    // A plain local@domain: nothing that would end the address early in a header, in the
    // envelope or in the desktop mail program's arguments (which read "-..." as an option
    // and "mailto:..." as a ready-made link).
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    bool ok = at > 0 && at < address.size() - 1 && !address.startsWith(QLatin1Char('-')) &&
              !address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
    for (QChar c : address) {
        if (c.isSpace() || c.category() == QChar::Other_Control ||
            QStringLiteral("<>()[],;:\"\\").contains(c))
            ok = false;
    }
    const QString domain = address.mid(at + 1);
    if (domain.startsWith(QLatin1Char('.')) || domain.endsWith(QLatin1Char('.')) ||
        address.indexOf(QLatin1Char('@')) != at || domain.contains(QLatin1String("..")))
        ok = false;
    if (ok) return QString();
    return QStringLiteral("%1 \"%2\" is not an e-mail address Korvanda can send to.")
        .arg(whose, address);
}

} // namespace kv
