// The card number at rest: sealed into the 50 characters of its field with a key kept in
// the secret store or in a user-only key file, and what happens when the key is missing,
// another one or damaged.

#include "fakes/FakeMail.h"
#include "fakes/Fakes.h"
#include "shopping/CardSeal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kv;
using namespace kv::test;

namespace {

const QString kNumber = QStringLiteral("4929 1234 5678 9012");

// One run of the program: its own context, with the secret store given (none for a
// desktop without one) and the per-user data folder of the test.
struct ProgramRun {
    explicit ProgramRun(const QString& userFolder, FakeSecretStore* store) {
        t.ctx().userDataFolder = userFolder;
        t.ctx().services.secrets.reset(store);
    }
    TestContext t;
};

class CardSealTest : public ::testing::Test {
protected:
    QString userFolder() const { return dir.filePath(QStringLiteral("user")); }
    QString keyFile() const { return QDir(userFolder()).filePath(kCardKeyFileName); }
    QTemporaryDir dir;
};

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool hasDigit(const QString& s) {
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

TEST_F(CardSealTest, ASealedNumberFitsItsFieldHoldsNoDigitAndOpensAgain) {
    auto* store = new FakeSecretStore;
    ProgramRun run(userFolder(), store);
    QString sealed, again, why;
    ASSERT_TRUE(Card_Seal(kNumber, sealed, why)) << why.toStdString();
    EXPECT_TRUE(isSealedCard(sealed));
    EXPECT_LE(sealed.size(), 50) << "the field holds 50 characters";
    EXPECT_FALSE(hasDigit(sealed));
    ASSERT_TRUE(Card_Seal(kNumber, again, why));
    EXPECT_NE(sealed, again) << "each seal has its own nonce";

    QString number;
    ASSERT_TRUE(Card_Open(sealed, number, why)) << why.toStdString();
    EXPECT_EQ(number, kNumber);
    // The key went to the secret store, and nowhere else.
    EXPECT_EQ(store->secrets.value(kCardKeyName).size(), 32);
    EXPECT_FALSE(QFile::exists(keyFile()));

    // The longest number that fits, and one beyond it.
    const QString longest(kMaxSealedCardBytes, u'7');
    ASSERT_TRUE(Card_Seal(longest, sealed, why));
    EXPECT_LE(sealed.size(), 50);
    ASSERT_TRUE(Card_Open(sealed, number, why));
    EXPECT_EQ(number, longest);
    EXPECT_FALSE(Card_Seal(longest + u'7', sealed, why));
    EXPECT_TRUE(why.contains(QStringLiteral("longer than 39"))) << why.toStdString();
    EXPECT_TRUE(sealed.isEmpty());
    // Nothing to seal stays nothing.
    EXPECT_TRUE(Card_Seal(QString(), sealed, why));
    EXPECT_TRUE(sealed.isEmpty());
}

TEST_F(CardSealTest, WithoutASecretStoreTheKeyIsAFileOnlyTheUserReadsAndTheNextRunFindsIt) {
    QString sealed, why;
    {
        auto* none = new FakeSecretStore;
        none->available = false;
        ProgramRun run(userFolder(), none);
        ASSERT_TRUE(Card_Seal(kNumber, sealed, why)) << why.toStdString();
        EXPECT_TRUE(none->secrets.isEmpty());
    }
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(keyFile()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(bytesOf(keyFile()).contains("4929"));
    EXPECT_TRUE(QDir(userFolder()).entryList(QDir::Files) == QStringList{kCardKeyFileName})
        << "no half-written file left beside it";

    // The next run: a keyring now answers, but the key is in the file.
    ProgramRun next(userFolder(), new FakeSecretStore);
    QString number;
    ASSERT_TRUE(Card_Open(sealed, number, why)) << why.toStdString();
    EXPECT_EQ(number, kNumber);
    // A new number is sealed with the same key, so the file stays the only key.
    QString resealed;
    ASSERT_TRUE(Card_Seal(QStringLiteral("5555 4444 3333 2222"), resealed, why));
    EXPECT_TRUE(static_cast<FakeSecretStore*>(ctx().services.secrets.get())->secrets.isEmpty());
}

TEST_F(CardSealTest, AKeyThatIsGoneOrAnotherGivesNoNumberAndSaysWhy) {
    QString sealed, why;
    {
        ProgramRun run(userFolder(), new FakeSecretStore);
        ASSERT_TRUE(Card_Seal(kNumber, sealed, why));
    }
    QString number = QStringLiteral("left over");
    {
        // The keyring that held the key does not answer in this run.
        auto* none = new FakeSecretStore;
        none->available = false;
        ProgramRun run(userFolder(), none);
        EXPECT_FALSE(Card_Open(sealed, number, why));
        EXPECT_TRUE(number.isEmpty());
        EXPECT_TRUE(why.contains(QStringLiteral("no keyring answers"))) << why.toStdString();
    }
    {
        // Another key (a new keyring, say): the number does not open, and nothing else
        // comes out in its place.
        auto* other = new FakeSecretStore;
        other->secrets.insert(kCardKeyName, QByteArray(32, 'k'));
        ProgramRun run(userFolder(), other);
        EXPECT_FALSE(Card_Open(sealed, number, why));
        EXPECT_TRUE(number.isEmpty());
        EXPECT_TRUE(why.contains(QStringLiteral("another key"))) << why.toStdString();
    }
    {
        // A damaged value: one character changed.
        auto* store = new FakeSecretStore;
        ProgramRun run(userFolder(), store);
        ASSERT_TRUE(Card_Seal(kNumber, sealed, why));
        QString damaged = sealed;
        damaged[10] = QChar(damaged[10].unicode() ^ 1);
        EXPECT_FALSE(Card_Open(damaged, number, why));
        EXPECT_TRUE(number.isEmpty());
        EXPECT_FALSE(Card_Open(kSealedCardPrefix + QStringLiteral("abc"), number, why));
        EXPECT_TRUE(why.contains(QStringLiteral("damaged")));
    }
}

TEST_F(CardSealTest, AKeyFileThatCannotBeReadIsNeverReplaced) {
    ASSERT_TRUE(QDir().mkpath(userFolder()));
    QFile junk(keyFile());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a key\n");
    junk.close();
    auto* none = new FakeSecretStore;
    none->available = false;
    ProgramRun run(userFolder(), none);
    QString sealed, why;
    EXPECT_FALSE(Card_Seal(kNumber, sealed, why));
    EXPECT_TRUE(why.contains(QStringLiteral("damaged"))) << why.toStdString();
    EXPECT_EQ(bytesOf(keyFile()), QByteArray("not a key\n"));
}

TEST_F(CardSealTest, ClearTextFromAnOlderCopyReadsAsItIs) {
    ProgramRun run(userFolder(), new FakeSecretStore);
    QString number, why;
    EXPECT_TRUE(Card_Open(kNumber, number, why));
    EXPECT_EQ(number, kNumber);
    EXPECT_FALSE(isSealedCard(kNumber));
}

TEST(CardMask, AllDigitsButTheLastFourAreHiddenAndTheGroupingStays) {
    EXPECT_EQ(Card_Masked(QStringLiteral("4929 1234 5678 9012")), QStringLiteral("•••• •••• •••• 9012"));
    EXPECT_EQ(Card_Masked(QStringLiteral("4929-1234-5678-9012")), QStringLiteral("••••-••••-••••-9012"));
    EXPECT_EQ(Card_Masked(QStringLiteral("1234")), QStringLiteral("1234"));
    EXPECT_EQ(Card_Masked(QString()), QString());
}
