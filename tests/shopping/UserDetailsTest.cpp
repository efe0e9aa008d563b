// The user details dialog on a real database: what it loads, what OK stores under the two
// "Remember" boxes, what Cancel puts back, and the card number, which is stored sealed and
// shown masked.

#include "ShoppingFixture.h"

#include "fakes/FaultyDisk.h"
#include "shopping/CardSeal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <optional>

using namespace kv;
using namespace kv::test;

namespace {

const QString kCard = QStringLiteral("4929 1234 5678 9012");

class UserDetailsTest : public ShoppingTest {
protected:
    frmPropUser& dialog() {
        frmPropUser* d = frmPropUser::instance();
        EXPECT_NE(d, nullptr);
        return *d;
    }
    // The program is started again: the dialog loads from the table afresh.
    void nextRun() { t.ctx().forms.unload(form::UserDetails); }
    // Shows the dialog with the user's actions; true when it was left with OK.
    bool withDialog(std::function<void(frmPropUser&)> user) {
        frmPropUser& d = dialog();
        t.dialogs.script([user](QDialog& shown) { user(static_cast<frmPropUser&>(shown)); });
        d.Accepted = false;
        t.dialogs.exec(d);
        return d.Accepted;
    }
    static void fillAddress(frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Ann Collector"));
        d.txtAddress->setPlainText(QStringLiteral("3 Elm Road\nYork"));
        d.txtPostCode->setText(QStringLiteral("YO1 7HH"));
        d.txtPhone->setText(QStringLiteral("01904 496 000"));
        d.txtEMail->setText(QStringLiteral("ann@example.org"));
    }
    static void fillCard(frmPropUser& d, const QString& number = kCard) {
        d.cboCardType->setEditText(QStringLiteral("Visa"));
        d.txtCardName->setText(QStringLiteral("A COLLECTOR"));
        d.txtCardNumber->setText(number);
        d.txtExpire->setText(QStringLiteral("08/29"));
    }
    // Everything filled in and remembered, card included.
    bool rememberAll() {
        return withDialog([](frmPropUser& d) {
            fillAddress(d);
            fillCard(d);
            d.chkRDetails->setChecked(true);
            d.chkRCard->setChecked(true);
            d.cmdOK->click();
        });
    }
    // The stored row's fields, "<Null>" for Null; empty when there is no row.
    QStringList row() {
        const auto rows = queryRows(db(), QStringLiteral("SELECT * FROM [User Data]"));
        QStringList out;
        if (rows.empty()) return out;
        for (const QVariant& v : rows.front())
            out << (v.isNull() ? QStringLiteral("<Null>") : v.toString());
        return out;
    }
    void storeRow(const QString& values) {
        db().Execute(QStringLiteral("INSERT INTO [User Data] ([User Name], [Address], [PostCode], [Phone], "
                                    "[Fax], [EMail], [Card Type], [Card Name], [Card Number], [Expires]) "
                                    "VALUES (") + values + QStringLiteral(")"));
    }
    // Everything the card number could be found by in raw bytes.
    static bool holdsCard(const QByteArray& bytes) {
        return bytes.contains("4929 1234") || bytes.contains("49291234") || bytes.contains("5678 9012") ||
               bytes.contains("56789012");
    }
};

} // namespace

