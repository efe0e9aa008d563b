#include "search/UnboundGrid.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>

namespace kv {

UnboundGrid::UnboundGrid(const QStringList& captions, QWidget* parent)
    : QFrame(parent), m_view(new QTableView(this)), m_model(new UnboundRowsModel(captions, this)),
      m_scroll(new QScrollBar(Qt::Vertical, this)) {
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_scroll);

    m_view->setModel(m_model);
    // The view only ever holds the window, all of it in sight: the grid scrolls, not the view.
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setAutoScroll(false);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideRight);
    m_view->setCornerButtonEnabled(false);
    m_view->setTabKeyNavigation(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Stretch);

    m_empty = new QLabel(m_view->viewport());
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_empty->hide();

    m_scroll->setRange(0, 0);
    m_scroll->setSingleStep(1);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncing) setFirstRow(value);
    });
    connect(m_view, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        if (index.isValid()) choose(m_model->absoluteRow(index.row()));
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { syncSelection(); });

    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    changeEvent(nullptr);
}

void UnboundGrid::setRowProvider(RowProvider provider) {
    m_model->setRowProvider(std::move(provider));
}

void UnboundGrid::setListName(const QString& name) {
    setAccessibleName(name);
    m_view->setAccessibleName(name);
    m_scroll->setAccessibleName(name);
    m_scroll->setAccessibleDescription(QStringLiteral("Scrolls the %1").arg(name.toLower()));
}

void UnboundGrid::setColumnHidden(int column, bool hidden) {
    m_view->setColumnHidden(column, hidden);
}

int UnboundGrid::visibleRows() const {
    return std::max(1, m_view->viewport()->height() / std::max(1, m_rowHeight));
}

qint32 UnboundGrid::lastFirstRow() const {
    return std::max<qint32>(0, count() - visibleRows());
}

void UnboundGrid::bind(qint32 count) {
    m_model->setCount(count);
    m_current = -1;
    syncWindow();
    updateEmptyNote();
}

void UnboundGrid::setFirstRow(qint32 row) {
    row = std::clamp<qint32>(row, 0, lastFirstRow());
    if (row == firstRow() && m_model->windowRows() > 0) {
        syncScrollBar();
        return;
    }
    m_model->setWindow(row, m_model->windowRows());
    syncScrollBar();
    syncSelection();
}

void UnboundGrid::scrollRows(qint64 delta) {
    setFirstRow(qint32(std::clamp<qint64>(qint64(firstRow()) + delta, 0, lastFirstRow())));
}

void UnboundGrid::setCurrentRow(qint32 row) {
    if (count() == 0) {
        m_current = -1;
        syncSelection();
        return;
    }
    m_current = std::clamp<qint32>(row, 0, count() - 1);
    if (m_current < firstRow())
        setFirstRow(m_current);
    else if (m_current >= firstRow() + visibleRows())
        setFirstRow(m_current - visibleRows() + 1);
    syncSelection();
}

void UnboundGrid::positionOn(qint32 row) {
    if (count() == 0) return;
    m_current = std::clamp<qint32>(row, 0, count() - 1);
    setFirstRow(m_current);
    syncSelection();
}

QString UnboundGrid::currentText(int column) const {
    return m_current < 0 ? QString() : m_model->cellText(m_current, column);
}

QString UnboundGrid::bookmark() const {
    return m_current < 0 ? QString() : rowBookmark(m_current);
}

void UnboundGrid::refresh() {
    m_model->refresh();
    emit refreshed();
}

void UnboundGrid::setEmptyText(const QString& text) {
    m_empty->setText(text);
    updateEmptyNote();
}

QString UnboundGrid::emptyText() const {
    return m_empty->text();
}

void UnboundGrid::updateEmptyNote() {
    const bool show = count() == 0 && !m_empty->text().isEmpty();
    m_empty->setGeometry(m_view->viewport()->rect().adjusted(8, 0, -8, 0));
    m_empty->setVisible(show);
}

void UnboundGrid::syncWindow() {
    // The window holds every row the viewport shows, the last one perhaps in part.
    const int height = m_view->viewport()->height();
    const int rows = std::max(1, (height + m_rowHeight - 1) / std::max(1, m_rowHeight));
    const qint32 first = std::clamp<qint32>(firstRow(), 0, lastFirstRow());
    m_model->setWindow(first, rows);
    syncScrollBar();
    syncSelection();
}

void UnboundGrid::syncScrollBar() {
    m_syncing = true;
    m_scroll->setRange(0, lastFirstRow());
    m_scroll->setPageStep(visibleRows());
    m_scroll->setValue(firstRow());
    m_syncing = false;
    m_scroll->setEnabled(lastFirstRow() > 0);
}

void UnboundGrid::syncSelection() {
    QItemSelectionModel* selection = m_view->selectionModel();
    if (!selection) return;
    const int row = m_model->windowRow(m_current);
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void UnboundGrid::choose(qint32 row) {
    if (row < 0 || row >= count()) return;
    setCurrentRow(row);
    emit rowChosen(m_current);
}

bool UnboundGrid::handleKey(int key) {
    if (count() == 0) return false;
    const qint32 page = visibleRows();
    const qint32 from = m_current < 0 ? firstRow() : m_current;
    qint64 to = from;
    switch (key) {
    case Qt::Key_Up:
        to = m_current < 0 ? from : qint64(from) - 1;
        break;
    case Qt::Key_Down:
        to = m_current < 0 ? from : qint64(from) + 1;
        break;
    case Qt::Key_PageUp:
        to = qint64(from) - page;
        break;
    case Qt::Key_PageDown:
        to = qint64(from) + page;
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = count() - 1;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        break;
    default:
        return false;
    }
    choose(qint32(std::clamp<qint64>(to, 0, count() - 1)));
    return true;
}

bool UnboundGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) return false;
        return handleKey(key->key());
    }
    if (watched == m_view->viewport()) {
        if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            // Three rows a notch; the remainder of small (touchpad) steps is kept.
            m_wheelRemainder += wheel->angleDelta().y();
            const int notches = m_wheelRemainder / 120;
            m_wheelRemainder -= notches * 120;
            if (notches != 0) scrollRows(-3 * qint64(notches));
            return true;
        }
        if (event->type() == QEvent::Resize) {
            syncWindow();
            updateEmptyNote();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void UnboundGrid::changeEvent(QEvent* event) {
    if (!event || event->type() == QEvent::FontChange) {
        m_rowHeight = m_view->fontMetrics().height() + 5;
        m_view->verticalHeader()->setMinimumSectionSize(1);
        m_view->verticalHeader()->setDefaultSectionSize(m_rowHeight);
        syncWindow();
    }
    if (event) QFrame::changeEvent(event);
}

} // namespace kv
