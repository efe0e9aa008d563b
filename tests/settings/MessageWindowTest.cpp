#include "fakes/Fakes.h"
#include "platform/FormNames.h"
#include "settings/Printers.h"
#include "settings/ui/frmHelp.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class MessageWindowTest : public ::testing::Test {
protected:
    test::TestContext tc;
};

TEST_F(MessageWindowTest, MessageShowsCentredAt14PointThenHidesAt8) {
    bool seen = false;
    QTimer::singleShot(50, [&] {
        frmHelp* w = ctx().forms.find<frmHelp>(form::Message);
        ASSERT_NE(w, nullptr);
        seen = true;
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->Label1->text(), "Printing ...");
        EXPECT_EQ(w->Label1->font().pointSize(), 14);
        EXPECT_EQ(w->width(), w->Label1->width() + 4);
        EXPECT_EQ(w->height(), w->Label1->height() + 2);
        const QRect screen = w->screen()->geometry();
        EXPECT_NEAR(w->frameGeometry().center().x(), screen.center().x(), 2);
        EXPECT_NEAR(w->frameGeometry().center().y(), screen.center().y(), 2);
        // Shown in front without taking the focus.
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_FALSE(w->isActiveWindow());
    });
    QElapsedTimer clock;
    clock.start();
    Show_Message(0.3, "Printing ...");
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_TRUE(seen);
    frmHelp* w = ctx().forms.find<frmHelp>(form::Message);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->Label1->font().pointSize(), 8);
}

TEST_F(MessageWindowTest, ANoticeReturnsAtOnceAndHidesOnlyItself) {
    QElapsedTimer clock;
    clock.start();
    Show_Notice(0.2, "Order sent to orders@spincity.example");
    EXPECT_LT(clock.elapsed(), 150) << "the user goes on while it shows";
    frmHelp* w = ctx().forms.find<frmHelp>(form::Message);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label1->font().pointSize(), 14);
    QTest::qWait(400);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->Label1->font().pointSize(), 8);

    // A tip shown before the notice's time is up stays.
    Show_Notice(0.2, "Order sent");
    Show_Tip("A tip");
    QTest::qWait(400);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label1->text(), "A tip");
    Show_Tip(QString());
}

TEST_F(MessageWindowTest, TipShowsNextToThePointerAndHidesOnEmptyText) {
    Show_Tip("'Blue Train'\r\n added to 'Jazz' collection");
    frmHelp* w = ctx().forms.find<frmHelp>(form::Message);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Label1->font().pointSize(), 8);
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w->geometry())) << "the tip stays on the screen";
    const QPoint pointer = QCursor::pos();
    if (screen.adjusted(0, 0, -w->width() - 40, -w->height() - 40).contains(pointer)) {
        EXPECT_LT((w->pos() - pointer).manhattanLength(), 60);
    }
    Show_Tip("");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MessageWindowTest, TextIsShownAsItStandsAndStaysOnTheScreen) {
    Show_Tip("<b>Bold</b> & <i>Co</i>");
    frmHelp* w = ctx().forms.find<frmHelp>(form::Message);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Label1->textFormat(), Qt::PlainText);
    EXPECT_EQ(w->Label1->text(), "<b>Bold</b> & <i>Co</i>");

    const QString huge = QString("word ").repeated(5000);
    w->setMessage(huge, frmHelp::kMessagePointSize);
    EXPECT_LE(w->width(), w->screen()->availableGeometry().width());
    EXPECT_GT(w->height(), w->Label1->fontMetrics().height() * 3); // wrapped, not cut
    Show_Tip("");
}

} // namespace
