// Finding, logging into, opening and validating the catalogue database at start-up, with
// the settings store in a temporary folder and the locate dialog scripted.

#include "DbFixture.h"

#include "catalogue/Catalogue.h"
#include "db/Workgroup.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <deque>

using namespace kv;
using namespace kv::test;

namespace {

class ScriptedLocator : public IFileLocator {
public:
    struct Call {
        QString fileName, fileType, fileTypeDesc;
    };
    bool locate(const QString& fileName, QString& fullPath, const QString&, const QString& fileType,
                const QString& fileTypeDesc) override {
        calls.push_back({fileName, fileType, fileTypeDesc});
        if (answers.empty()) return false;
        fullPath = answers.front();
        answers.pop_front();
        return !fullPath.isEmpty();
    }
    std::deque<QString> answers;
    std::vector<Call> calls;
};

const QString kNotCatalogue = QStringLiteral("Sorry this is not a Korvanda database");

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        appDir = root.filePath(QStringLiteral("app"));
        QDir().mkpath(appDir);
        db::createTemplateDatabase(appDir + "/KORDB.MDB", db::readShopsCsv(fixtureShops()));
        db::createWorkgroupFile(appDir + "/KORDB.MDW", 1000);
        AppContext& a = context.ctx();
        a.appFolder = appDir;
        a.userDataFolder = root.filePath(QStringLiteral("user"));
        a.constants.strCatalogueTitle = QStringLiteral("Korvanda");
        a.constants.strCatalogueIDCode = QStringLiteral("KORDB");
        a.constants.dblCatalogueVersion = 1.001;
        a.constants.strDBUser = QStringLiteral("Korvanda");
        a.constants.strDBPassword = QStringLiteral("Tq4mZr8LwPe");
        a.constants.strSettingsApp = QStringLiteral("TALV_Ltd");
        locator = new ScriptedLocator;
        a.services.locator.reset(locator);
    }
    bool start() {
        return bOpenCollection_DB(QString(), QStringLiteral("KORDB.MDB"),
                                  QStringLiteral("KORDB.MDW"));
    }
    // A copy of the template changed by a native statement.
    QString variant(const QString& name, const char* change) {
        const QString path = root.filePath(name);
        QFile::copy(appDir + "/KORDB.MDB", path);
        if (change) {
            Database d = Database::open(path);
            d.connection()->exec(change);
        }
        return path;
    }
    QString userDb() const { return root.filePath(QStringLiteral("user/KORDB.MDB")); }
    QString notesOfCollection0() {
        Recordset rs = dbCatalogue().OpenRecordset(
            QStringLiteral("SELECT [Notes] FROM Collection WHERE [Collection ID]=0"));
        return rs.value(QStringLiteral("Notes")).toString();
    }
    QByteArray bytes(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    TestContext context;
    TempSettings settings;
    QTemporaryDir root;
    QString appDir;
    ScriptedLocator* locator = nullptr;
};

TEST_F(CatalogueTest, FirstStartCopiesTheTemplateToThePerUserFolderAndKeepsUsingIt) {
    const QByteArray shipped = bytes(appDir + "/KORDB.MDB");
    ASSERT_TRUE(start());
    EXPECT_TRUE(context.messages.boxes.empty());
    EXPECT_TRUE(locator->calls.empty());
    EXPECT_EQ(settings.value("Options", "SystemDB32"), appDir + "/KORDB.MDW");
    EXPECT_EQ(settings.value("File Locations", "Database"), userDb());
    EXPECT_EQ(wsCatalogue().Name(), "Kordb");
    EXPECT_EQ(strDatabasePath(), userDb());
    ASSERT_TRUE(dbCatalogue().isOpen());
    EXPECT_EQ(dbCatalogue().OpenRecordset(QStringLiteral("Collection")).RecordCount(), 2);
    dbCatalogue().Execute(
        QStringLiteral("UPDATE Collection SET [Notes] = \"mine\" WHERE [Collection ID] = 0"));
    CloseCatalogue();
    EXPECT_FALSE(dbCatalogue().isOpen());
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB"), shipped);
    EXPECT_FALSE(QFile::exists(userDb() + ".partial"));
    EXPECT_FALSE(
        QFileInfo(userDb()).permissions().testAnyFlags(QFile::ReadGroup | QFile::ReadOther));

    // The next start uses the copy as it is, even with a new template in the application
    // folder: nothing is copied over it.
    QFile::remove(appDir + "/KORDB.MDB");
    db::createTemplateDatabase(appDir + "/KORDB.MDB", {});
    catalogueState() = CatalogueState();
    ASSERT_TRUE(start());
    EXPECT_EQ(notesOfCollection0(), "mine");
    EXPECT_TRUE(context.messages.boxes.empty());
}

