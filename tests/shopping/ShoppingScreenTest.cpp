// The shopping screen as a collector uses it: the shopping list with its order ticks, the
// shop directory by town, the shops' pages and the three ordering pages, on the shipped shop
// directory and a real database.

#include "ShoppingFixture.h"

#include "fakes/Accessibility.h"
#include "settings/ui/frmHelp.h"
#include "shopping/frmSendMail.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

// The user cancels the locate-file dialog.
class CancelledLocator : public IFileLocator {
public:
    bool locate(const QString&, QString& fullPath, const QString&, const QString&, const QString&) override {
        ++asked;
        fullPath.clear();
        return false;
    }
    int asked = 0;
};

class ShoppingScreenTest : public ShoppingTest {
protected:
    QStringList towns() {
        QStringList all;
        for (int i = 0; i < screen().cboTowns->count(); ++i)
            all << screen().cboTowns->itemText(i);
        return all;
    }
    // Whether a control is shown in the current mode (the screen itself may be hidden).
    static bool shown(QWidget* w) { return !w->isHidden(); }
    void fillUserDetails(frmPropUser& d) {
        d.txtName->setText(QStringLiteral("Ann Collector"));
        d.txtAddress->setPlainText(QStringLiteral("3 Elm Road, York"));
        d.txtPostCode->setText(QStringLiteral("YO1 7HH"));
    }
};

} // namespace

TEST_F(ShoppingScreenTest, TheRecordSourcesAreBuiltOnceAsDesigned) {
    frmShopping& s = screen();
    EXPECT_EQ(s.orderSource(),
              "SELECT DISTINCTROW [Collection - Contents].[Catalogue Number],[Collection - Contents].[Album ID], "
              "[Title]+\"  (\"+[Artist]+\")\" AS Both,[Collection - Contents].Order as [Order it],"
              "[Collection - Contents].Deleted From [Collection - Contents] WHERE ((([Collection - "
              "Contents].[Collection ID])=1)) ORDER BY [Collection - Contents].Title, [Collection - "
              "Contents].Artist;");
    EXPECT_EQ(s.orderedSource(), Order_Items_SQL()) << "the ordering pages show what the letter lists";
    EXPECT_EQ(s.printSource(),
              "SELECT DISTINCTROW [Collection - Contents].*, [Title]+\"  (\"+[Artist]+\")\" AS Both From "
              "[Collection - Contents] WHERE (([Collection - Contents].[Collection ID]=1) AND ([Collection - "
              "Contents].[Order]=True)) ORDER BY [Collection - Contents].Title, [Collection - Contents].Artist;");
    EXPECT_EQ(s.clearSource(),
              "UPDATE DISTINCTROW [Collection - Contents] SET [Collection - Contents].[Order] = False WHERE "
              "((([Collection - Contents].[Collection ID])=1));");
    EXPECT_EQ(s.Data1->RecordSource(), s.orderSource());
}

TEST_F(ShoppingScreenTest, LoadingClearsTheOrderMarksOfTheShoppingListOnly) {
    wantThree();
    db().Execute(QStringLiteral("UPDATE [Collection - Contents] SET [Order] = True"));
    db().Execute(QStringLiteral("INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number], "
                                "[Title], [Order]) VALUES (0, \"OWN 1\", \"Owned\", True)"));
    screen();
    EXPECT_TRUE(ticked().isEmpty());
    EXPECT_EQ(queryColumn(db(), QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] "
                                                "WHERE [Order]=True")),
              QStringList{"OWN 1"});
    EXPECT_EQ(screen().mode(), screen::ShoppingList);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::ShoppingList);
}

