#include "platform/qt/QtSecretStore.h"

#include <QDBusConnection>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace kv {

namespace {

// What a finished job said; shared with the job's signal so that an answer arriving after
// the wait gave up lands here and not in a finished call's frame.
struct Answer {
    bool finished = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QByteArray data;
};

SecretAnswer run(QKeychain::Job* job, int waitSeconds, bool readsData) {
    // Every store on this desktop (the Secret Service, KWallet) answers over the session
    // bus: without one, none can.
    if (!QDBusConnection::sessionBus().isConnected()) {
        delete job;
        return {SecretStatus::NoStore, {}, QStringLiteral("no session bus")};
    }
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    QObject::connect(
        job, &QKeychain::Job::finished, job, [answer, readsData, &loop](QKeychain::Job* j) {
            if (answer->finished) return;
            answer->finished = true;
            answer->error = j->error();
            answer->errorText = j->errorString();
            if (readsData && j->error() == QKeychain::NoError)
                answer->data = static_cast<QKeychain::ReadPasswordJob*>(j)->binaryData();
            loop.quit();
        });
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QTimer::singleShot(waitSeconds * 1000, &loop, &QEventLoop::quit);
    job->start();
    if (!answer->finished) loop.exec();
    // A late answer must not reach this frame's loop any more.
    if (!answer->finished) {
        QObject::disconnect(job, &QKeychain::Job::finished, job, nullptr);
        return {SecretStatus::NoStore, {}, QStringLiteral("no answer")};
    }
    SecretAnswer result;
    result.message = answer->errorText;
    switch (answer->error) {
    case QKeychain::NoError:
        result.status = SecretStatus::Ok;
        result.secret = answer->data;
        result.message.clear();
        break;
    case QKeychain::EntryNotFound:
        result.status = SecretStatus::NotFound;
        break;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        result.status = SecretStatus::NoStore;
        break;
    default:
        result.status = SecretStatus::Failed;
        break;
    }
    answer->data.fill('\0');
    return result;
}

} // namespace

QtSecretStore::QtSecretStore(QString service, int waitSeconds)
    : m_service(std::move(service)), m_waitSeconds(waitSeconds) {}

SecretAnswer QtSecretStore::read(const QString& key) {
    auto* job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    return run(job, m_waitSeconds, true);
}

SecretAnswer QtSecretStore::write(const QString& key, const QByteArray& secret) {
    auto* job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setBinaryData(secret);
    return run(job, m_waitSeconds, false);
}

SecretAnswer QtSecretStore::remove(const QString& key) {
    auto* job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    SecretAnswer answer = run(job, m_waitSeconds, false);
    if (answer.status == SecretStatus::NotFound) answer.status = SecretStatus::Ok;
    return answer;
}

} // namespace kv
