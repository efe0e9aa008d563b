#pragma once

// The record set machinery behind kv::Recordset (internal to the database layer).

#include "db/Connection.h"
#include "core/ErrorTable.h"
#include "db/JetSql.h"
#include "db/Schema.h"
#include "core/VbError.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <array>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace kv::db {

// One row as read from SQLite, kept in its stored form; values are converted only when a
// field is read. Text and binary values share one buffer.
class RawRow {
public:
    void read(sqlite3_stmt* stmt, int firstColumn, int count);
    // Some columns only, into the given cells of a row of count cells; the others are Null.
    void readInto(sqlite3_stmt* stmt, int firstColumn, const std::vector<int>& cells, int count);
    QVariant stored(int column) const;
    // The stored value as a field of that type presents it (0: as stored).
    QVariant value(int column, int fieldType) const;
    bool isNull(int column) const;
    // Text and binary values: their size in bytes and a piece of them, without copying
    // the whole value.
    qint64 byteLength(int column) const;
    QByteArray bytes(int column, qint64 offset, qint64 length) const;
    void bind(sqlite3_stmt* stmt, int parameter, int column) const;
    int count() const { return int(m_cells.size()); }
    qint64 rowid = 0;

private:
    struct Cell {
        int type; // SQLite storage class
        qint64 i;
        double d;
        int offset;
        int length;
    };
    void readCells(sqlite3_stmt* stmt, int firstColumn, const int* cells, int columns, int count);
    std::vector<Cell> m_cells;
    QByteArray m_bytes;
};

struct FieldMeta {
    QString name;
    int type = dbText; // 0: whatever the value is (a computed field of unknown type)
    int size = 255;
    int baseField = -1; // the table field it reads, or -1 (computed)
    bool autoIncrement = false;
};

class RecordsetImpl {
public:
    virtual ~RecordsetImpl() = default;

    // Position.
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual void movePrevious() = 0;
    virtual int recordCount() = 0;
    virtual int absolutePosition() const { raiseError(err::OperationNotSupported); }
    virtual void setAbsolutePosition(int) { raiseError(err::OperationNotSupported); }
    virtual void requery() = 0;

    virtual QString index() const { raiseError(err::OperationNotSupported); }
    virtual void setIndex(const QString&) { raiseError(err::OperationNotSupported); }
    virtual void seek(const QString&, const QVariantList&) {
        raiseError(err::OperationNotSupported);
    }
    virtual void find(const QString&, int /*direction*/) { raiseError(err::OperationNotSupported); }

    virtual QByteArray bookmark() = 0;
    virtual void setBookmark(const QByteArray&) = 0;

    // The current row (raises 3021 / 3167 when there is none).
    virtual const RawRow& currentRow() = 0;
    // The current row for Edit, or null when its fields are read only when first needed;
    // rowid is set either way.
    virtual const RawRow* rowForEdit(qint64& rowid) {
        const RawRow& r = currentRow();
        rowid = r.rowid;
        return &r;
    }
    // Reads the row of the table with this rowid (false: there is none).
    virtual bool readRow(qint64 /*rowid*/, RawRow& /*into*/) {
        raiseError(err::OperationNotSupported);
    }
    // Editing hooks.
    virtual bool updatable() const = 0;
    virtual void addNewBuffer() = 0; // fills buffer for AddNew
    virtual void writeUpdate() = 0;  // stores the buffer
    virtual void deleteCurrent() = 0;
    virtual void close() { m_closed = true; }

    // Shared parts.
    void checkOpen() const;
    int fieldIndex(const QString& name) const;
    QVariant fieldValue(int index);
    void setFieldValue(int index, const QVariant& value);
    void appendChunk(int index, const QByteArray& data);
    qint64 fieldSize(int index);
    QVariant editValue(int index);
    QByteArray chunk(int index, qint64 offset, qint64 length);
    void addNew();
    void edit();
    void update();
    void cancelUpdate() { m_editMode = dbEditNone; }
    // A stored value converted for the program.
    QVariant present(int index, const QVariant& stored) const;

    std::shared_ptr<Connection> conn;
    std::shared_ptr<const TableInfo> table; // the table rows come from (may be null)
    QString name;
    int type = dbOpenDynaset;
    bool readOnly = false;
    std::vector<FieldMeta> fields;
    QHash<QString, int> byName;      // case-folded names
    QHash<QString, int> byExactName; // names as declared (the usual spelling, no folding)
    // The names last looked up: a caller's name found again by its characters' address
    // (a literal is the same every time), confirmed by a copy of the text.
    struct RecentName {
        const QChar* data = nullptr;
        QString text;
        int index = -1;
    };
    mutable std::array<RecentName, 8> m_recentNames;
    mutable unsigned m_nextRecent = 0;
    bool noMatch = false;
    QByteArray lastModified;

    int m_editMode = dbEditNone;
    std::vector<QVariant> m_buffer; // stored forms
    std::vector<char> m_dirty;
    std::vector<char> m_chunked; // AppendChunk already used in this edit
    RawRow m_editRow;            // the row as it was when Edit began (or was first read)
    bool m_editRowRead = false;  // m_editRow holds the row
    qint64 m_editRowid = 0;
    bool m_fieldsRead = true; // a field was read since the last Seek
    bool m_closed = false;
    // Generated statements by the set of fields they write.
    QHash<quint64, CachedStatement> m_insertSql, m_updateSql;

protected:
    void buildNames();
    // The next counter value of the table, assigned when a row is added.
    qint64 nextCounter() const;
    // INSERT of the dirty buffer fields; returns the new rowid.
    qint64 insertBuffer();
    // UPDATE of the dirty buffer fields of a row.
    void updateBuffer(qint64 rowid);
};

// Opens record sets (see Database::OpenRecordset).
std::shared_ptr<RecordsetImpl> openTable(std::shared_ptr<Connection> conn,
                                         std::shared_ptr<const TableInfo> table, bool readOnly);
std::shared_ptr<RecordsetImpl> openQuery(std::shared_ptr<Connection> conn, Translation tr, int type,
                                         bool readOnly, const QString& name);

QByteArray rowidBookmark(qint64 rowid);
bool rowidFromBookmark(const QByteArray& bookmark, qint64& rowid);

} // namespace kv::db
