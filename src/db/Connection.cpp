#include "db/Connection.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "db/FieldValues.h"
#include "db/Files.h"
#include "db/TextRules.h"

#include <QFileInfo>
#include <QLocale>
#include <atomic>
#include <cmath>
#include <sqlite3.h>

namespace kv::db {

namespace {

constexpr int kStatementCacheSize = 200;

// Unique across connections, so that a statement remembered from one connection is never
// taken for one of another that happens to live at the same address.
quint64 nextGeneration() {
    static std::atomic<quint64> counter{0};
    return ++counter;
}

// Errors raised inside the program's SQL functions travel through SQLite as a message
// "kv:<number>:<description>" and come out as that engine error.
constexpr const char* kFunctionErrorPrefix = "kv:";

void functionError(sqlite3_context* c, int number, const QString& description = QString()) {
    const QString text = QStringLiteral("kv:%1:%2")
                             .arg(number)
                             .arg(description.isEmpty() ? errorDescription(number) : description);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_error(c, utf8.constData(), int(utf8.size()));
}

int collateNoCase(void*, int n1, const void* a, int n2, const void* b) {
    return compareNoCase(static_cast<const char*>(a), n1, static_cast<const char*>(b), n2);
}

QString textOf(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

QVariant variantOf(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT:
        return textOf(v);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v));
    default:
        return QVariant();
    }
}

void resultVariant(sqlite3_context* c, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_result_null(c);
        return;
    }
    switch (v.metaType().id()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        sqlite3_result_int64(c, v.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_result_double(c, v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_result_blob64(c, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray t = v.toString().toUtf8();
        sqlite3_result_text64(c, t.constData(), sqlite3_uint64(t.size()), SQLITE_TRANSIENT,
                              SQLITE_UTF8);
        break;
    }
    }
}

// A number from a value for the arithmetic of the dialect; text must read as a number.
bool numberOf(sqlite3_value* v, double& d, bool& whole, qint64& i) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        i = sqlite3_value_int64(v);
        d = double(i);
        whole = true;
        return true;
    case SQLITE_FLOAT:
        d = sqlite3_value_double(v);
        whole = false;
        return true;
    case SQLITE_TEXT: {
        bool ok = false;
        d = QLocale::c().toDouble(textOf(v).trimmed(), &ok);
        if (!ok || !std::isfinite(d)) return false;
        whole = d == std::floor(d) && std::fabs(d) < 9e15;
        i = whole ? qint64(d) : 0;
        return true;
    }
    default:
        return false;
    }
}

void resultNumber(sqlite3_context* c, double d, bool whole) {
    if (whole && std::fabs(d) < 9e15)
        sqlite3_result_int64(c, qint64(d));
    else
        sqlite3_result_double(c, d);
}

bool anyNull(int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return true;
    return false;
}

// a Like b: Null when either is Null; the compiled pattern is kept with the statement.
void fnLike(sqlite3_context* c, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(c);
        return;
    }
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(c, 1));
    if (!pattern) {
        auto compiled = LikePattern::compile(textOf(argv[1]));
        if (!compiled) {
            functionError(c, err::InvalidPatternString);
            return;
        }
        pattern = new LikePattern(std::move(*compiled));
        sqlite3_set_auxdata(c, 1, pattern, [](void* p) { delete static_cast<LikePattern*>(p); });
        pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(c, 1));
        if (!pattern) { // SQLite could not keep it (out of memory): match once without
            auto again = LikePattern::compile(textOf(argv[1]));
            sqlite3_result_int(c, again && again->matches(textOf(argv[0])) ? 1 : 0);
            return;
        }
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) { // out of memory converting a number to text
        sqlite3_result_error_nomem(c);
        return;
    }
    sqlite3_result_int(c, pattern->matchesUtf8(text, sqlite3_value_bytes(argv[0])) ? 1 : 0);
}

// a + b: Null when either is Null; two texts are joined; otherwise both must be numbers.
void fnPlus(sqlite3_context* c, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(c);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const QString joined = textOf(argv[0]) + textOf(argv[1]);
        resultVariant(c, joined);
        return;
    }
    double a, b;
    bool wa, wb;
    qint64 ia, ib;
    if (!numberOf(argv[0], a, wa, ia) || !numberOf(argv[1], b, wb, ib)) {
        functionError(c, err::DataTypeMismatch);
        return;
    }
    resultNumber(c, a + b, wa && wb);
}

