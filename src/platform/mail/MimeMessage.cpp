#include "platform/mail/MimeMessage.h"

#include <QUuid>

namespace kv::mail {

namespace {

constexpr int kMaxLine = 76;
// "=?UTF-8?B?" + base64 + "?=" stays within 75 characters with 45 bytes of text.
constexpr int kEncodedWordBytes = 45;

bool isPrintableAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return true;
}

void appendHeader(QByteArray& out, const char* name, const QByteArray& value) {
    out += name;
    out += ": ";
    out += value;
    out += "\r\n";
}

} // namespace

QStringList textLines(const QString& text) {
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << current;
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.isEmpty()) lines << current;
    return lines;
}

QByteArray quotedPrintable(const QString& text) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (const QString& line : textLines(text)) {
        const QByteArray bytes = line.toUtf8();
        int column = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            const bool last = i == bytes.size() - 1;
            bool literal = (b >= 33 && b <= 126 && b != '=') || ((b == ' ' || b == '\t') && !last);
            if (i == 0 && line.startsWith(QLatin1String("From "))) literal = false;
            QByteArray token;
            if (literal) {
                token = QByteArray(1, static_cast<char>(b));
            } else {
                token = "=";
                token += hex[b >> 4];
                token += hex[b & 0x0F];
            }
            // Room for the soft break's "=" at the end of a full line.
            if (column + token.size() > kMaxLine - 1) {
                out += "=\r\n";
                column = 0;
            }
            out += token;
            column += int(token.size());
        }
        out += "\r\n";
    }
    return out;
}

QByteArray encodedText(const QString& text) {
    if (isPrintableAscii(text)) return text.toLatin1();
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min<qsizetype>(start + kEncodedWordBytes, utf8.size());
        // Never split a character: back off over continuation bytes.
        while (end < utf8.size() && end > start &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (!out.isEmpty()) out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(start, end - start).toBase64() + "?=";
        start = end;
    }
    return out;
}

QByteArray displayName(const QString& name) {
    if (!isPrintableAscii(name)) return encodedText(name);
    static const QString atext = QStringLiteral("!#$%&'*+-/=?^_`{|}~ ");
    bool plain = true;
    for (QChar c : name)
        if (!c.isLetterOrNumber() && !atext.contains(c)) plain = false;
    if (plain) return name.toLatin1();
    QByteArray quoted = "\"";
    for (QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) quoted += '\\';
        quoted += c.toLatin1();
    }
    return quoted + "\"";
}

QString newMessageId(const QString& fromAddress) {
    QString domain = fromAddress.mid(fromAddress.lastIndexOf(QLatin1Char('@')) + 1);
    if (!fromAddress.contains(QLatin1Char('@')) || domain.isEmpty())
        domain = QStringLiteral("korvanda.invalid");
    return QStringLiteral("<%1@%2>").arg(QUuid::createUuid().toString(QUuid::WithoutBraces),
                                         domain);
}

QString messageProblem(const OutgoingMail& mail) {
    QString problem = mailAddressProblem(mail.to, QStringLiteral("The recipient's e-mail address"));
    if (problem.isEmpty() && !mail.fromAddress.isEmpty())
        problem = mailAddressProblem(mail.fromAddress, QStringLiteral("Your e-mail address"));
    if (problem.isEmpty()) problem = mailHeaderProblem(mail.fromName, QStringLiteral("Your name"));
    if (problem.isEmpty()) problem = mailHeaderProblem(mail.subject, QStringLiteral("The subject"));
    return problem;
}

QByteArray rfc5322Message(const OutgoingMail& mail, const QDateTime& date,
                          const QString& messageId) {
    QByteArray out;
    appendHeader(out, "Date", date.toString(Qt::RFC2822Date).toLatin1());
    const QByteArray from = mail.fromAddress.toUtf8();
    appendHeader(out, "From",
                 mail.fromName.trimmed().isEmpty()
                     ? from
                     : displayName(mail.fromName.trimmed()) + " <" + from + ">");
    appendHeader(out, "To", mail.to.toUtf8());
    appendHeader(out, "Subject", encodedText(mail.subject));
    appendHeader(out, "Message-ID", messageId.toLatin1());
    appendHeader(out, "MIME-Version", "1.0");
    appendHeader(out, "Content-Type", "text/plain; charset=UTF-8");
    appendHeader(out, "Content-Transfer-Encoding", "quoted-printable");
    out += "\r\n";
    out += quotedPrintable(mail.text);
    return out;
}

} // namespace kv::mail
