#include "shopping/CardSeal.h"

#include "formats/Files.h"
#include "platform/AppContext.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kv {

namespace {

constexpr char16_t kDenseBase = 0x4E00;
constexpr int kDenseBits = 14;
constexpr quint32 kDenseMask = (1u << kDenseBits) - 1;
constexpr int kKeyBytes = crypto_secretbox_KEYBYTES;
const QByteArray kKeyFileMagic = QByteArrayLiteral("KORVANDA-CARD-KEY 1\n");
// A key file is a line of magic and a line of base64; anything longer is not one of ours.
constexpr qint64 kKeyFileMaxBytes = 256;

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// A key wiped from memory when it goes.
struct Key {
    QByteArray bytes;
    Key() = default;
    explicit Key(QByteArray b) : bytes(std::move(b)) {}
    Key(const Key&) = default;
    Key& operator=(const Key&) = default;
    ~Key() {
        if (!bytes.isEmpty() && bytes.isDetached()) sodium_memzero(bytes.data(), size_t(bytes.size()));
    }
    bool valid() const { return bytes.size() == kKeyBytes; }
};

// The keys found, in the order they are tried: the secret store's, then the key file's.
// The first one seals. They are read when needed and not kept: a key the user removes or
// a keyring that comes back counts at once.
struct CardKeys {
    std::vector<Key> keys;
    QString whyNone; // why no key was found, for the user
};

QString denseEncode(const QByteArray& bytes) {
    QString out;
    quint32 acc = 0;
    int bits = 0;
    for (const char c : bytes) {
        acc = (acc << 8) | quint8(c);
        bits += 8;
        while (bits >= kDenseBits) {
            bits -= kDenseBits;
            out += QChar(char16_t(kDenseBase + ((acc >> bits) & kDenseMask)));
        }
        acc &= (1u << bits) - 1;
    }
    if (bits > 0) out += QChar(char16_t(kDenseBase + ((acc << (kDenseBits - bits)) & kDenseMask)));
    return out;
}

bool denseDecode(QStringView text, QByteArray& bytes) {
    quint32 acc = 0;
    int bits = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < kDenseBase || u > kDenseBase + kDenseMask) return false;
        acc = (acc << kDenseBits) | quint32(u - kDenseBase);
        bits += kDenseBits;
        while (bits >= 8) {
            bits -= 8;
            bytes += char((acc >> bits) & 0xFF);
        }
        acc &= (1u << bits) - 1;
    }
    return true;
}

QString errnoText(int e) {
    return QString::fromLocal8Bit(std::strerror(e));
}

