#include "search/UnboundRowsModel.h"

#include <algorithm>

namespace kv {

std::optional<qint32> relativeBookmark(const QString& bookmark, qint64 offset, qint32 count) {
    bool ok = false;
    const qint64 row = bookmark.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    const qint64 moved = row + offset;
    if (moved < 0 || moved >= qint64(count)) return std::nullopt;
    return qint32(moved);
}

UnboundRowsModel::UnboundRowsModel(const QStringList& captions, QObject* parent)
    : QAbstractTableModel(parent), m_captions(captions),
      m_captionAlignment(captions.size(), Qt::AlignLeft | Qt::AlignVCenter) {}

void UnboundRowsModel::setRowProvider(RowProvider provider) {
    m_provider = std::move(provider);
    refresh();
}

int UnboundRowsModel::shownRows() const {
    return int(std::clamp<qint64>(qint64(m_count) - m_offset, 0, m_window));
}

int UnboundRowsModel::windowRow(qint32 row) const {
    const qint64 r = qint64(row) - m_offset;
    return r >= 0 && r < shownRows() ? int(r) : -1;
}

void UnboundRowsModel::clearCache() {
    const qsizetype cells = qsizetype(shownRows()) * m_captions.size();
    m_cache.fill(QString(), cells);
    m_cached.fill(false, cells);
}

void UnboundRowsModel::setCount(qint32 count) {
    beginResetModel();
    m_count = std::max<qint32>(0, count);
    m_offset = 0;
    clearCache();
    endResetModel();
}

void UnboundRowsModel::setWindow(qint32 offset, int rows) {
    rows = std::max(0, rows);
    const int before = shownRows();
    const qint32 oldOffset = m_offset;
    const int oldWindow = m_window;
    m_window = rows;
    m_offset = std::clamp<qint32>(offset, 0, std::max<qint32>(0, m_count - 1));
    if (m_offset == oldOffset && m_window == oldWindow) return;
    const int after = shownRows();
    if (after == before) {
        clearCache();
        if (after > 0) emit dataChanged(index(0, 0), index(after - 1, int(m_captions.size()) - 1));
        return;
    }
    // The number of rows changes only when the window is resized or meets the end.
    beginResetModel();
    clearCache();
    endResetModel();
}

void UnboundRowsModel::refresh() {
    clearCache();
    const int shown = shownRows();
    if (shown > 0) emit dataChanged(index(0, 0), index(shown - 1, int(m_captions.size()) - 1));
}

QString UnboundRowsModel::cellText(qint32 row, int column) const {
    if (row < 0 || row >= m_count || column < 0 || column >= m_captions.size()) return QString();
    const int w = windowRow(row);
    if (w < 0) return m_provider ? m_provider(row, column) : QString();
    const qsizetype cell = qsizetype(w) * m_captions.size() + column;
    if (!m_cached[cell]) {
        m_cache[cell] = m_provider ? m_provider(row, column) : QString();
        m_cached[cell] = true;
    }
    return m_cache[cell];
}

int UnboundRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows();
}

int UnboundRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant UnboundRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return QVariant();
    return cellText(absoluteRow(index.row()), index.column());
}

QVariant UnboundRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_captions.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return m_captions[section];
    if (role == Qt::TextAlignmentRole) return int(m_captionAlignment[section]);
    return QVariant();
}

bool UnboundRowsModel::setHeaderData(int section, Qt::Orientation orientation,
                                     const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_captions.size()) return false;
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        m_captions[section] = value.toString();
    else if (role == Qt::TextAlignmentRole)
        m_captionAlignment[section] = Qt::Alignment(value.toInt());
    else
        return false;
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags UnboundRowsModel::flags(const QModelIndex& index) const {
    // Locked against editing.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace kv
