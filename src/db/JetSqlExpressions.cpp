#include "core/VbError.h"
#include "db/Connection.h"
#include "db/FieldValues.h"
#include "db/JetSqlParser.h"

#include <QLocale>

namespace kv::db::dialect {

Parser::Parser(const QString& src, const Schema* schema)
    : m_src(src), m_schema(schema), m_tokens(tokenize(src)),
      // Room for any literal the statement holds written out again, and more; what goes
      // beyond comes from expressions written out over and over (Between, aliases).
      m_textLimit(1024 * 1024 + 4 * src.size()) {}

bool Parser::atWord(const char* word, int ahead) const {
    const Token& t = peek(ahead);
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool Parser::atOp(const char* op, int ahead) const {
    const Token& t = peek(ahead);
    return t.kind == Token::Op && t.text == QLatin1String(op);
}

bool Parser::acceptWord(const char* word) {
    if (!atWord(word)) return false;
    next();
    return true;
}

bool Parser::acceptOp(const char* op) {
    if (!atOp(op)) return false;
    next();
    return true;
}

void Parser::fail() const {
    syntaxError(m_clauseError, QStringView(m_src).mid(m_clauseStart));
}

void Parser::expectOp(const char* op) {
    if (!acceptOp(op)) fail();
}

bool Parser::nameToken(QString& out) {
    const Token& t = peek();
    if (t.kind == Token::Name || (t.kind == Token::Word && !isKeyword(t.text))) {
        out = next().text;
        return true;
    }
    return false;
}

NodePtr Parser::make(Node::Kind kind, qsizetype start) const {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->start = start;
    return n;
}

void Parser::adopt(Node& parent, NodePtr kid) const {
    // Chains of operators are parsed in a loop but make the tree deeper with every link.
    parent.height = std::max(parent.height, kid->height + 1);
    if (parent.height > kMaxDepth) tooComplex();
    parent.kids.push_back(std::move(kid));
}

NodePtr Parser::binary(Node::Kind kind, const QString& op, NodePtr a, NodePtr b) const {
    auto n = make(kind, a->start);
    n->op = op;
    n->end = b->end;
    adopt(*n, std::move(a));
    adopt(*n, std::move(b));
    return n;
}

const char* Parser::acceptAny(std::initializer_list<const char*> ops) {
    for (const char* op : ops) {
        const bool word = QChar::isLetter(char16_t(op[0]));
        if (word ? acceptWord(op) : acceptOp(op)) return op;
    }
    return nullptr;
}

NodePtr Parser::leftChain(Operand operand, std::initializer_list<const char*> ops) {
    NodePtr left = (this->*operand)();
    while (const char* op = acceptAny(ops)) {
        NodePtr right = (this->*operand)();
        left = binary(Node::Binary, QLatin1String(op), std::move(left), std::move(right));
    }
    return left;
}

// ---------------------------------------------------------------------------------------
// The grammar, loosest binding first: Or, And, Not, comparisons, &, + -, Mod, \, * /,
// signs, ^.

NodePtr Parser::expr() {
    Nesting nesting(*this);
    return orExpr();
}

NodePtr Parser::orExpr() {
    NodePtr n = leftChain(&Parser::andExpr, {"or"});
    if (atWord("xor") || atWord("eqv") || atWord("imp")) fail();
    return n;
}

NodePtr Parser::andExpr() {
    return leftChain(&Parser::notExpr, {"and"});
}

NodePtr Parser::notExpr() {
    if (!atWord("not")) return compareExpr();
    Nesting nesting(*this);
    const qsizetype start = next().pos;
    NodePtr inner = notExpr();
    auto n = make(Node::Unary, start);
    n->op = QStringLiteral("not");
    n->end = inner->end;
    adopt(*n, std::move(inner));
    return n;
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
        adopt(*n, std::move(left));
        adopt(*n, std::move(low));
        adopt(*n, std::move(high));
        return n;
    }
    if (acceptWord("in")) {
        expectOp("(");
        auto n = make(Node::In, left->start);
        n->negated = negated;
        adopt(*n, std::move(left));
        do {
            adopt(*n, concatExpr());
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
        adopt(*n, std::move(left));
        return n;
    }
    return left;
}

NodePtr Parser::concatExpr() {
    return leftChain(&Parser::addExpr, {"&"});
}

NodePtr Parser::addExpr() {
    return leftChain(&Parser::modExpr, {"+", "-"});
}

NodePtr Parser::modExpr() {
    return leftChain(&Parser::idivExpr, {"mod"});
}

NodePtr Parser::idivExpr() {
    return leftChain(&Parser::mulExpr, {"\\"});
}

NodePtr Parser::mulExpr() {
    return leftChain(&Parser::unaryExpr, {"*", "/"});
}

NodePtr Parser::unaryExpr() {
    if (!atOp("-") && !atOp("+")) return powExpr();
    Nesting nesting(*this);
    const Token& t = next();
    const QString op = t.text;
    const qsizetype start = t.pos;
    NodePtr inner = unaryExpr();
    if (op == QLatin1String("+")) return inner;
    auto n = make(Node::Unary, start);
    n->op = QStringLiteral("-");
    n->end = inner->end;
    adopt(*n, std::move(inner));
    return n;
}

NodePtr Parser::powExpr() {
    return leftChain(&Parser::primary, {"^"});
}

NodePtr Parser::primary() {
    const Token& t = peek();
    switch (t.kind) {
    case Token::String:
    case Token::Number:
    case Token::Date:
        return literal();
    case Token::Op:
        if (t.text == QLatin1String("(")) {
            const qsizetype start = next().pos;
            NodePtr inner = expr();
            auto n = make(Node::Paren, start);
            n->end = peek().end;
            expectOp(")");
            adopt(*n, std::move(inner));
            return n;
        }
        fail();
    case Token::Word: {
        const QString lower = t.text.toLower();
        if (lower == u"null" || lower == u"true" || lower == u"false" || lower == u"yes" ||
            lower == u"no" || lower == u"on" || lower == u"off")
            return literal();
        if (atOp("(", 1)) return call();
        if (isKeyword(t.text)) fail();
        return columnName();
    }
    case Token::Name:
        return columnName();
    default:
        fail();
    }
}

// A string, number or date, or one of the words Null, True, False, Yes, No, On, Off.
NodePtr Parser::literal() {
    const Token& t = peek();
    auto n = make(Node::Literal, t.pos);
    switch (t.kind) {
    case Token::String:
        n->litType = SqlType::Text;
        n->litSql = quoteText(t.text);
        break;
    case Token::Number: {
        bool ok = false;
        const qint64 whole = t.text.toLongLong(&ok);
        if (ok) {
            n->litType = SqlType::Integer;
            n->litSql = QString::number(whole);
            break;
        }
        const double d = QLocale::c().toDouble(t.text, &ok);
        if (!ok) fail();
        n->litType = SqlType::Real;
        n->litSql = QString::number(d, 'g', 17);
        if (!n->litSql.contains(u'.') && !n->litSql.contains(u'e') && !n->litSql.contains(u'n') &&
            !n->litSql.contains(u'i'))
            n->litSql += QStringLiteral(".0");
        break;
    }
    case Token::Date: {
        bool withTime = false;
        const auto dt = parseDateText(t.text, &withTime);
        if (!dt)
            raiseError(err::SyntaxErrorInQuery,
                       QStringLiteral("Syntax error in date in query expression '%1'")
                           .arg(shortText(QStringView(m_src).mid(t.pos))));
        n->litType = SqlType::Date;
        n->litSql = quoteText(storedDateText(*dt, withTime));
        break;
    }
    default: {
        const QString lower = t.text.toLower();
        if (lower == u"null") {
            n->litType = SqlType::Null;
            n->litSql = QStringLiteral("NULL");
        } else {
            n->litType = SqlType::Bool;
            const bool yes = lower == u"true" || lower == u"yes" || lower == u"on";
            n->litSql = yes ? QStringLiteral("-1") : QStringLiteral("0");
        }
        break;
    }
    }
    n->end = next().end;
    return n;
}

// An aggregate: Count(*), or Count, Sum, Min, Max or Avg of an expression.
NodePtr Parser::call() {
    const Token& t = peek();
    const QString lower = t.text.toLower();
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
        adopt(*n, make(Node::Star, n->start));
    } else {
        adopt(*n, expr());
    }
    n->end = peek().end;
    expectOp(")");
    return n;
}

// A field: name or [name], optionally qualified by its table ([T].[F], T.F).
NodePtr Parser::columnName() {
    auto n = make(Node::Column, peek().pos);
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

} // namespace kv::db::dialect
