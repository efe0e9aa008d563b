#pragma once

#include "collections/DataControl.h"
#include "collections/ListSearch.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;

namespace kv {

// The find, filter and sort dialog of the grid screens. It offers the fields of the records
// behind a grid, builds a condition or an ordering in the database's query language, and
// either moves the grid to the matching record (find) or hands the clause to the grid's
// screen through its WhereClause or OrderbyClause property (filter, sort), which reads its
// records again. It knows nothing of the screens it serves.
class fSearch : public QDialog, public IListSearch {
    Q_OBJECT
public:
    explicit fSearch(QWidget* parent = nullptr);

    // The last filter clause handed over (or the screen's current one); the last sort clause.
    QString WhereClause() const { return m_whereClause; }
    void setWhereClause(const QString& clause) { m_whereClause = clause; }
    void setOrderbyClause(const QString& clause) { m_orderbyClause = clause; }
    // 1 find, 2 filter, 3 sort.
    int Mode() const { return m_mode; }
    void setMode(int mode);
    void ExcludeFields(const QList<int>& positions) override;
    QAbstractItemView* DBViewer() const { return m_grid; }
    DataControl* DataHandle() const { return m_data; }
    bool Filter_Records(DataControl* data, QAbstractItemView* grid, const QList<int>& renamed,
                        const QStringList& names, const QString& whereClause) override;
    bool Sort_Records(DataControl* data, QAbstractItemView* grid, const QList<int>& renamed,
                      const QStringList& names, const QString& orderbyClause) override;
    bool Find_Record(DataControl* data, QAbstractItemView* grid) override;
    void RenameFields(const QList<int>& positions, const QStringList& names) override;

    // The help context of the mode.
    int helpContext() const { return m_helpContext; }
    bool firstFindDone() const { return m_firstFindDone; }
    // The field chosen in cboIn (its position in the record set), -1 for none.
    int chosenField() const;

    // The buttons' actions.
    void cmdFindNext_Click();
    void cmdClear_Click();

    QPushButton* cmdClear;
    QComboBox* cboMatch;
    QComboBox* cboIn;
    QPushButton* cmdFindNext;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;
    QComboBox* cboWhat;
    QComboBox* cboDirection;
    QFrame* frmMessage;
    QLabel* lblMessage;
    QLabel* lblMatch;
    QLabel* lblIn;
    QLabel* lblWhat;
    QLabel* lblDirection;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    bool setUp(DataControl* data, QAbstractItemView* grid);
    void modeSetUp();
    void fillFields();
    // Selects the entry of a field by its name in the record set.
    void chooseField(const QString& name);
    void fieldChanged();
    void directionChanged();
    void resetFind();
    bool run();
    void find();
    void applyFilter();
    void applySort();
    // The screen that receives a clause: the first of the grid's parents that has it.
    QObject* owningForm(const char* property) const;
    void rememberValue();

    int m_mode = 1;
    int m_helpContext = 0;
    bool m_firstFindDone = false;
    QString m_whereClause;
    QString m_orderbyClause;
    QList<int> m_excluded;
    QList<int> m_renamed;
    QStringList m_renamedNames;
    QPointer<DataControl> m_data;
    QPointer<QAbstractItemView> m_grid;
    QPointer<QWidget> m_previousOwner;
    QGridLayout* m_layout = nullptr;
};

} // namespace kv
