// Printing a collection through the print options dialog: the dialog as the user first
// sees it, printing on the printer (a device, faked by a PDF file), saving to a file in
// each format, and the ways out.

#include "CollectionFixture.h"

#include "collections/CollectionPrint.h"
#include "collections/frmPrint.h"
#include "fakes/FakePrinter.h"
#include "print/ListPrint.h"
#include "settings/HelpContexts.h"
#include "settings/ui/frmHelp.h"

#include <QAccessible>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

// Records the texts the message window shows.
class MessageWatcher : public QObject {
public:
    MessageWatcher() { qApp->installEventFilter(this); }
    ~MessageWatcher() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("frmHelp"))
            if (auto* window = qobject_cast<frmHelp*>(watched)) shown << window->Label1->text();
        return false;
    }
    QStringList shown;
};

QStringList pdfLines(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    QStringList out;
    for (QString line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        line = line.simplified();
        if (!line.isEmpty()) out << line;
    }
    return out;
}

class PrintTest : public StoreTest {
protected:
    PrintTest() {
        addCollectionRow(5, QStringLiteral("Vinyl, mostly"));
        native(QStringLiteral(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1
                                 WHERE "Collection ID" = 5)"));
        native(QStringLiteral(
            R"(INSERT INTO "Collection - Contents" ("Collection ID", "Catalogue Number", "Album ID", "Title", "Artist",
                 "Medium", "Release Date", "Deleted", "User Field 2", "Notes") VALUES
               (5, 'LAN 001', 101, 'Night Harbour', 'The Lanterns', 'LP', '1972', 0, 'Mint', 'Gatefold sleeve'),
               (5, 'AB 12', 104, 'Afterglow', 'Orla Venn', 'Cassette', '1985', 1, NULL, NULL))"));
        EXPECT_TRUE(bInit_RCollections());
        collection = RCollections().item(QStringLiteral("R5"));
        printer = new FakePrinter(dir.filePath(QStringLiteral("printed.pdf")));
        t.ctx().services.printer.reset(printer);
    }
    Recordset source() { return db().OpenRecordset(collectionListSql(5), dbOpenDynaset); }
    // Answers the print options dialog: set it up, then press a button.
    void answerDialog(const std::function<void(frmPrint&)>& choose, const char* button = "cmdOK") {
        t.dialogs.script([=](QDialog& d) {
            auto& dialog = static_cast<frmPrint&>(d);
            choose(dialog);
            dialog.findChild<QPushButton*>(QLatin1String(button))->click();
        });
    }

    CCollection* collection = nullptr;
    FakePrinter* printer = nullptr;
    MessageWatcher messages;
};

TEST_F(PrintTest, TheDialogStartsAsTheTableSaysUnderTheCollectionsName) {
    ASSERT_NE(collection, nullptr);
    bool looked = false;
    answerDialog(
        [&](frmPrint& d) {
            looked = true;
            EXPECT_EQ(d.objectName(), QStringLiteral("frmPrint"));
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Vinyl, mostly"));
            EXPECT_FALSE(d.Accepted);
            EXPECT_EQ(d.chkToFile->text(), QStringLiteral("Print to file"));
            EXPECT_FALSE(d.chkToFile->isChecked());
            EXPECT_EQ(d.Frame2->title(), QStringLiteral("Print What"));
            EXPECT_EQ(d.chkPrintWhat[0]->text(), QStringLiteral("Title and Artist"));
            EXPECT_TRUE(d.chkPrintWhat[0]->isChecked());
            EXPECT_EQ(d.chkPrintWhat[1]->text(), QStringLiteral("Recording details"));
            EXPECT_FALSE(d.chkPrintWhat[1]->isChecked());
            EXPECT_EQ(d.chkPrintWhat[2]->text(), QStringLiteral("Custom details"));
            EXPECT_FALSE(d.chkPrintWhat[2]->isChecked());
            EXPECT_EQ(d.Frame1->title(), QStringLiteral("Range"));
            EXPECT_EQ(d.optRange[1]->text(), QStringLiteral("Whole Collection"));
            EXPECT_TRUE(d.optRange[1]->isChecked());
            EXPECT_EQ(d.optRange[0]->text(), QStringLiteral("Selected"));
            EXPECT_FALSE(d.optRange[0]->isChecked());
            EXPECT_EQ(d.cmdSetup->text(), QStringLiteral("&Setup"));
            EXPECT_EQ(d.cmdCancel->text(), QStringLiteral("Cancel"));
            EXPECT_EQ(d.cmdOK->text(), QStringLiteral("Ok"));
            EXPECT_EQ(d.cmdHelp->text(), QStringLiteral("&Help"));
            EXPECT_EQ(d.Label1->text(), QStringLiteral("Printer :"));
            EXPECT_EQ(d.Label2->text(), QStringLiteral("Select your Fax printer if you wish to Fax this Order"));
            EXPECT_EQ(d.lblPrinter->text(), QStringLiteral("Fake printer on 127.0.0.1"));
            // Every control a user can reach has a name a screen reader says.
            for (QWidget* w : d.findChildren<QWidget*>()) {
                if (!w->isVisibleTo(&d) || w->focusPolicy() == Qt::NoFocus) continue;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                ASSERT_NE(a, nullptr);
                EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->objectName().toStdString();
            }
        },
        "cmdCancel");
    EXPECT_TRUE(List_Print(source(), *collection));
    EXPECT_TRUE(looked);
    // Cancelled: nothing printed, nothing asked, no message.
    EXPECT_TRUE(printer->titles.isEmpty());
    EXPECT_TRUE(t.files.requests.empty());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(PrintTest, OkPrintsOnThePrinterAndSaysSo) {
    answerDialog([](frmPrint& d) { d.chkPrintWhat[1]->setChecked(true); });
    EXPECT_TRUE(List_Print(source(), *collection));
    EXPECT_EQ(printer->titles, QStringList({QStringLiteral("Vinyl, mostly")}));
    EXPECT_EQ(printer->aborts, 0);
    EXPECT_EQ(messages.shown, QStringList({QStringLiteral("Printing ..."), QStringLiteral("List Printed ...")}));
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_GT(t.busy.everBusy, 0);
    EXPECT_EQ(t.busy.depth(), 0);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) return;
    EXPECT_EQ(pdfLines(printer->file),
              QStringList({"Collection : Vinyl, mostly", "Afterglow (Orla Venn)", "Cat No : AB 12",
                           "Format : Cassette Date : 1985",
                           "This item may not be available as it is no longer in print", "Night Harbour (The Lanterns)",
                           "Cat No : LAN 001", "Format : LP Date : 1972"}));
}

TEST_F(PrintTest, PrintToFileAsksForANameAndWritesTheChosenFormat) {
    const QString text = dir.filePath(QStringLiteral("vinyl.txt"));
    answerDialog([](frmPrint& d) {
        d.chkToFile->setChecked(true);
        d.chkPrintWhat[2]->setChecked(true);
    });
    t.files.answers = {text};
    EXPECT_TRUE(List_Print(source(), *collection));
    ASSERT_EQ(t.files.requests.size(), 1u);
    EXPECT_EQ(t.files.requests[0].title, QStringLiteral("Print to File"));
    EXPECT_EQ(t.files.requests[0].filter,
              QStringLiteral("Text Files (*.txt)| *.txt|PDF (*.pdf)| *.pdf|CSV (*.csv)| *.csv|"
                             "Web page (*.html)| *.html|All (*.*)| *.*"));
    EXPECT_EQ(fileBytes(text), "Afterglow  (Orla Venn)\r\n\r\n"
                               "Night Harbour  (The Lanterns)\r\nCondition\r\nMint\r\nNotes:\r\nGatefold sleeve\r\n\r\n");
    EXPECT_EQ(messages.shown, QStringList({QStringLiteral("Printing ..."), QStringLiteral("List Saved to File ...")}));
    EXPECT_TRUE(printer->titles.isEmpty());

    // The same dialog, a CSV name: a CSV file.
    const QString csv = dir.filePath(QStringLiteral("vinyl.csv"));
    answerDialog([](frmPrint& d) { d.chkToFile->setChecked(true); });
    t.files.answers = {csv};
    EXPECT_TRUE(List_Print(source(), *collection));
    EXPECT_EQ(fileBytes(csv), "Title,Artist\r\nAfterglow,Orla Venn\r\nNight Harbour,The Lanterns\r\n");
}

TEST_F(PrintTest, CancellingTheSaveDialogEndsQuietly) {
    answerDialog([](frmPrint& d) { d.chkToFile->setChecked(true); });
    t.files.answers = {QString()};
    EXPECT_TRUE(List_Print(source(), *collection));
    EXPECT_EQ(messages.shown, QStringList({QStringLiteral("Printing ...")}));
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.txt")}).isEmpty());
}

TEST_F(PrintTest, SelectedPrintsTheRowTheSourceStandsOn) {
    Recordset rs = source();
    rs.MoveLast(); // Night Harbour
    answerDialog([](frmPrint& d) {
        d.optRange[0]->setChecked(true);
        d.chkToFile->setChecked(true);
    });
    const QString text = dir.filePath(QStringLiteral("one.txt"));
    t.files.answers = {text};
    EXPECT_TRUE(List_Print(rs, *collection));
    EXPECT_EQ(fileBytes(text), "Night Harbour  (The Lanterns)\r\n\r\n");
}

TEST_F(PrintTest, TheShoppingListOffersTickedItemsWithRecordingDetails) {
    answerDialog(
        [](frmPrint& d) {
            EXPECT_EQ(d.optRange[1]->text(), QStringLiteral("Ticked Items"));
            EXPECT_TRUE(d.optRange[1]->isChecked());
            EXPECT_TRUE(d.chkPrintWhat[1]->isChecked());
        },
        "cmdCancel");
    EXPECT_TRUE(List_PrintOrdered(source(), *collection));
    EXPECT_EQ(t.dialogs.shown, QStringList({QStringLiteral("frmPrint")}));
}

TEST_F(PrintTest, SetupHelpAndTheCloseBox) {
    frmPrint dialog;
    // Setup shows the printer chosen there; cancelling it changes nothing and is no error.
    printer->onSetup = [](FakePrinter& p) { p.name = QStringLiteral("Office laser"); };
    dialog.cmdSetup->click();
    EXPECT_EQ(dialog.lblPrinter->text(), QStringLiteral("Office laser"));
    printer->onSetup = nullptr;
    printer->setupAccepted = false;
    dialog.cmdSetup->click();
    EXPECT_EQ(printer->setups, 2);
    EXPECT_EQ(dialog.lblPrinter->text(), QStringLiteral("Office laser"));
    EXPECT_TRUE(t.messages.boxes.empty());

    dialog.cmdHelp->click();
    EXPECT_EQ(t.help.contexts, std::vector<int>{help::PrintOptions});

    dialog.Accepted = true;
    dialog.show();
    dialog.close();
    EXPECT_FALSE(dialog.Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PrintTest, AnOrderLetterHidesTheListChoices) {
    frmPrint dialog;
    dialog.setWindowTitle(QStringLiteral("Order to Sound Hut"));
    dialog.hideListOptions();
    dialog.show();
    EXPECT_FALSE(dialog.Frame1->isVisible());
    EXPECT_FALSE(dialog.Frame2->isVisible());
    EXPECT_FALSE(dialog.chkToFile->isVisible());
    EXPECT_TRUE(dialog.Label2->isVisible());
    EXPECT_TRUE(dialog.lblPrinter->isVisible());
}

TEST_F(PrintTest, APrinterThatCannotPrintIsReported) {
    printer->file = dir.filePath(QStringLiteral("no-such-folder/out.pdf"));
    answerDialog([](frmPrint&) {});
    EXPECT_FALSE(List_Print(source(), *collection));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Error: 482 Printer error\rList_Print_Data"));
    EXPECT_EQ(messages.shown, QStringList({QStringLiteral("Printing ...")}));
    EXPECT_EQ(t.busy.depth(), 0);
}

} // namespace

namespace {

TEST_F(PrintTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    frmPrint dialog;
    dialog.setWindowTitle(QStringLiteral("Vinyl, mostly"));
    dialog.chkPrintWhat[1]->setChecked(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QApplication::processEvents();
    EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/print-options.png")));
}

} // namespace
