#include "db/Workgroup.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "db/Files.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QSaveFile>

namespace kv::db {

namespace {

const QByteArray kMagic = QByteArrayLiteral("KORVANDA-WORKGROUP 1");
constexpr qint64 kMaxFileSize = 64 * 1024;
constexpr int kMinIterations = 1000;
constexpr int kMaxIterations = 10000000;

[[noreturn]] void notWorkgroup(const QString& path) {
    raiseError(err::NotAWorkgroupFile,
               QStringLiteral("The file '%1' is not a workgroup information file").arg(path));
}

QByteArray checksumOf(const QByteArray& body) {
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
}

} // namespace

QByteArray WorkgroupFile::pbkdf2(const QByteArray& password, const QByteArray& salt,
                                 int iterations) {
    // One 32-byte block of PBKDF2 (RFC 8018) with HMAC-SHA256.
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArrayLiteral("\x00\x00\x00\x01"));
    QByteArray u = mac.result();
    QByteArray out = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int k = 0; k < out.size(); ++k)
            out[k] = char(out[k] ^ u[k]);
    }
    return out;
}

WorkgroupFile WorkgroupFile::read(const QString& path) {
    QByteArray data;
    switch (readRegularFile(path, kMaxFileSize, data)) {
    case ReadProblem::None:
        break;
    case ReadProblem::Missing:
    case ReadProblem::Unreadable:
        raiseError(
            err::WorkgroupFileMissing,
            QStringLiteral("The workgroup information file '%1' is missing or cannot be read")
                .arg(path));
    case ReadProblem::NotRegular:
        raiseError(err::NotAWorkgroupFile,
                   QStringLiteral("The file '%1' is not a workgroup information file: it is %2")
                       .arg(path, notRegularFile(path)));
    case ReadProblem::TooLarge:
        notWorkgroup(path);
    }
    return parse(data, path);
}

WorkgroupFile WorkgroupFile::parse(const QByteArray& data, const QString& path) {
    if (data.size() > kMaxFileSize || !data.endsWith('\n')) notWorkgroup(path);
    QList<QByteArray> lines = data.left(data.size() - 1).split('\n');
    if (lines.size() < 3 || lines.front() != kMagic) notWorkgroup(path);
    // The last line is the checksum of everything before it.
    const QByteArray last = lines.back();
    const QByteArray body = data.left(data.size() - last.size() - 1);
    if (!last.startsWith("checksum ") || last.mid(9) != checksumOf(body)) notWorkgroup(path);
    WorkgroupFile wg;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> parts = lines[i].split(' ');
        if (parts.size() != 6 || parts[0] != "account" || parts[2] != "pbkdf2-sha256")
            notWorkgroup(path);
        WorkgroupAccount a;
        bool ok = false;
        const auto user =
            QByteArray::fromBase64Encoding(parts[1], QByteArray::AbortOnBase64DecodingErrors);
        a.iterations = parts[3].toInt(&ok);
        const auto salt =
            QByteArray::fromBase64Encoding(parts[4], QByteArray::AbortOnBase64DecodingErrors);
        const auto hash =
            QByteArray::fromBase64Encoding(parts[5], QByteArray::AbortOnBase64DecodingErrors);
        if (!ok || !user || !salt || !hash || a.iterations < kMinIterations ||
            a.iterations > kMaxIterations || salt.decoded.size() < 16 || salt.decoded.size() > 64 ||
            hash.decoded.size() != 32 || user.decoded.isEmpty())
            notWorkgroup(path);
        a.user = QString::fromUtf8(user.decoded);
        a.salt = salt.decoded;
        a.hash = hash.decoded;
        wg.m_accounts.push_back(std::move(a));
    }
    if (wg.m_accounts.empty()) notWorkgroup(path);
    return wg;
}

void WorkgroupFile::write(const QString& path) const {
    QByteArray body = kMagic + '\n';
    for (const WorkgroupAccount& a : m_accounts) {
        body += "account " + a.user.toUtf8().toBase64() + " pbkdf2-sha256 " +
                QByteArray::number(a.iterations) + ' ' + a.salt.toBase64() + ' ' +
                a.hash.toBase64() + '\n';
    }
    const QByteArray data = body + "checksum " + checksumOf(body) + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        raiseError(err::PathFileAccessError,
                   QStringLiteral("Cannot write the workgroup file '%1'").arg(path));
}

void WorkgroupFile::addAccount(const QString& user, const QString& password, int iterations) {
    WorkgroupAccount a;
    a.user = user;
    a.iterations = iterations;
    a.salt.resize(16);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(a.salt.data()),
                                         reinterpret_cast<quint32*>(a.salt.data() + a.salt.size()));
    a.hash = pbkdf2(password.toUtf8(), a.salt, iterations);
    m_accounts.push_back(std::move(a));
}

bool WorkgroupFile::verify(const QString& user, const QString& password) const {
    const QString key = user.toCaseFolded();
    for (const WorkgroupAccount& a : m_accounts) {
        if (a.user.toCaseFolded() != key) continue;
        const QByteArray h = pbkdf2(password.toUtf8(), a.salt, a.iterations);
        unsigned char diff = 0;
        for (qsizetype k = 0; k < h.size(); ++k)
            diff |= static_cast<unsigned char>(h[k] ^ a.hash[k]);
        return diff == 0;
    }
    return false;
}

} // namespace kv::db