TEST_F(CatalogueTest, RejectedDatabasesAreToldAndAnotherOneIsAskedFor) {
    QFile text(root.filePath("KORDB.MDB"));
    text.open(QIODevice::WriteOnly);
    text.write("not a database at all\n");
    text.close();
    struct Case {
        QString path;
        QString message;
    };
    const std::vector<Case> cases = {
        {variant("empty.mdb", R"(DELETE FROM "Internal - TALV ID")"), kNotCatalogue},
        {variant("code.mdb", R"(UPDATE "Internal - TALV ID" SET "TALV ID Code" = 'KORDX')"),
         kNotCatalogue},
        {variant("old.mdb", R"(UPDATE "Internal - TALV ID" SET "Version" = 1.0009)"),
         QStringLiteral("Sorry this Korvanda database is an old version.")},
        {variant("none.mdb", R"(DROP TABLE "Internal - TALV ID")"), kNotCatalogue},
        {root.filePath("KORDB.MDB"), kNotCatalogue},
    };
    const QString good = variant("good.mdb", nullptr);
    ASSERT_TRUE(bSetDBSecurity(QStringLiteral("KORDB.MDW")));
    for (const Case& k : cases) {
        context.messages.boxes.clear();
        locator->calls.clear();
        settings.set("File Locations", "Database", k.path);
        locator->answers = {good};
        ASSERT_TRUE(bOpenTALVDatabase(QStringLiteral("KORDB.MDB"))) << k.path.toStdString();
        ASSERT_EQ(context.messages.boxes.size(), 1u) << k.path.toStdString();
        EXPECT_EQ(context.messages.last().text, k.message);
        EXPECT_EQ(context.messages.last().title, QString()); // the application title shows
        EXPECT_EQ(context.messages.last().buttons, mb::OKOnly);
        ASSERT_EQ(locator->calls.size(), 1u);
        EXPECT_EQ(locator->calls[0].fileName, "KORDB.MDB");
        EXPECT_EQ(locator->calls[0].fileType, "MDB");
        EXPECT_EQ(locator->calls[0].fileTypeDesc, "Access Database File");
        EXPECT_EQ(settings.value("File Locations", "Database"), good);
        EXPECT_EQ(strDatabasePath(), good);
    }
    EXPECT_EQ(context.messages.beeps, 5);
}

TEST_F(CatalogueTest, GivingUpAfterARejectedDatabaseEndsStartUp) {
    settings.set("File Locations", "Database",
                 variant("old.mdb", R"(UPDATE "Internal - TALV ID" SET "Version" = 1)"));
    EXPECT_FALSE(start());
    ASSERT_EQ(context.messages.boxes.size(), 1u); // the message, then the dialog; no error box
    EXPECT_FALSE(dbCatalogue().isOpen());
}

TEST_F(CatalogueTest, ABadWorkgroupFileIsForgotten) {
    const QString bad = root.filePath("KORDB.MDW");
    QFile f(bad);
    f.open(QIODevice::WriteOnly);
    f.write("nothing of the kind");
    f.close();
    settings.set("Options", "SystemDB32", bad);
    EXPECT_FALSE(start());
    ASSERT_EQ(context.messages.boxes.size(), 1u);
    EXPECT_EQ(
        context.messages.last().text,
        bad +
            " is not an Access Security File\rPlease Restart the program and locate Security file");
    EXPECT_EQ(context.messages.beeps, 1);
    EXPECT_TRUE(settings.has("Options", "SystemDB32"));
    EXPECT_EQ(settings.value("Options", "SystemDB32"), QString());
    EXPECT_TRUE(wsCatalogue().isNull());
}

TEST_F(CatalogueTest, AWrongPasswordIsAnError) {
    context.ctx().constants.strDBPassword = QStringLiteral("wrong");
    EXPECT_FALSE(start());
    ASSERT_EQ(context.messages.boxes.size(), 1u);
    EXPECT_TRUE(context.messages.last().text.startsWith("Error: 3029 "));
    EXPECT_TRUE(context.messages.last().text.endsWith("\rbSetDBSecurity"));
}

// The build left the template beside a KORDB.MDB that the program used to write to.
class MovingTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        const QString appDb = appDir + "/KORDB.MDB";
        shipped = bytes(appDb);
        ASSERT_TRUE(QFile::copy(appDb, appDb + ".template"));
        Database d = Database::open(appDb);
        d.connection()->exec(R"(INSERT INTO "Collection" ("Collection ID", "Collection Name")
                                VALUES (7, 'Northern soul'))");
        d.Close();
        changed = bytes(appDb);
        // Where the program before this change found it.
        settings.set("File Locations", "Database", appDb);
    }
    bool hasCollection7() {
        Recordset rs = dbCatalogue().OpenRecordset(
            QStringLiteral("SELECT [Collection Name] FROM Collection WHERE [Collection ID] = 7"));
        return !rs.Eof() &&
               rs.value(QStringLiteral("Collection Name")).toString() == "Northern soul";
    }
    QByteArray shipped, changed;
};

