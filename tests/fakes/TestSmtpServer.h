#pragma once

// A real mail server on 127.0.0.1 for the mail tests (tests/shopping/smtp_server.py, run
// with the system's python3 and aiosmtpd), with a certificate made by openssl for the run.
// It is stopped on every way out of the test; every wait on it is bounded.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace kv::test {

class TestSmtpServer {
public:
    // The login the server takes.
    static QString user() { return QStringLiteral("buyer"); }
    static QString password() { return QStringLiteral("s3cret p@ss"); }

    // A self-signed certificate for 127.0.0.1 and localhost, made once per test program.
    struct Certificate {
        QString certFile, keyFile;
        bool ok = false;
    };
    static const Certificate& certificate() {
        static QTemporaryDir dir;
        static Certificate cert = [] {
            Certificate c;
            c.certFile = dir.filePath(QStringLiteral("cert.pem"));
            c.keyFile = dir.filePath(QStringLiteral("key.pem"));
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"),
                           QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                           QStringLiteral("-nodes"), QStringLiteral("-keyout"), c.keyFile,
                           QStringLiteral("-out"), c.certFile, QStringLiteral("-days"),
                           QStringLiteral("2"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                           QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1")});
            c.ok = openssl.waitForFinished(60000) && openssl.exitCode() == 0 &&
                   QFile::exists(c.certFile);
            return c;
        }();
        return cert;
    }

    // Starts the server in the given mode (see the script). started() tells whether it runs.
    explicit TestSmtpServer(const QString& mode) {
        m_record = m_dir.filePath(QStringLiteral("record.jsonl"));
        const Certificate& cert = certificate();
        if (!cert.ok) return;
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(KV_SOURCE_DIR "/tests/shopping/smtp_server.py"), mode,
                         m_record, cert.certFile, cert.keyFile});
        if (!m_process.waitForStarted(10000)) return;
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains('\n'); ++i) {
            if (!m_process.waitForReadyRead(200) && m_process.state() == QProcess::NotRunning)
                break;
            out += m_process.readAllStandardOutput();
        }
        if (out.startsWith("PORT ")) m_port = out.mid(5).trimmed().toInt();
    }
    ~TestSmtpServer() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    TestSmtpServer(const TestSmtpServer&) = delete;
    TestSmtpServer& operator=(const TestSmtpServer&) = delete;

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    QString caFile() const { return certificate().certFile; }
    // What the server wrote to stderr (for a failing test's message).
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

    // The events recorded so far of one kind ("auth", "mail", "line", "connection").
    std::vector<QJsonObject> events(const QString& kind) const {
        std::vector<QJsonObject> found;
        QFile f(m_record);
        if (!f.open(QIODevice::ReadOnly)) return found;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value(QStringLiteral("event")).toString() == kind) found.push_back(o);
        }
        return found;
    }
    // Every byte the server recorded, as one text (for "never sent" checks).
    QByteArray recordText() const {
        QFile f(m_record);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The data of each message taken, as received (dot-stuffing undone by the server).
    std::vector<QByteArray> messages() const {
        std::vector<QByteArray> out;
        for (const QJsonObject& o : events(QStringLiteral("mail")))
            out.push_back(
                QByteArray::fromBase64(o.value(QStringLiteral("data")).toString().toLatin1()));
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_record;
    QProcess m_process;
    int m_port = 0;
};

// Reading a received message back: its headers by name and its body decoded.
struct ReceivedMail {
    explicit ReceivedMail(const QByteArray& data) {
        const qsizetype split = data.indexOf("\r\n\r\n");
        raw = data;
        QByteArray head = data.left(split);
        body = split < 0 ? QByteArray() : data.mid(split + 4);
        // Unfold, then split into fields.
        head.replace("\r\n ", " ");
        for (const QByteArray& line : head.split('\n')) {
            const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
            const qsizetype colon = l.indexOf(':');
            if (colon > 0)
                headers.push_back({QString::fromLatin1(l.left(colon)),
                                   QString::fromUtf8(l.mid(colon + 1).trimmed())});
        }
    }
    QString header(const QString& name) const {
        for (const auto& [n, v] : headers)
            if (n.compare(name, Qt::CaseInsensitive) == 0) return v;
        return QString();
    }
    QStringList headerNames() const {
        QStringList names;
        for (const auto& h : headers)
            names << h.first;
        return names;
    }
    // The quoted-printable body decoded to text.
    QString text() const {
        QByteArray out;
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] == '=' && i + 2 < body.size() && body[i + 1] == '\r' &&
                body[i + 2] == '\n') {
                i += 2;
            } else if (body[i] == '=' && i + 2 < body.size()) {
                out += char(body.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                out += body[i];
            }
        }
        return QString::fromUtf8(out);
    }
    // An encoded header value ("=?UTF-8?B?...?=" words) decoded.
    static QString decodeWords(const QString& value) {
        QString out;
        for (const QString& word : value.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (word.startsWith(QLatin1String("=?UTF-8?B?")) && word.endsWith(QLatin1String("?=")))
                out += QString::fromUtf8(
                    QByteArray::fromBase64(word.mid(10, word.size() - 12).toLatin1()));
            else
                out += (out.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        return out;
    }

    QByteArray raw, body;
    std::vector<std::pair<QString, QString>> headers;
};

} // namespace kv::test