// Reads the key file: true with the key, or false with why not ("" when there is none).
bool readKeyFile(Key& key, QString& why) {
    const QString path = Card_Key_File();
    if (!QFileInfo::exists(path)) return false;
    QString reason;
    const int fd = formats::openRegularFile(path, &reason);
    if (fd < 0) {
        why = QStringLiteral("the key file %1 cannot be read (%2)").arg(path, reason);
        return false;
    }
    // Only the user may read it: a key file others can read is taken back to that.
    struct stat st {};
    if (fstat(fd, &st) == 0 && (st.st_mode & 077)) fchmod(fd, S_IRUSR | S_IWUSR);
    QByteArray text(kKeyFileMaxBytes + 1, '\0');
    qint64 got = 0;
    for (;;) {
        const ssize_t n = ::read(fd, text.data() + got, size_t(text.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
        if (got >= text.size()) break;
    }
    ::close(fd);
    text.truncate(int(got));
    Key found;
    if (got <= kKeyFileMaxBytes && text.startsWith(kKeyFileMagic)) {
        QByteArray line = text.mid(kKeyFileMagic.size()).trimmed();
        const auto decoded = QByteArray::fromBase64Encoding(line, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded) found = Key(*decoded);
        sodium_memzero(line.data(), size_t(line.size()));
    }
    sodium_memzero(text.data(), size_t(text.size()));
    if (!found.valid()) {
        why = QStringLiteral("the key file %1 is damaged").arg(path);
        return false;
    }
    key = found;
    return true;
}

// Writes a new key file, readable by the user alone from the moment it exists, whole or not
// at all (written beside it, synced, renamed into place).
bool writeKeyFile(const Key& key, QString& why) {
    const QString path = Card_Key_File();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        why = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return false;
    }
    QByteArray temp = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    const int fd = mkstemp(temp.data()); // mode 0600
    if (fd < 0) {
        why = QStringLiteral("the key file %1 cannot be written (%2)").arg(path, errnoText(errno));
        return false;
    }
    QByteArray text = kKeyFileMagic + key.bytes.toBase64() + '\n';
    bool ok = true;
    for (qsizetype done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    int e = ok ? 0 : errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        e = errno;
    }
    ::close(fd);
    sodium_memzero(text.data(), size_t(text.size()));
    if (ok && ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        why = QStringLiteral("the key file %1 cannot be written (%2)").arg(path, errnoText(e));
        return false;
    }
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

QString storeReason(const SecretAnswer& answer) {
    switch (answer.status) {
    case SecretStatus::NoStore:
        return QStringLiteral("no keyring answers on this desktop");
    case SecretStatus::Failed:
        return QStringLiteral("the keyring refused: %1").arg(answer.message);
    default:
        return QString();
    }
}

CardKeys loadKeys() {
    CardKeys s;
    QStringList reasons;
    if (ISecretStore* store = ctx().services.secrets.get()) {
        SecretAnswer answer = store->read(kCardKeyName);
        if (answer.ok()) {
            Key k(answer.secret);
            if (k.valid())
                s.keys.push_back(k);
            else
                reasons << QStringLiteral("the keyring holds a damaged key");
        } else if (answer.status != SecretStatus::NotFound) {
            reasons << storeReason(answer);
        }
        if (!answer.secret.isEmpty()) sodium_memzero(answer.secret.data(), size_t(answer.secret.size()));
    }
    Key fileKey;
    QString why;
    if (readKeyFile(fileKey, why))
        s.keys.push_back(fileKey);
    else if (!why.isEmpty())
        reasons << why;
    if (s.keys.empty())
        s.whyNone = reasons.isEmpty() ? QStringLiteral("no key was found in your keyring or in %1")
                                            .arg(Card_Key_File())
                                      : reasons.join(QStringLiteral("; "));
    return s;
}

// The key that seals: the first one found, or a new one kept in the secret store or, when
// none takes it, in the key file. A key file that exists but cannot be read is never
// replaced: values sealed with it may still be opened once it can.
bool sealingKey(Key& key, QString& why) {
    const CardKeys s = loadKeys();
    if (!s.keys.empty()) {
        key = s.keys.front();
        return true;
    }
    if (!sodiumReady()) {
        why = QStringLiteral("the encryption library could not start");
        return false;
    }
    Key fresh(QByteArray(kKeyBytes, '\0'));
    randombytes_buf(fresh.bytes.data(), size_t(kKeyBytes));
    bool kept = false;
    if (ISecretStore* store = ctx().services.secrets.get()) kept = store->write(kCardKeyName, fresh.bytes).ok();
    if (!kept) {
        if (QFileInfo::exists(Card_Key_File())) {
            why = s.whyNone;
            return false;
        }
        if (!writeKeyFile(fresh, why)) return false;
    }
    key = fresh;
    return true;
}

} // namespace

bool isSealedCard(const QString& stored) {
    return stored.startsWith(kSealedCardPrefix);
}

QString Card_Key_File() {
    QString folder = ctx().userDataFolder;
    if (folder.isEmpty()) folder = QDir::homePath();
    return QDir(folder).filePath(kCardKeyFileName);
}

bool Card_Seal(const QString& number, QString& stored, QString& why) {
    stored.clear();
    if (number.isEmpty()) return true;
    QByteArray plain = number.toUtf8();
    if (plain.size() > kMaxSealedCardBytes) {
        sodium_memzero(plain.data(), size_t(plain.size()));
        why = QStringLiteral("the card number is longer than %1 characters").arg(kMaxSealedCardBytes);
        return false;
    }
    Key key;
    if (!sealingKey(key, why)) {
        sodium_memzero(plain.data(), size_t(plain.size()));
        return false;
    }
    const int boxed = crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + int(plain.size());
    QByteArray blob(1 + boxed, '\0');
    blob[0] = char(boxed);
    auto* nonce = reinterpret_cast<unsigned char*>(blob.data() + 1);
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(plain.constData()),
                          quint64(plain.size()), nonce,
                          reinterpret_cast<const unsigned char*>(key.bytes.constData()));
    sodium_memzero(plain.data(), size_t(plain.size()));
    stored = kSealedCardPrefix + denseEncode(blob);
    return true;
}

bool Card_Open(const QString& stored, QString& number, QString& why) {
    number.clear();
    if (!isSealedCard(stored)) {
        number = stored;
        return true;
    }
    QByteArray blob;
    const bool decoded = denseDecode(QStringView(stored).mid(kSealedCardPrefix.size()), blob);
    const int boxed = blob.isEmpty() ? 0 : quint8(blob[0]);
    const int overhead = crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES;
    if (!decoded || boxed < overhead || blob.size() < 1 + boxed) {
        why = QStringLiteral("the stored value is damaged");
        return false;
    }
    if (!sodiumReady()) {
        why = QStringLiteral("the encryption library could not start");
        return false;
    }
    const CardKeys s = loadKeys();
    if (s.keys.empty()) {
        why = s.whyNone;
        return false;
    }
    const auto* nonce = reinterpret_cast<const unsigned char*>(blob.constData() + 1);
    QByteArray plain(boxed - overhead, '\0');
    for (const Key& key : s.keys) {
        if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                       nonce + crypto_secretbox_NONCEBYTES,
                                       quint64(boxed - crypto_secretbox_NONCEBYTES), nonce,
                                       reinterpret_cast<const unsigned char*>(key.bytes.constData())) == 0) {
            number = QString::fromUtf8(plain);
            sodium_memzero(plain.data(), size_t(plain.size()));
            return true;
        }
    }
    why = QStringLiteral("the key found does not open it (it was sealed with another key, or it is damaged)");
    return false;
}

QString Card_Masked(const QString& number) {
    int digitsLeft = 0;
    for (const QChar c : number)
        if (c.isDigit()) ++digitsLeft;
    QString masked = number;
    for (QChar& c : masked) {
        if (!c.isDigit()) continue;
        if (digitsLeft-- > 4) c = QChar(0x2022);
    }
    return masked;
}

} // namespace kv
