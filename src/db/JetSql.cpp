#include "db/JetSql.h"

#include "db/Connection.h"
#include "core/ErrorTable.h"
#include "db/FieldValues.h"
#include "db/TextRules.h"
#include "core/VbError.h"

#include <QHash>
#include <QLocale>
#include <memory>

namespace kv::db {

namespace {

// ---------------------------------------------------------------------------------------
// Tokens

struct Token {
    enum Kind { End, Word, Name, String, Number, Date, Op } kind = End;
    QString text; // words and names as written; strings unquoted; ops as written
    qsizetype pos = 0;
    qsizetype end = 0;
};

QString shortText(QStringView s) {
    QString t = s.toString().simplified();
    if (t.size() > 120) t = t.left(117) + QStringLiteral("...");
    return t;
}

[[noreturn]] void syntaxError(int number, QStringView context) {
    switch (number) {
    case err::SyntaxErrorInQuery:
        raiseError(number,
                   QStringLiteral("Syntax error (missing operator) in query expression '%1'")
                       .arg(shortText(context)));
    case err::SyntaxErrorInFrom:
        raiseError(number, QStringLiteral("Syntax error in FROM clause"));
    case err::SyntaxErrorInInsert:
        raiseError(number, QStringLiteral("Syntax error in INSERT INTO statement"));
    case err::SyntaxErrorInUpdate:
        raiseError(number, QStringLiteral("Syntax error in UPDATE statement"));
    case err::SyntaxErrorInOrderBy:
        raiseError(number, QStringLiteral("Syntax error in ORDER BY clause"));
    default:
        raiseError(number);
    }
}

std::vector<Token> tokenize(const QString& src) {
    std::vector<Token> out;
    const qsizetype n = src.size();
    qsizetype i = 0;
    auto isWordStart = [](QChar c) { return c.isLetter() || c == u'_'; };
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    while (i < n) {
        const QChar c = src.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (c == u'[') {
            const qsizetype close = src.indexOf(u']', i + 1);
            if (close < 0)
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral("Invalid bracketing of name '%1'")
                               .arg(shortText(QStringView(src).mid(i))));
            t.kind = Token::Name;
            t.text = src.mid(i + 1, close - i - 1);
            if (t.text.trimmed().isEmpty() || t.text.contains(u'['))
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral("Invalid bracketing of name '%1'")
                               .arg(shortText(QStringView(src).mid(i, close - i + 1))));
            i = close + 1;
        } else if (c == u'"' || c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (src.at(j) == c) {
                    if (j + 1 < n && src.at(j + 1) == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += src.at(j++);
            }
            if (!closed)
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral("Syntax error in string in query expression '%1'")
                               .arg(shortText(QStringView(src).mid(i))));
            t.kind = Token::String;
            t.text = value;
            i = j + 1;
        } else if (c == u'#') {
            const qsizetype close = src.indexOf(u'#', i + 1);
            if (close < 0)
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral("Syntax error in date in query expression '%1'")
                               .arg(shortText(QStringView(src).mid(i))));
            t.kind = Token::Date;
            t.text = src.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && src.at(i + 1).isDigit() &&
                                   (out.empty() || out.back().kind == Token::Op) &&
                                   !(out.size() && out.back().text == QLatin1String(".")))) {
            qsizetype j = i;
            while (j < n && src.at(j).isDigit())
                ++j;
            if (j < n && src.at(j) == u'.') {
                ++j;
                while (j < n && src.at(j).isDigit())
                    ++j;
            }
            if (j < n && (src.at(j) == u'e' || src.at(j) == u'E')) {
                qsizetype k = j + 1;
                if (k < n && (src.at(k) == u'+' || src.at(k) == u'-')) ++k;
                if (k < n && src.at(k).isDigit()) {
                    while (k < n && src.at(k).isDigit())
                        ++k;
                    j = k;
                }
            }
            if (j < n && isWordChar(src.at(j)))
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral("Syntax error in number in query expression '%1'")
                               .arg(shortText(QStringView(src).mid(i))));
            t.kind = Token::Number;
            t.text = src.mid(i, j - i);
            i = j;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(src.at(j)))
                ++j;
            t.kind = Token::Word;
            t.text = src.mid(i, j - i);
            i = j;
        } else {
            static const char* const two[] = {"<>", "<=", ">="};
            t.kind = Token::Op;
            t.text = QString(c);
            for (const char* op : two)
                if (i + 1 < n && c == QLatin1Char(op[0]) && src.at(i + 1) == QLatin1Char(op[1]))
                    t.text = QLatin1String(op);
            static const QString singles = QStringLiteral("=<>+-*/\\^&(),.;!");
            if (t.text.size() == 1 && !singles.contains(c))
                raiseError(err::SyntaxErrorInQuery,
                           QStringLiteral(
                               "Syntax error (unexpected character '%1') in query expression '%2'")
                               .arg(c)
                               .arg(shortText(QStringView(src).mid(i))));
            i += t.text.size();
        }
        t.end = i;
        out.push_back(std::move(t));
    }
    Token end;
    end.pos = end.end = n;
    out.push_back(end);
    return out;
}

