#pragma once

// The find, filter and sort dialog as the grid screens reach it: through the program's
// windows by its name, so a screen needs no part of the dialog but this.

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemView;

namespace kv {

class DataControl;

class IListSearch {
public:
    virtual ~IListSearch() = default;

    // Fields (by position in the data control's record set) not offered, and fields offered
    // under another name; both hold until changed.
    virtual void ExcludeFields(const QList<int>& positions) = 0;
    virtual void RenameFields(const QList<int>& positions, const QStringList& names) = 0;

    // Opens the dialog on a grid and its data control. Filter and sort hand their clause to
    // the grid's screen through its WhereClause and OrderbyClause properties; the current
    // clause pre-fills the dialog.
    virtual bool Find_Record(DataControl* data, QAbstractItemView* grid) = 0;
    virtual bool Filter_Records(DataControl* data, QAbstractItemView* grid,
                                const QList<int>& renamed, const QStringList& names,
                                const QString& whereClause) = 0;
    virtual bool Sort_Records(DataControl* data, QAbstractItemView* grid,
                              const QList<int>& renamed, const QStringList& names,
                              const QString& orderbyClause) = 0;
};

// The dialog, loaded on first use (it is registered as form::FindFilterSort); nullptr when
// the program has no such window.
IListSearch* listSearch();

} // namespace kv