TEST_F(MovingTest, TheFirstStartMovesTheDatabaseAndKeepsTheOldFile) {
    ASSERT_TRUE(start());
    EXPECT_EQ(strDatabasePath(), userDb());
    EXPECT_EQ(settings.value("File Locations", "Database"), userDb());
    EXPECT_TRUE(hasCollection7());
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB.moved"), changed);
    // The application folder holds the template again.
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB"), shipped);
    EXPECT_FALSE(QFile::exists(appDir + "/KORDB.MDB.template"));
    ASSERT_EQ(context.messages.boxes.size(), 1u);
    EXPECT_EQ(context.messages.last().text,
              "The program keeps your database in \"" + userDb() +
                  "\" now. The database that was in the application folder has been kept as \"" +
                  appDir + "/KORDB.MDB.moved\".");
    EXPECT_EQ(context.messages.last().icon, mb::Information);
    CloseCatalogue();

    // A second start does nothing more.
    context.messages.boxes.clear();
    catalogueState() = CatalogueState();
    ASSERT_TRUE(start());
    EXPECT_EQ(strDatabasePath(), userDb());
    EXPECT_TRUE(hasCollection7());
    EXPECT_TRUE(context.messages.boxes.empty());
    EXPECT_FALSE(QFile::exists(appDir + "/KORDB.MDB.moved2"));
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB.moved"), changed);
}

TEST_F(MovingTest, ACopyThatFailsLosesNothingAndIsTold) {
    // The per-user folder cannot be made: a file stands where it belongs.
    QFile blocker(root.filePath("user"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(start());
    ASSERT_EQ(context.messages.boxes.size(), 1u);
    const auto& box = context.messages.last();
    EXPECT_TRUE(box.text.startsWith("The database \"" + appDir +
                                    "/KORDB.MDB\" could not be copied to \"" + userDb() + "\": "))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.endsWith("\rNothing has been changed: the program goes on using \"" +
                                  appDir + "/KORDB.MDB\" and tries again at its next start."))
        << box.text.toStdString();
    EXPECT_EQ(box.icon, mb::Exclamation);
    // The database stays where it was and is the one in use.
    EXPECT_EQ(strDatabasePath(), appDir + "/KORDB.MDB");
    EXPECT_EQ(settings.value("File Locations", "Database"), appDir + "/KORDB.MDB");
    EXPECT_TRUE(hasCollection7());
    EXPECT_FALSE(QFile::exists(appDir + "/KORDB.MDB.moved"));
    CloseCatalogue();
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB"), changed);

    // Once the folder can be made, the next start moves it.
    ASSERT_TRUE(QFile::remove(root.filePath("user")));
    catalogueState() = CatalogueState();
    ASSERT_TRUE(start());
    EXPECT_EQ(strDatabasePath(), userDb());
    EXPECT_TRUE(hasCollection7());
}

TEST_F(MovingTest, AStartCutShortAfterTheCopyFinishesTheMoveOnTheNext) {
    // The copy is in place, the old file was not yet renamed.
    QDir().mkpath(root.filePath("user"));
    ASSERT_TRUE(QFile::copy(appDir + "/KORDB.MDB", userDb()));
    ASSERT_TRUE(start());
    EXPECT_EQ(strDatabasePath(), userDb());
    EXPECT_TRUE(hasCollection7());
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB.moved"), changed);
    EXPECT_EQ(context.messages.boxes.size(), 1u);
}

TEST_F(MovingTest, ALocationTheUserChoseStaysAsItIs) {
    const QString mine = variant("mine.mdb", nullptr);
    settings.set("File Locations", "Database", mine);
    ASSERT_TRUE(start());
    EXPECT_EQ(strDatabasePath(), mine);
    EXPECT_EQ(settings.value("File Locations", "Database"), mine);
    EXPECT_FALSE(QFile::exists(userDb()));
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB"), changed);
    EXPECT_TRUE(context.messages.boxes.empty());
}

TEST_F(CatalogueTest, APerUserDatabaseThatWentMissingIsAskedForNotReplaced) {
    settings.set("File Locations", "Database", userDb());
    const QString elsewhere = variant("found.mdb", nullptr);
    locator->answers = {elsewhere};
    ASSERT_TRUE(start());
    EXPECT_EQ(locator->calls.size(), 1u);
    EXPECT_EQ(strDatabasePath(), elsewhere);
    EXPECT_FALSE(QFile::exists(userDb()));
}

} // namespace