bool isKeyword(const QString& word) {
    static const QStringList words = {
        QStringLiteral("select"),    QStringLiteral("distinctrow"), QStringLiteral("distinct"),
        QStringLiteral("all"),       QStringLiteral("top"),         QStringLiteral("from"),
        QStringLiteral("where"),     QStringLiteral("order"),       QStringLiteral("group"),
        QStringLiteral("having"),    QStringLiteral("by"),          QStringLiteral("as"),
        QStringLiteral("and"),       QStringLiteral("or"),          QStringLiteral("not"),
        QStringLiteral("xor"),       QStringLiteral("eqv"),         QStringLiteral("imp"),
        QStringLiteral("like"),      QStringLiteral("is"),          QStringLiteral("in"),
        QStringLiteral("between"),   QStringLiteral("mod"),         QStringLiteral("asc"),
        QStringLiteral("desc"),      QStringLiteral("delete"),      QStringLiteral("update"),
        QStringLiteral("insert"),    QStringLiteral("into"),        QStringLiteral("values"),
        QStringLiteral("set"),       QStringLiteral("join"),        QStringLiteral("inner"),
        QStringLiteral("left"),      QStringLiteral("right"),       QStringLiteral("outer"),
        QStringLiteral("on"),        QStringLiteral("union"),       QStringLiteral("null"),
        QStringLiteral("true"),      QStringLiteral("false"),       QStringLiteral("yes"),
        QStringLiteral("no"),        QStringLiteral("with"),        QStringLiteral("parameters"),
        QStringLiteral("transform"), QStringLiteral("pivot"),       QStringLiteral("procedure")};
    return words.contains(word.toLower());
}

// ---------------------------------------------------------------------------------------
// Expressions

struct Node {
    enum Kind {
        Literal,
        Column,
        Unary,
        Binary,
        Compare,
        Like,
        IsNull,
        Between,
        In,
        Paren,
        Call,
        Star
    } kind;
    QString op;        // operator or function name, lower case
    QString qualifier; // Column: table qualifier ("" when none)
    QString name;      // Column: field name
    SqlType litType = SqlType::Unknown;
    QString litSql;
    bool negated = false;
    std::vector<std::unique_ptr<Node>> kids;
    qsizetype start = 0, end = 0;
};
using NodePtr = std::unique_ptr<Node>;

// The SQLite text of an expression and what the translator knows about it.
struct Sql {
    QString text;
    SqlType type = SqlType::Unknown;
    bool plain = false;     // a bare column of the table
    bool noCase = false;    // compares without regard to case by itself
    bool predicate = false; // a condition (0/1), not a value
    bool aggregate = false;
    bool hasColumn = false; // reads a column outside an aggregate
    int field = -1;         // plain: the field
};

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

class Parser {
public:
    Parser(const QString& src, const Schema* schema)
        : m_src(src), m_schema(schema), m_tokens(tokenize(src)) {}

