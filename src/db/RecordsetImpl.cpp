#include "db/RecordsetImpl.h"

#include "db/FieldValues.h"

#include <QVarLengthArray>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>
#include <sqlite3.h>

namespace kv::db {

// ---------------------------------------------------------------------------------------
// RawRow

void RawRow::read(sqlite3_stmt* stmt, int firstColumn, int count) {
    readCells(stmt, firstColumn, nullptr, count, count);
}

void RawRow::readInto(sqlite3_stmt* stmt, int firstColumn, const std::vector<int>& cells,
                      int count) {
    m_cells.resize(size_t(count));
    for (Cell& c : m_cells)
        c.type = SQLITE_NULL;
    readCells(stmt, firstColumn, cells.data(), int(cells.size()), count);
}

void RawRow::readCells(sqlite3_stmt* stmt, int firstColumn, const int* cells, int columns,
                       int count) {
    m_cells.resize(size_t(count));
    // Texts and blobs are measured first and copied into the shared buffer in one piece
    // (the buffer keeps its capacity when the row is read again).
    QVarLengthArray<const char*, 32> data(count);
    qsizetype total = 0;
    for (int j = 0; j < columns; ++j) {
        const int k = cells ? cells[j] : j;
        // The column's value object is read in place: the layer keeps a connection to
        // one thread, so its values need no locking.
        sqlite3_value* v = sqlite3_column_value(stmt, firstColumn + j);
        Cell& c = m_cells[size_t(k)];
        c.type = sqlite3_value_type(v);
        switch (c.type) {
        case SQLITE_INTEGER:
            c.i = sqlite3_value_int64(v);
            break;
        case SQLITE_FLOAT:
            c.d = sqlite3_value_double(v);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            data[k] = c.type == SQLITE_TEXT ? reinterpret_cast<const char*>(sqlite3_value_text(v))
                                            : static_cast<const char*>(sqlite3_value_blob(v));
            c.length = sqlite3_value_bytes(v);
            c.offset = int(total);
            total += c.length;
            break;
        default:
            break;
        }
    }
    m_bytes.resize(total);
    char* out = m_bytes.data();
    for (int k = 0; k < count; ++k) {
        const Cell& c = m_cells[size_t(k)];
        if ((c.type == SQLITE_TEXT || c.type == SQLITE_BLOB) && c.length > 0)
            memcpy(out + c.offset, data[k], size_t(c.length));
    }
}

QVariant RawRow::stored(int column) const {
    const Cell& c = m_cells[size_t(column)];
    switch (c.type) {
    case SQLITE_INTEGER:
        return c.i;
    case SQLITE_FLOAT:
        return c.d;
    case SQLITE_TEXT:
        return QString::fromUtf8(m_bytes.constData() + c.offset, c.length);
    case SQLITE_BLOB:
        return QByteArray(m_bytes.constData() + c.offset, c.length);
    default:
        return QVariant();
    }
}

QVariant RawRow::value(int column, int fieldType) const {
    const Cell& c = m_cells[size_t(column)];
    // The common cases directly; the rest as fromStored has them.
    switch (c.type) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_TEXT:
        if (fieldType == 0 || fieldType == dbText || fieldType == dbMemo)
            return QString::fromUtf8(m_bytes.constData() + c.offset, c.length);
        break;
    case SQLITE_INTEGER:
        if (fieldType == 0) return c.i;
        if ((fieldType == dbByte || fieldType == dbInteger || fieldType == dbLong) &&
            c.i >= std::numeric_limits<int>::min() && c.i <= std::numeric_limits<int>::max())
            return int(c.i);
        break;
    default:
        break;
    }
    return fieldType == 0 ? stored(column) : fromStored(stored(column), fieldType);
}

qint64 RawRow::byteLength(int column) const {
    const Cell& c = m_cells[size_t(column)];
    switch (c.type) {
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return c.length;
    case SQLITE_NULL:
        return 0;
    default:
        return stored(column).toString().toUtf8().size();
    }
}

QByteArray RawRow::bytes(int column, qint64 offset, qint64 length) const {
    const Cell& c = m_cells[size_t(column)];
    if (c.type != SQLITE_TEXT && c.type != SQLITE_BLOB)
        return stored(column).toString().toUtf8().mid(offset, length);
    if (offset < 0 || length <= 0 || offset >= c.length) return QByteArray();
    return QByteArray(m_bytes.constData() + c.offset + offset,
                      int(std::min<qint64>(length, c.length - offset)));
}

bool RawRow::isNull(int column) const {
    return m_cells[size_t(column)].type == SQLITE_NULL;
}

