#pragma once

#include "db/DaoConstants.h"
#include "db/Field.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

namespace kv {

namespace db {
class RecordsetImpl;
}

// A record set of the catalogue database, in the original engine's model (a handle; copies
// share the one record set):
// - table-type: one table in the order of its current index (chosen by name, without
//   regard to case), positioned with Seek; it never holds more than the current record;
// - dynaset: the keys of the rows a SELECT chose, in its order; rows are read when visited
//   and updated in their table; computed fields are read-only;
// - snapshot: a read-only copy of the rows taken when it opened.
// Every change (Update, Delete) is committed in the file before the call returns.
class Recordset {
public:
    Recordset() = default;
    bool isNull() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }

    QString Name() const;
    int Type() const;
    bool Updatable() const;

    // Position (the engine's BOF and EOF; EOF is a C macro, hence the spelling).
    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(int rows);
    int RecordCount() const;
    // Dynasets and snapshots: the position from 0, or -1 without a current record.
    int AbsolutePosition() const;
    void setAbsolutePosition(int position);
    void Requery();

    // Table-type: the current index and Seek ("=", ">=", ">", "<=", "<" with one value per
    // key field, the first ones of the index at least).
    QString Index() const;
    void setIndex(const QString& name);
    void Seek(const QString& comparison, const QVariantList& keys);
    void Seek(const QString& comparison, const QVariant& key1);
    void Seek(const QString& comparison, const QVariant& key1, const QVariant& key2);
    bool NoMatch() const;

    // Dynasets and snapshots: find with a criterion in the program's SQL dialect (names are
    // this record set's fields). NoMatch tells the result; without a match the position
    // stays where it was.
    void FindFirst(const QString& criteria);
    void FindLast(const QString& criteria);
    void FindNext(const QString& criteria);
    void FindPrevious(const QString& criteria);

    // Bookmarks: opaque, valid for this record set.
    QByteArray Bookmark() const;
    void setBookmark(const QByteArray& bookmark);
    QByteArray LastModified() const;

    // Editing.
    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();
    int EditMode() const;

    // Fields, by position or by name (without regard to case; 3265 when there is none).
    int FieldCount() const;
    Field Fields(int index) const;
    Field Fields(const QString& name) const;
    QVariant value(const QString& name) const;
    void setValue(const QString& name, const QVariant& v) const;

    void Close();
    bool isOpen() const;

private:
    friend class Database;
    explicit Recordset(std::shared_ptr<db::RecordsetImpl> impl) : m_impl(std::move(impl)) {}
    db::RecordsetImpl& impl() const;
    std::shared_ptr<db::RecordsetImpl> m_impl;
};

// Assigns the fields of the record being edited or added (after Edit or AddNew) and stores
// it. On an error the edit is cancelled, so the record stays as it is stored, and the error
// is raised again.
void updateOrCancel(Recordset& rs, const std::function<void()>& assign);

} // namespace kv
