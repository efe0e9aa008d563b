// Pictures of the collection and item dialogs for docs/screenshots: run with
// KV_SCREENSHOTS=<folder>. The session also checks what each picture shows.

#include "CollectionFixture.h"

#include "collections/frmPropAlbum.h"
#include "collections/frmpropCollection.h"
#include "settings/ui/frmHelp.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

// A small icon of our own: a record on a warm ground.
QString drawIcon(const QString& path) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1c, 0x1f, 0x2b));
    p.setPen(QPen(QColor(0xe8, 0xa3, 0x3d), 1.5));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setBrush(QColor(0xe8, 0xa3, 0x3d));
    p.drawEllipse(QRectF(12, 12, 8, 8));
    p.end();
    EXPECT_TRUE(image.save(path, "ICO"));
    return path;
}

void snap(QWidget& w, const QString& file) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
}

TEST_F(StoreTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    addCollectionRow(2, "Vinyl");
    native(
        R"(UPDATE "Collection" SET "Notes" = 'First pressings and a few reissues on 180 g vinyl.',
              "User Field 1" = 'Condition', "User Field 1 visible" = 1,
              "User Field 3" = 'Where bought', "User Field 3 visible" = 1,
              "User Field 4" = 'Lent to' WHERE "Collection ID" = 2)");
    ASSERT_TRUE(bInit_RCollections());
    const QString ico = drawIcon(dir.filePath("vinyl.ico"));

    t.files.answers = {ico};
    t.dialogs.script([&](QDialog& d) {
        auto& p = static_cast<frmpropCollection&>(d);
        p.cmdIcon->click();
        EXPECT_TRUE(p.IconDirty);
        snap(p, folder + "/collection-properties.png");
        p.SSTProps->setCurrentIndex(1);
        snap(p, folder + "/collection-properties-categories.png");
        p.cmdOK->click();
    });
    ASSERT_TRUE(RCollections().item("R2")->Item_Edit());

    ASSERT_TRUE(bCollection_Item_Add(2, recording(101, "Arrival", "Abba"),
                                     release("POLS 272", "Polar", "1976", "LP")));
    native(R"(UPDATE "Collection - Contents" SET "User Field 1" = 'Sleeve worn at the corners',
              "User Field 3" = 'Market stall, Leeds', "Notes" = 'Signed on the back.')");
    t.dialogs.script([&](QDialog& d) {
        auto& a = static_cast<frmPropAlbum&>(d);
        snap(a, folder + "/collection-item.png");
        a.SSTab1->setCurrentIndex(1);
        EXPECT_FALSE(a.txtUDF[3]->isHidden());
        EXPECT_TRUE(a.txtUDF[4]->isHidden());
        snap(a, folder + "/collection-item-details.png");
        a.cmdCancel->click();
    });
    EXPECT_FALSE(bCollection_Item_Edit(2, "POLS 272"));

    // The message after an add from the search screen, as the message window shows it.
    ASSERT_TRUE(bCollection_Addto(1, recording(101, "Arrival", "Abba"), release("POLS 272")));
    frmHelp* message = frmHelp::instance();
    message->setMessage(message->Label1->text(), frmHelp::kMessagePointSize);
    snap(*message, folder + "/collection-added-message.png");
    message->hide();
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join('\n').toStdString();
}

} // namespace
