#include "db/RecordsetImpl.h"

#include <QSet>
#include <QtEndian>
#include <algorithm>

namespace kv::db {

namespace {

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

std::shared_ptr<RecordsetImpl> openQuery(std::shared_ptr<Connection> conn, Translation tr, int type,
                                         bool readOnly, const QString& name) {
    return std::make_shared<KeysetCursor>(std::move(conn), std::move(tr), type, readOnly, name);
}

} // namespace kv::db