void RawRow::bind(sqlite3_stmt* stmt, int parameter, int column) const {
    const Cell& c = m_cells[size_t(column)];
    switch (c.type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(stmt, parameter, c.i);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(stmt, parameter, c.d);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(stmt, parameter, m_bytes.constData() + c.offset, c.length,
                          SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(stmt, parameter, m_bytes.constData() + c.offset, c.length,
                          SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(stmt, parameter);
        break;
    }
}

QByteArray rowidBookmark(qint64 rowid) {
    QByteArray b(9, '\0');
    b[0] = 'R';
    qToLittleEndian(rowid, b.data() + 1);
    return b;
}

bool rowidFromBookmark(const QByteArray& bookmark, qint64& rowid) {
    if (bookmark.size() != 9 || bookmark[0] != 'R') return false;
    rowid = qFromLittleEndian<qint64>(bookmark.constData() + 1);
    return true;
}

// ---------------------------------------------------------------------------------------
// Shared parts

void RecordsetImpl::checkOpen() const {
    if (m_closed || !conn || !conn->isOpen()) raiseError(err::ObjectInvalid);
}

void RecordsetImpl::buildNames() {
    byName.clear();
    byExactName.clear();
    m_recentNames = {};
    for (int k = 0; k < int(fields.size()); ++k) {
        const QString key = nameKey(fields[size_t(k)].name);
        if (!byName.contains(key)) byName.insert(key, k);
        if (!byExactName.contains(fields[size_t(k)].name))
            byExactName.insert(fields[size_t(k)].name, k);
    }
}

int RecordsetImpl::fieldIndex(const QString& n) const {
    for (const RecentName& r : m_recentNames)
        if (r.data == n.constData() && r.text == n) return r.index;
    int index;
    const auto exact = byExactName.constFind(n);
    if (exact != byExactName.constEnd()) {
        index = *exact;
    } else {
        const auto it = byName.constFind(nameKey(n));
        if (it == byName.constEnd())
            raiseError(err::ItemNotFound,
                       QStringLiteral("Item not found in this collection ('%1')").arg(n));
        index = *it;
    }
    RecentName& r = m_recentNames[m_nextRecent++ % m_recentNames.size()];
    r.data = n.constData();
    r.text = QString(n.constData(), n.size()); // a copy of its own, never shared with n
    r.index = index;
    return index;
}

QVariant RecordsetImpl::present(int index, const QVariant& stored) const {
    const int t = fields[size_t(index)].type;
    return t == 0 ? stored : fromStored(stored, t);
}

QVariant RecordsetImpl::fieldValue(int index) {
    checkOpen();
    m_fieldsRead = true;
    if (m_editMode != dbEditNone) return present(index, editValue(index));
    return currentRow().value(index, fields[size_t(index)].type);
}

void RecordsetImpl::setFieldValue(int index, const QVariant& value) {
    checkOpen();
    if (m_editMode == dbEditNone) raiseError(err::UpdateWithoutEdit);
    const FieldMeta& f = fields[size_t(index)];
    if (f.baseField < 0 || f.autoIncrement || !table)
        raiseError(err::FieldCannotBeUpdated,
                   QStringLiteral("Field '%1' cannot be updated").arg(f.name));
    m_buffer[size_t(index)] = toStored(value, table->fields[size_t(f.baseField)]);
    m_dirty[size_t(index)] = 1;
}

void RecordsetImpl::appendChunk(int index, const QByteArray& data) {
    checkOpen();
    if (m_editMode == dbEditNone) raiseError(err::UpdateWithoutEdit);
    const FieldMeta& f = fields[size_t(index)];
    if (f.type != dbLongBinary && f.type != dbMemo)
        raiseError(
            err::InvalidOperation,
            QStringLiteral("AppendChunk needs a long binary or memo field ('%1')").arg(f.name));
    // The first piece after AddNew or Edit replaces the value; later ones add to it.
    QVariant v = m_chunked[size_t(index)] ? editValue(index) : QVariant();
    m_chunked[size_t(index)] = 1;
    if (f.type == dbLongBinary) {
        QByteArray bytes = v.isValid() && !v.isNull() ? v.toByteArray() : QByteArray();
        bytes.append(data);
        setFieldValue(index, bytes);
    } else {
        QString text = v.isValid() && !v.isNull() ? v.toString() : QString();
        text.append(QString::fromUtf8(data));
        setFieldValue(index, text);
    }
}

QVariant RecordsetImpl::editValue(int index) {
    const size_t k = size_t(index);
    if (m_dirty[k]) return m_buffer[k];
    if (m_editMode != dbEditAdd) {
        if (!m_editRowRead) {
            if (!readRow(m_editRowid, m_editRow)) raiseError(err::RecordIsDeleted);
            m_editRowRead = true;
        }
        return m_editRow.stored(index);
    }
    // A new record: the counter drawn by AddNew, or the field's default.
    const FieldMeta& f = fields[k];
    if (f.autoIncrement) return m_buffer[k];
    if (f.baseField >= 0 && table) return table->fields[size_t(f.baseField)].defaultValue;
    return QVariant();
}

qint64 RecordsetImpl::fieldSize(int index) {
    checkOpen();
    m_fieldsRead = true;
    if (m_editMode != dbEditNone) {
        const QVariant v = editValue(index);
        if (!v.isValid() || v.isNull()) return 0;
        return v.metaType().id() == QMetaType::QByteArray ? v.toByteArray().size()
                                                          : v.toString().toUtf8().size();
    }
    return currentRow().byteLength(index);
}

QByteArray RecordsetImpl::chunk(int index, qint64 offset, qint64 length) {
    checkOpen();
    m_fieldsRead = true;
    if (offset < 0 || length <= 0) return QByteArray();
    if (m_editMode != dbEditNone) {
        const QVariant v = editValue(index);
        if (!v.isValid() || v.isNull()) return QByteArray();
        const QByteArray data =
            v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
        return data.mid(offset, length);
    }
    return currentRow().bytes(index, offset, length);
}

void RecordsetImpl::addNew() {
    checkOpen();
    if (!updatable()) raiseError(err::DatabaseReadOnly);
    // Buffer slots are read only once assigned (m_dirty) or, for a counter, once drawn, so
    // they need no clearing between edits.
    m_buffer.resize(fields.size());
    m_dirty.assign(fields.size(), 0);
    m_chunked.assign(fields.size(), 0);
    addNewBuffer();
    m_editMode = dbEditAdd;
}

void RecordsetImpl::edit() {
    checkOpen();
    if (!updatable()) raiseError(err::DatabaseReadOnly);
    // The buffer holds only what is assigned; the rest reads from the row as it was.
    qint64 rowid = 0;
    const RawRow* row = rowForEdit(rowid);
    m_editRowRead = row != nullptr;
    if (row) m_editRow = *row;
    m_buffer.resize(fields.size());
    m_dirty.assign(fields.size(), 0);
    m_chunked.assign(fields.size(), 0);
    m_editRowid = rowid;
    m_editMode = dbEditInProgress;
}

void RecordsetImpl::update() {
    checkOpen();
    if (m_editMode == dbEditNone) raiseError(err::UpdateWithoutEdit);
    // On failure (a duplicate key, say) the edit stays open, as in the original engine.
    writeUpdate();
    m_editMode = dbEditNone;
}

qint64 RecordsetImpl::nextCounter() const {
    const QString t = quoteName(table->name);
    Query q(*conn, QStringLiteral(
                       "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?1), 0), "
                       "coalesce((SELECT max(rowid) FROM %1), 0)) + 1")
                       .arg(t)
                       .toUtf8());
    q.bind(1, table->name);
    return q.step() ? q.intValue(0) : 1;
}

namespace {
quint64 bit(size_t k) {
    return k < 64 ? (quint64(1) << k) : 0;
}
} // namespace

qint64 RecordsetImpl::insertBuffer() {
    QVarLengthArray<int, 32> which;
    quint64 mask = 0;
    for (size_t k = 0; k < fields.size(); ++k) {
        const FieldMeta& f = fields[k];
        if (f.baseField < 0 || (!m_dirty[k] && !f.autoIncrement)) continue;
        which.push_back(int(k));
        mask |= bit(k);
    }
    CachedStatement& sql = m_insertSql[fields.size() <= 64 ? mask : ~quint64(0)];
    if (sql.isEmpty() || fields.size() > 64) {
        QStringList names, params;
        for (qsizetype p = 0; p < which.size(); ++p) {
            names << quoteName(table->fields[size_t(fields[size_t(which[p])].baseField)].name);
            params << QStringLiteral("?%1").arg(p + 1);
        }
        sql.setSql(
            (names.isEmpty()
                 ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table->name))
                 : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(quoteName(table->name), names.join(QStringLiteral(", ")),
                            params.join(QStringLiteral(", "))))
                .toUtf8());
    }
    Query q(*conn, sql);
    for (qsizetype p = 0; p < which.size(); ++p)
        q.bind(int(p) + 1, m_buffer[size_t(which[p])]);
    q.step();
    return sqlite3_last_insert_rowid(conn->raw());
}

