#include "core/VbError.h"
#include "db/Connection.h"
#include "db/JetSqlParser.h"
#include "db/TextRules.h"

#include <optional>

namespace kv::db::dialect {

bool numericType(SqlType t) {
    return t == SqlType::Bool || t == SqlType::Integer || t == SqlType::Real || t == SqlType::Null;
}

bool textType(SqlType t) {
    return t == SqlType::Text || t == SqlType::Date || t == SqlType::Unknown ||
           t == SqlType::Binary;
}

SqlType typeOfField(const FieldInfo& f) {
    switch (f.type) {
    case dbBoolean:
        return SqlType::Bool;
    case dbByte:
    case dbInteger:
    case dbLong:
        return SqlType::Integer;
    case dbCurrency:
    case dbSingle:
    case dbDouble:
        return SqlType::Real;
    case dbDate:
        return SqlType::Date;
    case dbLongBinary:
        return SqlType::Binary;
    default:
        return SqlType::Text;
    }
}

int fieldTypeOf(SqlType t) {
    switch (t) {
    case SqlType::Bool:
        return dbBoolean;
    case SqlType::Integer:
        return dbLong;
    case SqlType::Real:
        return dbDouble;
    case SqlType::Date:
        return dbDate;
    case SqlType::Binary:
        return dbLongBinary;
    case SqlType::Text:
        return dbText;
    default:
        return 0; // whatever the value is
    }
}

QString noCase() {
    return QStringLiteral(" COLLATE ") + QLatin1String(kNoCaseCollation);
}

namespace {

// What an expression inherits from a part of it: whether it reads columns or aggregates,
// and one more level of nesting.
void inherit(Sql& s, const Sql& part) {
    s.hasColumn = s.hasColumn || part.hasColumn;
    s.aggregate = s.aggregate || part.aggregate;
    s.depth = std::max(s.depth, part.depth + 1);
}

QString notIf(bool negated, const QString& text) {
    return negated ? QStringLiteral("(NOT %1)").arg(text) : text;
}

Sql condition(QString text) {
    Sql s;
    s.text = std::move(text);
    s.type = SqlType::Bool;
    s.predicate = true;
    return s;
}

} // namespace

bool Parser::matchesTable(const QString& qualifier) const {
    return nameKey(qualifier) == nameKey(m_table->name) ||
           (!m_tableAlias.isEmpty() && nameKey(qualifier) == nameKey(m_tableAlias));
}

void Parser::unknownName(const QString& name) const {
    raiseError(err::TooFewParameters,
               QStringLiteral("Too few parameters. Expected 1 ('%1' is not a field of '%2')")
                   .arg(name, m_table ? m_table->name : QString()));
}

Sql Parser::column(int field) const {
    const FieldInfo& f = m_table->fields[size_t(field)];
    Sql s;
    s.text = quoteName(m_table->name) + QLatin1Char('.') + quoteName(f.name);
    s.type = typeOfField(f);
    s.plain = true;
    s.noCase = f.noCase;
    s.hasColumn = true;
    s.field = field;
    return s;
}

Sql Parser::renderColumn(const Node& n) {
    if (!m_table) unknownName(n.name);
    if (!n.qualifier.isEmpty()) {
        if (!matchesTable(n.qualifier)) unknownName(n.qualifier + QLatin1Char('.') + n.name);
        const int f = m_table->fieldIndex(n.name);
        if (f < 0) unknownName(n.name);
        return column(f);
    }
    auto alias = [&]() -> std::optional<Sql> {
        if (!m_aliases) return std::nullopt;
        for (const SelectColumn& c : *m_aliases) {
            if (nameKey(c.name) != nameKey(n.name)) continue;
            if (c.baseField >= 0) return column(c.baseField);
            // The alias stands for its expression, written out in full.
            Sql s;
            s.text = QLatin1Char('(') + c.sql + QLatin1Char(')');
            s.type = c.type;
            s.noCase = textType(c.type);
            s.hasColumn = true;
            s.depth = c.depth + 1;
            return s;
        }
        return std::nullopt;
    };
    if (m_resultFirst)
        if (auto s = alias()) return *s;
    const int f = m_table->fieldIndex(n.name);
    if (f >= 0) return column(f);
    if (!m_resultFirst)
        if (auto s = alias()) return *s;
    unknownName(n.name);
}

Sql Parser::compare(const QString& op, const Sql& a, const Sql& b) const {
    bool collate;
    if (numericType(a.type) && numericType(b.type))
        collate = false;
    else if (a.plain)
        collate = textType(a.type) && !a.noCase; // the left column's own rule decides
    else if (a.noCase)
        collate = false;
    else if (b.plain && b.noCase)
        collate = false;
    else
        collate = true;
    Sql s = condition(
        QStringLiteral("(%1 %2 %3%4)").arg(a.text, op, b.text, collate ? noCase() : QString()));
    inherit(s, a);
    inherit(s, b);
    return s;
}

Sql Parser::render(const Node& n) {
    // The tree is at most kMaxDepth high, which bounds this recursion; what is checked
    // here is what the emitted text makes of it (aliases written out, Between writing
    // its left side twice).
    Sql s = renderKind(n);
    if (s.depth > kMaxDepth || s.text.size() > m_textLimit) tooComplex();
    return s;
}

Sql Parser::renderKind(const Node& n) {
    switch (n.kind) {
    case Node::Literal: {
        Sql s;
        s.text = n.litSql;
        s.type = n.litType;
        return s;
    }
    case Node::Column:
        return renderColumn(n);
    case Node::Star:
        fail();
    case Node::Paren: {
        const Sql inner = render(*n.kids[0]);
        Sql s = inner;
        s.text = QLatin1Char('(') + inner.text + QLatin1Char(')');
        s.depth = inner.depth + 1;
        return s;
    }
    case Node::Call:
        return renderCall(n);
    case Node::Unary:
        return renderUnary(n);
    case Node::Binary:
        return renderBinary(n);
    case Node::Compare:
        return compare(n.op, render(*n.kids[0]), render(*n.kids[1]));
    case Node::Like:
        return renderLike(n);
    case Node::IsNull:
        return renderIsNull(n);
    case Node::Between:
        return renderBetween(n);
    case Node::In:
        return renderIn(n);
    }
    fail();
}

Sql Parser::renderCall(const Node& n) {
    if (!m_allowAggregates)
        raiseError(err::AggregateInExpression,
                   QStringLiteral("Cannot have aggregate function in expression (%1)")
                       .arg(shortText(QStringView(m_src).mid(n.start, n.end - n.start))));
    Sql s;
    s.aggregate = true;
    if (n.kids[0]->kind == Node::Star) {
        s.text = QStringLiteral("count(*)");
        s.type = SqlType::Integer;
        return s;
    }
    m_allowAggregates = false;
    const Sql arg = render(*n.kids[0]);
    m_allowAggregates = true;
    // The columns inside an aggregate are not bare columns of the result.
    s.depth = arg.depth + 1;
    if (n.op == u"count") {
        s.text = QStringLiteral("count(%1)").arg(arg.text);
        s.type = SqlType::Integer;
    } else if (n.op == u"min" || n.op == u"max") {
        const bool collate = textType(arg.type) && !arg.noCase;
        s.text = QStringLiteral("%1(%2%3)").arg(n.op, arg.text, collate ? noCase() : QString());
        s.type = arg.type;
    } else {
        s.text = QStringLiteral("%1(%2)").arg(n.op, arg.text);
        s.type = n.op == u"sum" && arg.type == SqlType::Integer ? SqlType::Integer : SqlType::Real;
    }
    return s;
}

Sql Parser::renderUnary(const Node& n) {
    const Sql a = render(*n.kids[0]);
    Sql s;
    inherit(s, a);
    if (n.op == u"-") {
        s.text = QStringLiteral("(-%1)").arg(a.text);
        s.type = a.type == SqlType::Integer || a.type == SqlType::Bool ? SqlType::Integer
                                                                       : SqlType::Real;
        if (textType(a.type)) s.text = QStringLiteral("kv_arith('-', 0, %1)").arg(a.text);
        return s;
    }
    // Not: a condition is negated; a value is complemented bit by bit, which keeps Yes/No
    // values as -1 and 0.
    if (a.predicate) {
        s.text = QStringLiteral("(NOT %1)").arg(a.text);
        s.predicate = true;
    } else {
        s.text = QStringLiteral("(~%1)").arg(a.text);
    }
    s.type = a.type == SqlType::Integer ? SqlType::Integer : SqlType::Bool;
    return s;
}

Sql Parser::renderBinary(const Node& n) {
    const Sql a = render(*n.kids[0]);
    const Sql b = render(*n.kids[1]);
    Sql s;
    inherit(s, a);
    inherit(s, b);
    const QString& op = n.op;
    if (op == u"and" || op == u"or") {
        // A chain of Ands (or Ors) is written without parentheses around each link, which
        // SQLite's parser would count as nesting.
        const Node& left = *n.kids[0];
        if (left.kind == Node::Binary && left.op == op)
            s.text = a.text.chopped(1) + QStringLiteral(" %1 %2)").arg(op.toUpper(), b.text);
        else
            s.text = QStringLiteral("(%1 %2 %3)").arg(a.text, op.toUpper(), b.text);
        s.type = SqlType::Bool;
        s.predicate = true;
        return s;
    }
    if (op == u"&") {
        s.text = QStringLiteral("kv_cat(%1, %2)").arg(a.text, b.text);
        s.type = SqlType::Text;
        return s;
    }
    const bool bothNumbers = numericType(a.type) && numericType(b.type) &&
                             a.type != SqlType::Null && b.type != SqlType::Null;
    const SqlType numberType =
        (a.type == SqlType::Real || b.type == SqlType::Real) ? SqlType::Real : SqlType::Integer;
    if (op == u"+") {
        if (a.type == SqlType::Text && b.type == SqlType::Text) {
            s.text = QStringLiteral("(%1 || %2)").arg(a.text, b.text); // Null either side: Null
            s.type = SqlType::Text;
        } else if (bothNumbers) {
            s.text = QStringLiteral("(%1 + %2)").arg(a.text, b.text);
            s.type = numberType;
        } else {
            s.text = QStringLiteral("kv_plus(%1, %2)").arg(a.text, b.text);
            s.type = (a.type == SqlType::Text || b.type == SqlType::Text) &&
                             (a.type == SqlType::Text || a.type == SqlType::Null) &&
                             (b.type == SqlType::Text || b.type == SqlType::Null)
                         ? SqlType::Text
                         : SqlType::Unknown;
        }
        return s;
    }
    if ((op == u"-" || op == u"*") && bothNumbers) {
        s.text = QStringLiteral("(%1 %2 %3)").arg(a.text, op, b.text);
        s.type = numberType;
        return s;
    }
    const QString code = op == u"mod" ? QStringLiteral("%") : op;
    s.text = QStringLiteral("kv_arith(%1, %2, %3)").arg(quoteText(code), a.text, b.text);
    s.type = (op == u"-" || op == u"*")      ? (bothNumbers ? numberType : SqlType::Real)
             : (op == u"\\" || op == u"mod") ? SqlType::Integer
                                             : SqlType::Real;
    return s;
}

Sql Parser::renderLike(const Node& n) {
    const Sql a = render(*n.kids[0]);
    const Sql b = render(*n.kids[1]);
    Sql s = condition(notIf(n.negated, QStringLiteral("kv_like(%1, %2)").arg(a.text, b.text)));
    inherit(s, a);
    inherit(s, b);
    return s;
}

Sql Parser::renderIsNull(const Node& n) {
    const Sql a = render(*n.kids[0]);
    Sql s = condition(QStringLiteral("(%1 IS %2NULL)")
                          .arg(a.text, n.negated ? QStringLiteral("NOT ") : QString()));
    inherit(s, a);
    return s;
}

Sql Parser::renderBetween(const Node& n) {
    const Sql a = render(*n.kids[0]);
    const Sql lo = render(*n.kids[1]);
    const Sql hi = render(*n.kids[2]);
    const Sql ge = compare(QStringLiteral(">="), a, lo);
    const Sql le = compare(QStringLiteral("<="), a, hi);
    Sql s = condition(notIf(n.negated, QStringLiteral("(%1 AND %2)").arg(ge.text, le.text)));
    inherit(s, ge);
    inherit(s, le);
    return s;
}

Sql Parser::renderIn(const Node& n) {
    const Sql a = render(*n.kids[0]);
    Sql s = condition(QString());
    inherit(s, a);
    QStringList items;
    qsizetype length = a.text.size();
    bool allNumbers = numericType(a.type);
    for (size_t k = 1; k < n.kids.size(); ++k) {
        const Sql item = render(*n.kids[k]);
        allNumbers = allNumbers && numericType(item.type);
        inherit(s, item);
        length += item.text.size() + 2;
        if (length > m_textLimit) tooComplex();
        items << item.text;
    }
    const bool collate = !allNumbers && !(a.noCase) && !(a.plain && !textType(a.type));
    s.text =
        QStringLiteral("(%1%2 %3IN (%4))")
            .arg(a.text, collate ? noCase() : QString(),
                 n.negated ? QStringLiteral("NOT ") : QString(), items.join(QStringLiteral(", ")));
    return s;
}

} // namespace kv::db::dialect
