#include "db/RecordsetImpl.h"

#include "db/FieldValues.h"

#include <QVarLengthArray>

namespace kv::db {

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
    void moveNext() override { moveOne(true); }
    void movePrevious() override { moveOne(false); }

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
        if (!m_index)
            raiseError(err::NoCurrentIndex,
                       QStringLiteral("Operation invalid without a current index"));
        const QString op = comparison.trimmed();
        if (keys.isEmpty() || size_t(keys.size()) > m_keys.size() ||
            !(op == u"=" || op == u">=" || op == u">" || op == u"<=" || op == u"<"))
            raiseError(err::EngineInvalidArgument);
        // The sought values in their stored form, converted like values assigned to the
        // key fields (a value that cannot be stored there matches nothing).
        QVarLengthArray<QVariant, 8> values;
        bool found = true;
        for (qsizetype k = 0; k < keys.size() && found; ++k) {
            const FieldInfo& f = table->fields[size_t(m_keys[size_t(k)])];
            try {
                values.push_back(toStored(keys[k], f));
            } catch (const VbError&) {
                found = false;
            }
        }
        if (found) found = op == u"=" ? seekEqual(values) : seekRange(op, values);
        noMatch = !found;
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

    // MoveNext (forward) or MovePrevious: from before the first row (after the last) to
    // it, else to the neighbour of the current key; past the end, to EOF (BOF).
    void moveOne(bool forward) {
        checkOpen();
        leaveEdit();
        if ((forward ? m_eof : m_bof) || m_state == None) raiseError(err::NoCurrentRecord);
        const bool found = (forward ? m_bof : m_eof) ? first(!forward) : step(forward);
        if (!found) setEnd(!forward);
    }

    // Seek "=": the first row whose leading key fields equal the values.
    bool seekEqual(const QVarLengthArray<QVariant, 8>& values) {
        const int m = int(values.size());
        // When nothing was read of the row the last Seek found, this one reads the key
        // alone (from the index) and the fields wait until they are first read.
        const bool keyOnly = !m_fieldsRead;
        m_fieldsRead = false;
        quint32 nulls = 0;
        for (int k = 0; k < m; ++k)
            if (values[k].isNull()) nulls |= 1u << k;
        CachedStatement& sql = m_seekSql[(quint32(m) << 16) | nulls | (keyOnly ? 0x80000000u : 0)];
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
        return keyOnly ? loadKey(q) : load(q);
    }

    // Seek ">=", ">", "<=" or "<": one query per key level, the last key field first.
    bool seekRange(const QString& op, const QVarLengthArray<QVariant, 8>& values) {
        const int m = int(values.size());
        const bool forward = op.startsWith(u'>');
        const bool inclusive = op.endsWith(u'=');
        std::vector<Level> levels;
        for (int j = m - 1; j >= 0; --j) {
            Level l;
            l.descending = !forward;
            for (int k = 0; k < j; ++k)
                l.conditions << equal(k, values[k], l.binds);
            const QString col = keyColumn(j);
            const QVariant& v = values[j];
            const bool orEqual = j == m - 1 && inclusive;
            if (forward) {
                if (!v.isNull()) {
                    l.conditions << QStringLiteral("%1 %2 ?").arg(
                        col, orEqual ? QStringLiteral(">=") : QStringLiteral(">"));
                    l.binds.push_back(v);
                } else if (!orEqual) {
                    l.conditions << col + QStringLiteral(" IS NOT NULL");
                }
            } else {
                if (v.isNull()) {
                    if (!orEqual) continue; // nothing sorts before Null
                    l.conditions << col + QStringLiteral(" IS NULL");
                } else {
                    l.conditions << QStringLiteral("(%1 %2 ? OR %1 IS NULL)")
                                        .arg(col,
                                             orEqual ? QStringLiteral("<=") : QStringLiteral("<"));
                    l.binds.push_back(v);
                }
            }
            levels.push_back(l);
        }
        return runLevels(levels);
    }

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

} // namespace

std::shared_ptr<RecordsetImpl> openTable(std::shared_ptr<Connection> conn,
                                         std::shared_ptr<const TableInfo> t, bool readOnly) {
    return std::make_shared<TableCursor>(std::move(conn), std::move(t), readOnly);
}

} // namespace kv::db