void RecordsetImpl::updateBuffer(qint64 rowid) {
    QVarLengthArray<int, 32> which;
    quint64 mask = 0;
    for (size_t k = 0; k < fields.size(); ++k) {
        if (!m_dirty[k] || fields[k].baseField < 0) continue;
        which.push_back(int(k));
        mask |= bit(k);
    }
    if (which.empty()) return;
    CachedStatement& sql = m_updateSql[fields.size() <= 64 ? mask : ~quint64(0)];
    if (sql.isEmpty() || fields.size() > 64) {
        QStringList sets;
        for (qsizetype p = 0; p < which.size(); ++p)
            sets << QStringLiteral("%1 = ?%2")
                        .arg(quoteName(
                            table->fields[size_t(fields[size_t(which[p])].baseField)].name))
                        .arg(p + 1);
        sql.setSql(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                       .arg(quoteName(table->name), sets.join(QStringLiteral(", ")))
                       .arg(which.size() + 1)
                       .toUtf8());
    }
    Query q(*conn, sql);
    for (qsizetype p = 0; p < which.size(); ++p)
        q.bind(int(p) + 1, m_buffer[size_t(which[p])]);
    q.bindInt(int(which.size()) + 1, rowid);
    q.step();
    // The row went away since it was read (another record set deleted it): the change
    // was not stored, which must not pass for success.
    if (sqlite3_changes(conn->raw()) == 0) raiseError(err::RecordIsDeleted);
}

// ---------------------------------------------------------------------------------------
// Table-type record sets: the position is the current row's key in the current index
// (its key fields, then the rowid); every move is one query from that key, so the record
// set holds no statement open and no more than one row.

namespace {

class TableCursor : public RecordsetImpl {
public:
    TableCursor(std::shared_ptr<Connection> c, std::shared_ptr<const TableInfo> t, bool ro) {
        conn = std::move(c);
        table = std::move(t);
        name = table->name;
        type = dbOpenTable;
        readOnly = ro || conn->readOnly();
        for (const FieldInfo& f : table->fields) {
            FieldMeta m;
            m.name = f.name;
            m.type = f.type;
            m.size = f.size;
            m.baseField = f.column;
            m.autoIncrement = f.autoIncrement;
            fields.push_back(m);
        }
        buildNames();
        m_select = QStringLiteral("SELECT rowid, * FROM ") + quoteName(table->name);
        m_byRowid.setSql((m_select + QStringLiteral(" WHERE rowid = ?")).toUtf8());
        if (!table->hasRowid) raiseError(err::OperationNotSupported);
        setOrder(nullptr);
        first(false);
    }

    bool bof() const override { return m_bof; }
    bool eof() const override { return m_eof; }

