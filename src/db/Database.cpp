#include "db/Database.h"

#include "db/Connection.h"
#include "core/ErrorTable.h"
#include "db/JetSql.h"
#include "db/RecordsetImpl.h"
#include "core/VbError.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace kv {

Database Database::open(const QString& path, bool readOnly) {
    return Database(db::Connection::open(path, readOnly, false));
}

Database Database::create(const QString& path) {
    return Database(db::Connection::open(path, false, true));
}

db::Connection& Database::conn() const {
    if (!m_conn) raiseError(err::ObjectNotSet);
    if (!m_conn->isOpen()) raiseError(err::ObjectInvalid);
    return *m_conn;
}

namespace {

// A source is a SELECT when it starts with the word; anything else names a table,
// bracketed or not.
bool isSelect(const QString& source) {
    const QString s = source.trimmed();
    return s.size() > 6 && s.left(6).compare(QLatin1String("select"), Qt::CaseInsensitive) == 0 &&
           !(s.at(6).isLetterOrNumber() || s.at(6) == u'_');
}

bool isActionWord(const QString& source) {
    const QString s =
        source.trimmed().section(QRegularExpression(QStringLiteral("[^A-Za-z]")), 0, 0).toLower();
    return s == u"delete" || s == u"update" || s == u"insert";
}

} // namespace

Recordset Database::OpenRecordset(const QString& source, int type, int options) const {
    db::Connection& c = conn();
    const bool readOnly = (options & dbReadOnly) != 0;
    if (type != 0 && type != dbOpenTable && type != dbOpenDynaset && type != dbOpenSnapshot &&
        type != dbOpenForwardOnly)
        raiseError(err::EngineInvalidArgument);
    if (!isSelect(source)) {
        if (isActionWord(source)) raiseError(err::InvalidOperation);
        QString name = source.trimmed();
        if (name.startsWith(u'[') && name.endsWith(u']')) name = name.mid(1, name.size() - 2);
        auto table = c.schema().shared(name);
        if (!table)
            raiseError(
                err::ObjectNotFound,
                QStringLiteral("The database engine could not find the object '%1'").arg(name));
        if (type == 0 || type == dbOpenTable)
            return Recordset(db::openTable(m_conn, table, readOnly));
        db::Translation tr = db::translateStatement(
            QStringLiteral("SELECT * FROM [%1]").arg(table->name), c.schema());
        return Recordset(db::openQuery(m_conn, std::move(tr), type, readOnly, table->name));
    }
    if (type == dbOpenTable) raiseError(err::InvalidOperation);
    db::Translation tr = db::translateStatement(source, c.schema());
    return Recordset(db::openQuery(m_conn, std::move(tr), type == 0 ? int(dbOpenDynaset) : type,
                                   readOnly, source.trimmed()));
}

void Database::Execute(const QString& statement, int) {
    db::Connection& c = conn();
    db::Translation tr = db::translateStatement(statement, c.schema());
    if (tr.kind == db::Translation::Select) raiseError(err::CannotExecuteSelect);
    if (c.readOnly()) raiseError(err::DatabaseReadOnly);
    db::Query q(c, tr.sql.toUtf8());
    q.step();
    m_affected = sqlite3_changes(c.raw());
}

QString Database::Name() const {
    return m_conn ? m_conn->path() : QString();
}

QStringList Database::TableNames() const {
    return conn().schema().tableNames();
}

bool Database::isOpen() const {
    return m_conn && m_conn->isOpen();
}

void Database::Close() {
    if (m_conn) m_conn->close();
}

} // namespace kv
