#pragma once

#include "platform/Mail.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kv::mail {

// The text split into its lines: CR LF, a lone CR and a lone LF each end one line. A
// final line break does not start an empty last line.
QStringList textLines(const QString& text);

// Quoted-printable (RFC 2045) of the text as UTF-8, lines ended by CR LF and never longer
// than 76 characters. Blanks at the end of a line and "From " at its start are encoded, so
// no relay can change them.
QByteArray quotedPrintable(const QString& text);

// A header value that may hold any character: as it stands when it is printable ASCII,
// otherwise as RFC 2047 encoded words (UTF-8, base64), folded between words.
QByteArray encodedText(const QString& text);
// A display name before an address: plain, quoted, or encoded words.
QByteArray displayName(const QString& name);

// A complete RFC 5322 message (headers, an empty line, the quoted-printable body) with CR
// LF line ends. The caller has checked every header value (mailHeaderProblem and
// mailAddressProblem): none holds a line break.
QByteArray rfc5322Message(const OutgoingMail& mail, const QDateTime& date,
                          const QString& messageId);

// A new unique message identifier in the sender's domain ("<...@domain>").
QString newMessageId(const QString& fromAddress);

// The first problem with the message's header values, or "" when it can go.
QString messageProblem(const OutgoingMail& mail);

} // namespace kv::mail