    void moveFirst() override {
        checkOpen();
        leaveEdit();
        if (!first(false)) raiseError(err::NoCurrentRecord);
    }
    void moveLast() override {
        checkOpen();
        leaveEdit();
        if (!first(true)) raiseError(err::NoCurrentRecord);
    }
    void moveNext() override {
        checkOpen();
        leaveEdit();
        if (m_eof || m_state == None) raiseError(err::NoCurrentRecord);
        if (m_bof) {
            if (!first(false)) setEnd(false);
            return;
        }
        if (!step(true)) setEnd(false);
    }
    void movePrevious() override {
        checkOpen();
        leaveEdit();
        if (m_bof || m_state == None) raiseError(err::NoCurrentRecord);
        if (m_eof) {
            if (!first(true)) setEnd(true);
            return;
        }
        if (!step(false)) setEnd(true);
    }

    int recordCount() override {
        checkOpen();
        const qint64 stamp = conn->changeStamp();
        if (stamp != m_countStamp) {
            Query q(*conn,
                    (QStringLiteral("SELECT count(*) FROM ") + quoteName(table->name)).toUtf8());
            m_count = q.step() ? int(q.intValue(0)) : 0;
            m_countStamp = stamp;
        }
        return m_count;
    }

    void requery() override {
        checkOpen();
        leaveEdit();
        first(false);
    }

    QString index() const override { return m_index ? m_index->name : QString(); }

    void setIndex(const QString& indexName) override {
        checkOpen();
        leaveEdit();
        const IndexInfo* ix = table->index(indexName);
        if (!ix)
            raiseError(err::ItemNotFound,
                       QStringLiteral("'%1' is not an index in this table").arg(indexName));
        if (ix->descending) raiseError(err::OperationNotSupported);
        setOrder(ix);
        first(false);
    }

    void seek(const QString& comparison, const QVariantList& keys) override {
        checkOpen();
        leaveEdit();
        if (!m_index) raiseError(3019, QStringLiteral("Operation invalid without a current index"));
        const QString op = comparison.trimmed();
        if (keys.isEmpty() || size_t(keys.size()) > m_keys.size() ||
            !(op == u"=" || op == u">=" || op == u">" || op == u"<=" || op == u"<"))
            raiseError(err::EngineInvalidArgument);
        // The sought values in their stored form, converted like values assigned to the
        // key fields (a value that cannot be stored there matches nothing).
        QVarLengthArray<QVariant, 8> values;
        for (qsizetype k = 0; k < keys.size(); ++k) {
            const FieldInfo& f = table->fields[size_t(m_keys[size_t(k)])];
            try {
                values.push_back(toStored(keys[k], f));
            } catch (const VbError&) {
                noMatch = true;
                m_state = None;
                m_bof = m_eof = false;
                return;
            }
        }
        const int m = int(values.size());
        if (op == u"=") {
            // When nothing was read of the row the last Seek found, this one reads the
            // key alone (from the index) and the fields wait until they are first read.
            const bool keyOnly = !m_fieldsRead;
            m_fieldsRead = false;
            quint32 nulls = 0;
            for (int k = 0; k < m; ++k)
                if (values[k].isNull()) nulls |= 1u << k;
            CachedStatement& sql =
                m_seekSql[(quint32(m) << 16) | nulls | (keyOnly ? 0x80000000u : 0)];
            if (sql.isEmpty()) {
                QStringList conditions;
                std::vector<QVariant> unused;
                for (int k = 0; k < m; ++k)
                    conditions << equal(k, values[k], unused);
                sql.setSql(((keyOnly ? m_keySelect : m_select) + QStringLiteral(" WHERE ") +
                            conditions.join(QStringLiteral(" AND ")) + m_orderAsc)
                               .toUtf8());
            }
            Query q(*conn, sql);
            int p = 1;
            for (const QVariant& v : values)
                if (!v.isNull()) q.bind(p++, v);
            noMatch = !(keyOnly ? loadKey(q) : load(q));
            if (noMatch) {
                m_state = None;
                m_bof = m_eof = false;
            }
            return;
        }
        std::vector<Level> levels;
        if (op == u"=") {
            Level l;
            for (int k = 0; k < m; ++k)
                l.conditions << equal(k, values[k], l.binds);
            levels.push_back(l);
        } else {
            const bool forward = op.startsWith(u'>');
            const bool inclusive = op.endsWith(u'=');
            for (int j = m - 1; j >= 0; --j) {
                Level l;
                for (int k = 0; k < j; ++k)
                    l.conditions << equal(k, values[k], l.binds);
                const QString col = keyColumn(j);
                const QVariant& v = values[j];
                const bool last = j == m - 1;
                if (forward) {
                    if (v.isNull())
                        l.conditions << (last && inclusive ? QString()
                                                           : col + QStringLiteral(" IS NOT NULL"));
                    else {
                        l.conditions << QStringLiteral("%1 %2 ?").arg(
                            col, last && inclusive ? QStringLiteral(">=") : QStringLiteral(">"));
                        l.binds.push_back(v);
                    }
                } else {
                    if (v.isNull()) {
                        if (!(last && inclusive)) continue; // nothing sorts before Null
                        l.conditions << col + QStringLiteral(" IS NULL");
                    } else {
                        l.conditions << QStringLiteral("(%1 %2 ? OR %1 IS NULL)")
                                            .arg(col, last && inclusive ? QStringLiteral("<=")
                                                                        : QStringLiteral("<"));
                        l.binds.push_back(v);
                    }
                }
                l.conditions.removeAll(QString());
                levels.push_back(l);
            }
            for (Level& l : levels)
                l.descending = !forward;
        }
        if (op == u"=") levels.front().descending = false;
        noMatch = !runLevels(levels);
        if (noMatch) {
            m_state = None;
            m_bof = m_eof = false;
        }
    }

