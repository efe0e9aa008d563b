#include "collections/DataControl.h"

#include "core/VbError.h"

namespace kv {

namespace {

// Rows read together for painting: about two screens of a grid.
constexpr int kPageRows = 64;

} // namespace

DataControl::DataControl(QObject* parent) : QAbstractTableModel(parent) {}

void DataControl::setColumns(const QVector<Column>& columns) {
    if (columns == m_columns) return;
    beginResetModel();
    m_columns = columns;
    m_pages.clear();
    endResetModel();
}

void DataControl::Refresh(const Database& database) {
    beginResetModel();
    m_pages.clear();
    m_count = 0;
    Recordset opened;
    try {
        if (m_rs && m_rs.isOpen()) m_rs.Close();
        m_rs = Recordset();
        opened = database.OpenRecordset(m_source, dbOpenDynaset);
        m_count = opened.RecordCount();
        m_rs = opened;
    } catch (...) {
        endReset();
        throw;
    }
    endReset();
}

void DataControl::endReset() {
    endResetModel();
    // Another record may stand at the same row number now.
    m_lastCurrent = -2;
    emitCurrent();
}

void DataControl::Requery() {
    if (!m_rs) return;
    const int oldRow = currentRow();
    QByteArray mark;
    try {
        if (oldRow >= 0) mark = m_rs.Bookmark();
    } catch (const VbError&) {
    }
    beginResetModel();
    m_pages.clear();
    try {
        m_rs.Requery();
        m_count = m_rs.RecordCount();
        bool placed = false;
        if (!mark.isEmpty()) {
            try {
                m_rs.setBookmark(mark);
                placed = true;
            } catch (const VbError&) {
                // The row is gone (removed): the one that took its place is current.
            }
        }
        if (!placed && m_count > 0 && oldRow >= 0)
            m_rs.setAbsolutePosition(std::min(oldRow, m_count - 1));
    } catch (...) {
        m_count = 0;
        endReset();
        throw;
    }
    endReset();
}

int DataControl::currentRow() const {
    if (!m_rs || m_count == 0) return -1;
    try {
        return m_rs.AbsolutePosition();
    } catch (const VbError&) {
        return -1;
    }
}

void DataControl::setCurrentRow(int row) {
    if (!m_rs || row < 0 || row >= m_count || row == currentRow()) return;
    m_rs.setAbsolutePosition(row);
    emitCurrent();
}

void DataControl::recordMoved() {
    emitCurrent();
}

void DataControl::emitCurrent() {
    const int row = currentRow();
    if (row == m_lastCurrent) return;
    m_lastCurrent = row;
    emit currentRowChanged(row);
}

void DataControl::refreshRows() {
    m_pages.clear();
    if (m_count > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(m_count - 1, int(m_columns.size()) - 1),
                         {Qt::DisplayRole});
}

QVariant DataControl::currentValue(const QString& field) const {
    if (currentRow() < 0) return QVariant();
    return m_rs.value(field);
}

namespace {

// A Yes/No value as the page keeps it: -1 or "true" ticked, 0, "false" or Null not.
bool tickedText(const QString& text) {
    return !text.isEmpty() && text != QLatin1String("0") &&
           text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

} // namespace

bool DataControl::isTicked(int row, int column) const {
    if (row < 0 || row >= m_count || column < 0 || column >= m_columns.size()) return false;
    const QVector<QString>* texts = rowTexts(row);
    return texts && tickedText(texts->at(column));
}

void DataControl::setTicked(int row, int column, bool ticked) {
    if (row < 0 || row >= m_count || column < 0 || column >= m_columns.size() ||
        !m_columns[column].tick)
        return;
    setCurrentRow(row);
    m_rs.Edit();
    updateOrCancel(m_rs, [&] { m_rs.setValue(m_columns[column].field, ticked); });
    // The row is read again from the table when it is next painted.
    m_pages.remove(row / kPageRows);
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

const QVector<QString>* DataControl::rowTexts(int row) const {
    const int page = row / kPageRows;
    auto it = m_pages.constFind(page);
    if (it == m_pages.constEnd()) {
        // Painting must never move a record set that is being edited or that stands on a
        // deleted row: there is nothing to show until it is read again.
        if (!m_rs || m_rs.EditMode() != dbEditNone || currentRow() < 0) return nullptr;
        const int here = currentRow();
        QVector<QVector<QString>> rows;
        const int first = page * kPageRows;
        const int last = std::min(m_count, first + kPageRows);
        try {
            for (int r = first; r < last; ++r) {
                m_rs.setAbsolutePosition(r);
                QVector<QString> texts;
                texts.reserve(m_columns.size());
                for (const Column& c : m_columns) {
                    QVariant v = m_rs.value(c.field);
                    if (v.isNull() && !c.whenNull.isEmpty()) v = m_rs.value(c.whenNull);
                    texts.push_back(v.isNull() ? QString() : v.toString());
                }
                rows.push_back(std::move(texts));
            }
        } catch (const VbError&) {
            // A row deleted behind the record set's back: the page shows what was read.
        }
        try {
            m_rs.setAbsolutePosition(here);
        } catch (const VbError&) {
        }
        it = m_pages.insert(page, rows);
    }
    const int k = row - page * kPageRows;
    return k < it->size() ? &(*it)[k] : nullptr;
}

int DataControl::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

int DataControl::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_count || index.column() >= m_columns.size())
        return QVariant();
    if (m_columns[index.column()].tick) {
        // A tick box shows no text; a screen reader hears whether it is ticked.
        const bool ticked = isTicked(index.row(), index.column());
        if (role == Qt::CheckStateRole) return ticked ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::AccessibleTextRole)
            return ticked ? QStringLiteral("ticked") : QStringLiteral("not ticked");
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const QVector<QString>* texts = rowTexts(index.row());
    return texts ? texts->at(index.column()) : QString();
}

Qt::ItemFlags DataControl::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < m_columns.size() && m_columns[index.column()].tick)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant DataControl::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns[section].caption.isEmpty() ? m_columns[section].field
                                                    : m_columns[section].caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kv
