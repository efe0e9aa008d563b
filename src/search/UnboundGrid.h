#pragma once

// A grid of unbound rows: a QTableView over a window of the list (UnboundRowsModel) and a
// scroll bar over the whole list. The grid keeps the current row and the first visible row
// as row numbers of the whole list, so a list of ten million rows binds, scrolls and
// positions as fast as a list of ten.

#include "search/UnboundRowsModel.h"

#include <QFrame>

class QLabel;
class QScrollBar;
class QTableView;

namespace kv {

class UnboundGrid : public QFrame {
    Q_OBJECT
public:
    explicit UnboundGrid(const QStringList& captions, QWidget* parent = nullptr);

    QTableView* view() const { return m_view; }
    UnboundRowsModel* model() const { return m_model; }
    QScrollBar* scrollBar() const { return m_scroll; }

    void setRowProvider(RowProvider provider);
    // What a screen reader calls the list ("Key words"); its scroll bar, which stands
    // apart from the rows, is named after it.
    void setListName(const QString& name);
    void setColumnHidden(int column, bool hidden);

    // Rebinds to `count` rows with the first row at the top and no current row. Nothing is
    // read until the rows are painted.
    void bind(qint32 count);
    qint32 count() const { return m_model->count(); }

    // The first visible row; moving it keeps the current row.
    qint32 firstRow() const { return m_model->offset(); }
    void setFirstRow(qint32 row);
    void scrollRows(qint64 delta);

    // The current row, −1 for none.
    qint32 currentRow() const { return m_current; }
    // Makes a row current and scrolls it into view, without choosing it.
    void setCurrentRow(qint32 row);
    // Puts a row at the top (as far as the end of the list allows) and makes it current.
    void positionOn(qint32 row);
    // The text of a column of the current row; a null string without a current row.
    QString currentText(int column) const;
    // The bookmark of the current row ("" for none).
    QString bookmark() const;

    // Rows the viewport shows whole (at least 1).
    int visibleRows() const;
    int rowHeight() const { return m_rowHeight; }

    // Reads the shown rows again.
    void refresh();

    // A note shown in place of the rows while the list is empty.
    void setEmptyText(const QString& text);
    QString emptyText() const;

signals:
    // The user chose a row (click, arrow keys, Enter).
    void rowChosen(qint32 row);
    void refreshed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void syncWindow();
    void syncSelection();
    void syncScrollBar();
    void updateEmptyNote();
    void choose(qint32 row);
    bool handleKey(int key);
    qint32 lastFirstRow() const;

    QTableView* m_view;
    UnboundRowsModel* m_model;
    QScrollBar* m_scroll;
    QLabel* m_empty;
    qint32 m_current = -1;
    int m_rowHeight = 18;
    int m_wheelRemainder = 0;
    bool m_syncing = false;
};

} // namespace kv