    QByteArray bookmark() override { return rowidBookmark(currentRowid()); }

    void setBookmark(const QByteArray& b) override {
        checkOpen();
        leaveEdit();
        qint64 rowid = 0;
        if (!rowidFromBookmark(b, rowid) || !fetchRowid(rowid)) raiseError(err::NotAValidBookmark);
    }

    const RawRow& currentRow() override {
        checkOpen();
        checkCurrent();
        if (m_rowStamp != conn->changeStamp() || !m_rowFull) {
            // Something was written since this row was read, or only its key was: read it.
            if (!fetchRowid(m_row.rowid)) {
                m_state = Deleted;
                raiseError(err::RecordIsDeleted);
            }
        }
        return m_row;
    }

    const RawRow* rowForEdit(qint64& rowid) override {
        checkOpen();
        checkCurrent();
        if (!m_rowFull && m_rowStamp == conn->changeStamp()) {
            rowid = m_row.rowid;
            return nullptr;
        }
        const RawRow& r = currentRow();
        rowid = r.rowid;
        return &r;
    }

    bool readRow(qint64 rowid, RawRow& into) override {
        Query q(*conn, m_byRowid);
        q.bindInt(1, rowid);
        if (!q.step()) return false;
        into.read(q.stmt(), 1, int(fields.size()));
        into.rowid = rowid;
        return true;
    }

    bool updatable() const override { return !readOnly; }

    void addNewBuffer() override {
        if (table->autoIncrementField >= 0)
            m_buffer[size_t(table->autoIncrementField)] = nextCounter();
    }

    void writeUpdate() override {
        if (m_editMode == dbEditAdd) {
            const qint64 rowid = insertBuffer();
            lastModified = rowidBookmark(rowid);
            // The current record stays the one that was current before AddNew; it is
            // read again when next used.
        } else {
            updateBuffer(m_editRowid);
            lastModified = rowidBookmark(m_editRowid);
            m_row.rowid = m_editRowid;
            m_state = Row;
        }
        m_rowStamp = -1;
    }

    void deleteCurrent() override {
        const qint64 rowid = currentRowid();
        m_editMode = dbEditNone;
        Query q(*conn, (QStringLiteral("DELETE FROM ") + quoteName(table->name) +
                        QStringLiteral(" WHERE rowid = ?"))
                           .toUtf8());
        q.bindInt(1, rowid);
        q.step();
        m_state = Deleted; // the key stays: moving goes on from where the row was
    }

private:
    enum State { Row, Deleted, None, Outside };
    struct Level {
        QStringList conditions;
        std::vector<QVariant> binds;
        bool descending = false;
    };

    void leaveEdit() { m_editMode = dbEditNone; }

    void checkCurrent() const {
        if (m_state == Deleted) raiseError(err::RecordIsDeleted);
        if (m_state != Row) raiseError(err::NoCurrentRecord);
    }

    // The current row's rowid, without reading its fields when nothing was written since
    // its key was read.
    qint64 currentRowid() {
        checkOpen();
        checkCurrent();
        if (!m_rowFull && m_rowStamp == conn->changeStamp()) return m_row.rowid;
        return currentRow().rowid;
    }

    QString keyColumn(int k) const {
        return quoteName(table->fields[size_t(m_keys[size_t(k)])].name);
    }

    QString equal(int k, const QVariant& v, std::vector<QVariant>& binds) const {
        if (v.isNull()) return keyColumn(k) + QStringLiteral(" IS NULL");
        binds.push_back(v);
        return keyColumn(k) + QStringLiteral(" = ?");
    }

    void setOrder(const IndexInfo* ix) {
        m_index = ix;
        m_nextSql.setSql({});
        m_seekSql.clear();
        m_keys.clear();
        QStringList asc, desc, keyColumns{QStringLiteral("rowid")};
        if (ix) {
            for (size_t k = 0; k < ix->columns.size(); ++k) {
                m_keys.push_back(ix->columns[k]);
                const QString coll =
                    ix->collations[k].isEmpty() ? QStringLiteral("BINARY") : ix->collations[k];
                const QString term = keyColumn(int(k)) + QStringLiteral(" COLLATE ") + coll;
                asc << term;
                desc << term + QStringLiteral(" DESC");
                keyColumns << keyColumn(int(k));
            }
        }
        m_keySelect = QStringLiteral("SELECT %1 FROM %2")
                          .arg(keyColumns.join(QStringLiteral(", ")), quoteName(table->name));
        asc << QStringLiteral("rowid");
        desc << QStringLiteral("rowid DESC");
        m_orderAsc = QStringLiteral(" ORDER BY ") + asc.join(QStringLiteral(", ")) +
                     QStringLiteral(" LIMIT 1");
        m_orderDesc = QStringLiteral(" ORDER BY ") + desc.join(QStringLiteral(", ")) +
                      QStringLiteral(" LIMIT 1");
        m_firstSql.setSql((m_select + m_orderAsc).toUtf8());
        m_lastSql.setSql((m_select + m_orderDesc).toUtf8());
    }

    bool load(Query& q) {
        if (!q.step()) return false;
        m_row.read(q.stmt(), 1, int(fields.size()));
        m_row.rowid = q.intValue(0);
        m_rowFull = true;
        m_rowStamp = conn->changeStamp();
        m_state = Row;
        m_bof = m_eof = false;
        return true;
    }

    // A row of m_keySelect: the position is known, the fields are read when first used.
    bool loadKey(Query& q) {
        if (!q.step()) return false;
        m_row.readInto(q.stmt(), 1, m_keys, int(fields.size()));
        m_row.rowid = q.intValue(0);
        m_rowFull = false;
        m_rowStamp = conn->changeStamp();
        m_state = Row;
        m_bof = m_eof = false;
        return true;
    }

