#include "collections/DataGrid.h"

#include "collections/DataControl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace kv {

DataGrid::DataGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setShowGrid(false);
    verticalHeader()->hide();
    // Every row the same height: a list of any length lays out at once.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(false);
}

void DataGrid::setDataControl(DataControl* data) {
    m_data = data;
    setModel(data);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_following && m_data && current.isValid())
                    m_data->setCurrentRow(current.row());
            });
    connect(data, &DataControl::currentRowChanged, this, [this](int row) { followData(row); });
    connect(data, &QAbstractItemModel::modelReset, this, [this] {
        // A reset leaves the view without a current row: show the data control's.
        followData(m_data->currentRow());
    });
}

void DataGrid::followData(int row) {
    if (!m_data) return;
    m_following = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex at = model()->index(row, 0);
        selectionModel()->setCurrentIndex(
            at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(at);
    }
    m_following = false;
}

bool DataGrid::stepRow(int rows) {
    if (!m_data) return false;
    const int from = m_data->currentRow();
    const int to = std::clamp(from + rows, 0, std::max(0, m_data->RecordCount() - 1));
    if (from < 0 || to == from) return false;
    m_data->setCurrentRow(to);
    return true;
}

void DataGrid::holdStep(int rows) {
    constexpr int kFirstRepeatMs = 350;
    constexpr int kRepeatMs = 90;
    if (!m_holdTimer) {
        m_holdTimer = new QTimer(this);
        connect(m_holdTimer, &QTimer::timeout, this, [this] {
            m_holdTimer->setInterval(kRepeatMs);
            if (!stepRow(m_holdRows)) m_holdTimer->stop();
        });
    }
    m_holdRows = rows;
    stepRow(rows);
    m_holdTimer->start(kFirstRepeatMs);
}

void DataGrid::releaseHold() {
    if (m_holdTimer) m_holdTimer->stop();
    m_holdRows = 0;
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit rowActivated();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu comes from the button release; this is the keyboard's (Shift+F10).
    if (event->reason() != QContextMenuEvent::Mouse) {
        const QModelIndex at = currentIndex();
        const QRect cell = at.isValid() ? visualRect(at) : QRect();
        emit menuRequested(viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft()
                                                                  : QPoint(4, 4)));
    }
    event->accept();
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && m_data) m_data->setCurrentRow(at.row());
        return;
    }
    QTableView::mousePressEvent(event);
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit menuRequested(event->globalPosition().toPoint());
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        emit rowActivated();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

} // namespace kv