// a & b: joins the texts of both, Null read as empty; Null only when both are Null.
void fnCat(sqlite3_context* c, int, sqlite3_value** argv) {
    const bool n0 = sqlite3_value_type(argv[0]) == SQLITE_NULL;
    const bool n1 = sqlite3_value_type(argv[1]) == SQLITE_NULL;
    if (n0 && n1) {
        sqlite3_result_null(c);
        return;
    }
    auto part = [](sqlite3_value* v) -> QString {
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return QString();
        case SQLITE_FLOAT:
            return numberText(sqlite3_value_double(v));
        case SQLITE_INTEGER:
            return QString::number(sqlite3_value_int64(v));
        default:
            return textOf(v);
        }
    };
    resultVariant(c, QString(part(argv[0]) + part(argv[1])));
}

// The other arithmetic: argument 0 names the operator.
void fnArith(sqlite3_context* c, int argc, sqlite3_value** argv) {
    if (anyNull(argc - 1, argv + 1)) {
        sqlite3_result_null(c);
        return;
    }
    const char op = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))[0];
    double a, b;
    bool wa, wb;
    qint64 ia, ib;
    if (!numberOf(argv[1], a, wa, ia) || !numberOf(argv[2], b, wb, ib)) {
        functionError(c, err::DataTypeMismatch);
        return;
    }
    switch (op) {
    case '-':
        resultNumber(c, a - b, wa && wb);
        return;
    case '*':
        resultNumber(c, a * b, wa && wb);
        return;
    case '/':
        if (b == 0.0) return functionError(c, err::DivisionByZero);
        sqlite3_result_double(c, a / b);
        return;
    case '\\':
    case '%': {
        const double ra = std::nearbyint(a), rb = std::nearbyint(b);
        if (rb == 0.0) return functionError(c, err::DivisionByZero);
        const double q = std::trunc(ra / rb);
        resultNumber(c, op == '\\' ? q : ra - q * rb, true);
        return;
    }
    case '^':
        sqlite3_result_double(c, std::pow(a, b));
        return;
    default:
        functionError(c, err::InvalidProcedureCall);
    }
}

// kv_store(value, type, size, name): the value as the field of that type stores it.
void fnStore(sqlite3_context* c, int, sqlite3_value** argv) {
    FieldInfo f;
    f.type = sqlite3_value_int(argv[1]);
    f.size = sqlite3_value_int(argv[2]);
    f.name = textOf(argv[3]);
    try {
        resultVariant(c, toStored(variantOf(argv[0]), f));
    } catch (const VbError& e) {
        functionError(c, e.number(), e.description());
    } catch (...) {
        functionError(c, err::OutOfMemory);
    }
}

void registerFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_collation(db, kNoCaseCollation, SQLITE_UTF8, nullptr, collateNoCase);
    sqlite3_create_function(db, "kv_like", 2, flags, nullptr, fnLike, nullptr, nullptr);
    sqlite3_create_function(db, "kv_plus", 2, flags, nullptr, fnPlus, nullptr, nullptr);
    sqlite3_create_function(db, "kv_cat", 2, flags, nullptr, fnCat, nullptr, nullptr);
    sqlite3_create_function(db, "kv_arith", 3, flags, nullptr, fnArith, nullptr, nullptr);
    sqlite3_create_function(db, "kv_store", 4, flags, nullptr, fnStore, nullptr, nullptr);
}

QString lastMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

} // namespace