    bool fetchRowid(qint64 rowid) {
        Query q(*conn, m_byRowid);
        q.bindInt(1, rowid);
        return load(q);
    }

    bool first(bool last) {
        noMatch = false;
        Query q(*conn, last ? m_lastSql : m_firstSql);
        if (load(q)) return true;
        m_state = Outside;
        m_bof = m_eof = true;
        return false;
    }

    void setEnd(bool atStart) {
        m_state = Outside;
        m_bof = atStart;
        m_eof = !atStart;
    }

    bool runLevels(const std::vector<Level>& levels) {
        for (const Level& l : levels) {
            QString sql = m_select;
            if (!l.conditions.isEmpty())
                sql += QStringLiteral(" WHERE ") + l.conditions.join(QStringLiteral(" AND "));
            sql += l.descending ? m_orderDesc : m_orderAsc;
            Query q(*conn, sql.toUtf8());
            for (size_t b = 0; b < l.binds.size(); ++b)
                q.bind(int(b) + 1, l.binds[b]);
            if (load(q)) return true;
        }
        return false;
    }

    // The row after (or before) the current key. Nulls sort first.
    bool step(bool forward) {
        // The key of the current row as it is now (it may have been edited).
        if (m_state == Row && m_rowStamp != conn->changeStamp() && !fetchRowid(m_row.rowid))
            m_state = Deleted;
        const qint64 rowid = m_row.rowid;
        const size_t n = m_keys.size();
        // The position is the key of m_row (the row last read), Nulls sorting first.
        bool anyNull = false;
        for (int k : m_keys)
            anyNull = anyNull || m_row.isNull(k);
        std::vector<Level> levels;
        if (forward && !anyNull && !m_nextSql.isEmpty()) {
            Query q(*conn, m_nextSql);
            for (size_t k = 0; k < n; ++k)
                m_row.bind(q.stmt(), int(k) + 1, m_keys[k]);
            q.bindInt(int(n) + 1, rowid);
            return load(q);
        }
        if (forward && !anyNull) {
            // One row-value comparison covers every level (later Nulls sort first and
            // fall out of the comparison, which is what they should do).
            Level l;
            QStringList cols, marks;
            for (size_t k = 0; k < n; ++k) {
                cols << keyColumn(int(k));
                marks << QStringLiteral("?");
                l.binds.push_back(m_row.stored(m_keys[k]));
            }
            cols << QStringLiteral("rowid");
            marks << QStringLiteral("?");
            l.binds.push_back(rowid);
            l.conditions
                << (n == 0 ? QStringLiteral("rowid > ?")
                           : QStringLiteral("(%1) > (%2)").arg(cols.join(u','), marks.join(u',')));
            m_nextSql.setSql(
                (m_select + QStringLiteral(" WHERE ") + l.conditions.front() + m_orderAsc)
                    .toUtf8());
            levels.push_back(l);
        } else {
            for (int j = int(n); j >= 0; --j) {
                Level l;
                l.descending = !forward;
                for (int k = 0; k < j; ++k)
                    l.conditions << equal(k, m_row.stored(m_keys[size_t(k)]), l.binds);
                if (j == int(n)) {
                    l.conditions << (forward ? QStringLiteral("rowid > ?")
                                             : QStringLiteral("rowid < ?"));
                    l.binds.push_back(rowid);
                } else {
                    const QVariant v = m_row.stored(m_keys[size_t(j)]);
                    const QString col = keyColumn(j);
                    if (forward) {
                        if (v.isNull())
                            l.conditions << col + QStringLiteral(" IS NOT NULL");
                        else {
                            l.conditions << col + QStringLiteral(" > ?");
                            l.binds.push_back(v);
                        }
                    } else {
                        if (v.isNull()) continue;
                        l.conditions << QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(col);
                        l.binds.push_back(v);
                    }
                }
                levels.push_back(l);
            }
        }
        return runLevels(levels);
    }

    QString m_select;
    QString m_keySelect; // the rowid and the key fields of the current index
    QString m_orderAsc, m_orderDesc;
    CachedStatement m_byRowid, m_firstSql, m_lastSql;
    const IndexInfo* m_index = nullptr;
    std::vector<int> m_keys;
    RawRow m_row;
    bool m_rowFull = true; // m_row holds every field, not only the key
    qint64 m_rowStamp = -1;
    CachedStatement m_nextSql;                 // the forward step without Nulls in the key
    QHash<quint32, CachedStatement> m_seekSql; // Seek "=" by key count, Null pattern, key only
    State m_state = Outside;
    bool m_bof = true, m_eof = true;
    int m_count = 0;
    qint64 m_countStamp = -2;
};

// ---------------------------------------------------------------------------------------
// Dynasets and snapshots: the rows' keys in query order. A dynaset reads rows in blocks
// by key when they are visited (and again after anything was written); a snapshot keeps
// the rows it read when it opened.

constexpr int kBlock = 512;

class KeysetCursor : public RecordsetImpl {
public:
    KeysetCursor(std::shared_ptr<Connection> c, Translation tr, int t, bool ro, const QString& n)
        : m_tr(std::move(tr)) {
        conn = std::move(c);
        table = m_tr.tableRef;
        name = n;
        type = t;
        m_keyed = m_tr.keyed();
        readOnly = ro || conn->readOnly() || t != dbOpenDynaset || !m_keyed;
        for (const SelectColumn& sc : m_tr.columns) {
            FieldMeta m;
            m.name = sc.name;
            m.type = sc.fieldType;
            m.size = sc.size;
            m.baseField = m_keyed ? sc.baseField : -1;
            m.autoIncrement =
                sc.baseField >= 0 && table && table->fields[size_t(sc.baseField)].autoIncrement;
            fields.push_back(m);
        }
        buildNames();
        QStringList cols;
        for (const SelectColumn& sc : m_tr.columns)
            cols << sc.sql;
        const QString rowid = quoteName(table->name) + QStringLiteral(".rowid");
        if (m_keyed) {
            QStringList marks;
            for (int k = 1; k <= kBlock; ++k)
                marks << QStringLiteral("?%1").arg(k);
            m_fetchSql =
                QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                    .arg(rowid, cols.join(QStringLiteral(", ")), m_tr.from, marks.join(u','))
                    .toUtf8();
        }
        load();
    }

