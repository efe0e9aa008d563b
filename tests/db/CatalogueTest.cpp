// Finding, logging into, opening and validating the catalogue database at start-up, with
// the settings store in a temporary folder and the locate dialog scripted.

#include "DbFixture.h"

#include "db/Workgroup.h"
#include "catalogue/Catalogue.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/SettingsStore.h"

#include <QFile>
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

TEST_F(CatalogueTest, FirstStartUsesTheFilesOfTheApplicationFolder) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(context.messages.boxes.empty());
    EXPECT_TRUE(locator->calls.empty());
    EXPECT_EQ(settings.value("Options", "SystemDB32"), appDir + "/KORDB.MDW");
    EXPECT_EQ(settings.value("File Locations", "Database"), appDir + "/KORDB.MDB");
    EXPECT_EQ(wsCatalogue().Name(), "Kordb");
    EXPECT_EQ(strDatabasePath(), appDir + "/KORDB.MDB");
    ASSERT_TRUE(dbCatalogue().isOpen());
    EXPECT_EQ(dbCatalogue().OpenRecordset(QStringLiteral("Collection")).RecordCount(), 2);
    CloseCatalogue();
    EXPECT_FALSE(dbCatalogue().isOpen());
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

TEST_F(CatalogueTest, AReadOnlyApplicationFolderGetsAUserCopy) {
    catalogueState().folderWritable = [&](const QString& folder) { return folder != appDir; };
    const QByteArray shipped = bytes(appDir + "/KORDB.MDB");
    ASSERT_TRUE(start());
    const QString copy = root.filePath("user/KORDB.MDB");
    EXPECT_EQ(strDatabasePath(), copy);
    EXPECT_EQ(settings.value("File Locations", "Database"), copy);
    dbCatalogue().Execute(
        QStringLiteral("UPDATE Collection SET [Notes] = \"mine\" WHERE [Collection ID] = 0"));
    CloseCatalogue();
    EXPECT_EQ(bytes(appDir + "/KORDB.MDB"), shipped);

    // The next start uses the copy as it is: nothing is copied over it.
    catalogueState() = CatalogueState();
    catalogueState().folderWritable = [&](const QString& folder) { return folder != appDir; };
    ASSERT_TRUE(start());
    Recordset rs = dbCatalogue().OpenRecordset(
        QStringLiteral("SELECT [Notes] FROM Collection WHERE [Collection ID]=0"));
    EXPECT_EQ(rs.value(QStringLiteral("Notes")).toString(), "mine");
}

} // namespace
