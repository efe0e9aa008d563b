#pragma once

// The data control of a grid screen: a dynaset of the catalogue database opened from its
// record source, and the columns a grid shows of it. The grid asks only for the rows it
// paints; they are read a page at a time through the dynaset, which itself reads its rows
// in blocks by key, so a collection of 100,000 items opens and scrolls like one of ten.
// The dynaset's current record is the grid's current row: moving either moves the other.

#include "db/Database.h"
#include "db/Recordset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QVector>

namespace kv {

class DataControl : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);

    // One grid column: the field it shows and, for a row where that field is Null, the
    // field shown instead (none when empty); its heading (the field's name when empty); and
    // whether it is a Yes/No field shown as a tick box the user can change.
    struct Column {
        QString field;
        QString whenNull = {};
        QString caption = {};
        bool tick = false;
        bool operator==(const Column&) const = default;
    };
    void setColumns(const QVector<Column>& columns);

    QString RecordSource() const { return m_source; }
    void setRecordSource(const QString& statement) { m_source = statement; }
    // Opens the record source on the database as a dynaset, standing on its first row.
    // Raises the engine's error (the caller's guard reports it); the grid is then empty.
    void Refresh(const Database& database);
    // Reads the record source again and stands on the row it stood on, or on the row that
    // took its place when that row is gone.
    void Requery();

    Recordset recordset() const { return m_rs; }
    int RecordCount() const { return m_count; }

    // The current row, -1 for none.
    int currentRow() const;
    // Moves the dynaset to a row (a row outside the grid is ignored).
    void setCurrentRow(int row);
    // The dynaset was moved by its handle (a find): the grid follows.
    void recordMoved();
    // The rows' texts are read again at the next paint (after an edit); the current row
    // stays.
    void refreshRows();

    // The value of a field of the current row (Null without one).
    QVariant currentValue(const QString& field) const;
    // Whether a tick column's box is ticked in a row, as last read.
    bool isTicked(int row, int column) const;
    // Makes the row current and stores its tick straight into the table, so the box shows
    // only what is stored. Raises the engine's error with the row as it was.
    void setTicked(int row, int column, bool ticked);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The current row changed (-1: none).
    void currentRowChanged(int row);

private:
    const QVector<QString>* rowTexts(int row) const;
    void emitCurrent();
    void endReset();

    QString m_source;
    QVector<Column> m_columns;
    mutable Recordset m_rs;
    int m_count = 0;
    int m_lastCurrent = -2;
    // Texts of the pages read so far, by page.
    mutable QHash<int, QVector<QVector<QString>>> m_pages;
};

} // namespace kv
