// The about box: build numbers, the user lines from MYABOUT.INI (or their absence), the
// typeset credits and their scroll bar, the questionnaire, and the way in from the main
// window.

#include "about/MyAboutIni.h"
#include "about/frmAbout.h"
#include "app/frmBackground.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"
#include "program/Program.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class AboutTest : public ::testing::Test {
protected:
    AboutTest() { t.ctx().appFolder = appDir.path(); }
    void writeIni(const QString& folder, const QByteArray& text) {
        QDir().mkpath(folder);
        QFile f(QDir(folder).filePath(QStringLiteral("MYABOUT.INI")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString settingsFolder() const { return QFileInfo(store.file()).absolutePath(); }

    TempSettings store;
    TestContext t;
    QTemporaryDir appDir;
};

TEST_F(AboutTest, WithoutMyAboutTheUserLinesAreEmpty) {
    frmAbout about;
    EXPECT_EQ(about.lblName->text(), QString());
    EXPECT_EQ(about.lblAddress->text(), QString());
    EXPECT_EQ(about.lblCityStateZip->text(), QStringLiteral(",   "));
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Version 1.0"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Build :\\d+\\.\\d+\\.\\d+$")).match(about.lblVerText->text()).hasMatch())
        << about.lblVerText->text().toStdString();
    EXPECT_FALSE(about.PicIcon->isVisibleTo(&about));
    EXPECT_EQ(about.SSTab1->count(), 4);
    EXPECT_EQ(about.SSTab1->tabText(2), QStringLiteral("Credits"));
    EXPECT_EQ(about.cmdQuestionaire->text(), QStringLiteral("&Questionnaire"));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(AboutTest, UserLinesComeFromTheIniFileWithTheirBufferLengths) {
    writeIni(appDir.path(), "; written by the installer\r\n"
                            "[Other]\r\nName=Not this one\r\n"
                            "[userinfo]\r\n"
                            "name = \"Alexandra Wilhelmina Featherstonehaugh-Smythe\"\r\n"
                            "Address=12 Orchard Row\r\n"
                            "CITY=Little Harbour\r\n"
                            "State=Kent\r\n"
                            "ZipCode=CT21 4XY-0001-22\r\n");
    frmAbout about;
    // 40, 50, 50, 4 and 11 places, one of each for the end of the text.
    EXPECT_EQ(about.lblName->text(), QStringLiteral("Alexandra Wilhelmina Featherstonehaugh-"));
    EXPECT_EQ(about.lblAddress->text(), QStringLiteral("12 Orchard Row"));
    EXPECT_EQ(about.lblCityStateZip->text(), QStringLiteral("Little Harbour, Ken  CT21 4XY-0"));
}

TEST_F(AboutTest, TheApplicationFolderComesBeforeTheSettingsFolder) {
    writeIni(settingsFolder(), "[UserInfo]\nName=From the settings folder\nState=NY\nZipCode=10001\n");
    {
        frmAbout about;
        EXPECT_EQ(about.lblName->text(), QStringLiteral("From the settings folder"));
        EXPECT_EQ(about.lblCityStateZip->text(), QStringLiteral(", NY  10001"));
    }
    writeIni(appDir.path(), "[UserInfo]\nName=From the program folder\n");
    frmAbout about;
    EXPECT_EQ(about.lblName->text(), QStringLiteral("From the program folder"));
    EXPECT_EQ(about.lblCityStateZip->text(), QStringLiteral(",   "));
}

TEST(MyAboutIni, ValuesAreReadAsTheClassicCallReadsThem) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("MYABOUT.INI"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // Latin-1 from an older installer; quotes keep inner blanks; a key with no value.
    f.write("[UserInfo]\nName=Ren\xe9 M\xfcller\nAddress='  Flat 2  '\nCity=\n");
    f.close();
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("Name"), QString(), 40, file),
              QStringLiteral("Ren\u00e9 M\u00fcller"));
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("Address"), QString(), 50, file),
              QStringLiteral("  Flat 2  "));
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("Address"), QString(), 6, file),
              QStringLiteral("  Fla"));
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("City"), QStringLiteral("x"), 50, file),
              QString());
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("State"), QStringLiteral("none"), 4, file),
              QStringLiteral("non"));
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("UserInfo"), QStringLiteral("Name"), QStringLiteral("d"), 40,
                                      dir.filePath(QStringLiteral("missing.ini"))),
              QStringLiteral("d"));
}