    Translation statement();
    QString criterion(const Translation& select);

private:
    // Token access.
    const Token& peek(int ahead = 0) const {
        const size_t k = std::min(m_pos + size_t(ahead), m_tokens.size() - 1);
        return m_tokens[k];
    }
    const Token& next() {
        const Token& t = m_tokens[m_pos];
        if (m_pos + 1 < m_tokens.size()) ++m_pos;
        return t;
    }
    bool atWord(const char* word, int ahead = 0) const {
        const Token& t = peek(ahead);
        return t.kind == Token::Word &&
               t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool atOp(const char* op, int ahead = 0) const {
        const Token& t = peek(ahead);
        return t.kind == Token::Op && t.text == QLatin1String(op);
    }
    bool acceptWord(const char* word) {
        if (!atWord(word)) return false;
        next();
        return true;
    }
    bool acceptOp(const char* op) {
        if (!atOp(op)) return false;
        next();
        return true;
    }
    [[noreturn]] void fail() const {
        syntaxError(m_clauseError, QStringView(m_src).mid(m_clauseStart));
    }
    void expectOp(const char* op) {
        if (!acceptOp(op)) fail();
    }

    // Grammar.
    NodePtr expr() { return orExpr(); }
    NodePtr orExpr();
    NodePtr andExpr();
    NodePtr notExpr();
    NodePtr compareExpr();
    NodePtr concatExpr();
    NodePtr addExpr();
    NodePtr modExpr();
    NodePtr idivExpr();
    NodePtr mulExpr();
    NodePtr unaryExpr();
    NodePtr powExpr();
    NodePtr primary();
    NodePtr make(Node::Kind kind, qsizetype start) {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->start = start;
        return n;
    }
    NodePtr binary(Node::Kind kind, const QString& op, NodePtr a, NodePtr b) {
        auto n = make(kind, a->start);
        n->op = op;
        n->end = b->end;
        n->kids.push_back(std::move(a));
        n->kids.push_back(std::move(b));
        return n;
    }
    // A name: [x], word, optionally qualified; sets qualifier and name.
    bool nameToken(QString& out) {
        const Token& t = peek();
        if (t.kind == Token::Name || (t.kind == Token::Word && !isKeyword(t.text))) {
            out = next().text;
            return true;
        }
        return false;
    }
    QString endClauseText() const { return m_src.mid(m_clauseStart); }

    // Resolution and SQLite text.
    Sql render(const Node& n);
    Sql renderColumn(const Node& n);
    Sql column(int field) const;
    Sql compare(const QString& op, const Sql& a, const Sql& b) const;
    bool matchesTable(const QString& qualifier) const {
        return nameKey(qualifier) == nameKey(m_table->name) ||
               (!m_tableAlias.isEmpty() && nameKey(qualifier) == nameKey(m_tableAlias));
    }
    [[noreturn]] void unknownName(const QString& name) const {
        raiseError(err::TooFewParameters,
                   QStringLiteral("Too few parameters. Expected 1 ('%1' is not a field of '%2')")
                       .arg(name, m_table ? m_table->name : QString()));
    }
    const TableInfo* findTable(const QString& name, Translation& tr) const {
        tr.tableRef = m_schema->shared(name);
        if (!tr.tableRef)
            raiseError(
                err::InputTableNotFound,
                QStringLiteral("The database engine cannot find the input table or query '%1'")
                    .arg(name));
        tr.table = tr.tableRef.get();
        return tr.table;
    }
    void finish() {
        if (acceptOp(";")) {
            if (peek().kind != Token::End) raiseError(err::CharactersAfterEnd);
        }
        if (peek().kind != Token::End) fail();
    }
    Translation select();
    Translation deleteStatement();
    Translation update();
    Translation insert();
    QString storeExpr(const Sql& value, const FieldInfo& f) const {
        return QStringLiteral("kv_store(%1, %2, %3, %4)")
            .arg(value.text)
            .arg(f.type)
            .arg(f.type == dbText ? f.size : 0)
            .arg(quoteText(f.name));
    }

    const QString& m_src;
    const Schema* m_schema;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_clauseError = err::SyntaxErrorInQuery;
    qsizetype m_clauseStart = 0;

    const TableInfo* m_table = nullptr;
    QString m_tableAlias;
    const std::vector<SelectColumn>* m_aliases = nullptr;
    bool m_resultFirst = false; // names are result fields before table fields
    bool m_allowAggregates = false;
};

NodePtr Parser::orExpr() {
    NodePtr left = andExpr();
    for (;;) {
        if (atWord("xor") || atWord("eqv") || atWord("imp")) fail();
        if (!acceptWord("or")) return left;
        NodePtr right = andExpr();
        left = binary(Node::Binary, QStringLiteral("or"), std::move(left), std::move(right));
    }
}

NodePtr Parser::andExpr() {
    NodePtr left = notExpr();
    while (acceptWord("and")) {
        NodePtr right = notExpr();
        left = binary(Node::Binary, QStringLiteral("and"), std::move(left), std::move(right));
    }
    return left;
}

NodePtr Parser::notExpr() {
    if (atWord("not")) {
        const qsizetype start = next().pos;
        NodePtr inner = notExpr();
        auto n = make(Node::Unary, start);
        n->op = QStringLiteral("not");
        n->end = inner->end;
        n->kids.push_back(std::move(inner));
        return n;
    }
    return compareExpr();
}

NodePtr Parser::compareExpr() {
    NodePtr left = concatExpr();
    static const char* const ops[] = {"=", "<>", "<=", ">=", "<", ">"};
    for (const char* op : ops)
        if (atOp(op)) {
            next();
            NodePtr right = concatExpr();
            NodePtr n = binary(Node::Compare, QLatin1String(op), std::move(left), std::move(right));
            if (atOp("=") || atOp("<>") || atOp("<") || atOp(">") || atOp("<=") || atOp(">="))
                fail(); // comparisons do not chain
            return n;
        }
    bool negated = false;
    if (atWord("not") && (atWord("like", 1) || atWord("between", 1) || atWord("in", 1))) {
        next();
        negated = true;
    }
    if (acceptWord("like")) {
        NodePtr right = concatExpr();
        NodePtr n = binary(Node::Like, QStringLiteral("like"), std::move(left), std::move(right));
        n->negated = negated;
        return n;
    }
    if (acceptWord("between")) {
        NodePtr low = concatExpr();
        if (!acceptWord("and")) fail();
        NodePtr high = concatExpr();
        auto n = make(Node::Between, left->start);
        n->negated = negated;
        n->end = high->end;
        n->kids.push_back(std::move(left));
        n->kids.push_back(std::move(low));
        n->kids.push_back(std::move(high));
        return n;
    }
    if (acceptWord("in")) {
        expectOp("(");
        auto n = make(Node::In, left->start);
        n->negated = negated;
        n->kids.push_back(std::move(left));
        do {
            n->kids.push_back(concatExpr());
        } while (acceptOp(","));
        n->end = peek().end;
        expectOp(")");
        return n;
    }
    if (negated) fail();
    if (acceptWord("is")) {
        auto n = make(Node::IsNull, left->start);
        n->negated = acceptWord("not");
        if (!atWord("null")) fail();
        n->end = next().end;
        n->kids.push_back(std::move(left));
        return n;
    }
    return left;
}

NodePtr Parser::concatExpr() {
    NodePtr left = addExpr();
    while (acceptOp("&")) {
        NodePtr right = addExpr();
        left = binary(Node::Binary, QStringLiteral("&"), std::move(left), std::move(right));
    }
    return left;
}

NodePtr Parser::addExpr() {
    NodePtr left = modExpr();
    for (;;) {
        QString op;
        if (atOp("+") || atOp("-"))
            op = next().text;
        else
            return left;
        NodePtr right = modExpr();
        left = binary(Node::Binary, op, std::move(left), std::move(right));
    }
}

NodePtr Parser::modExpr() {
    NodePtr left = idivExpr();
    while (acceptWord("mod")) {
        NodePtr right = idivExpr();
        left = binary(Node::Binary, QStringLiteral("mod"), std::move(left), std::move(right));
    }
    return left;
}

NodePtr Parser::idivExpr() {
    NodePtr left = mulExpr();
    while (acceptOp("\\")) {
        NodePtr right = mulExpr();
        left = binary(Node::Binary, QStringLiteral("\\"), std::move(left), std::move(right));
    }
    return left;
}

NodePtr Parser::mulExpr() {
    NodePtr left = unaryExpr();
    for (;;) {
        QString op;
        if (atOp("*") || atOp("/"))
            op = next().text;
        else
            return left;
        NodePtr right = unaryExpr();
        left = binary(Node::Binary, op, std::move(left), std::move(right));
    }
}

NodePtr Parser::unaryExpr() {
    if (atOp("-") || atOp("+")) {
        const Token& t = next();
        const QString op = t.text;
        NodePtr inner = unaryExpr();
        if (op == QLatin1String("+")) return inner;
        auto n = make(Node::Unary, t.pos);
        n->op = QStringLiteral("-");
        n->end = inner->end;
        n->kids.push_back(std::move(inner));
        return n;
    }
    return powExpr();
}

NodePtr Parser::powExpr() {
    NodePtr left = primary();
    while (acceptOp("^")) {
        NodePtr right = primary();
        left = binary(Node::Binary, QStringLiteral("^"), std::move(left), std::move(right));
    }
    return left;
}

NodePtr Parser::primary() {
    const Token& t = peek();
    switch (t.kind) {
    case Token::String: {
        auto n = make(Node::Literal, t.pos);
        n->litType = SqlType::Text;
        n->litSql = quoteText(t.text);
        n->end = next().end;
        return n;
    }
    case Token::Number: {
        auto n = make(Node::Literal, t.pos);
        bool ok = false;
        const qint64 whole = t.text.toLongLong(&ok);
        if (ok) {
            n->litType = SqlType::Integer;
            n->litSql = QString::number(whole);
        } else {
            const double d = QLocale::c().toDouble(t.text, &ok);
            if (!ok) fail();
            n->litType = SqlType::Real;
            n->litSql = QString::number(d, 'g', 17);
            if (!n->litSql.contains(u'.') && !n->litSql.contains(u'e') &&
                !n->litSql.contains(u'n') && !n->litSql.contains(u'i'))
                n->litSql += QStringLiteral(".0");
        }
        n->end = next().end;
        return n;
    }
    case Token::Date: {
        bool withTime = false;
        const auto dt = parseDateText(t.text, &withTime);
        if (!dt)
            raiseError(err::SyntaxErrorInQuery,
                       QStringLiteral("Syntax error in date in query expression '%1'")
                           .arg(shortText(QStringView(m_src).mid(t.pos))));
        auto n = make(Node::Literal, t.pos);
        n->litType = SqlType::Date;
        n->litSql = quoteText(storedDateText(*dt, withTime));
        n->end = next().end;
        return n;
    }
    case Token::Op:
        if (t.text == QLatin1String("(")) {
            const qsizetype start = next().pos;
            NodePtr inner = expr();
            auto n = make(Node::Paren, start);
            n->end = peek().end;
            expectOp(")");
            n->kids.push_back(std::move(inner));
            return n;
        }
        fail();
    case Token::Word: {
        const QString lower = t.text.toLower();
        if (lower == u"null" || lower == u"true" || lower == u"false" || lower == u"yes" ||
            lower == u"no" || lower == u"on" || lower == u"off") {
            auto n = make(Node::Literal, t.pos);
            if (lower == u"null") {
                n->litType = SqlType::Null;
                n->litSql = QStringLiteral("NULL");
            } else {
                n->litType = SqlType::Bool;
                const bool yes = lower == u"true" || lower == u"yes" || lower == u"on";
                n->litSql = yes ? QStringLiteral("-1") : QStringLiteral("0");
            }
            n->end = next().end;
            return n;
        }
        if (atOp("(", 1)) {
            static const QStringList aggregates = {QStringLiteral("count"), QStringLiteral("sum"),
                                                   QStringLiteral("min"), QStringLiteral("max"),
                                                   QStringLiteral("avg")};
            if (!aggregates.contains(lower))
                raiseError(err::UndefinedFunction,
                           QStringLiteral("Undefined function '%1' in expression").arg(t.text));
            auto n = make(Node::Call, t.pos);
            n->op = lower;
            next();
            next();
            if (lower == u"count" && atOp("*")) {
                next();
                n->kids.push_back(make(Node::Star, t.pos));
            } else {
                n->kids.push_back(expr());
            }
            n->end = peek().end;
            expectOp(")");
            return n;
        }
        if (isKeyword(t.text)) fail();
        [[fallthrough]];
    }
    case Token::Name: {
        auto n = make(Node::Column, t.pos);
        QString first = next().text;
        if (acceptOp(".")) {
            const Token& second = peek();
            // After a dot any word is a name, reserved or not ([T].Order).
            if (second.kind != Token::Name && second.kind != Token::Word) fail();
            n->qualifier = first;
            n->name = next().text;
        } else {
            n->name = first;
        }
        if (atOp("!") || atOp(".")) fail();
        n->end = m_tokens[m_pos - 1].end;
        return n;
    }
    default:
        fail();
    }
}

// ---------------------------------------------------------------------------------------
// Emitting SQLite

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
            Sql s;
            s.text = QLatin1Char('(') + c.sql + QLatin1Char(')');
            s.type = c.type;
            s.noCase = textType(c.type);
            s.hasColumn = true;
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
    Sql s;
    s.text = QStringLiteral("(%1 %2 %3%4)").arg(a.text, op, b.text, collate ? noCase() : QString());
    s.type = SqlType::Bool;
    s.predicate = true;
    s.hasColumn = a.hasColumn || b.hasColumn;
    s.aggregate = a.aggregate || b.aggregate;
    return s;
}

