#pragma once

// The translator's insides (internal to the database layer; JetSql.h is its interface):
// the tokens, the expression tree, the parser and the SQLite text it emits.
//
// Every statement, from the program or a file, must end in an engine error rather than
// exhaust the stack or memory: nesting while parsing, the height of the tree and the depth
// of the emitted expression are all bounded by kMaxDepth, and the emitted text by the
// parser's text limit; beyond either the statement is "too complex" (3360).

#include "core/ErrorTable.h"
#include "db/JetSql.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

namespace kv::db::dialect {

// Deep enough for any statement a person writes (the classic engine allowed 99 Ands in
// a condition) and shallow enough for the parser's recursion. SQLite's parser takes about
// 90 nested parentheses, so the emitted text may be refused there first; its error is
// the same 3360.
inline constexpr int kMaxDepth = 128;

// ---------------------------------------------------------------------------------------
// Tokens

struct Token {
    enum Kind { End, Word, Name, String, Number, Date, Op } kind = End;
    QString text; // words and names as written; strings unquoted; ops as written
    qsizetype pos = 0;
    qsizetype end = 0;
};

// The statement cut into tokens, ending with an End token; raises 3075 for a name, string
// or date left open, a malformed number and a character outside the dialect.
std::vector<Token> tokenize(const QString& src);
bool isKeyword(const QString& word);
// A piece of the statement for a message: blanks simplified, at most 120 characters.
QString shortText(QStringView s);
[[noreturn]] void syntaxError(int number, QStringView context);
[[noreturn]] void tooComplex();

// ---------------------------------------------------------------------------------------
// The expression tree

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
    int height = 1; // 1 + the greatest height of the kids
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
    int depth = 1;          // nesting of the emitted expression, aliases spelled out
};

bool numericType(SqlType t);
bool textType(SqlType t);
SqlType typeOfField(const FieldInfo& f);
int fieldTypeOf(SqlType t);
QString noCase(); // " COLLATE KVNOCASE"

// ---------------------------------------------------------------------------------------
// The parser

class Parser {
public:
    Parser(const QString& src, const Schema* schema);

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
    bool atWord(const char* word, int ahead = 0) const;
    bool atOp(const char* op, int ahead = 0) const;
    bool acceptWord(const char* word);
    bool acceptOp(const char* op);
    [[noreturn]] void fail() const;
    void expectOp(const char* op);
    // A name: [x] or a word that is not reserved.
    bool nameToken(QString& out);

    // Expressions (JetSqlExpressions.cpp), loosest binding first.
    using Operand = NodePtr (Parser::*)();
    NodePtr expr();
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
    NodePtr literal();
    NodePtr call();
    NodePtr columnName();
    // operand (op operand)*, grouped from the left; an op that starts with a letter is a
    // word ("Mod"), any other an operator ("+").
    NodePtr leftChain(Operand operand, std::initializer_list<const char*> ops);
    const char* acceptAny(std::initializer_list<const char*> ops);
    NodePtr make(Node::Kind kind, qsizetype start) const;
    void adopt(Node& parent, NodePtr kid) const;
    NodePtr binary(Node::Kind kind, const QString& op, NodePtr a, NodePtr b) const;
    // Counts the parser's own recursion (parentheses, Not, signs).
    class Nesting {
    public:
        explicit Nesting(Parser& p) : m_p(p) {
            if (++m_p.m_nesting > kMaxDepth) tooComplex();
        }
        ~Nesting() { --m_p.m_nesting; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& m_p;
    };

    // Resolution and SQLite text (JetSqlEmit.cpp).
    Sql render(const Node& n);
    Sql renderKind(const Node& n);
    Sql renderColumn(const Node& n);
    Sql renderCall(const Node& n);
    Sql renderUnary(const Node& n);
    Sql renderBinary(const Node& n);
    Sql renderLike(const Node& n);
    Sql renderIsNull(const Node& n);
    Sql renderBetween(const Node& n);
    Sql renderIn(const Node& n);
    Sql column(int field) const;
    Sql compare(const QString& op, const Sql& a, const Sql& b) const;
    bool matchesTable(const QString& qualifier) const;
    [[noreturn]] void unknownName(const QString& name) const;

    // Statements (JetSqlStatements.cpp).
    struct SelectItem {
        bool star = false;
        QString starQualifier;
        NodePtr node;
        QString alias;
        qsizetype start = 0;
    };
    // The statement's first word read; errors from here on are those of clauseError.
    Translation begin(Translation::Kind kind, int clauseError);
    Translation select();
    std::vector<SelectItem> selectList();
    void fromClause(Translation& tr, int clauseError);
    void resultColumns(const std::vector<SelectItem>& items, Translation& tr);
    SelectColumn resultColumn(const SelectItem& item, int& exprNumber, Translation& tr,
                              bool& bareColumns);
    void whereClause(Translation& tr);
    QStringList orderByClause(const Translation& tr);
    Translation deleteStatement();
    Translation update();
    QString assignment();
    Translation insert();
    std::vector<int> insertTargets();
    QString qualifiedField(bool badQualifierIsSyntax);
    const TableInfo* findTable(const QString& name, Translation& tr) const;
    void finish();
    QString storeExpr(const Sql& value, const FieldInfo& f) const;

    const QString& m_src;
    const Schema* m_schema;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_clauseError = err::SyntaxErrorInQuery;
    qsizetype m_clauseStart = 0;
    int m_nesting = 0;
    qsizetype m_textLimit = 0; // longest SQLite text of one expression

    const TableInfo* m_table = nullptr;
    QString m_tableAlias;
    const std::vector<SelectColumn>* m_aliases = nullptr;
    bool m_resultFirst = false; // names are result fields before table fields
    bool m_allowAggregates = false;
};

} // namespace kv::db::dialect
