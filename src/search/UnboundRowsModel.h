#pragma once

// The model behind an unbound grid: a window of consecutive rows of a list that may hold
// millions of rows. Only the rows of the window exist for the view; each is asked of the
// row provider when the view first paints it, so nothing copies the list and rebinding to
// any length costs the same.

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

namespace kv {

// The text of cell (row, column) of the whole list; rows from 0 to count − 1.
using RowProvider = std::function<QString(qint32 row, int column)>;

// Bookmarks are row numbers as text. Moving one by an offset gives nothing when the result
// falls outside 0 to count − 1 (or when the bookmark is not a row number).
std::optional<qint32> relativeBookmark(const QString& bookmark, qint64 offset, qint32 count);
inline QString rowBookmark(qint32 row) {
    return QString::number(row);
}

class UnboundRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit UnboundRowsModel(const QStringList& captions, QObject* parent = nullptr);

    void setRowProvider(RowProvider provider);

    // Rebinds to a list of `count` rows (negative counts as 0), with the window at its top.
    void setCount(qint32 count);
    qint32 count() const { return m_count; }

    // Moves the window; the offset is clamped to the list (a window that meets the end of
    // the list holds fewer rows).
    void setWindow(qint32 offset, int rows);
    qint32 offset() const { return m_offset; }
    int windowRows() const { return m_window; }
    qint32 absoluteRow(int windowRow) const { return m_offset + windowRow; }
    // The window row of an absolute row, or −1 when it is outside the window.
    int windowRow(qint32 row) const;

    // Forgets what was read and asks the provider again at the next paint.
    void refresh();

    // The text of a cell of the whole list (through the window's cache when inside it).
    QString cellText(qint32 row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int shownRows() const;
    void clearCache();

    QStringList m_captions;
    QVector<Qt::Alignment> m_captionAlignment;
    RowProvider m_provider;
    qint32 m_count = 0;
    qint32 m_offset = 0;
    int m_window = 0;
    // Texts of the window's cells, row-major; read on first use.
    mutable QVector<QString> m_cache;
    mutable QVector<bool> m_cached;
};

} // namespace kv
