#include "platform/mail/SmtpTransport.h"

#include "platform/mail/MimeMessage.h"
#include "platform/mail/WorkerWait.h"

#include <QDateTime>
#include <QUrl>
#include <cstring>
#include <curl/curl.h>
#include <deque>
#include <mutex>
#include <string>

namespace kv::mail {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What one transfer reads and what it hears back.
struct Transfer {
    QByteArray data;
    qsizetype offset = 0;
    // The server's reply lines, the latest last (a bounded number).
    std::deque<std::string> replies;
};

size_t readBody(char* buffer, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t room = size * count;
    const size_t left = size_t(t->data.size() - t->offset);
    const size_t n = std::min(room, left);
    std::memcpy(buffer, t->data.constData() + t->offset, n);
    t->offset += qsizetype(n);
    return n;
}

// Only the server's replies are kept: what we send (the login among it) is never looked at.
int hearReplies(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    if (type != CURLINFO_HEADER_IN) return 0;
    auto* t = static_cast<Transfer*>(user);
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    t->replies.push_back(line);
    if (t->replies.size() > 16) t->replies.pop_front();
    return 0;
}

// The last reply with an error code (4xx or 5xx), or "".
QString refusal(const Transfer& t) {
    for (auto it = t.replies.rbegin(); it != t.replies.rend(); ++it) {
        if (it->size() >= 3 && ((*it)[0] == '4' || (*it)[0] == '5') &&
            isdigit((unsigned char)(*it)[1]) && isdigit((unsigned char)(*it)[2])) {
            QString text =
                QString::fromUtf8(it->data(), qsizetype(std::min<size_t>(it->size(), 300)));
            for (QChar& c : text)
                if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
            return text.trimmed();
        }
    }
    return QString();
}

QString withAnswer(const QString& message, const QString& answer) {
    return answer.isEmpty() ? message
                            : message + QStringLiteral("\r\rThe server answered: ") + answer;
}

MailOutcome failed(const QString& message, MailOutcome::Status status = MailOutcome::Failed) {
    MailOutcome outcome;
    outcome.status = status;
    outcome.message = message;
    return outcome;
}

bool isAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0x7E) return false;
    return true;
}

// What a finished transfer means to the user: sent, or why not in words they can act on.
MailOutcome outcomeOf(CURLcode code, const QString& answer, const char* errorText,
                      const QString& server, int port, long timeout) {
    if (code == CURLE_OK) {
        MailOutcome outcome;
        outcome.status = MailOutcome::Sent;
        return outcome;
    }
    switch (code) {
    case CURLE_LOGIN_DENIED:
        return failed(
            withAnswer(
                QStringLiteral(
                    "The mail server refused your user name or password, so nothing was sent."),
                answer),
            MailOutcome::LoginRefused);
    case CURLE_USE_SSL_FAILED:
        return failed(withAnswer(
            QStringLiteral(
                "The mail server does not offer an encrypted connection (STARTTLS). Korvanda "
                "sends your password and your order only over an encrypted connection, so "
                "nothing was sent."),
            answer));
    case CURLE_OPERATION_TIMEDOUT:
        return failed(
            QStringLiteral(
                "The mail server did not answer within %1 seconds, so the message was not sent.")
                .arg(timeout));
    default:
        break;
    }
    if (!answer.isEmpty())
        return failed(withAnswer(
            QStringLiteral("The mail server refused the message, so it was not sent."), answer));
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return failed(QStringLiteral(
            "The mail server's certificate could not be verified, so nothing was sent to it."));
    case CURLE_SSL_CONNECT_ERROR:
        return failed(QStringLiteral(
            "No encrypted connection could be made with the mail server, so nothing was sent. "
            "Please check the port and the security in the mail settings."));
    case CURLE_COULDNT_RESOLVE_HOST:
        return failed(QStringLiteral("The mail server \"%1\" could not be found.").arg(server));
    case CURLE_COULDNT_CONNECT:
        return failed(QStringLiteral("The mail server %1 took no connection on port %2.")
                          .arg(server)
                          .arg(port));
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_WEIRD_SERVER_REPLY:
        return failed(QStringLiteral(
            "The connection to the mail server was lost before the message was sent."));
    default:
        return failed(QStringLiteral("The message could not be sent: %1.")
                          .arg(errorText[0] ? QString::fromUtf8(errorText)
                                            : QString::fromUtf8(curl_easy_strerror(code))));
    }
}

} // namespace

int boundedTimeout(int seconds) {
    return std::clamp(seconds, 1, 600);
}

SmtpTransport::SmtpTransport(MailAccount account) : m_account(std::move(account)) {
    initCurlOnce();
}

QString SmtpTransport::description() const {
    return QStringLiteral("Sent through the mail server %1, port %2 (%3).")
        .arg(m_account.server.trimmed())
        .arg(m_account.port)
        .arg(m_account.security == MailSecurity::SslTls ? QStringLiteral("SSL/TLS")
                                                        : QStringLiteral("STARTTLS"));
}

MailOutcome SmtpTransport::send(const OutgoingMail& mail, const QString& password) {
    if (const QString problem = messageProblem(mail); !problem.isEmpty()) return failed(problem);
    if (!isAscii(mail.to) || !isAscii(mail.fromAddress))
        return failed(
            QStringLiteral("The mail server cannot be given an address with accented letters. "
                           "Please use your desktop mail program for this shop."));
    const QString server = m_account.server.trimmed();
    if (server.isEmpty() || hasLineBreakOrNul(server) || server.contains(QLatin1Char(' ')) ||
        server.contains(QLatin1Char('/')))
        return failed(QStringLiteral("The mail server \"%1\" is not a server name. Please correct "
                                     "it in the mail settings.")
                          .arg(server));

    CURL* curl = curl_easy_init();
    if (!curl) return failed(QStringLiteral("The mail transport could not be started."));

    Transfer transfer;
    transfer.data =
        rfc5322Message(mail, QDateTime::currentDateTime(), newMessageId(mail.fromAddress));
    const QString host =
        server.contains(QLatin1Char(':')) ? QLatin1Char('[') + server + QLatin1Char(']') : server;
    const QByteArray url =
        (m_account.security == MailSecurity::SslTls ? QStringLiteral("smtps://%1:%2")
                                                    : QStringLiteral("smtp://%1:%2"))
            .arg(host)
            .arg(m_account.port)
            .toUtf8();
    const QByteArray from = "<" + mail.fromAddress.toUtf8() + ">";
    const QByteArray to = "<" + mail.to.toUtf8() + ">";
    const QByteArray user = m_account.userName.toUtf8();
    QByteArray secret = password.toUtf8();
    const QByteArray caFile = m_account.caFile.toLocal8Bit();
    const long timeout = boundedTimeout(m_account.timeoutSeconds);
    curl_slist* recipients = curl_slist_append(nullptr, to.constData());
    char errorText[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // TLS on every connection, or no connection: a server without STARTTLS is left before the
    // login or the message is sent.
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    if (!user.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, secret.constData());
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.data.size()));
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, hearReplies);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeout);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeout * 3);

    CURLcode code = CURLE_OK;
    runOnWorker([&] { code = curl_easy_perform(curl); });

    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    secret.fill('\0');

    return outcomeOf(code, refusal(transfer), errorText, server, m_account.port, timeout);
}

} // namespace kv::mail