    bool bof() const override { return m_pos < 0 || rows() == 0; }
    bool eof() const override { return m_pos >= rows() || rows() == 0; }

    void moveFirst() override {
        checkOpen();
        m_editMode = dbEditNone;
        if (rows() == 0) raiseError(err::NoCurrentRecord);
        setPos(0);
    }
    void moveLast() override {
        checkOpen();
        m_editMode = dbEditNone;
        if (rows() == 0) raiseError(err::NoCurrentRecord);
        setPos(rows() - 1);
    }
    void moveNext() override {
        checkOpen();
        m_editMode = dbEditNone;
        if (eof()) raiseError(err::NoCurrentRecord);
        setPos(m_deleted ? m_pos : m_pos + 1);
    }
    void movePrevious() override {
        checkOpen();
        m_editMode = dbEditNone;
        if (bof()) raiseError(err::NoCurrentRecord);
        setPos(m_pos - 1);
    }

    int recordCount() override {
        checkOpen();
        return rows();
    }

    int absolutePosition() const override {
        return (m_pos < 0 || m_pos >= rows() || m_deleted) ? -1 : m_pos;
    }
    void setAbsolutePosition(int p) override {
        checkOpen();
        m_editMode = dbEditNone;
        if (p < 0 || p >= rows()) raiseError(err::NoCurrentRecord);
        setPos(p);
    }

    void requery() override {
        checkOpen();
        m_editMode = dbEditNone;
        load();
    }

    void find(const QString& criteria, int direction) override {
        checkOpen();
        if (!m_keyed) raiseError(err::OperationNotSupported);
        m_editMode = dbEditNone;
        const QString condition = translateCriterion(criteria, m_tr);
        // The rows of the table that meet the criterion; the record set's own order then
        // decides which of them comes first.
        QSet<qint64> hits;
        {
            Query q(*conn, QStringLiteral("SELECT %1.rowid FROM %1 WHERE %2")
                               .arg(m_tr.from, condition)
                               .toUtf8());
            while (q.step())
                hits.insert(q.intValue(0));
        }
        const int n = rows();
        int start = 0, stop = n, delta = 1;
        switch (direction) {
        case 0: // first
            break;
        case 1: // last
            start = n - 1;
            stop = -1;
            delta = -1;
            break;
        case 2: // next
            start = m_pos < 0 ? 0 : (m_deleted ? m_pos : m_pos + 1);
            break;
        default: // previous
            start = (m_pos >= n ? n : m_pos) - 1;
            stop = -1;
            delta = -1;
            break;
        }
        for (int p = start; p != stop && p >= 0 && p < n; p += delta) {
            if (hits.contains(m_rowids[size_t(p)])) {
                noMatch = false;
                setPos(p);
                return;
            }
        }
        noMatch = true;
    }

    QByteArray bookmark() override {
        const RawRow& row = currentRow();
        if (m_keyed) return rowidBookmark(row.rowid);
        QByteArray b(5, 'P');
        qToLittleEndian(qint32(m_pos), b.data() + 1);
        return b;
    }

    void setBookmark(const QByteArray& b) override {
        checkOpen();
        m_editMode = dbEditNone;
        if (m_keyed) {
            qint64 rowid = 0;
            if (!rowidFromBookmark(b, rowid)) raiseError(err::NotAValidBookmark);
            if (m_positions.isEmpty())
                for (int p = 0; p < rows(); ++p)
                    m_positions.insert(m_rowids[size_t(p)], p);
            const auto it = m_positions.constFind(rowid);
            if (it == m_positions.constEnd()) raiseError(err::NotAValidBookmark);
            setPos(*it);
            return;
        }
        if (b.size() != 5 || b[0] != 'P') raiseError(err::NotAValidBookmark);
        const int p = qFromLittleEndian<qint32>(b.constData() + 1);
        if (p < 0 || p >= rows()) raiseError(err::NotAValidBookmark);
        setPos(p);
    }

    const RawRow& currentRow() override {
        checkOpen();
        if (m_deleted) raiseError(err::RecordIsDeleted);
        if (m_pos < 0 || m_pos >= rows()) raiseError(err::NoCurrentRecord);
        if (type != dbOpenDynaset || !m_keyed) return m_snapshot[size_t(m_pos)];
        const RawRow* row = fetch(m_pos);
        if (!row) raiseError(err::RecordIsDeleted);
        return *row;
    }

    bool updatable() const override { return !readOnly; }

    void addNewBuffer() override {
        if (table->autoIncrementField >= 0)
            for (size_t k = 0; k < fields.size(); ++k)
                if (fields[k].baseField == table->autoIncrementField) m_buffer[k] = nextCounter();
    }

