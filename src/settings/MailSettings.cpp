#include "settings/MailSettings.h"

#include "platform/AppContext.h"
#include "settings/SettingsStore.h"

#include <QHash>
#include <QSet>

namespace kv {

namespace {

const QString kUseServer = QStringLiteral("Use Mail Server");
const QString kServer = QStringLiteral("Mail Server");
const QString kPort = QStringLiteral("Port");
const QString kSecurity = QStringLiteral("Security");
const QString kUserName = QStringLiteral("User Name");
const QString kAddress = QStringLiteral("E-mail Address");
const QString kCAFile = QStringLiteral("CA File");
const QString kTimeout = QStringLiteral("Timeout");

// Passwords given in this run, and the stored ones a server refused in this run. Held by
// the context, so nothing of it outlives the program (or a test).
struct MailRunSecrets {
    QHash<QString, QString> passwords;
    QSet<QString> refused;
};

MailRunSecrets& runSecrets() {
    return ctx().slot<MailRunSecrets>();
}

QString stored(const QString& key) {
    return GetSetting(settings::settingsApp(), kSectionMail, key, QString());
}

} // namespace

int Mail_Default_Port(MailSecurity security) {
    return security == MailSecurity::SslTls ? 465 : 587;
}

QString Mail_Security_Text(MailSecurity security) {
    return security == MailSecurity::SslTls ? QStringLiteral("SSL/TLS")
                                            : QStringLiteral("STARTTLS");
}

MailAccount Mail_Account_Load() {
    MailAccount a;
    bool useServer = false;
    a.useServer = bTextToBool(stored(kUseServer), useServer) && useServer;
    a.server = stored(kServer).trimmed();
    a.security =
        stored(kSecurity).trimmed().compare(QLatin1String("STARTTLS"), Qt::CaseInsensitive) == 0
            ? MailSecurity::StartTls
            : MailSecurity::SslTls;
    bool ok = false;
    const int port = stored(kPort).trimmed().toInt(&ok);
    a.port = ok && port > 0 && port < 65536 ? port : Mail_Default_Port(a.security);
    a.userName = stored(kUserName);
    a.address = stored(kAddress).trimmed();
    a.caFile = stored(kCAFile).trimmed();
    const int timeout = stored(kTimeout).trimmed().toInt(&ok);
    if (ok && timeout > 0) a.timeoutSeconds = timeout;
    return a;
}

bool Mail_Account_Save(const MailAccount& a) {
    bool ok = SaveSetting_Bool(kSectionMail, kUseServer, a.useServer);
    ok = ok && SaveSetting_Str(kSectionMail, kServer, a.server.trimmed());
    ok = ok && SaveSetting_Str(kSectionMail, kPort, QString::number(a.port));
    ok = ok && SaveSetting_Str(kSectionMail, kSecurity, Mail_Security_Text(a.security));
    ok = ok && SaveSetting_Str(kSectionMail, kUserName, a.userName);
    ok = ok && SaveSetting_Str(kSectionMail, kAddress, a.address.trimmed());
    return ok;
}

QString Mail_Secret_Key(const MailAccount& a) {
    return QStringLiteral("mail/%1@%2:%3")
        .arg(a.userName, a.server.trimmed().toLower())
        .arg(a.port);
}

bool Mail_Password_Find(const MailAccount& account, QString& password) {
    const QString key = Mail_Secret_Key(account);
    MailRunSecrets& run = runSecrets();
    if (auto it = run.passwords.constFind(key); it != run.passwords.constEnd()) {
        password = *it;
        return true;
    }
    if (run.refused.contains(key)) return false;
    ISecretStore* store = ctx().services.secrets.get();
    if (!store) return false;
    SecretAnswer answer = store->read(key);
    if (!answer.ok()) return false;
    password = QString::fromUtf8(answer.secret);
    answer.secret.fill('\0');
    return true;
}

void Mail_Password_Remember(const MailAccount& account, const QString& password) {
    const QString key = Mail_Secret_Key(account);
    runSecrets().passwords.insert(key, password);
    runSecrets().refused.remove(key);
}

PasswordKept Mail_Password_Keep(const MailAccount& account, const QString& password) {
    const QString key = Mail_Secret_Key(account);
    Mail_Password_Remember(account, password);
    ISecretStore* store = ctx().services.secrets.get();
    if (store) {
        QByteArray secret = password.toUtf8();
        const bool kept = store->write(key, secret).ok();
        secret.fill('\0');
        if (kept) return PasswordKept::SecretStore;
    }
    return PasswordKept::ThisRun;
}

void Mail_Password_Refused(const MailAccount& account) {
    const QString key = Mail_Secret_Key(account);
    runSecrets().passwords.remove(key);
    runSecrets().refused.insert(key);
}

} // namespace kv
