// The image button as the keyboard and a screen reader meet it, and the accessibility
// walker the screens' tests rely on.
#include "fakes/Accessibility.h"
#include "fakes/Fakes.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/QtResources.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace kv;

namespace {

// A picture that takes clicks as the old image buttons did: a label to a screen reader.
class ClickablePicture : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();
};

struct ImageButtonTest : ::testing::Test {
    test::TestContext t;
    QWidget window;
    QLineEdit* box;
    ImageButton* button;
    QStringList signals_;

    ImageButtonTest() {
        t.ctx().services.resources = std::make_unique<QtResources>();
        box = new QLineEdit(&window);
        box->setAccessibleName(QStringLiteral("Text"));
        // The search screen's "go" pictures.
        button = new ImageButton(13010, 13011, &window);
        button->move(0, 40);
        QObject::connect(button, &ImageButton::pressed, [this] { signals_ << "pressed"; });
        QObject::connect(button, &ImageButton::released, [this] { signals_ << "released"; });
        QObject::connect(button, &ImageButton::clicked, [this] { signals_ << "clicked"; });
        window.show();
        QApplication::setActiveWindow(&window);
    }
    QAccessibleInterface* iface() { return QAccessible::queryAccessibleInterface(button); }
    const QStringList kClick{"pressed", "released", "clicked"};
};

} // namespace

TEST_F(ImageButtonTest, AScreenReaderSeesAPushButtonItCanPress) {
    QAccessibleInterface* a = iface();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Button);
    // No name of its own: the tip says what it does.
    button->setToolTip(QStringLiteral("Search"));
    EXPECT_EQ(a->text(QAccessible::Name), "Search");
    button->setAccessibleName(QStringLiteral("Go"));
    EXPECT_EQ(a->text(QAccessible::Name), "Go");
    EXPECT_TRUE(a->state().focusable);

    QAccessibleActionInterface* actions = a->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    // Like a push button's, the click comes from the event loop: the request returns first.
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(signals_, QStringList{"pressed"});
    EXPECT_TRUE(a->state().pressed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return signals_.size() == 3; }));
    EXPECT_EQ(signals_, kClick);
    EXPECT_EQ(button->shownPicture(), 13010);

    // A disabled button offers no press, and pressing it anyway does nothing.
    signals_.clear();
    button->setEnabled(false);
    EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_TRUE(signals_.isEmpty());
}

TEST_F(ImageButtonTest, TabReachesItAndSpaceOrEnterPressIt) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    ASSERT_TRUE(button->hasFocus());

    // Space: down while held (pressed picture), a click on release.
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_TRUE(button->isDown());
    EXPECT_EQ(button->shownPicture(), 13011);
    EXPECT_EQ(signals_, QStringList{"pressed"});
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(signals_, kClick);
    EXPECT_EQ(button->shownPicture(), 13010);

    signals_.clear();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(signals_, kClick);

    // Held down while the focus leaves: released without a click.
    signals_.clear();
    QTest::keyPress(button, Qt::Key_Space);
    box->setFocus();
    EXPECT_EQ(signals_, (QStringList{"pressed", "released"}));
    EXPECT_FALSE(button->isDown());

    // Other keys are not clicks.
    signals_.clear();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_A);
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(signals_.isEmpty());
}

TEST_F(ImageButtonTest, AMouseClickLeavesTheFocusWhereItWas) {
    box->setFocus();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(signals_, kClick);
    EXPECT_TRUE(box->hasFocus());
}

TEST_F(ImageButtonTest, AButtonThatKeepsItsPressedPictureKeepsItForTheKeyboardToo) {
    button->setRestoreOnRelease(false);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(signals_, kClick);
    EXPECT_EQ(button->shownPicture(), 13011);
}

