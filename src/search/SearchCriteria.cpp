#include "search/SearchCriteria.h"

#include "core/RecordHelpers.h"
#include "db/DaoConstants.h"
#include "db/FieldValues.h"

#include <QRegularExpression>

namespace kv {

namespace {

const QString kQuote = QStringLiteral("\"");

bool isTextType(int type) {
    return type == dbText || type == dbMemo;
}

// Like patterns: "*" and "?" stay the wildcards the user may type; "[" and "#" would open a
// character set or match any digit, so they are made to stand for themselves.
QString likeValue(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == u'[')
            escaped += QStringLiteral("[[]");
        else if (c == u'#')
            escaped += QStringLiteral("[#]");
        else
            escaped += c;
    }
    return strCheck_Quote(escaped);
}

QString unlikeValue(QString text) {
    text.replace(QStringLiteral("[[]"), QStringLiteral("["));
    text.replace(QStringLiteral("[#]"), QStringLiteral("#"));
    return text;
}

bool plainNumber(const QString& text, int type) {
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    if (number.match(text).hasMatch()) return true;
    if (type != dbBoolean) return false;
    for (const char* word : {"True", "False", "Yes", "No", "On", "Off"})
        if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
    return false;
}

} // namespace

CriterionParts criterionParts(int fieldType, int matchMode) {
    CriterionParts p;
    if (matchMode == match::WholeField) {
        p.op = QStringLiteral("= ");
        if (isTextType(fieldType))
            p.delimiter = kQuote;
        else if (fieldType == dbDate)
            p.delimiter = QStringLiteral("#");
        return p;
    }
    p.op = QStringLiteral("Like ");
    p.delimiter = kQuote;
    if (matchMode == match::AnyPart) p.leading = QStringLiteral("*");
    p.trailing = QStringLiteral("*");
    return p;
}

Criterion buildCriterion(const QString& field, int fieldType, int matchMode, const QString& value) {
    const CriterionParts p = criterionParts(fieldType, matchMode);
    Criterion c;
    QString shown;
    if (matchMode != match::WholeField) {
        shown = likeValue(value);
    } else if (isTextType(fieldType)) {
        shown = strCheck_Quote(value);
    } else if (fieldType == dbDate) {
        const QString trimmed = value.trimmed();
        if (trimmed.contains(u'#') || !db::parseDateText(trimmed)) {
            c.problem = ValueProblem::NotDate;
            return c;
        }
        shown = trimmed;
    } else {
        const QString trimmed = value.trimmed();
        if (!plainNumber(trimmed, fieldType)) {
            c.problem = ValueProblem::NotNumber;
            return c;
        }
        shown = trimmed;
    }
    c.text = QStringLiteral("[") + field + QStringLiteral("] ") + p.op + p.delimiter + p.leading +
             shown + p.trailing + p.delimiter;
    return c;
}

QString filterClause(const Criterion& criterion) {
    return QStringLiteral("(") + criterion.text + QStringLiteral(")");
}

QString sortClause(const QString& field, bool descending) {
    return QStringLiteral("[") + field + QStringLiteral("] ") +
           (descending ? QStringLiteral(" DESC") : QString());
}

ClauseEntries readFilterClause(const QString& clause) {
    ClauseEntries e;
    // The last condition of several is the one the user set most recently.
    const qsizetype start = clause.lastIndexOf(QStringLiteral("(["));
    if (start < 0) return e;
    QString text = clause.mid(start + 1).trimmed();
    if (text.endsWith(u')')) text.chop(1);
    const qsizetype close = text.indexOf(u']');
    if (close < 0) return e;
    e.field = text.mid(1, close - 1);
    QString rest = text.mid(close + 1).trimmed();
    bool like = false;
    if (rest.startsWith(u'=')) {
        rest = rest.mid(1).trimmed();
    } else if (rest.left(4).toUpper() == QLatin1String("LIKE")) {
        like = true;
        rest = rest.mid(4).trimmed();
    } else {
        return e;
    }
    if (rest.size() >= 2 && (rest.startsWith(u'"') || rest.startsWith(u'#')) &&
        rest.endsWith(rest.at(0))) {
        const QChar delimiter = rest.at(0);
        rest = rest.mid(1, rest.size() - 2);
        if (delimiter == u'"') rest.replace(QStringLiteral("\"\""), kQuote);
    }
    if (like) {
        const bool leading = rest.startsWith(u'*');
        if (leading) rest.remove(0, 1);
        if (rest.endsWith(u'*')) rest.chop(1);
        e.matchMode = leading ? match::AnyPart : match::StartOfField;
        rest = unlikeValue(rest);
    } else {
        e.matchMode = match::WholeField;
    }
    e.value = rest;
    e.ok = !e.field.isEmpty();
    return e;
}

ClauseEntries readSortClause(const QString& clause) {
    ClauseEntries e;
    const qsizetype open = clause.indexOf(u'[');
    const qsizetype close = open < 0 ? -1 : clause.indexOf(u']', open + 1);
    if (close < 0) return e;
    e.field = clause.mid(open + 1, close - open - 1);
    // The newest key comes first; only its own DESC counts.
    const qsizetype comma = clause.indexOf(QStringLiteral(" , "), close);
    const QString own = clause.mid(close + 1, comma < 0 ? -1 : comma - close - 1);
    e.descending = own.trimmed().compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    e.ok = !e.field.isEmpty();
    return e;
}

QString valueProblemText(ValueProblem problem) {
    switch (problem) {
    case ValueProblem::NotNumber:
        return QStringLiteral("This field holds numbers: please enter a number to match the whole "
                              "field, or choose another kind of match.");
    case ValueProblem::NotDate:
        return QStringLiteral("This field holds dates: please enter a date such as 12/31/1999 or "
                              "1999-12-31 to match the whole field, or choose another kind of match.");
    case ValueProblem::None: break;
    }
    return QString();
}

} // namespace kv