    void writeUpdate() override {
        if (m_editMode == dbEditAdd) {
            const qint64 rowid = insertBuffer();
            // New rows join the end of a dynaset.
            m_rowids.push_back(rowid);
            m_positions.clear();
            lastModified = rowidBookmark(rowid);
        } else {
            updateBuffer(m_editRowid);
            lastModified = rowidBookmark(m_editRowid);
        }
        m_windowStamp = -1;
    }

    void deleteCurrent() override {
        const RawRow& row = currentRow();
        const qint64 rowid = row.rowid;
        m_editMode = dbEditNone;
        Query q(*conn, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_tr.from).toUtf8());
        q.bindInt(1, rowid);
        q.step();
        m_rowids.erase(m_rowids.begin() + m_pos);
        m_positions.clear();
        m_windowStamp = -1;
        m_deleted = true;
    }

private:
    int rows() const { return int(m_rowids.size()); }

    void setPos(int p) {
        m_pos = p;
        m_deleted = false;
    }

    void load() {
        m_rowids.clear();
        m_snapshot.clear();
        m_positions.clear();
        m_windowStamp = -1;
        if (type == dbOpenDynaset && m_keyed) {
            QString sql = QStringLiteral("SELECT %1.rowid FROM %1").arg(m_tr.from);
            if (!m_tr.where.isEmpty()) sql += QStringLiteral(" WHERE ") + m_tr.where;
            if (!m_tr.orderBy.isEmpty()) sql += QStringLiteral(" ORDER BY ") + m_tr.orderBy;
            Query q(*conn, sql.toUtf8());
            while (q.step())
                m_rowids.push_back(q.intValue(0));
        } else {
            QString sql = m_tr.sql;
            if (m_keyed) // the rowid rides along for finds and bookmarks
                sql.replace(0, 7, QStringLiteral("SELECT %1.rowid, ").arg(m_tr.from));
            Query q(*conn, sql.toUtf8());
            const int first = m_keyed ? 1 : 0;
            while (q.step()) {
                RawRow r;
                r.read(q.stmt(), first, int(fields.size()));
                r.rowid = m_keyed ? q.intValue(0) : qint64(m_snapshot.size());
                m_rowids.push_back(r.rowid);
                m_snapshot.push_back(std::move(r));
            }
        }
        m_pos = rows() > 0 ? 0 : -1;
        m_deleted = false;
    }

    // The row at a position, read with the block it belongs to; null when it is gone.
    const RawRow* fetch(int p) {
        const qint64 stamp = conn->changeStamp();
        if (stamp != m_windowStamp || p < m_windowStart ||
            p >= m_windowStart + int(m_window.size()) || !m_present[size_t(p - m_windowStart)]) {
            // Read a block around the position, ahead in the direction of travel.
            int start = p >= m_lastFetch ? p : std::max(0, p - kBlock + 1);
            start = std::max(0, std::min(start, rows() - kBlock));
            const int count = std::min(kBlock, rows() - start);
            m_window.resize(size_t(count));
            m_present.assign(size_t(count), 0);
            m_windowStart = start;
            Query q(*conn, m_fetchSql);
            // SQLite returns the rows of a rowid IN list in rowid order: match them to their
            // order by walking the sorted keys alongside.
            std::vector<std::pair<qint64, int>> order;
            order.resize(static_cast<size_t>(count));
            for (int k = 0; k < kBlock; ++k) {
                if (k < count) {
                    const qint64 rowid = m_rowids[size_t(start + k)];
                    q.bindInt(k + 1, rowid);
                    order[size_t(k)] = {rowid, k};
                } else {
                    q.bindNull(k + 1);
                }
            }
            std::sort(order.begin(), order.end());
            size_t next = 0;
            while (q.step()) {
                const qint64 rowid = q.intValue(0);
                if (next >= order.size() || order[next].first != rowid) {
                    const auto it =
                        std::lower_bound(order.begin(), order.end(), std::make_pair(rowid, -1));
                    if (it == order.end() || it->first != rowid) continue;
                    next = size_t(it - order.begin());
                }
                RawRow& r = m_window[size_t(order[next].second)];
                r.read(q.stmt(), 1, int(fields.size()));
                r.rowid = rowid;
                m_present[size_t(order[next].second)] = 1;
                ++next;
            }
            m_windowStamp = stamp;
        }
        m_lastFetch = p;
        const size_t k = size_t(p - m_windowStart);
        return m_present[k] ? &m_window[k] : nullptr;
    }

    Translation m_tr;
    bool m_keyed = false;
    std::vector<qint64> m_rowids;
    std::vector<RawRow> m_snapshot;
    QHash<qint64, int> m_positions;
    int m_pos = -1;
    bool m_deleted = false;
    QByteArray m_fetchSql;
    std::vector<RawRow> m_window;
    std::vector<char> m_present;
    int m_windowStart = 0;
    qint64 m_windowStamp = -1;
    int m_lastFetch = 0;
};

} // namespace

std::shared_ptr<RecordsetImpl> openTable(std::shared_ptr<Connection> conn,
                                         std::shared_ptr<const TableInfo> t, bool readOnly) {
    return std::make_shared<TableCursor>(std::move(conn), std::move(t), readOnly);
}

std::shared_ptr<RecordsetImpl> openQuery(std::shared_ptr<Connection> conn, Translation tr, int type,
                                         bool readOnly, const QString& name) {
    return std::make_shared<KeysetCursor>(std::move(conn), std::move(tr), type, readOnly, name);
}

} // namespace kv::db
