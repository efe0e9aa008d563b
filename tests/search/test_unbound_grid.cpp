// The unbound grid over lists far longer than the screen: what it asks of its row
// provider, how it scrolls and positions, and its bookmarks.

#include "search/UnboundGrid.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;

namespace {

struct GridTest : ::testing::Test {
    GridTest() : grid({QStringLiteral("ub_grid1"), QStringLiteral("ub_grid2")}) {
        grid.setRowProvider([this](qint32 row, int column) {
            ++asked;
            maxRowAsked = std::max(maxRowAsked, row);
            return QStringLiteral("row %1 col %2").arg(row).arg(column);
        });
        grid.resize(200, 200);
        grid.show();
        QApplication::processEvents();
    }
    // The rows the view shows, as painted.
    QStringList shown() {
        QStringList rows;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            rows << grid.model()->index(r, 0).data().toString();
        return rows;
    }

    UnboundGrid grid;
    int asked = 0;
    qint32 maxRowAsked = -1;
};

TEST_F(GridTest, TenMillionRowsAreNeverCopied) {
    grid.bind(10'000'000);
    grid.view()->viewport()->repaint();
    // Only the window exists for the view, and only its rows were read.
    EXPECT_LE(grid.model()->rowCount(), grid.visibleRows() + 1);
    EXPECT_LE(asked, 2 * (grid.visibleRows() + 1));
    EXPECT_EQ(grid.scrollBar()->maximum(), 10'000'000 - grid.visibleRows());

    asked = 0;
    grid.positionOn(9'999'990);
    grid.view()->viewport()->repaint();
    EXPECT_EQ(grid.firstRow(), 9'999'990);
    EXPECT_EQ(grid.currentText(0), QStringLiteral("row 9999990 col 0"));
    EXPECT_EQ(grid.bookmark(), QStringLiteral("9999990"));
    EXPECT_LE(asked, 2 * (grid.visibleRows() + 1));

    // At the end the top row stops where the last row is still in sight.
    grid.positionOn(9'999'999);
    EXPECT_EQ(grid.currentRow(), 9'999'999);
    EXPECT_EQ(grid.firstRow(), 10'000'000 - grid.visibleRows());
    EXPECT_TRUE(shown().contains(QStringLiteral("row 9999999 col 0")));
}

TEST_F(GridTest, ScrollingKeepsTheCurrentRowAndTheSelectionFollowsIt) {
    grid.bind(1000);
    grid.setCurrentRow(3);
    grid.scrollRows(500);
    EXPECT_EQ(grid.firstRow(), 500);
    EXPECT_EQ(grid.currentRow(), 3);
    EXPECT_FALSE(grid.view()->selectionModel()->hasSelection());
    EXPECT_EQ(shown().first(), QStringLiteral("row 500 col 0"));

    grid.scrollRows(-10'000);
    EXPECT_EQ(grid.firstRow(), 0);
    EXPECT_TRUE(grid.view()->selectionModel()->isRowSelected(3, QModelIndex()));

    // The scroll bar moves the rows too.
    grid.scrollBar()->setValue(42);
    EXPECT_EQ(grid.firstRow(), 42);
}

TEST_F(GridTest, KeysAndClicksChooseRows) {
    grid.bind(100);
    QSignalSpy chosen(&grid, &UnboundGrid::rowChosen);
    grid.view()->setFocus();

    QTest::keyClick(grid.view(), Qt::Key_Down); // no current row yet: the top one
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QTest::keyClick(grid.view(), Qt::Key_End);
    QTest::keyClick(grid.view(), Qt::Key_Down); // stays on the last row
    QTest::keyClick(grid.view(), Qt::Key_PageUp);
    ASSERT_EQ(chosen.size(), 5);
    EXPECT_EQ(chosen[0][0].toInt(), 0);
    EXPECT_EQ(chosen[1][0].toInt(), 1);
    EXPECT_EQ(chosen[2][0].toInt(), 99);
    EXPECT_EQ(chosen[3][0].toInt(), 99);
    EXPECT_EQ(chosen[4][0].toInt(), 99 - grid.visibleRows());
    // The chosen row is always in sight.
    EXPECT_GE(grid.currentRow(), grid.firstRow());
    EXPECT_LT(grid.currentRow(), grid.firstRow() + grid.visibleRows());

    const QRect third = grid.view()->visualRect(grid.model()->index(2, 0));
    QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(chosen.size(), 6);
    EXPECT_EQ(chosen.last()[0].toInt(), grid.firstRow() + 2);
}

TEST_F(GridTest, EmptyListsShowTheirNoteAndChooseNothing) {
    grid.setEmptyText(QStringLiteral("Nothing here"));
    grid.bind(0);
    QSignalSpy chosen(&grid, &UnboundGrid::rowChosen);
    QTest::keyClick(grid.view(), Qt::Key_Down);
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_EQ(grid.currentRow(), -1);
    EXPECT_TRUE(grid.currentText(0).isNull());
    EXPECT_EQ(grid.model()->rowCount(), 0);
    auto* note = grid.view()->viewport()->findChild<QLabel*>();
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    grid.bind(5);
    EXPECT_FALSE(note->isVisible());
}

TEST_F(GridTest, RefreshReadsTheRowsAgain) {
    grid.bind(50);
    grid.view()->viewport()->repaint();
    QSignalSpy refreshed(&grid, &UnboundGrid::refreshed);
    const int before = asked;
    grid.view()->viewport()->repaint();
    EXPECT_EQ(asked, before); // painted again from what was read
    grid.refresh();
    grid.view()->viewport()->repaint();
    EXPECT_GT(asked, before);
    EXPECT_EQ(refreshed.size(), 1);
}

TEST(Bookmarks, MoveInsideTheListOrGiveNothing) {
    EXPECT_EQ(relativeBookmark(QStringLiteral("5"), 2, 10), 7);
    EXPECT_EQ(relativeBookmark(QStringLiteral("5"), -5, 10), 0);
    EXPECT_EQ(relativeBookmark(QStringLiteral("9"), 0, 10), 9);
    EXPECT_FALSE(relativeBookmark(QStringLiteral("9"), 1, 10));
    EXPECT_FALSE(relativeBookmark(QStringLiteral("0"), -1, 10));
    EXPECT_FALSE(relativeBookmark(QStringLiteral("0"), 0, 0));
    EXPECT_FALSE(relativeBookmark(QString(), 0, 10));
    EXPECT_FALSE(relativeBookmark(QStringLiteral("x"), 0, 10));
    // Offsets past the 32-bit range do not wrap into the list.
    EXPECT_FALSE(relativeBookmark(QStringLiteral("2147483647"), 1, 2147483647));
    EXPECT_FALSE(relativeBookmark(QStringLiteral("1"), qint64(1) << 32, 10));
    EXPECT_EQ(rowBookmark(12), QStringLiteral("12"));
}

} // namespace