TEST(AccessibilityWalker, FindsUnnamedControlsAndClickablePicturesItCannotPress) {
    test::TestContext t;
    QWidget window;
    window.setObjectName(QStringLiteral("window"));
    auto* unnamed = new QLineEdit(&window);
    unnamed->setObjectName(QStringLiteral("txtNobody"));
    auto* label = new QLabel(QStringLiteral("Name"), &window);
    auto* labelled = new QLineEdit(&window);
    label->setBuddy(labelled);
    new QPushButton(QStringLiteral("OK"), &window);
    auto* image = new ImageButton(0, 0, &window);
    image->setObjectName(QStringLiteral("imgBare"));
    auto* fake = new QPushButton(&window);
    fake->setObjectName(QStringLiteral("cmdBlank"));
    auto* hidden = new QLineEdit(&window);
    hidden->hide();

    const QStringList faults = test::accessibilityFaults(&window);
    EXPECT_EQ(faults.size(), 3) << faults.join('\n').toStdString();
    EXPECT_TRUE(faults.filter("txtNobody").value(0).endsWith("no name"));
    EXPECT_TRUE(faults.filter("imgBare").value(0).endsWith("no name"));
    EXPECT_TRUE(faults.filter("cmdBlank").value(0).endsWith("no name"));

    image->setAccessibleName(QStringLiteral("Scroll up"));
    unnamed->setAccessibleName(QStringLiteral("Nobody"));
    fake->setText(QStringLiteral("Cancel"));
    EXPECT_TRUE(test::isAccessible(&window));

    // A window with nothing to operate is not a pass.
    QWidget empty;
    new QLabel(QStringLiteral("just text"), &empty);
    EXPECT_FALSE(test::isAccessible(&empty));
}

TEST(AccessibilityWalker, AClickablePictureThatIsNotAButtonFails) {
    test::TestContext t;
    QWidget window;
    auto* named = new QLineEdit(&window);
    named->setAccessibleName(QStringLiteral("Text"));
    auto* picture = new ClickablePicture(&window);
    picture->setObjectName(QStringLiteral("imgOld"));
    picture->setAccessibleName(QStringLiteral("Search"));
    const QStringList faults = test::accessibilityFaults(&window);
    ASSERT_EQ(faults.size(), 1) << faults.join('\n').toStdString();
    EXPECT_TRUE(faults[0].contains("imgOld")) << faults[0].toStdString();
    EXPECT_TRUE(faults[0].contains("acts on a click")) << faults[0].toStdString();
}

TEST(AccessibilityWalker, ControlsOnOtherTabsAreCheckedAndTheTabsNamed) {
    test::TestContext t;
    QWidget window;
    auto* tabs = new QTabWidget(&window);
    auto* first = new QWidget;
    (new QLineEdit(first))->setAccessibleName(QStringLiteral("First"));
    auto* second = new QWidget;
    auto* onSecond = new QLineEdit(second);
    onSecond->setObjectName(QStringLiteral("txtSecond"));
    tabs->addTab(first, QStringLiteral("One"));
    tabs->addTab(second, QStringLiteral("Two"));
    window.show();
    const QStringList faults = test::accessibilityFaults(&window);
    ASSERT_EQ(faults.size(), 1) << faults.join('\n').toStdString();
    EXPECT_TRUE(faults[0].contains("txtSecond"));
}

TEST(DialogButtons, OkCancelHelpInOrderWithOkTheDefault) {
    test::TestContext t;
    QDialog dialog;
    const DialogButtonRow row =
        dialogButtonRow(&dialog, QStringLiteral("Ok"), QStringLiteral("btnOK"), QStringLiteral("btnCancel"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row.layout);
    EXPECT_EQ(row.ok->objectName(), "btnOK");
    EXPECT_EQ(row.ok->text(), "Ok");
    EXPECT_EQ(row.cancel->objectName(), "btnCancel");
    EXPECT_EQ(row.help->objectName(), "cmdHelp");
    EXPECT_TRUE(row.ok->isDefault());
    EXPECT_FALSE(row.cancel->isDefault());
    // A stretch, then the three buttons left to right.
    ASSERT_EQ(row.layout->count(), 4);
    EXPECT_EQ(row.layout->itemAt(1)->widget(), row.ok);
    EXPECT_EQ(row.layout->itemAt(2)->widget(), row.cancel);
    EXPECT_EQ(row.layout->itemAt(3)->widget(), row.help);
    // Enter in the dialog is OK.
    bool accepted = false;
    QObject::connect(row.ok, &QPushButton::clicked, [&] { accepted = true; });
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(accepted);
}

#include "ImageButtonTest.moc"