TEST_F(UserDetailsTest, TheFirstRunIsEmptyAndTheLayoutIsTheDialogs) {
    frmPropUser& d = dialog();
    EXPECT_EQ(d.windowTitle(), "User Details");
    EXPECT_EQ(d.SSTab1->tabText(0), "Name && Address");
    EXPECT_EQ(d.SSTab1->tabText(1), "Card Details");
    EXPECT_FALSE(d.chkRDetails->isChecked());
    EXPECT_FALSE(d.chkRCard->isChecked());
    EXPECT_EQ(d.chkRDetails->text(), "Remember Details");
    EXPECT_EQ(d.chkRCard->text(), "Remember Card Details");
    const UserDetails none = d.details();
    for (const QString& field : {none.Name, none.Address, none.PostCode, none.Phone, none.Fax, none.EMail,
                                 none.CardType, none.CardName, none.CardNumber, none.Expires})
        EXPECT_TRUE(field.isEmpty());
    EXPECT_EQ(d.cboCardType->count(), 0) << "the user types the card type";
    // The longest inputs are the fields' sizes.
    EXPECT_EQ(d.txtName->maxLength(), 100);
    EXPECT_EQ(d.txtPostCode->maxLength(), 20);
    EXPECT_EQ(d.txtPhone->maxLength(), 25);
    EXPECT_EQ(d.txtFax->maxLength(), 25);
    EXPECT_EQ(d.txtEMail->maxLength(), 255);
    EXPECT_EQ(d.txtCardName->maxLength(), 50);
    EXPECT_EQ(d.txtCardNumber->maxLength(), 50);
    EXPECT_EQ(d.txtExpire->maxLength(), 10);
    EXPECT_EQ(d.cboCardType->lineEdit()->maxLength(), 50);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(UserDetailsTest, RememberingDetailsWithoutTheCardLeavesTheCardFieldsNull) {
    EXPECT_TRUE(withDialog([](frmPropUser& d) {
        fillAddress(d);
        fillCard(d);
        d.chkRDetails->setChecked(true);
        d.chkRCard->setChecked(false);
        d.cmdOK->click();
    }));
    EXPECT_EQ(row(), (QStringList{"Ann Collector", "3 Elm Road\nYork", "YO1 7HH", "01904 496 000", "<Null>",
                                  "ann@example.org", "<Null>", "<Null>", "<Null>", "<Null>"}));
    // The card details still go into this run's orders.
    EXPECT_EQ(dialog().details().CardNumber, kCard);

    nextRun();
    frmPropUser& d = dialog();
    EXPECT_TRUE(d.chkRDetails->isChecked());
    EXPECT_FALSE(d.chkRCard->isChecked());
    EXPECT_EQ(d.txtName->text(), "Ann Collector");
    EXPECT_EQ(d.txtAddress->toPlainText(), "3 Elm Road\nYork");
    EXPECT_TRUE(d.details().CardNumber.isEmpty());
    EXPECT_TRUE(d.cboCardType->currentText().isEmpty());
}

TEST_F(UserDetailsTest, NotRememberingDeletesTheRowButTheDetailsServeThisRun) {
    storeRow(QStringLiteral("'Old Name', 'Old Street', Null, Null, Null, Null, Null, Null, Null, Null"));
    frmPropUser::installDetailsSource();
    EXPECT_TRUE(dialog().chkRDetails->isChecked());
    EXPECT_TRUE(withDialog([](frmPropUser& d) {
        fillAddress(d);
        d.chkRDetails->setChecked(false);
        d.cmdOK->click();
    }));
    EXPECT_TRUE(row().isEmpty());
    EXPECT_EQ(Current_User_Details().Name, "Ann Collector");
    EXPECT_EQ(Current_User_Details().PostCode, "YO1 7HH");

    nextRun();
    EXPECT_FALSE(dialog().chkRDetails->isChecked());
    EXPECT_TRUE(dialog().details().Name.isEmpty());
}

TEST_F(UserDetailsTest, CancelAndTheCloseBoxPutBackWhatOkLeft) {
    storeRow(QStringLiteral("'Ann Collector', 'York', 'YO1', Null, Null, Null, 'Visa', 'A C', '4111', '01/30'"));
    const auto edit = [](frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Someone Else"));
        d.txtAddress->setPlainText(QStringLiteral("Elsewhere"));
        d.txtExpire->clear();
        d.txtCardNumber->setText(QStringLiteral("9999"));
        d.chkRDetails->setChecked(false);
        d.chkRCard->setChecked(false);
    };
    EXPECT_FALSE(withDialog([&](frmPropUser& d) {
        edit(d);
        d.cmdCancel->click();
    }));
    const auto same = [&] {
        frmPropUser& d = dialog();
        EXPECT_EQ(d.txtName->text(), "Ann Collector");
        EXPECT_EQ(d.txtAddress->toPlainText(), "York");
        EXPECT_EQ(d.txtExpire->text(), "01/30");
        EXPECT_EQ(d.details().CardNumber, "4111");
        EXPECT_TRUE(d.chkRDetails->isChecked());
        EXPECT_TRUE(d.chkRCard->isChecked());
    };
    same();
    // The close box (and Escape) cancel too; the dialog is hidden, not unloaded.
    EXPECT_FALSE(withDialog([&](frmPropUser& d) {
        edit(d);
        d.show();
        d.close();
    }));
    same();
    EXPECT_TRUE(t.ctx().forms.isLoaded(form::UserDetails));
    // After OK, Cancel goes back to what OK stored.
    EXPECT_TRUE(withDialog([](frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Ann B. Collector"));
        d.cmdOK->click();
    }));
    EXPECT_FALSE(withDialog([](frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Typo"));
        d.reject();
    }));
    EXPECT_EQ(dialog().txtName->text(), "Ann B. Collector");
}

TEST_F(UserDetailsTest, AStoredCardTypeWithoutANumberComesUpUnticked) {
    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, 'Visa', Null, Null, Null"));
    EXPECT_TRUE(dialog().chkRDetails->isChecked());
    EXPECT_FALSE(dialog().chkRCard->isChecked());
    EXPECT_EQ(dialog().cboCardType->currentText(), "Visa");
}

TEST_F(UserDetailsTest, TheCardNumberIsStoredSealedAndShownMaskedInTheNextRun) {
    EXPECT_TRUE(rememberAll());
    const QStringList stored = row();
    ASSERT_EQ(stored.size(), 10);
    EXPECT_TRUE(isSealedCard(stored[8])) << stored[8].toStdString();
    EXPECT_EQ(stored[6], "Visa");
    EXPECT_EQ(stored[9], "08/29");

    // No digit of the number in the file, its journal, or what the database tool prints.
    db().Close();
    EXPECT_FALSE(holdsCard(fileBytes(dbPath)));
    EXPECT_FALSE(holdsCard(fileBytes(dbPath + QStringLiteral("-journal"))));
    QProcess tool;
    tool.start(QStringLiteral(KV_APP_DIR "/korvanda-db"),
               {QStringLiteral("sql"), dbPath, QStringLiteral("SELECT * FROM [User Data]")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    const QByteArray printed = tool.readAllStandardOutput();
    EXPECT_TRUE(printed.contains("Ann Collector")) << printed.constData();
    EXPECT_FALSE(holdsCard(printed)) << printed.constData();
    catalogueState().dbCatalogue = Database::open(dbPath);

    nextRun();
    frmPropUser& d = dialog();
    EXPECT_TRUE(d.chkRCard->isChecked());
    EXPECT_TRUE(d.cardNumberMasked());
    EXPECT_EQ(d.txtCardNumber->text(), "•••• •••• •••• 9012");
    EXPECT_EQ(d.details().CardNumber, kCard) << "orders get the number itself";
    // An OK that changes nothing keeps the stored value as it was.
    EXPECT_TRUE(withDialog([](frmPropUser& shown) { shown.cmdOK->click(); }));
    EXPECT_EQ(row()[8], stored[8]);
}

TEST_F(UserDetailsTest, EditingAMaskedNumberStartsANewOne) {
    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, 'Visa', 'A C', '4929 1234 5678 9012', Null"));
    frmPropUser& d = dialog();
    ASSERT_TRUE(d.cardNumberMasked());
    QTest::keyClick(d.txtCardNumber, Qt::Key_5);
    EXPECT_FALSE(d.cardNumberMasked());
    EXPECT_EQ(d.txtCardNumber->text(), "5");
    EXPECT_EQ(d.details().CardNumber, "5");
    // Cancel brings the stored number back, masked again; Backspace clears it.
    d.reject();
    EXPECT_TRUE(d.cardNumberMasked());
    EXPECT_EQ(d.details().CardNumber, kCard);
    QTest::keyClick(d.txtCardNumber, Qt::Key_Backspace);
    EXPECT_TRUE(d.txtCardNumber->text().isEmpty());
    EXPECT_TRUE(d.details().CardNumber.isEmpty());
}

TEST_F(UserDetailsTest, AClearNumberFromAnOlderCopyIsSealedAtTheNextSaveAndLeavesNoTrace) {
    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, 'Visa', 'A C', '4929 1234 5678 9012', '08/29'"));
    ASSERT_TRUE(holdsCard(fileBytes(dbPath)));
    EXPECT_EQ(dialog().details().CardNumber, kCard);
    EXPECT_TRUE(withDialog([](frmPropUser& d) { d.cmdOK->click(); }));
    EXPECT_TRUE(isSealedCard(row()[8]));
    db().Close();
    EXPECT_FALSE(holdsCard(fileBytes(dbPath))) << "the old value must not linger in free space";
    catalogueState().dbCatalogue = Database::open(dbPath);
}

TEST_F(UserDetailsTest, AKeyThatCannotBeReadSaysSoAndKeepsTheStoredNumber) {
    EXPECT_TRUE(rememberAll());
    const QString sealed = row()[8];

    // The next run finds no keyring.
    nextRun();
    mail.secrets.available = false;
    frmPropUser& d = dialog();
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.startsWith("Your stored card number cannot be read: no keyring answers"))
        << t.messages.last().text.toStdString();
    EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
    EXPECT_TRUE(d.details().CardNumber.isEmpty());
    EXPECT_TRUE(d.chkRCard->isChecked());
    // OK without a new number keeps the sealed one for a run that can read it.
    EXPECT_TRUE(withDialog([](frmPropUser& shown) { shown.cmdOK->click(); }));
    EXPECT_EQ(row()[8], sealed);
    // A new number replaces it; with no keyring the key goes to the user's key file.
    EXPECT_TRUE(withDialog([](frmPropUser& shown) {
        shown.txtCardNumber->setText(QStringLiteral("5555 4444 3333 1111"));
        shown.cmdOK->click();
    }));
    EXPECT_NE(row()[8], sealed);
    EXPECT_TRUE(QFile::exists(Card_Key_File()));
}

TEST_F(UserDetailsTest, ASaveTheDatabaseRefusesIsReportedAndLosesNothing) {
    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, Null, Null, Null, Null"));
    const QStringList before = row();
    dialog();
    db().connection()->exec("PRAGMA query_only=ON");
    EXPECT_TRUE(withDialog([&](frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Ann Collector"));
        d.cmdOK->click();
        // Refused: the error is shown and the dialog stays, with what was typed.
        EXPECT_FALSE(d.Accepted);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        ASSERT_FALSE(t.messages.boxes.empty());
        EXPECT_EQ(t.messages.last().title, "Error");
        EXPECT_TRUE(t.messages.last().text.endsWith("cmdOK_Click")) << t.messages.last().text.toStdString();
        EXPECT_EQ(d.txtName->text(), "Ann Collector");
        db().connection()->exec("PRAGMA query_only=OFF");
        EXPECT_EQ(row(), before);
        d.cmdOK->click();
    }));
    EXPECT_EQ(row().first(), "Ann Collector");
    EXPECT_EQ(t.busy.depth(), 0);
}

// A disk that fails the n-th write, sync or lock while the details are saved, for every n
// the save reaches: each failure is shown and leaves the row exactly as it was; once the
// save gets through, the row is the new one.
TEST_F(UserDetailsTest, EveryDiskFailureDuringASaveIsShownAndLeavesTheRowAsItWas) {
    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, Null, Null, Null, Null"));
    const QStringList before = row();
    // The database again, through the failing disk.
    CloseCollections();
    db().Close();
    std::optional<FaultyVfs> disk;
    disk.emplace();
    catalogueState().dbCatalogue = Database::open(dbPath);
    ASSERT_TRUE(bInit_RCollections());

    struct Change {
        const char* what;
        std::function<void(frmPropUser&)> make;
        std::function<bool(const QStringList&)> made;
    };
    const Change changes[] = {
        {"a new name", [](frmPropUser& d) { d.txtName->setText(QStringLiteral("Ann Collector")); },
         [](const QStringList& r) { return !r.isEmpty() && r.first() == "Ann Collector"; }},
        {"forgetting", [](frmPropUser& d) { d.chkRDetails->setChecked(false); },
         [](const QStringList& r) { return r.isEmpty(); }},
    };
    for (const Change& change : changes)
        for (FaultyVfs::Kind kind : {FaultyVfs::Write, FaultyVfs::Sync, FaultyVfs::Lock}) {
            bool reachedTheEnd = false;
            int failures = 0;
            for (int n = 1; n <= 60 && !reachedTheEnd; ++n) {
                SCOPED_TRACE(std::string(change.what) + ", kind " + std::to_string(kind) + ", call " +
                             std::to_string(n));
                nextRun();
                dialog();
                const size_t shown = t.messages.boxes.size();
                bool fired = false;
                const bool saved = withDialog([&](frmPropUser& d) {
                    change.make(d);
                    disk->arm(n, kind);
                    d.cmdOK->click();
                    disk->disarm();
                    fired = disk->fired();
                    if (!d.Accepted) d.reject();
                });
                reachedTheEnd = !fired;
                if (!saved) {
                    ++failures;
                    EXPECT_TRUE(fired) << "only the failing disk stops the save";
                    EXPECT_GT(t.messages.boxes.size(), shown) << "the failure reaches the user";
                    EXPECT_EQ(row(), before);
                } else {
                    EXPECT_TRUE(change.made(row()));
                    // Back to the stored row for the next try.
                    db().Execute(QStringLiteral("DELETE FROM [User Data]"));
                    storeRow(QStringLiteral("'Ann', 'York', Null, Null, Null, Null, Null, Null, Null, Null"));
                }
                EXPECT_EQ(t.busy.depth(), 0);
            }
            EXPECT_TRUE(reachedTheEnd) << "the save makes fewer calls than the test tries";
            EXPECT_GT(failures, 0) << change.what << ": the disk never failed the save";
        }
    nextRun();
    CloseCollections();
    db().Close();
    disk.reset();
    catalogueState().dbCatalogue = Database::open(dbPath);
    ASSERT_TRUE(bInit_RCollections());
}
