#pragma once

#include <QTableView>

class QTimer;

namespace kv {

class DataControl;

// A grid bound to a data control: one row per record, the data control's current record as
// the current row. Double-click and Enter edit the row; a right-button release asks for the
// row's menu (after making the row under the pointer current).
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataControl(DataControl* data);
    DataControl* dataControl() const { return m_data; }
    // Moves the current row by rows (up when negative) as far as there are rows; true when it
    // moved.
    bool stepRow(int rows);
    // A scroll button held down: one row at once, then one row at a time until released
    // (the first repeat waits a little longer, as a held key's does).
    void holdStep(int rows);
    void releaseHold();

signals:
    void rowActivated();
    void menuRequested(const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void followData(int row);
    DataControl* m_data = nullptr;
    bool m_following = false;
    QTimer* m_holdTimer = nullptr;
    int m_holdRows = 0;
};

} // namespace kv
