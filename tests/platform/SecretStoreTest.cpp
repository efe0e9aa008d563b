// The desktop secret store on a desktop where none answers (as on a build machine): the
// answer says so within the wait, and nothing is written anywhere in its place.

#include "platform/qt/QtSecretStore.h"

#include <QDirIterator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

TEST(QtSecretStore, WithNoStoreAnsweringNothingIsKeptAnywhere) {
    QTemporaryDir home;
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray previousData = qgetenv("XDG_DATA_HOME");
    const QByteArray previousBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus").toLocal8Bit());

    QtSecretStore store(QStringLiteral("KorvandaTest"), 5);
    const SecretAnswer written = store.write(QStringLiteral("mail/test"), "card 4929123456781234");
    EXPECT_EQ(written.status, SecretStatus::NoStore) << written.message.toStdString();
    const SecretAnswer read = store.read(QStringLiteral("mail/test"));
    EXPECT_EQ(read.status, SecretStatus::NoStore) << read.message.toStdString();
    EXPECT_TRUE(read.secret.isEmpty());

    QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    EXPECT_FALSE(it.hasNext()) << it.next().toStdString();

    qputenv("XDG_CONFIG_HOME", previousConfig);
    qputenv("XDG_DATA_HOME", previousData);
    qputenv("DBUS_SESSION_BUS_ADDRESS", previousBus);
}