Sql Parser::render(const Node& n) {
    Sql s;
    switch (n.kind) {
    case Node::Literal:
        s.text = n.litSql;
        s.type = n.litType;
        return s;
    case Node::Column:
        return renderColumn(n);
    case Node::Star:
        fail();
    case Node::Paren: {
        s = render(*n.kids[0]);
        s.text = QLatin1Char('(') + s.text + QLatin1Char(')');
        return s;
    }
    case Node::Call: {
        if (!m_allowAggregates)
            raiseError(3096, QStringLiteral("Cannot have aggregate function in expression (%1)")
                                 .arg(shortText(QStringView(m_src).mid(n.start, n.end - n.start))));
        s.aggregate = true;
        if (n.kids[0]->kind == Node::Star) {
            s.text = QStringLiteral("count(*)");
            s.type = SqlType::Integer;
            return s;
        }
        m_allowAggregates = false;
        const Sql arg = render(*n.kids[0]);
        m_allowAggregates = true;
        if (n.op == u"count") {
            s.text = QStringLiteral("count(%1)").arg(arg.text);
            s.type = SqlType::Integer;
        } else if (n.op == u"min" || n.op == u"max") {
            const bool collate = textType(arg.type) && !arg.noCase;
            s.text = QStringLiteral("%1(%2%3)").arg(n.op, arg.text, collate ? noCase() : QString());
            s.type = arg.type;
        } else {
            s.text = QStringLiteral("%1(%2)").arg(n.op, arg.text);
            s.type =
                n.op == u"sum" && arg.type == SqlType::Integer ? SqlType::Integer : SqlType::Real;
        }
        return s;
    }
    case Node::Unary: {
        const Sql a = render(*n.kids[0]);
        s.hasColumn = a.hasColumn;
        s.aggregate = a.aggregate;
        if (n.op == u"-") {
            s.text = QStringLiteral("(-%1)").arg(a.text);
            s.type = a.type == SqlType::Integer || a.type == SqlType::Bool ? SqlType::Integer
                                                                           : SqlType::Real;
            if (textType(a.type)) s.text = QStringLiteral("kv_arith('-', 0, %1)").arg(a.text);
            return s;
        }
        // Not: a condition is negated; a value is complemented bit by bit, which keeps
        // Yes/No values as -1 and 0.
        if (a.predicate) {
            s.text = QStringLiteral("(NOT %1)").arg(a.text);
            s.predicate = true;
        } else {
            s.text = QStringLiteral("(~%1)").arg(a.text);
        }
        s.type = a.type == SqlType::Integer ? SqlType::Integer : SqlType::Bool;
        return s;
    }
    case Node::Binary: {
        const Sql a = render(*n.kids[0]);
        const Sql b = render(*n.kids[1]);
        s.hasColumn = a.hasColumn || b.hasColumn;
        s.aggregate = a.aggregate || b.aggregate;
        const QString& op = n.op;
        if (op == u"and" || op == u"or") {
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
                s.text = QStringLiteral("(%1 || %2)")
                             .arg(a.text, b.text); // Null on either side gives Null
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
    case Node::Compare: {
        const Sql a = render(*n.kids[0]);
        const Sql b = render(*n.kids[1]);
        return compare(n.op, a, b);
    }
    case Node::Like: {
        const Sql a = render(*n.kids[0]);
        const Sql b = render(*n.kids[1]);
        s.text = QStringLiteral("kv_like(%1, %2)").arg(a.text, b.text);
        if (n.negated) s.text = QStringLiteral("(NOT %1)").arg(s.text);
        s.type = SqlType::Bool;
        s.predicate = true;
        s.hasColumn = a.hasColumn || b.hasColumn;
        s.aggregate = a.aggregate || b.aggregate;
        return s;
    }
    case Node::IsNull: {
        const Sql a = render(*n.kids[0]);
        s.text = QStringLiteral("(%1 IS %2NULL)")
                     .arg(a.text, n.negated ? QStringLiteral("NOT ") : QString());
        s.type = SqlType::Bool;
        s.predicate = true;
        s.hasColumn = a.hasColumn;
        s.aggregate = a.aggregate;
        return s;
    }
    case Node::Between: {
        const Sql a = render(*n.kids[0]);
        const Sql lo = render(*n.kids[1]);
        const Sql hi = render(*n.kids[2]);
        const Sql ge = compare(QStringLiteral(">="), a, lo);
        const Sql le = compare(QStringLiteral("<="), a, hi);
        s.text = QStringLiteral("(%1 AND %2)").arg(ge.text, le.text);
        if (n.negated) s.text = QStringLiteral("(NOT %1)").arg(s.text);
        s.type = SqlType::Bool;
        s.predicate = true;
        s.hasColumn = ge.hasColumn || le.hasColumn;
        s.aggregate = ge.aggregate || le.aggregate;
        return s;
    }
    case Node::In: {
        const Sql a = render(*n.kids[0]);
        QStringList items;
        bool allNumbers = numericType(a.type);
        s.hasColumn = a.hasColumn;
        s.aggregate = a.aggregate;
        for (size_t k = 1; k < n.kids.size(); ++k) {
            const Sql item = render(*n.kids[k]);
            allNumbers = allNumbers && numericType(item.type);
            s.hasColumn = s.hasColumn || item.hasColumn;
            s.aggregate = s.aggregate || item.aggregate;
            items << item.text;
        }
        const bool collate = !allNumbers && !(a.noCase) && !(a.plain && !textType(a.type));
        s.text = QStringLiteral("(%1%2 %3IN (%4))")
                     .arg(a.text, collate ? noCase() : QString(),
                          n.negated ? QStringLiteral("NOT ") : QString(),
                          items.join(QStringLiteral(", ")));
        s.type = SqlType::Bool;
        s.predicate = true;
        return s;
    }
    }
    fail();
}

// ---------------------------------------------------------------------------------------
// Statements

Translation Parser::statement() {
    if (atWord("select")) return select();
    if (atWord("delete")) return deleteStatement();
    if (atWord("update")) return update();
    if (atWord("insert")) return insert();
    raiseError(err::InvalidSqlStatement);
}

Translation Parser::select() {
    Translation tr;
    tr.kind = Translation::Select;
    next();
    m_clauseError = err::SyntaxErrorInQuery;
    if (acceptWord("distinctrow") || acceptWord("all")) {
        // One table: every row is distinct already.
    } else if (acceptWord("distinct")) {
        tr.distinct = true;
    }
    if (atWord("top")) raiseError(err::SyntaxErrorInSelect);

    // The select list is parsed now and resolved once the table is known.
    struct Item {
        bool star = false;
        QString starQualifier;
        NodePtr node;
        QString alias;
        qsizetype start = 0;
    };
    std::vector<Item> items;
    do {
        Item item;
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

    if (!acceptWord("from")) raiseError(err::SyntaxErrorInSelect);
    m_clauseError = err::SyntaxErrorInFrom;
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

    // Result fields.
    int exprNumber = 1000;
    QHash<QString, int> used;
    bool bareColumns = false;
    for (Item& item : items) {
        if (item.star) {
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
            continue;
        }
        m_clauseError = err::SyntaxErrorInQuery;
        m_clauseStart = item.start;
        m_allowAggregates = true;
        const Sql s = render(*item.node);
        m_allowAggregates = false;
        SelectColumn c;
        c.type = s.type;
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
        c.type = s.type;
        if (s.hasColumn && !s.aggregate) bareColumns = true;
        tr.columns.push_back(c);
    }
    if (tr.aggregate) {
        if (bareColumns) raiseError(err::NotPartOfAggregate);
        for (const Item& item : items)
            if (item.star) raiseError(err::NotPartOfAggregate);
    }
    // The same field twice: the later one is named after its table.
    for (SelectColumn& c : tr.columns) {
        const QString key = nameKey(c.name);
        if (used.contains(key)) c.name = m_table->name + QLatin1Char('.') + c.name;
        used.insert(nameKey(c.name), 1);
    }

    m_aliases = &tr.columns;
    if (acceptWord("where")) {
        m_clauseError = err::SyntaxErrorInQuery;
        m_clauseStart = peek().pos;
        const Sql w = render(*expr());
        tr.where = w.text;
    }
    if (atWord("group") || atWord("having") || atWord("union"))
        raiseError(err::SyntaxErrorInSelect);
    QStringList order;
    if (acceptWord("order")) {
        m_clauseError = err::SyntaxErrorInOrderBy;
        m_clauseStart = peek().pos;
        if (!acceptWord("by")) fail();
        if (tr.aggregate) raiseError(err::NotPartOfAggregate);
        do {
            const Sql key = render(*expr());
            const bool desc = acceptWord("desc");
            if (!desc) acceptWord("asc");
            if (!key.hasColumn) continue; // a constant does not order anything
            QString term = key.text;
            if (!key.plain && textType(key.type) && !key.noCase)
                term = QLatin1Char('(') + term + QLatin1Char(')') + noCase();
            order << (desc ? term + QStringLiteral(" DESC") : term);
        } while (acceptOp(","));
    }
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

Translation Parser::deleteStatement() {
    Translation tr;
    tr.kind = Translation::Delete;
    next();
    m_clauseError = err::SyntaxErrorInQuery;
    m_clauseStart = peek().pos;
    acceptWord("distinctrow");
    // The optional field list names what to delete: the table's rows, nothing else.
    std::vector<QString> qualifiers;
    if (!atWord("from")) {
        do {
            if (atOp("*")) {
                next();
                continue;
            }
            QString first, second;
            if (!nameToken(first)) fail();
            if (acceptOp(".")) {
                if (acceptOp("*")) {
                    qualifiers.push_back(first);
                    continue;
                }
                if (peek().kind != Token::Name && peek().kind != Token::Word) fail();
                next();
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
    if (acceptWord("where")) {
        m_clauseError = err::SyntaxErrorInQuery;
        m_clauseStart = peek().pos;
        tr.where = render(*expr()).text;
        tr.sql += QStringLiteral(" WHERE ") + tr.where;
    }
    finish();
    return tr;
}

Translation Parser::update() {
    Translation tr;
    tr.kind = Translation::Update;
    next();
    m_clauseError = err::SyntaxErrorInUpdate;
    m_clauseStart = peek().pos;
    acceptWord("distinctrow");
    QString tableName;
    if (!nameToken(tableName)) fail();
    m_table = findTable(tableName, tr);
    if (!acceptWord("set")) fail();
    QStringList sets;
    do {
        QString first, field;
        if (!nameToken(first)) fail();
        if (acceptOp(".")) {
            if (peek().kind != Token::Name && peek().kind != Token::Word) fail();
            if (!matchesTable(first)) unknownName(first + QLatin1Char('.') + peek().text);
            field = next().text;
        } else {
            field = first;
        }
        const int f = m_table->fieldIndex(field);
        if (f < 0) unknownName(field);
        const FieldInfo& info = m_table->fields[size_t(f)];
        if (info.autoIncrement)
            raiseError(err::FieldNotUpdatable,
                       QStringLiteral("Cannot update '%1'; field not updatable").arg(info.name));
        expectOp("=");
        const Sql value = render(*expr());
        sets << quoteName(info.name) + QStringLiteral(" = ") + storeExpr(value, info);
    } while (acceptOp(","));
    tr.sql = QStringLiteral("UPDATE %1 SET %2")
                 .arg(quoteName(m_table->name), sets.join(QStringLiteral(", ")));
    if (acceptWord("where")) {
        m_clauseError = err::SyntaxErrorInQuery;
        m_clauseStart = peek().pos;
        tr.where = render(*expr()).text;
        tr.sql += QStringLiteral(" WHERE ") + tr.where;
    }
    finish();
    return tr;
}

Translation Parser::insert() {
    Translation tr;
    tr.kind = Translation::Insert;
    next();
    m_clauseError = err::SyntaxErrorInInsert;
    m_clauseStart = peek().pos;
    if (!acceptWord("into")) fail();
    QString tableName;
    if (!nameToken(tableName)) fail();
    m_table = findTable(tableName, tr);
    std::vector<int> targets;
    if (acceptOp("(")) {
        do {
            QString first, field;
            if (!nameToken(first)) fail();
            if (acceptOp(".")) {
                if (peek().kind != Token::Name && peek().kind != Token::Word) fail();
                if (!matchesTable(first)) fail();
                field = next().text;
            } else {
                field = first;
            }
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
    } else {
        for (const FieldInfo& f : m_table->fields)
            targets.push_back(f.column);
    }
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

} // namespace

Translation translateStatement(const QString& text, const Schema& schema) {
    Parser p(text, &schema);
    return p.statement();
}

QString translateCriterion(const QString& text, const Translation& select) {
    if (!select.table) raiseError(err::OperationNotSupported);
    Parser p(text, nullptr);
    return p.criterion(select);
}

} // namespace kv::db
