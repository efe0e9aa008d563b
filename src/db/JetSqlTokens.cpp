#include "core/VbError.h"
#include "db/JetSqlParser.h"

#include <QStringList>

namespace kv::db::dialect {

QString shortText(QStringView s) {
    QString t = s.toString().simplified();
    if (t.size() > 120) t = t.left(117) + QStringLiteral("...");
    return t;
}

void syntaxError(int number, QStringView context) {
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

void tooComplex() {
    raiseError(err::QueryTooComplex);
}

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

class Tokenizer {
public:
    explicit Tokenizer(const QString& src) : m_src(src), m_n(src.size()) {}

    std::vector<Token> run() {
        while (m_i < m_n) {
            const QChar c = m_src.at(m_i);
            if (c.isSpace()) {
                ++m_i;
                continue;
            }
            Token t;
            t.pos = m_i;
            if (c == u'[')
                bracketName(t);
            else if (c == u'"' || c == u'\'')
                quoted(t, c);
            else if (c == u'#')
                date(t);
            else if (numberStarts(c))
                number(t);
            else if (isWordStart(c))
                word(t);
            else
                op(t, c);
            t.end = m_i;
            m_out.push_back(std::move(t));
        }
        Token end;
        end.pos = end.end = m_n;
        m_out.push_back(end);
        return std::move(m_out);
    }

private:
    [[noreturn]] void bad(const char* what, QStringView piece) const {
        raiseError(err::SyntaxErrorInQuery, QString::fromLatin1(what).arg(shortText(piece)));
    }
    QStringView rest() const { return QStringView(m_src).mid(m_i); }

    void bracketName(Token& t) {
        const qsizetype close = m_src.indexOf(u']', m_i + 1);
        if (close < 0) bad("Invalid bracketing of name '%1'", rest());
        t.kind = Token::Name;
        t.text = m_src.mid(m_i + 1, close - m_i - 1);
        if (t.text.trimmed().isEmpty() || t.text.contains(u'['))
            bad("Invalid bracketing of name '%1'", QStringView(m_src).mid(m_i, close - m_i + 1));
        m_i = close + 1;
    }

    // "text" or 'text', the quote doubled inside.
    void quoted(Token& t, QChar quote) {
        QString value;
        qsizetype j = m_i + 1;
        bool closed = false;
        while (j < m_n) {
            if (m_src.at(j) == quote) {
                if (j + 1 < m_n && m_src.at(j + 1) == quote) {
                    value += quote;
                    j += 2;
                    continue;
                }
                closed = true;
                break;
            }
            value += m_src.at(j++);
        }
        if (!closed) bad("Syntax error in string in query expression '%1'", rest());
        t.kind = Token::String;
        t.text = value;
        m_i = j + 1;
    }

    void date(Token& t) {
        const qsizetype close = m_src.indexOf(u'#', m_i + 1);
        if (close < 0) bad("Syntax error in date in query expression '%1'", rest());
        t.kind = Token::Date;
        t.text = m_src.mid(m_i + 1, close - m_i - 1);
        m_i = close + 1;
    }

    // A digit, or a point before a digit where a value may start (not after a name's dot).
    bool numberStarts(QChar c) const {
        if (c.isDigit()) return true;
        return c == u'.' && m_i + 1 < m_n && m_src.at(m_i + 1).isDigit() &&
               (m_out.empty() || m_out.back().kind == Token::Op) &&
               !(m_out.size() && m_out.back().text == QLatin1String("."));
    }

    qsizetype digitsFrom(qsizetype j) const {
        while (j < m_n && m_src.at(j).isDigit())
            ++j;
        return j;
    }

    void number(Token& t) {
        qsizetype j = digitsFrom(m_i);
        if (j < m_n && m_src.at(j) == u'.') j = digitsFrom(j + 1);
        if (j < m_n && (m_src.at(j) == u'e' || m_src.at(j) == u'E')) {
            qsizetype k = j + 1;
            if (k < m_n && (m_src.at(k) == u'+' || m_src.at(k) == u'-')) ++k;
            if (k < m_n && m_src.at(k).isDigit()) j = digitsFrom(k);
        }
        if (j < m_n && isWordChar(m_src.at(j)))
            bad("Syntax error in number in query expression '%1'", rest());
        t.kind = Token::Number;
        t.text = m_src.mid(m_i, j - m_i);
        m_i = j;
    }

    void word(Token& t) {
        qsizetype j = m_i + 1;
        while (j < m_n && isWordChar(m_src.at(j)))
            ++j;
        t.kind = Token::Word;
        t.text = m_src.mid(m_i, j - m_i);
        m_i = j;
    }

    void op(Token& t, QChar c) {
        static const char* const two[] = {"<>", "<=", ">="};
        t.kind = Token::Op;
        t.text = QString(c);
        for (const char* o : two)
            if (m_i + 1 < m_n && c == QLatin1Char(o[0]) && m_src.at(m_i + 1) == QLatin1Char(o[1]))
                t.text = QLatin1String(o);
        static const QString singles = QStringLiteral("=<>+-*/\\^&(),.;!");
        if (t.text.size() == 1 && !singles.contains(c))
            raiseError(
                err::SyntaxErrorInQuery,
                QStringLiteral("Syntax error (unexpected character '%1') in query expression '%2'")
                    .arg(c)
                    .arg(shortText(rest())));
        m_i += t.text.size();
    }

    const QString& m_src;
    const qsizetype m_n;
    qsizetype m_i = 0;
    std::vector<Token> m_out;
};

} // namespace

std::vector<Token> tokenize(const QString& src) {
    return Tokenizer(src).run();
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

} // namespace kv::db::dialect