QString quoteName(const QString& name) {
    QString out = name;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString quoteText(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

void raiseSqlite(sqlite3* db, int rc) {
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString message = lastMessage(db);
    switch (rc & 0xff) {
    case SQLITE_ERROR:
        if (message.startsWith(QLatin1String(kFunctionErrorPrefix))) {
            const qsizetype colon = message.indexOf(QLatin1Char(':'), 3);
            const int number = message.mid(3, colon - 3).toInt();
            raiseError(number ? number : int(err::EngineReservedError), message.mid(colon + 1));
        }
        // SQLite's own limits on a statement are the translator's "too complex".
        if (message.startsWith(QLatin1String("Expression tree is too large")) ||
            message.startsWith(QLatin1String("parser stack overflow")) ||
            message.startsWith(QLatin1String("too many ")))
            raiseError(err::QueryTooComplex);
        raiseError(err::EngineReservedError, message);
    case SQLITE_CONSTRAINT:
        if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY)
            raiseError(err::DuplicateKey);
        if (extended == SQLITE_CONSTRAINT_NOTNULL) {
            // "NOT NULL constraint failed: table.field"
            const QString field = message.mid(message.lastIndexOf(QLatin1Char('.')) + 1);
            raiseError(err::FieldCannotBeNull,
                       QStringLiteral("The field '%1' cannot contain a Null value").arg(field));
        }
        raiseError(err::DuplicateKey, message);
    case SQLITE_NOTADB:
        raiseError(err::UnrecognizedDatabaseFormat);
    case SQLITE_CORRUPT:
        raiseError(err::DatabaseCorrupt);
    case SQLITE_READONLY:
        raiseError(err::DatabaseReadOnly);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        raiseError(err::RecordLocked);
    case SQLITE_FULL:
        raiseError(err::DiskFullEngine);
    case SQLITE_IOERR:
        raiseError(err::DiskOrNetworkError);
    case SQLITE_CANTOPEN:
        raiseError(err::CannotOpenFile);
    case SQLITE_NOMEM:
        raiseError(err::OutOfMemory);
    case SQLITE_TOOBIG:
        raiseError(err::SystemResourceExceeded);
    case SQLITE_MISMATCH:
        raiseError(err::DataTypeMismatch);
    case SQLITE_RANGE:
        raiseError(err::EngineInvalidArgument);
    default:
        raiseError(err::EngineReservedError, message);
    }
}

std::shared_ptr<Connection> Connection::open(const QString& path, bool readOnly, bool create) {
    const QFileInfo info(path);
    if (!create && !info.exists())
        raiseError(err::CouldNotFindFile, QStringLiteral("Could not find file '%1'").arg(path));
    // Only a regular file: opening a FIFO or a device may wait for ever or read anything.
    if (const QString kind = notRegularFile(path);
        !kind.isEmpty() || (info.exists() && !info.isFile()))
        raiseError(err::CannotOpenFile,
                   QStringLiteral("The database engine could not open the file '%1': it is %2, "
                                  "not a file")
                       .arg(path, kind.isEmpty() ? QStringLiteral("no regular file") : kind));

    std::shared_ptr<Connection> c(new Connection);
    c->m_path = path;
    c->m_readOnly = readOnly;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (create && !readOnly) flags |= SQLITE_OPEN_CREATE;
    const QByteArray file = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(file.constData(), &c->m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(c->m_db);
        c->m_db = nullptr;
        if ((rc & 0xff) == SQLITE_CANTOPEN)
            raiseError(
                err::CannotOpenFile,
                QStringLiteral("The database engine could not open the file '%1'").arg(path));
        raiseSqlite(nullptr, rc);
    }
    c->configure();
    return c;
}

void Connection::configure() {
    sqlite3_extended_result_codes(m_db, 1);
    // A database file is user input: schema-defined functions and double-quoted strings
    // are never trusted, and damaged pages are detected instead of followed.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_busy_timeout(m_db, 3000);
    registerFunctions(m_db);
    try {
        // Reading the catalogue is what tells a database from any other file.
        exec("SELECT count(*) FROM sqlite_schema");
        exec("PRAGMA cell_size_check=ON");
        // Every commit reaches the disk before the call that made it returns. The journal
        // mode is the file's own (a rollback journal for files this program creates), whose
        // commit is the journal's deletion: EXTRA syncs the folder after it, which FULL
        // does not, so a power cut cannot bring a committed change's journal back.
        exec("PRAGMA synchronous=EXTRA");
        exec("PRAGMA foreign_keys=OFF");
        // Dynasets visit rows by key in query order: keep the pages of a large catalogue
        // in memory rather than reading them again (allocated only as used).
        exec("PRAGMA cache_size=-32768");
    } catch (...) {
        close();
        throw;
    }
}

Connection::Connection() : m_generation(nextGeneration()) {}

Connection::~Connection() {
    close();
}

void Connection::close() {
    if (!m_db) return;
    for (auto it = m_statements.begin(); it != m_statements.end(); ++it)
        sqlite3_finalize(it->stmt);
    m_generation = nextGeneration();
    m_statements.clear();
    m_lru.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Connection::fail(int rc) const {
    raiseSqlite(m_db, rc);
}

sqlite3_stmt* Connection::prepare(const QByteArray& sql) {
    if (!m_db) raiseError(err::ObjectInvalid);
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->lru);
        return it->stmt;
    }
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.constData(), int(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc);
    }
    if (m_statements.size() >= kStatementCacheSize) {
        // Drop the least recently used statement that is not running.
        for (auto l = m_lru.rbegin(); l != m_lru.rend(); ++l) {
            auto victim = m_statements.find(*l);
            if (victim != m_statements.end() && !sqlite3_stmt_busy(victim->stmt)) {
                sqlite3_finalize(victim->stmt);
                m_generation = nextGeneration();
                m_lru.erase(std::next(l).base());
                m_statements.erase(victim);
                break;
            }
        }
    }
    m_lru.push_front(sql);
    m_statements.insert(sql, Cached{stmt, m_lru.begin()});
    return stmt;
}

