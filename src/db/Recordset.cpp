#include "db/Recordset.h"

#include "core/ErrorTable.h"
#include "db/RecordsetImpl.h"
#include "core/VbError.h"

namespace kv {

db::RecordsetImpl& Recordset::impl() const {
    if (!m_impl) raiseError(err::ObjectNotSet);
    m_impl->checkOpen();
    return *m_impl;
}

QString Recordset::Name() const {
    return impl().name;
}
int Recordset::Type() const {
    return impl().type;
}
bool Recordset::Updatable() const {
    return impl().updatable();
}
bool Recordset::Bof() const {
    return impl().bof();
}
bool Recordset::Eof() const {
    return impl().eof();
}
void Recordset::MoveFirst() {
    impl().moveFirst();
}
void Recordset::MoveLast() {
    impl().moveLast();
}
void Recordset::MoveNext() {
    impl().moveNext();
}
void Recordset::MovePrevious() {
    impl().movePrevious();
}

void Recordset::Move(int rows) {
    db::RecordsetImpl& r = impl();
    for (; rows > 0; --rows)
        r.moveNext();
    for (; rows < 0; ++rows)
        r.movePrevious();
}

int Recordset::RecordCount() const {
    return impl().recordCount();
}
int Recordset::AbsolutePosition() const {
    return impl().absolutePosition();
}
void Recordset::setAbsolutePosition(int position) {
    impl().setAbsolutePosition(position);
}
void Recordset::Requery() {
    impl().requery();
}
QString Recordset::Index() const {
    return impl().index();
}
void Recordset::setIndex(const QString& name) {
    impl().setIndex(name);
}
void Recordset::Seek(const QString& comparison, const QVariantList& keys) {
    impl().seek(comparison, keys);
}
void Recordset::Seek(const QString& comparison, const QVariant& key1) {
    impl().seek(comparison, {key1});
}
void Recordset::Seek(const QString& comparison, const QVariant& key1, const QVariant& key2) {
    impl().seek(comparison, {key1, key2});
}
bool Recordset::NoMatch() const {
    return impl().noMatch;
}
void Recordset::FindFirst(const QString& criteria) {
    impl().find(criteria, 0);
}
void Recordset::FindLast(const QString& criteria) {
    impl().find(criteria, 1);
}
void Recordset::FindNext(const QString& criteria) {
    impl().find(criteria, 2);
}
void Recordset::FindPrevious(const QString& criteria) {
    impl().find(criteria, 3);
}
QByteArray Recordset::Bookmark() const {
    return impl().bookmark();
}
void Recordset::setBookmark(const QByteArray& bookmark) {
    impl().setBookmark(bookmark);
}
QByteArray Recordset::LastModified() const {
    return impl().lastModified;
}
void Recordset::AddNew() {
    impl().addNew();
}
void Recordset::Edit() {
    impl().edit();
}
void Recordset::Update() {
    impl().update();
}
void Recordset::CancelUpdate() {
    db::RecordsetImpl& r = impl();
    if (r.m_editMode == dbEditNone) raiseError(err::UpdateWithoutEdit);
    r.cancelUpdate();
}

void Recordset::Delete() {
    db::RecordsetImpl& r = impl();
    if (!r.updatable()) raiseError(err::DatabaseReadOnly);
    if (r.m_editMode == dbEditAdd) raiseError(err::NoCurrentRecord);
    r.deleteCurrent();
}

int Recordset::EditMode() const {
    return impl().m_editMode;
}
int Recordset::FieldCount() const {
    return int(impl().fields.size());
}

Field Recordset::Fields(int index) const {
    db::RecordsetImpl& r = impl();
    if (index < 0 || index >= int(r.fields.size())) raiseError(err::ItemNotFound);
    return Field(m_impl, index);
}

Field Recordset::Fields(const QString& name) const {
    return Field(m_impl, impl().fieldIndex(name));
}

QVariant Recordset::value(const QString& name) const {
    db::RecordsetImpl& r = impl();
    return r.fieldValue(r.fieldIndex(name));
}

void Recordset::setValue(const QString& name, const QVariant& v) const {
    db::RecordsetImpl& r = impl();
    r.setFieldValue(r.fieldIndex(name), v);
}

void Recordset::Close() {
    if (m_impl) m_impl->close();
}

bool Recordset::isOpen() const {
    return m_impl && !m_impl->m_closed && m_impl->conn && m_impl->conn->isOpen();
}

// ---------------------------------------------------------------------------------------

db::RecordsetImpl& Field::impl() const {
    if (!m_rs) raiseError(err::ObjectNotSet);
    m_rs->checkOpen();
    return *m_rs;
}

QString Field::Name() const {
    return impl().fields[size_t(m_index)].name;
}

int Field::Type() const {
    const int t = impl().fields[size_t(m_index)].type;
    return t == 0 ? int(dbText) : t;
}

int Field::Size() const {
    return impl().fields[size_t(m_index)].size;
}

int Field::Attributes() const {
    const db::FieldMeta& f = impl().fields[size_t(m_index)];
    int a = dbVariableField;
    if (f.autoIncrement) a |= dbAutoIncrField;
    if (f.baseField >= 0 && !f.autoIncrement && impl().updatable()) a |= dbUpdatableField;
    return a;
}

int Field::OrdinalPosition() const {
    impl();
    return m_index;
}

QVariant Field::Value() const {
    return impl().fieldValue(m_index);
}

void Field::setValue(const QVariant& value) const {
    impl().setFieldValue(m_index, value);
}

qint64 Field::FieldSize() const {
    return impl().fieldSize(m_index);
}

QByteArray Field::GetChunk(qint64 offset, qint64 bytes) const {
    return impl().chunk(m_index, offset, bytes);
}

void Field::AppendChunk(const QByteArray& data) const {
    impl().appendChunk(m_index, data);
}

void updateOrCancel(Recordset& rs, const std::function<void()>& assign) {
    try {
        assign();
        rs.Update();
    } catch (...) {
        try {
            rs.CancelUpdate();
        } catch (...) {
        }
        throw;
    }
}

} // namespace kv