// The last row of the picture with any ink on it.
int lastInkRow(const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) return y;
    return -1;
}

TEST_F(AboutTest, CreditsScrollToTheirLastLineAndNoFurther) {
    frmAbout about;
    QScrollBar* bar = about.VScroll1;
    const int picture = about.PicCredits->height();
    const int visible = about.picContainer->height();
    ASSERT_GT(picture, visible) << "the credits are longer than their window";
    EXPECT_EQ(bar->maximum(), picture - visible);
    EXPECT_EQ(bar->singleStep(), 10);
    EXPECT_EQ(bar->pageStep(), 100);
    EXPECT_EQ(about.PicCredits->y(), 0);

    bar->setValue(bar->maximum());
    EXPECT_EQ(about.PicCredits->y(), -bar->maximum());
    EXPECT_EQ(about.PicCredits->geometry().bottom(), visible - 1);
    // The picture was cut to the text: its last line of ink is near its bottom edge.
    const QImage image = about.PicCredits->pixmap().toImage();
    const qreal ratio = image.devicePixelRatio();
    const int ink = int(lastInkRow(image) / ratio);
    EXPECT_GT(ink, picture - 30);
    EXPECT_LT(ink, picture);

    bar->setValue(0);
    EXPECT_EQ(about.PicCredits->y(), 0);
    EXPECT_TRUE(about.PicCredits->accessibleDescription().contains(QStringLiteral("Built with")));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(AboutTest, PublisherAndDesignerPagesFitTheirPictures) {
    frmAbout about;
    for (QLabel* page : {about.picFileProd, about.picDesigner}) {
        const QImage image = page->pixmap().toImage();
        ASSERT_FALSE(image.isNull()) << page->objectName().toStdString();
        const int ink = int(lastInkRow(image) / image.devicePixelRatio());
        EXPECT_GT(ink, 0);
        // Room to spare below the text: nothing was cut off.
        EXPECT_LT(ink, page->height() - 10) << page->objectName().toStdString();
        EXPECT_FALSE(page->accessibleDescription().isEmpty());
    }
}

TEST_F(AboutTest, TheQuestionnaireStartsOnlyWhenItIsThere) {
    frmAbout about;
    about.cmdQuestionaire->click();
    EXPECT_TRUE(t.shell.started.isEmpty());
    EXPECT_TRUE(t.messages.boxes.empty());

    QFile program(QDir(appDir.path()).filePath(QStringLiteral("KVQ32.EXE")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    about.cmdQuestionaire->click();
    EXPECT_EQ(t.shell.started, QStringList({program.fileName()}));
    EXPECT_EQ(t.shell.folders, QStringList({appDir.path()}));

    // A program that will not start: still nothing to see.
    t.shell.startSucceeds = false;
    about.cmdQuestionaire->click();
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(AboutTest, TheMainWindowsAboutPictureOpensItAndOkClosesIt) {
    AppContext& a = t.ctx();
    a.services.resources = std::make_unique<QtResources>();
    registerProgramWindows(a);
    auto* background = a.forms.get<frmBackground>(QStringLiteral("frmBackground"));
    ASSERT_NE(background, nullptr);
    bool shown = false;
    t.dialogs.script([&](QDialog& d) {
        shown = true;
        EXPECT_EQ(d.objectName(), QStringLiteral("frmAbout"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("About Korvanda"));
        // Every control a user can reach has a name a screen reader says.
        for (QWidget* w : d.findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus) continue;
            QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(acc, nullptr);
            EXPECT_FALSE(acc->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
        }
        d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    QTest::mouseClick(background->imgabout, Qt::LeftButton);
    EXPECT_TRUE(shown);
    // Unloaded after use.
    EXPECT_FALSE(a.forms.isLoaded(QStringLiteral("frmAbout")));
}

TEST_F(AboutTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    writeIni(appDir.path(), "[UserInfo]\nName=Jo Example\nAddress=12 Orchard Row\nCity=Little Harbour\n"
                            "State=KT\nZipCode=CT21 4XY\n");
    frmAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const char* names[] = {"about-product", "about-publisher", "about-credits", "about-designer"};
    for (int tab = 0; tab < 4; ++tab) {
        about.SSTab1->setCurrentIndex(tab);
        if (tab == 2) about.VScroll1->setValue(60);
        QApplication::processEvents();
        EXPECT_TRUE(about.grab().save(folder + QLatin1Char('/') + QLatin1String(names[tab]) + QStringLiteral(".png")));
    }
}

} // namespace
