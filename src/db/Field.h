#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>

namespace kv {

namespace db {
class RecordsetImpl;
}

// One field of a record set's current record (a handle: it reads and writes through its
// record set, so it follows the record set as it moves).
class Field {
public:
    Field() = default;

    QString Name() const;
    // The engine's type (dbText, dbLong, dbBoolean ...; see DaoConstants.h).
    int Type() const;
    // Text: the longest value in characters; other types: the size of a value in bytes.
    int Size() const;
    int Attributes() const;
    int OrdinalPosition() const;

    // The value of the current record, or of the record being edited; Null is an invalid
    // QVariant. Raises 3021 without a current record, 3167 on a deleted one.
    QVariant Value() const;
    // Assigns the value in the edit buffer (after AddNew or Edit; otherwise 3020). The
    // value is checked against the field's type at once.
    void setValue(const QVariant& value) const;

    // Long binary and memo fields: the size of the value in bytes, a piece of it, and
    // appending to it in the edit buffer.
    qint64 FieldSize() const;
    QByteArray GetChunk(qint64 offset, qint64 bytes) const;
    void AppendChunk(const QByteArray& data) const;

private:
    friend class Recordset;
    Field(std::shared_ptr<db::RecordsetImpl> rs, int index) : m_rs(std::move(rs)), m_index(index) {}
    db::RecordsetImpl& impl() const;
    std::shared_ptr<db::RecordsetImpl> m_rs;
    int m_index = -1;
};

} // namespace kv