void Connection::exec(const QByteArray& sql) {
    if (!m_db) raiseError(err::ObjectInvalid);
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) fail(rc);
}

qint64 Connection::changeStamp() const {
    return m_db ? sqlite3_total_changes64(m_db) : -1;
}

const Schema& Connection::schema() {
    if (!m_db) raiseError(err::ObjectInvalid);
    int cookie = 0;
    {
        Query q(*this, "PRAGMA schema_version");
        if (q.step()) cookie = int(q.intValue(0));
    }
    if (cookie != m_schema.cookie()) {
        m_schema.load(m_db);
        m_schema.setCookie(cookie);
    }
    return m_schema;
}

sqlite3_stmt* CachedStatement::get(Connection& c) {
    if (m_stmt && m_conn == &c && m_generation == c.statementGeneration() && c.isOpen())
        return m_stmt;
    m_stmt = c.prepare(m_sql);
    m_conn = &c;
    m_generation = c.statementGeneration();
    return m_stmt;
}

Query::Query(Connection& c, const QByteArray& sql) : m_conn(c), m_stmt(c.prepare(sql)) {}

Query::Query(Connection& c, CachedStatement& statement)
    : m_conn(c), m_stmt(statement.get(c)), m_clear(false) {}

namespace {
// Bound values larger than this are released when the statement is done rather than kept
// until its next use.
constexpr qint64 kKeptBinding = 4096;
} // namespace

Query::~Query() {
    sqlite3_reset(m_stmt);
    if (m_clear) sqlite3_clear_bindings(m_stmt);
}

void Query::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

void Query::bindInt(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Query::bindText(int index, const QByteArray& utf8) {
    if (utf8.size() > kKeptBinding) m_clear = true;
    sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Query::bind(int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        bindInt(index, value.toBool() ? -1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        bindInt(index, value.toLongLong());
        break;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        if (b.size() > kKeptBinding) m_clear = true;
        sqlite3_bind_blob64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QDateTime:
        bindText(
            index,
            storedDateText(value.toDateTime(), value.toDateTime().time() != QTime(0, 0)).toUtf8());
        break;
    case QMetaType::QDate:
        bindText(index, value.toDate().toString(Qt::ISODate).toUtf8());
        break;
    case QMetaType::QString:
        bindString(index, *static_cast<const QString*>(value.constData()));
        break;
    default:
        bindText(index, value.toString().toUtf8());
        break;
    }
}

void Query::bindString(int index, const QString& text) {
    // Plain ASCII (most of what is stored) goes straight into a buffer SQLite takes over,
    // sparing the intermediate QByteArray and SQLite's own copy of it.
    const qsizetype n = text.size();
    if (n > kKeptBinding) m_clear = true;
    const QChar* in = text.constData();
    char* out = static_cast<char*>(sqlite3_malloc64(sqlite3_uint64(n) + 1));
    if (!out) raiseError(err::OutOfMemory);
    for (qsizetype k = 0; k < n; ++k) {
        if (in[k].unicode() >= 0x80) {
            sqlite3_free(out);
            bindText(index, text.toUtf8());
            return;
        }
        out[k] = char(in[k].unicode());
    }
    out[n] = '\0';
    sqlite3_bind_text64(m_stmt, index, out, sqlite3_uint64(n), sqlite3_free, SQLITE_UTF8);
}

bool Query::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    m_conn.fail(rc);
}

QVariant Query::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    default:
        return QVariant();
    }
}

qint64 Query::intValue(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

} // namespace kv::db
