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
                                 table->fields[size_t(fields[size_t(which[p])].baseField)].name),
                             QString::number(p + 1));
        // Names are the file's own and may hold "%": every argument in one arg().
        sql.setSql(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                       .arg(quoteName(table->name), sets.join(QStringLiteral(", ")),
                            QString::number(which.size() + 1))
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

} // namespace kv::db