TEST_F(ShoppingScreenTest, TheListShowsEachRecordingWithItsTickBox) {
    wantThree();
    // Without an artist the recording has no "Both": its catalogue number stands in, and the
    // rows after it still show.
    want(14, QStringLiteral("Ascension"), QVariant(), QStringLiteral("AS 95"));
    frmShopping& s = screen();
    EXPECT_EQ(rowsShown(), (QStringList{"A Love Supreme  (John Coltrane)", "AS 95", "Blue Train  (John Coltrane)",
                                        "Kind of Blue  (Miles Davis)"}));
    QHeaderView* header = s.TDBGrid1->horizontalHeader();
    EXPECT_FALSE(header->isHidden());
    EXPECT_EQ(s.Data1->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Recording");
    EXPECT_EQ(s.Data1->headerData(frmShopping::kOrderColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Order it");
    for (int c : {0, 1, 4})
        EXPECT_TRUE(s.TDBGrid1->isColumnHidden(c)) << c;
    EXPECT_EQ(header->sectionResizeMode(frmShopping::kOrderColumn), QHeaderView::Fixed);
    const QModelIndex box = s.Data1->index(0, frmShopping::kOrderColumn);
    EXPECT_EQ(s.Data1->data(box, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(s.Data1->flags(box) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(s.Data1->flags(s.Data1->index(0, 2)) & Qt::ItemIsUserCheckable);
    // The current column stays on the tick box, whatever the user clicks.
    s.TDBGrid1->setCurrentIndex(s.Data1->index(1, 2));
    EXPECT_EQ(s.TDBGrid1->currentIndex().column(), frmShopping::kOrderColumn);
    EXPECT_EQ(s.TDBGrid1->currentIndex().row(), 1);
}

TEST_F(ShoppingScreenTest, SpaceEnterAClickAndTheMenuStoreTheSameFlag) {
    wantThree();
    frmShopping& s = screen();
    s.TDBGrid1->setFocus();
    selectRow(0);
    QTest::keyClick(s.TDBGrid1, Qt::Key_Space);
    EXPECT_EQ(ticked(), QStringList{"A-77"}) << "in the database the moment it is made";
    EXPECT_TRUE(s.Data1->isTicked(0, frmShopping::kOrderColumn));
    QTest::keyClick(s.TDBGrid1, Qt::Key_Return);
    EXPECT_TRUE(ticked().isEmpty());

    // The menu of the second row: its caption follows the tick.
    selectRow(1);
    s.preparePopup();
    EXPECT_EQ(s.mnuPop1Order->text(), "Order Item");
    EXPECT_EQ(s.mnuPop1node->defaultAction(), s.mnuPop1Prop);
    s.mnuPop1Order->trigger();
    EXPECT_EQ(ticked(), QStringList{"BLP 1577"});
    s.preparePopup();
    EXPECT_EQ(s.mnuPop1Order->text(), "Don't Order Item");
    s.mnupop1remove->trigger();
    EXPECT_TRUE(ticked().isEmpty());
    s.mnupop1remove->trigger();
    EXPECT_TRUE(ticked().isEmpty()) << "\"Don't Order Item\" only ever clears";

    // A click on the box of the third row.
    s.show();
    s.TDBGrid1->scrollTo(s.Data1->index(2, frmShopping::kOrderColumn));
    const QRect cell = s.TDBGrid1->visualRect(s.Data1->index(2, frmShopping::kOrderColumn));
    QTest::mouseClick(s.TDBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(ticked(), QStringList{"CL 1355"});
    EXPECT_EQ(s.Data1->currentRow(), 2);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ShoppingScreenTest, ATickTheDatabaseRefusesIsReportedAndTheBoxShowsWhatIsStored) {
    wantThree();
    frmShopping& s = screen();
    selectRow(0);
    db().connection()->exec("PRAGMA query_only=ON");
    s.Toggle_Order();
    db().connection()->exec("PRAGMA query_only=OFF");
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().title, "Error");
    EXPECT_FALSE(s.Data1->isTicked(0, frmShopping::kOrderColumn));
    EXPECT_TRUE(ticked().isEmpty());
    // The next try, with the database writable again, is stored.
    s.Toggle_Order();
    EXPECT_EQ(ticked(), QStringList{"A-77"});
}

TEST_F(ShoppingScreenTest, TheDirectoryAndPrintButtonsNeedATickedItem) {
    frmShopping& s = screen();
    s.imgDirectory_Click();
    EXPECT_EQ(t.messages.texts(), QStringList{"There are no items in your shopping list"});
    EXPECT_EQ(t.messages.beeps, 1);
    EXPECT_EQ(s.mode(), screen::ShoppingList);

    wantThree();
    s.Form_Mode(screen::ShoppingList);
    selectRow(2);
    s.imgDirectory_Click();
    s.imgPrint_Click();
    EXPECT_EQ(t.messages.texts(), (QStringList{"There are no items in your shopping list",
                                               "Please select the items you wish to order",
                                               "Please select the items you wish to order"}));
    EXPECT_EQ(t.messages.beeps, 3);
    EXPECT_EQ(s.mode(), screen::ShoppingList);
    EXPECT_EQ(s.Data1->currentRow(), 2) << "looking for a tick does not move the grid";

    tickRow(1);
    selectRow(2);
    s.imgDirectory_Click();
    EXPECT_EQ(s.mode(), screen::ShopDirectory);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::ShopDirectory);
    EXPECT_TRUE(s.TDBGrid1->isHidden());
    EXPECT_FALSE(s.MvrShops->isHidden());
}

TEST_F(ShoppingScreenTest, AnItemOutOfPrintShowsTheTipAndTheWayToVMB) {
    wantThree();
    frmShopping& s = screen();
    selectRow(2); // Kind of Blue, deleted in 1971
    EXPECT_TRUE(shown(s.imgVMB));
    frmHelp* tip = frmHelp::instance();
    EXPECT_EQ(tip->Label1->text(), "The item you have selected is out of print.\rTry VMB who may be able to locate it");
    EXPECT_TRUE(tip->isVisible());
    selectRow(0);
    EXPECT_FALSE(shown(s.imgVMB));
    EXPECT_FALSE(tip->isVisible());

    selectRow(2);
    s.imgVMB_Click();
    EXPECT_EQ(s.mode(), screen::ShopDirectory);
    EXPECT_EQ(s.cboTowns->currentIndex(), 1);
    EXPECT_EQ(s.cboTowns->currentText(), "* VMB: Out of Print");
    EXPECT_TRUE(s.MvrShops->pageText().contains("VMB - Vinyl & Music Brokers"));
    EXPECT_FALSE(tip->isVisible()) << "the tip belongs to the list";
}

TEST_F(ShoppingScreenTest, TheTownChooserListsTheDirectoryAndJumpsToTheTownsPage) {
    wantThree();
    frmShopping& s = screen();
    const QStringList all = towns();
    ASSERT_EQ(all.size(), 14);
    EXPECT_EQ(all.mid(0, 4), (QStringList{"* Mail Order", "* VMB: Out of Print", "Bath", "Brighton"}));
    EXPECT_EQ(s.cboTowns->currentIndex(), 0) << "the first town is chosen when the screen loads";
    EXPECT_EQ(s.MvrShops->topicTitle(), "* Mail Order");
    tickRow(0);
    s.imgDirectory_Click();
    chooseTown(QStringLiteral("Leeds"));
    EXPECT_EQ(s.MvrShops->topicTitle(), "Leeds");
    EXPECT_EQ(s.savedPosition().viewAddress, s.MvrShops->currentAddress());
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ShoppingScreenTest, AShopsHotspotChoosesItAndOffersOnlyTheWaysItCanBeReached) {
    wantThree();
    frmShopping& s = screen();
    tickRow(0);
    s.imgDirectory_Click();
    chooseTown(QStringLiteral("Leeds"));
    EXPECT_FALSE(shown(s.imgPhone));
    // No phone, neither featured nor taking orders directly.
    clickShop(QStringLiteral("Chapel Allerton Music"));
    EXPECT_EQ(s.shop().Name, "Chapel Allerton Music");
    EXPECT_FALSE(shown(s.imgPhone));
    EXPECT_FALSE(shown(s.imgFeature));
    EXPECT_FALSE(shown(s.imgOrderDirect));

    clickShop(QStringLiteral("Kirkgate Vinyl Exchange"));
    EXPECT_EQ(s.shop().Phone, "0113 496 0440");
    EXPECT_TRUE(s.shop().Featured);
    EXPECT_TRUE(s.shop().OrdersDirect);
    EXPECT_TRUE(shown(s.imgPhone));
    EXPECT_TRUE(shown(s.imgFeature));
    EXPECT_TRUE(shown(s.imgOrderDirect));

    // Featured: the shop's own page; back returns to the directory where it was left.
    const ViewerPosition directory = s.MvrShops->position();
    s.imgFeature_Click();
    EXPECT_EQ(s.mode(), screen::FeaturedShop);
    EXPECT_EQ(s.MvrShops->topicContext(), "S_6");
    EXPECT_TRUE(s.cboTowns->isHidden());
    EXPECT_TRUE(Back_Screen());
    EXPECT_EQ(s.mode(), screen::ShopDirectory);
    EXPECT_EQ(s.MvrShops->currentAddress(), directory.viewAddress);

    // The "Takes orders directly" hotspot leads to the order-direct page, with fax and e-mail.
    clickShop(QStringLiteral("Kirkgate Vinyl Exchange"), u'O');
    EXPECT_EQ(s.mode(), screen::OrderDirectShop);
    EXPECT_EQ(s.MvrShops->topicContext(), "S_6");
    EXPECT_TRUE(shown(s.imgFax));
    EXPECT_TRUE(shown(s.imgEmail));
    EXPECT_TRUE(shown(s.imgPhone));
    EXPECT_FALSE(shown(s.imgFeature));

    // The telephone page remembers where it came from.
    s.imgPhone_Click();
    EXPECT_EQ(s.mode(), screen::PhoneOrder);
    EXPECT_EQ(s.imgPhone->tag, "8");
    EXPECT_TRUE(Back_Screen());
    EXPECT_EQ(s.mode(), screen::OrderDirectShop);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ShoppingScreenTest, TheOrderingPagesSayWhatTheyAreForInTheirOwnWords) {
    wantThree();
    frmShopping& s = screen();
    tickRow(1);
    tickRow(0);
    s.imgDirectory_Click();
    chooseTown(QStringLiteral("Leeds"));
    clickShop(QStringLiteral("Kirkgate Vinyl Exchange"), u'O');
    const QString shopLines = QStringLiteral("Kirkgate Vinyl Exchange\n\rUnit 12, Kirkgate Market, Leeds LS2 7HY");

    s.imgPhone_Click();
    EXPECT_EQ(s.lblOrders[0]->text(), "Welcome to the Telephone ordering page.  You wish to order from :");
    EXPECT_EQ(s.lblOrders[1]->text(), shopLines);
    EXPECT_EQ(s.lblOrders[2]->text(), "You have selected the following titles to order now");
    EXPECT_EQ(s.lblOrders[3]->text(),
              "Call us to order your selection.  If you wish to pay now then get your credit card ready\n\r\n\r"
              "Please note that if you have been warned that a title is deleted we may not be able to get it "
              "for you");
    EXPECT_EQ(s.lblOrders[4]->text(), "Phone us on :  0113 496 0440");
    for (QWidget* w : std::initializer_list<QWidget*>{s.imgSend, s.imgUser, s.chkContact, s.chkCardPay})
        EXPECT_FALSE(shown(w)) << w->objectName().toStdString() << ": the telephone page sends nothing";
    EXPECT_EQ(rowsShown(1), (QStringList{"A Love Supreme  (John Coltrane)", "Blue Train  (John Coltrane)"}));
    EXPECT_EQ(s.Data1->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Recording (Artist)");

    Back_Screen();
    s.imgFax_Click();
    EXPECT_EQ(s.mode(), screen::FaxOrder);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::FaxOrder);
    EXPECT_EQ(s.lblOrders[0]->text(), "Welcome to the Fax ordering page.  You wish to order from :");
    EXPECT_EQ(s.lblOrders[3]->text(),
              "Please click 'Your Details' to enter/edit your personal (and optionally credit card) details");
    EXPECT_EQ(s.lblOrders[4]->text(), "Click 'Send' to dispatch your order to :0113 496 0441");
    for (QWidget* w : std::initializer_list<QWidget*>{s.imgSend, s.imgUser, s.chkContact, s.chkCardPay})
        EXPECT_TRUE(shown(w)) << w->objectName().toStdString();
    EXPECT_EQ(s.chkContact->text(), "Please Contact me to Confim Order");
    EXPECT_EQ(s.chkCardPay->text(), "Pay by Credit Card");

    EXPECT_TRUE(Back_Screen());
    EXPECT_EQ(s.mode(), screen::OrderDirectShop);
    s.imgEmail_Click();
    EXPECT_EQ(s.lblOrders[0]->text(), "Welcome to the E-mail ordering page.  You wish to order from :");
    EXPECT_EQ(s.lblOrders[4]->text(), "Click 'Send' to dispatch your order to:exchange@kirkgatevinyl.example");
    EXPECT_EQ(s.imgSend->normalPicture(), 10000 + 5056);
    EXPECT_EQ(s.imgSend->pressedPicture(), 10000 + 5058);
}

TEST_F(ShoppingScreenTest, SendAsksForTheDetailsItNeedsAndTheEmailPageMails) {
    wantThree();
    toEmailPage(QStringLiteral("Leeds"), QStringLiteral("Kirkgate Vinyl Exchange"));
    frmShopping& s = screen();
    mail.mail.server = false;

    // No name and address: the dialog opens; cancelling it sends nothing.
    t.dialogs.script([](QDialog& d) { static_cast<frmPropUser&>(d).cmdCancel->click(); });
    s.imgSend_Click();
    EXPECT_EQ(t.messages.texts(), QStringList{"Please enter your name and Address"});
    EXPECT_EQ(t.dialogs.shown, QStringList{"frmPropUser"});
    EXPECT_TRUE(mail.mail.accounts.empty());

    // Paying by card without card details asks for them, on the card tab.
    s.chkCardPay->setChecked(true);
    s.chkContact->setChecked(true);
    t.dialogs.script([this](QDialog& d) {
        auto& details = static_cast<frmPropUser&>(d);
        fillUserDetails(details);
        details.cmdOK->click();
    });
    int cardTab = -1;
    t.dialogs.script([&](QDialog& d) {
        auto& details = static_cast<frmPropUser&>(d);
        cardTab = details.SSTab1->currentIndex();
        details.cboCardType->setEditText(QStringLiteral("Visa"));
        details.txtCardName->setText(QStringLiteral("A COLLECTOR"));
        details.txtCardNumber->setText(QStringLiteral("4929 1234 5678 9012"));
        details.txtExpire->setText(QStringLiteral("08/29"));
        details.cmdOK->click();
    });
    QString letter;
    t.dialogs.script([&](QDialog& d) {
        auto& send = static_cast<frmSendMail&>(d);
        letter = send.letter();
        EXPECT_EQ(send.txtTo->text(), "exchange@kirkgatevinyl.example");
        send.cmdCancel->click();
    });
    s.imgSend_Click();
    EXPECT_EQ(cardTab, 1);
    EXPECT_EQ(t.messages.texts(), (QStringList{"Please enter your name and Address", "Please enter your name and Address",
                                               "Please enter your card details", "Message Cancelled"}));
    EXPECT_TRUE(letter.contains("\tAnn Collector\r\t3 Elm Road, York\r\tYO1 7HH\r"));
    EXPECT_TRUE(letter.contains("Please contact me to confirm the order.\r"));
    EXPECT_TRUE(letter.contains("Name Number\t:\t4929 1234 5678 9012\r"));
    EXPECT_TRUE(letter.contains("Recording name  \t:\tA Love Supreme\r"));
    EXPECT_TRUE(mail.mail.sent.empty());
    EXPECT_EQ(ticked(), QStringList{"A-77"}) << "a cancelled order keeps its marks";

    // Again, and this time the message goes.
    t.dialogs.script([](QDialog& d) { static_cast<frmSendMail&>(d).cmdSend->click(); });
    s.imgSend_Click();
    ASSERT_EQ(mail.mail.sent.size(), 1u);
    EXPECT_EQ(mail.mail.sent.front().mail.subject, "RECORD ORDER");
    EXPECT_EQ(mail.mail.sent.front().mail.to, "exchange@kirkgatevinyl.example");
    EXPECT_EQ(t.messages.boxes.size(), 4u) << "the details were there: no more questions";
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(ShoppingScreenTest, WithoutTheShopDirectoryTheProgramEndsThroughItsShutdown) {
    wantThree();
    settings.set(QStringLiteral("File Locations"), QStringLiteral("Shops.M14"), dir.filePath("gone/Shops.M14"));
    auto* locator = new CancelledLocator;
    t.ctx().services.locator.reset(locator);
    bool shutDown = false;
    t.ctx().shutdownSteps.push_back({QStringLiteral("database"), [&] { shutDown = true; }});
    background()->Show_me();
    Go_To_Screen(screen::ShoppingList);
    EXPECT_EQ(locator->asked, 1);
    EXPECT_EQ(t.messages.texts(), QStringList{"Unable to continue without the Shops.M14 file"});
    EXPECT_TRUE(t.messages.last().title.isEmpty()) << "the application's title";
    auto* s = t.ctx().forms.find<frmShopping>(form::Shopping);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->isUsable());
    EXPECT_FALSE(s->isVisible());
    EXPECT_FALSE(shutDown) << "not from inside the window being loaded";
    QCoreApplication::processEvents();
    EXPECT_TRUE(shutDown);
    EXPECT_FALSE(t.ctx().forms.isLoaded(form::Shopping));
    EXPECT_EQ(t.messages.boxes.size(), 1u) << "no exit question";
}

TEST_F(ShoppingScreenTest, ATitleWithoutTheTownsWheelIsReportedAndLeavesTheChooserEmpty) {
    // The catalogue title is one of ours (it validates) but has no wheel "|4".
    settings.set(QStringLiteral("File Locations"), QStringLiteral("Shops.M14"), QStringLiteral(KV_APP_DIR "/Music.M14"));
    frmShopping& s = screen();
    EXPECT_TRUE(s.isUsable());
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, "Unable to open Word Wheel \"4\".");
    EXPECT_EQ(t.messages.last().title, "Keyword Index");
    EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
    EXPECT_EQ(s.cboTowns->count(), 0);
}

TEST_F(ShoppingScreenTest, EveryModeIsReachableByAScreenReader) {
    wantThree();
    frmShopping& s = screen();
    s.show();
    EXPECT_TRUE(isAccessible(&s)) << "the shopping list";
    tickRow(0);
    s.imgDirectory_Click();
    chooseTown(QStringLiteral("Leeds"));
    clickShop(QStringLiteral("Kirkgate Vinyl Exchange"));
    EXPECT_TRUE(isAccessible(&s)) << "the directory";
    s.imgOrderDirect_Click();
    EXPECT_TRUE(isAccessible(&s)) << "the order-direct page";
    s.imgEmail_Click();
    EXPECT_TRUE(isAccessible(&s)) << "the e-mail page";
    frmPropUser* details = frmPropUser::instance();
    details->show();
    EXPECT_TRUE(isAccessible(details)) << "the user details";
    details->hide();
}
