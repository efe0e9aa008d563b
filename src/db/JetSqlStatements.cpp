#include "core/VbError.h"
#include "db/Connection.h"
#include "db/JetSqlParser.h"

#include <QHash>

namespace kv::db {

namespace dialect {

const TableInfo* Parser::findTable(const QString& name, Translation& tr) const {
    tr.tableRef = m_schema->shared(name);
    if (!tr.tableRef)
        raiseError(err::InputTableNotFound,
                   QStringLiteral("The database engine cannot find the input table or query '%1'")
                       .arg(name));
    tr.table = tr.tableRef.get();
    return tr.table;
}

void Parser::finish() {
    if (acceptOp(";")) {
        if (peek().kind != Token::End) raiseError(err::CharactersAfterEnd);
    }
    if (peek().kind != Token::End) fail();
}

QString Parser::storeExpr(const Sql& value, const FieldInfo& f) const {
    // One arg() for all: a chain would read a "%2" inside the value's text as a place for
    // the next argument and break its literal open.
    return QStringLiteral("kv_store(%1, %2, %3, %4)")
        .arg(value.text, QString::number(f.type), QString::number(f.type == dbText ? f.size : 0),
             quoteText(f.name));
}

Translation Parser::statement() {
    if (atWord("select")) return select();
    if (atWord("delete")) return deleteStatement();
    if (atWord("update")) return update();
    if (atWord("insert")) return insert();
    raiseError(err::InvalidSqlStatement);
}

// ---------------------------------------------------------------------------------------
// SELECT

Translation Parser::begin(Translation::Kind kind, int clauseError) {
    Translation tr;
    tr.kind = kind;
    next();
    m_clauseError = clauseError;
    m_clauseStart = peek().pos;
    return tr;
}

Translation Parser::select() {
    Translation tr = begin(Translation::Select, err::SyntaxErrorInQuery);
    if (acceptWord("distinctrow") || acceptWord("all")) {
        // One table: every row is distinct already.
    } else if (acceptWord("distinct")) {
        tr.distinct = true;
    }
    if (atWord("top")) raiseError(err::SyntaxErrorInSelect);

    // The select list is parsed now and resolved once the table is known.
    const std::vector<SelectItem> items = selectList();
    if (!acceptWord("from")) raiseError(err::SyntaxErrorInSelect);
    fromClause(tr, err::SyntaxErrorInFrom);
    resultColumns(items, tr);

    m_aliases = &tr.columns;
    whereClause(tr);
    if (atWord("group") || atWord("having") || atWord("union"))
        raiseError(err::SyntaxErrorInSelect);
    QStringList order = orderByClause(tr);
    m_clauseError = tr.where.isEmpty() && order.isEmpty() ? err::SyntaxErrorInFrom : m_clauseError;
    finish();
    if (tr.keyed()) order << quoteName(m_table->name) + QStringLiteral(".rowid");
    tr.orderBy = order.join(QStringLiteral(", "));

    QStringList cols;
    for (const SelectColumn& c : tr.columns)
        cols << c.sql;
    tr.sql = QStringLiteral("SELECT %1%2 FROM %3")
                 .arg(tr.distinct ? QStringLiteral("DISTINCT ") : QString(),
                      cols.join(QStringLiteral(", ")), tr.from);
    if (!tr.where.isEmpty()) tr.sql += QStringLiteral(" WHERE ") + tr.where;
    if (!tr.orderBy.isEmpty()) tr.sql += QStringLiteral(" ORDER BY ") + tr.orderBy;
    return tr;
}

// items: *, table.*, or an expression with an optional alias, separated by commas.
std::vector<Parser::SelectItem> Parser::selectList() {
    std::vector<SelectItem> items;
    do {
        SelectItem item;
        item.start = peek().pos;
        m_clauseStart = item.start;
        if (atOp("*")) {
            next();
            item.star = true;
        } else if ((peek().kind == Token::Name || peek().kind == Token::Word) && atOp(".", 1) &&
                   atOp("*", 2)) {
            item.star = true;
            item.starQualifier = next().text;
            next();
            next();
        } else {
            item.node = expr();
            if (acceptWord("as")) {
                if (!nameToken(item.alias)) fail();
            }
        }
        items.push_back(std::move(item));
    } while (acceptOp(","));
    return items;
}

// FROM table [[AS] alias]: one table, no joins.
void Parser::fromClause(Translation& tr, int clauseError) {
    m_clauseError = clauseError;
    m_clauseStart = peek().pos;
    QString tableName;
    if (!nameToken(tableName)) fail();
    if (acceptWord("as")) {
        if (!nameToken(m_tableAlias)) fail();
    } else if (peek().kind == Token::Name ||
               (peek().kind == Token::Word && !isKeyword(peek().text))) {
        m_tableAlias = next().text;
    }
    if (atOp(",") || atWord("inner") || atWord("left") || atWord("right") || atWord("join")) fail();
    m_table = findTable(tableName, tr);
    tr.from = quoteName(m_table->name);
}

void Parser::resultColumns(const std::vector<SelectItem>& items, Translation& tr) {
    int exprNumber = 1000;
    bool bareColumns = false;
    for (const SelectItem& item : items) {
        if (!item.star) {
            tr.columns.push_back(resultColumn(item, exprNumber, tr, bareColumns));
            continue;
        }
        if (!item.starQualifier.isEmpty() && !matchesTable(item.starQualifier))
            unknownName(item.starQualifier + QStringLiteral(".*"));
        for (const FieldInfo& f : m_table->fields) {
            SelectColumn c;
            c.name = f.name;
            c.sql = column(f.column).text;
            c.type = typeOfField(f);
            c.fieldType = f.type;
            c.size = f.size;
            c.baseField = f.column;
            tr.columns.push_back(c);
        }
    }
    if (tr.aggregate) {
        if (bareColumns) raiseError(err::NotPartOfAggregate);
        for (const SelectItem& item : items)
            if (item.star) raiseError(err::NotPartOfAggregate);
    }
    // The same field twice: the later one is named after its table.
    QHash<QString, int> used;
    for (SelectColumn& c : tr.columns) {
        const QString key = nameKey(c.name);
        if (used.contains(key)) c.name = m_table->name + QLatin1Char('.') + c.name;
        used.insert(nameKey(c.name), 1);
    }
}

// One expression of the select list as a result field: a field of the table keeps its
// name, anything else is "Expr1000", "Expr1001" ... unless it has an alias.
// An aggregate makes the whole translation one; a bare column beside it is refused.
SelectColumn Parser::resultColumn(const SelectItem& item, int& exprNumber, Translation& tr,
                                  bool& bareColumns) {
    m_clauseError = err::SyntaxErrorInQuery;
    m_clauseStart = item.start;
    m_allowAggregates = true;
    const Sql s = render(*item.node);
    m_allowAggregates = false;
    SelectColumn c;
    c.type = s.type;
    c.depth = s.depth;
    if (s.plain && !s.aggregate) {
        const FieldInfo& f = m_table->fields[size_t(s.field)];
        c.name = f.name;
        c.sql = s.text;
        c.fieldType = f.type;
        c.size = f.size;
        c.baseField = s.field;
    } else {
        c.name = QStringLiteral("Expr%1").arg(exprNumber++);
        // A computed text sorts and compares like any text field.
        c.sql = textType(s.type) && !s.noCase && !s.predicate
                    ? QLatin1Char('(') + s.text + QLatin1Char(')') + noCase()
                    : s.text;
        c.fieldType = fieldTypeOf(s.type);
        c.size = c.fieldType == dbText ? 255 : 8;
        if (s.aggregate)
            tr.aggregate = true;
        else if (s.predicate)
            c.fieldType = dbBoolean;
    }
    if (!item.alias.isEmpty()) c.name = item.alias;
    if (s.hasColumn && !s.aggregate) bareColumns = true;
    return c;
}

void Parser::whereClause(Translation& tr) {
    if (!acceptWord("where")) return;
    m_clauseError = err::SyntaxErrorInQuery;
    m_clauseStart = peek().pos;
    tr.where = render(*expr()).text;
}

// ORDER BY expr [ASC|DESC], ...: the SQLite order terms (constants order nothing).
QStringList Parser::orderByClause(const Translation& tr) {
    QStringList order;
    if (!acceptWord("order")) return order;
    m_clauseError = err::SyntaxErrorInOrderBy;
    m_clauseStart = peek().pos;
    if (!acceptWord("by")) fail();
    if (tr.aggregate) raiseError(err::NotPartOfAggregate);
    do {
        const Sql key = render(*expr());
        const bool desc = acceptWord("desc");
        if (!desc) acceptWord("asc");
        if (!key.hasColumn) continue;
        QString term = key.text;
        if (!key.plain && textType(key.type) && !key.noCase)
            term = QLatin1Char('(') + term + QLatin1Char(')') + noCase();
        order << (desc ? term + QStringLiteral(" DESC") : term);
    } while (acceptOp(","));
    return order;
}

// ---------------------------------------------------------------------------------------
// DELETE, UPDATE, INSERT

Translation Parser::deleteStatement() {
    Translation tr = begin(Translation::Delete, err::SyntaxErrorInQuery);
    acceptWord("distinctrow");
    // The optional field list names what to delete: the table's rows, nothing else.
    std::vector<QString> qualifiers;
    if (!atWord("from")) {
        do {
            if (atOp("*")) {
                next();
                continue;
            }
            QString first;
            if (!nameToken(first)) fail();
            if (acceptOp(".")) {
                if (!acceptOp("*")) {
                    if (peek().kind != Token::Name && peek().kind != Token::Word) fail();
                    next();
                }
                qualifiers.push_back(first);
            }
        } while (acceptOp(","));
    }
    if (!acceptWord("from")) fail();
    m_clauseError = err::SyntaxErrorInFrom;
    QString tableName;
    if (!nameToken(tableName)) fail();
    if (atOp(",") || atWord("inner") || atWord("join")) fail();
    m_table = findTable(tableName, tr);
    for (const QString& q : qualifiers)
        if (!matchesTable(q)) raiseError(err::DeleteTableNotGiven);
    tr.sql = QStringLiteral("DELETE FROM ") + quoteName(m_table->name);
    whereClause(tr);
    if (!tr.where.isEmpty()) tr.sql += QStringLiteral(" WHERE ") + tr.where;
    finish();
    return tr;
}

// A field of the statement's table: name, or table.name. A qualifier naming another
// table is a syntax error or an unknown name.
QString Parser::qualifiedField(bool badQualifierIsSyntax) {
    QString first;
    if (!nameToken(first)) fail();
    if (!acceptOp(".")) return first;
    if (peek().kind != Token::Name && peek().kind != Token::Word) fail();
    if (!matchesTable(first)) {
        if (badQualifierIsSyntax) fail();
        unknownName(first + QLatin1Char('.') + peek().text);
    }
    return next().text;
}

Translation Parser::update() {
    Translation tr = begin(Translation::Update, err::SyntaxErrorInUpdate);
    acceptWord("distinctrow");
    QString tableName;
    if (!nameToken(tableName)) fail();
    m_table = findTable(tableName, tr);
    if (!acceptWord("set")) fail();
    QStringList sets;
    do {
        sets << assignment();
    } while (acceptOp(","));
    tr.sql = QStringLiteral("UPDATE %1 SET %2")
                 .arg(quoteName(m_table->name), sets.join(QStringLiteral(", ")));
    whereClause(tr);
    if (!tr.where.isEmpty()) tr.sql += QStringLiteral(" WHERE ") + tr.where;
    finish();
    return tr;
}

// field = expr, the value checked as the field stores it.
QString Parser::assignment() {
    const QString field = qualifiedField(false);
    const int f = m_table->fieldIndex(field);
    if (f < 0) unknownName(field);
    const FieldInfo& info = m_table->fields[size_t(f)];
    if (info.autoIncrement)
        raiseError(err::FieldNotUpdatable,
                   QStringLiteral("Cannot update '%1'; field not updatable").arg(info.name));
    expectOp("=");
    const Sql value = render(*expr());
    return quoteName(info.name) + QStringLiteral(" = ") + storeExpr(value, info);
}

Translation Parser::insert() {
    Translation tr = begin(Translation::Insert, err::SyntaxErrorInInsert);
    if (!acceptWord("into")) fail();
    QString tableName;
    if (!nameToken(tableName)) fail();
    m_table = findTable(tableName, tr);
    const std::vector<int> targets = insertTargets();
    if (!acceptWord("values")) fail();
    expectOp("(");
    QStringList values;
    const TableInfo* table = m_table;
    m_table = nullptr; // values name no fields
    do {
        m_clauseError = err::SyntaxErrorInInsert;
        const Sql v = render(*expr());
        if (size_t(values.size()) >= targets.size()) raiseError(err::ValueCountMismatch);
        values << storeExpr(v, table->fields[size_t(targets[size_t(values.size())])]);
    } while (acceptOp(","));
    m_table = table;
    m_clauseError = err::SyntaxErrorInInsert;
    expectOp(")");
    if (size_t(values.size()) != targets.size()) raiseError(err::ValueCountMismatch);
    finish();
    QStringList names;
    for (int f : targets)
        names << quoteName(m_table->fields[size_t(f)].name);
    tr.sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(quoteName(m_table->name), names.join(QStringLiteral(", ")),
                      values.join(QStringLiteral(", ")));
    return tr;
}

// The fields an INSERT fills: those listed in parentheses, or every field in table order.
std::vector<int> Parser::insertTargets() {
    std::vector<int> targets;
    if (!acceptOp("(")) {
        for (const FieldInfo& f : m_table->fields)
            targets.push_back(f.column);
        return targets;
    }
    do {
        const QString field = qualifiedField(true);
        const int f = m_table->fieldIndex(field);
        if (f < 0)
            raiseError(
                err::UnknownInsertField,
                QStringLiteral(
                    "The INSERT INTO statement contains the following unknown field name: '%1'")
                    .arg(field));
        if (std::find(targets.begin(), targets.end(), f) != targets.end()) fail();
        targets.push_back(f);
    } while (acceptOp(","));
    expectOp(")");
    return targets;
}

QString Parser::criterion(const Translation& select) {
    m_table = select.table;
    m_aliases = &select.columns;
    m_resultFirst = true;
    m_clauseError = err::SyntaxErrorInQuery;
    m_clauseStart = 0;
    if (peek().kind == Token::End) fail();
    const Sql s = render(*expr());
    if (peek().kind != Token::End) fail();
    return s.text;
}

} // namespace dialect

Translation translateStatement(const QString& text, const Schema& schema) {
    dialect::Parser p(text, &schema);
    return p.statement();
}

QString translateCriterion(const QString& text, const Translation& select) {
    if (!select.table) raiseError(err::OperationNotSupported);
    dialect::Parser p(text, nullptr);
    return p.criterion(select);
}

} // namespace kv::db
