#include "db/FieldValues.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"

#include <QLocale>
#include <QRegularExpression>
#include <cfloat>
#include <cmath>

namespace kv::db {

namespace {

[[noreturn]] void conversionError(const FieldInfo& f) {
    raiseError(err::DataTypeConversion,
               QStringLiteral("Data type conversion error in field '%1'.").arg(f.name));
}

[[noreturn]] void overflow(const FieldInfo& f) {
    raiseError(err::NumericFieldOverflow,
               QStringLiteral("Numeric field overflow in field '%1'.").arg(f.name));
}

bool isNumericType(int id) {
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isText(int id) {
    return id == QMetaType::QString || id == QMetaType::QChar;
}

std::optional<bool> boolFromText(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"yes" || t == u"on") return true;
    if (t == u"false" || t == u"no" || t == u"off") return false;
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (ok) return d != 0.0;
    return std::nullopt;
}

// A number from the value; bool is -1 / 0 as in the original engine.
std::optional<double> toNumber(const QVariant& v) {
    const int id = v.metaType().id();
    if (id == QMetaType::Bool) return v.toBool() ? -1.0 : 0.0;
    if (isNumericType(id)) return v.toDouble();
    if (isText(id)) {
        bool ok = false;
        const double d = QLocale::c().toDouble(v.toString().trimmed(), &ok);
        if (ok && std::isfinite(d)) return d;
    }
    return std::nullopt;
}

// Whole values of 64-bit integers pass unchanged; doubles round half to even.
std::optional<qint64> toWhole(const QVariant& v, bool& tooBig) {
    tooBig = false;
    const int id = v.metaType().id();
    if (id == QMetaType::LongLong || id == QMetaType::Int || id == QMetaType::Short ||
        id == QMetaType::Long || id == QMetaType::Char || id == QMetaType::SChar)
        return v.toLongLong();
    if (id == QMetaType::UInt || id == QMetaType::UShort || id == QMetaType::UChar ||
        id == QMetaType::ULong || id == QMetaType::ULongLong) {
        const qulonglong u = v.toULongLong();
        if (u > qulonglong(std::numeric_limits<qint64>::max())) {
            tooBig = true;
            return std::nullopt;
        }
        return qint64(u);
    }
    const auto d = toNumber(v);
    if (!d) return std::nullopt;
    const double r = std::nearbyint(*d); // the default rounding mode: half to even
    if (!(std::fabs(r) < 9.2e18)) {
        tooBig = true;
        return std::nullopt;
    }
    return qint64(r);
}

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};

int monthFromName(QStringView word) {
    const QString w = word.toString().toLower();
    if (w.size() < 3) return 0;
    static const char* const full[] = {"january",   "february", "march",    "april",
                                       "may",       "june",     "july",     "august",
                                       "september", "october",  "november", "december"};
    for (int i = 0; i < 12; ++i)
        if (w == QLatin1String(kMonths[i]) || w == QLatin1String(full[i])) return i + 1;
    if (w == u"sept") return 9;
    return 0;
}

int fullYear(int y, int digits) {
    if (digits <= 2) return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

} // namespace

QString numberText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<QDateTime> parseDateText(QStringView input, bool* hasTime) {
    QString text = input.toString().trimmed();
    if (hasTime) *hasTime = false;
    QTime time(0, 0);
    bool timeGiven = false;
    // The time part: "h:mm[:ss] [AM|PM]" at the end (or alone).
    static const QRegularExpression timeRe(
        QStringLiteral(R"((?:^|\s+)(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?$)"));
    const auto tm = timeRe.match(text);
    if (tm.hasMatch()) {
        int h = tm.captured(1).toInt();
        const int m = tm.captured(2).toInt();
        const int s = tm.captured(3).isEmpty() ? 0 : tm.captured(3).toInt();
        const QString ampm = tm.captured(4).toLower();
        if (!ampm.isEmpty()) {
            if (h < 1 || h > 12) return std::nullopt;
            if (ampm == u"pm" && h != 12) h += 12;
            if (ampm == u"am" && h == 12) h = 0;
        }
        time = QTime(h, m, s);
        if (!time.isValid()) return std::nullopt;
        timeGiven = true;
        text = text.left(tm.capturedStart(0)).trimmed();
    }
    QDate date;
    if (text.isEmpty()) {
        if (!timeGiven) return std::nullopt;
        date = QDate(1899, 12, 30); // the engine's day zero
    } else {
        static const QRegularExpression mdy(
            QStringLiteral(R"(^(\d{1,2})([/-])(\d{1,2})\2(\d{1,4})$)"));
        static const QRegularExpression ymd(
            QStringLiteral(R"(^(\d{4})([/-])(\d{1,2})\2(\d{1,2})$)"));
        static const QRegularExpression dMonY(
            QStringLiteral(R"(^(\d{1,2})[\s-]+([A-Za-z]+)\.?[\s-]+(\d{2,4})$)"));
        static const QRegularExpression monDY(
            QStringLiteral(R"(^([A-Za-z]+)\.?\s+(\d{1,2}),?\s+(\d{2,4})$)"));
        QRegularExpressionMatch m;
        if ((m = ymd.match(text)).hasMatch()) {
            date = QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        } else if ((m = mdy.match(text)).hasMatch()) {
            date = QDate(fullYear(m.captured(4).toInt(), int(m.captured(4).size())),
                         m.captured(1).toInt(), m.captured(3).toInt());
        } else if ((m = dMonY.match(text)).hasMatch()) {
            const int month = monthFromName(m.captured(2));
            if (!month) return std::nullopt;
            date = QDate(fullYear(m.captured(3).toInt(), int(m.captured(3).size())), month,
                         m.captured(1).toInt());
        } else if ((m = monDY.match(text)).hasMatch()) {
            const int month = monthFromName(m.captured(1));
            if (!month) return std::nullopt;
            date = QDate(fullYear(m.captured(3).toInt(), int(m.captured(3).size())), month,
                         m.captured(2).toInt());
        }
        if (!date.isValid() || date.year() < 100) return std::nullopt;
    }
    if (hasTime) *hasTime = timeGiven;
    return QDateTime(date, time);
}

QString storedDateText(const QDateTime& value, bool withTime) {
    return value.toString(withTime ? QStringLiteral("yyyy-MM-dd hh:mm:ss")
                                   : QStringLiteral("yyyy-MM-dd"));
}

QVariant toStored(const QVariant& value, const FieldInfo& f) {
    if (!value.isValid() || value.isNull()) return QVariant();
    const int id = value.metaType().id();
    switch (f.type) {
    case dbBoolean: {
        if (id == QMetaType::Bool) return qint64(value.toBool() ? -1 : 0);
        if (isNumericType(id)) return qint64(value.toDouble() != 0.0 ? -1 : 0);
        if (isText(id))
            if (const auto b = boolFromText(value.toString())) return qint64(*b ? -1 : 0);
        conversionError(f);
    }
    case dbByte:
    case dbInteger:
    case dbLong: {
        bool tooBig = false;
        const auto n = toWhole(value, tooBig);
        if (!n) {
            if (tooBig) overflow(f);
            conversionError(f);
        }
        const qint64 lo = f.type == dbByte ? 0 : f.type == dbInteger ? -32768 : -2147483648LL;
        const qint64 hi = f.type == dbByte ? 255 : f.type == dbInteger ? 32767 : 2147483647LL;
        if (*n < lo || *n > hi) overflow(f);
        return *n;
    }
    case dbCurrency:
    case dbSingle:
    case dbDouble: {
        const auto d = toNumber(value);
        if (!d) conversionError(f);
        if (f.type == dbSingle && std::fabs(*d) > FLT_MAX) overflow(f);
        if (f.type == dbCurrency) {
            if (std::fabs(*d) > 922337203685477.0) overflow(f);
            return std::nearbyint(*d * 10000.0) / 10000.0;
        }
        return *d;
    }
    case dbDate: {
        if (id == QMetaType::QDateTime)
            return storedDateText(value.toDateTime(), value.toDateTime().time() != QTime(0, 0));
        if (id == QMetaType::QDate)
            return storedDateText(QDateTime(value.toDate(), QTime(0, 0)), false);
        if (isText(id)) {
            bool withTime = false;
            if (const auto dt = parseDateText(value.toString(), &withTime))
                return storedDateText(*dt, withTime);
        } else if (isNumericType(id)) {
            // A serial date: days since the engine's day zero, the fraction is the time.
            const double serial = value.toDouble();
            if (std::fabs(serial) < 3e6) {
                const QDateTime zero(QDate(1899, 12, 30), QTime(0, 0));
                const qint64 ms = qint64(std::llround(serial * 86400000.0));
                const QDateTime dt = zero.addMSecs(ms);
                return storedDateText(dt, dt.time() != QTime(0, 0));
            }
        }
        conversionError(f);
    }
    case dbText:
    case dbMemo: {
        QString text;
        if (isText(id))
            text = value.toString();
        else if (id == QMetaType::Bool)
            text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (isNumericType(id))
            text = (id == QMetaType::Double || id == QMetaType::Float)
                       ? numberText(value.toDouble())
                       : value.toString();
        else if (id == QMetaType::QByteArray)
            text = QString::fromUtf8(value.toByteArray());
        else if (id == QMetaType::QDateTime)
            text = storedDateText(value.toDateTime(), value.toDateTime().time() != QTime(0, 0));
        else if (id == QMetaType::QDate)
            text = value.toDate().toString(Qt::ISODate);
        else
            conversionError(f);
        if (f.type == dbText && text.size() > f.size)
            raiseError(err::FieldTooSmall,
                       QStringLiteral("The field '%1' is too small to accept the amount of data "
                                      "you attempted to add (%2 characters, at most %3).")
                           .arg(f.name, QString::number(text.size()), QString::number(f.size)));
        return text;
    }
    case dbLongBinary:
    default:
        if (id == QMetaType::QByteArray) return value.toByteArray();
        if (isText(id)) return value.toString().toUtf8();
        conversionError(f);
    }
}

QVariant fromStored(const QVariant& stored, int fieldType) {
    if (!stored.isValid() || stored.isNull()) return QVariant();
    const int id = stored.metaType().id();
    switch (fieldType) {
    case dbBoolean:
        if (isText(id)) return boolFromText(stored.toString()).value_or(false);
        return stored.toDouble() != 0.0;
    case dbByte:
    case dbInteger:
    case dbLong:
        if (id == QMetaType::LongLong) {
            const qint64 n = stored.toLongLong();
            if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
                return int(n);
            return n;
        }
        return stored;
    case dbCurrency:
    case dbSingle:
    case dbDouble:
        if (id == QMetaType::LongLong || id == QMetaType::Double) return stored.toDouble();
        return stored;
    case dbDate:
        if (isText(id)) {
            if (const auto dt = parseDateText(stored.toString())) return *dt;
        }
        return stored;
    case dbText:
    case dbMemo:
        if (id == QMetaType::Double) return numberText(stored.toDouble());
        if (id == QMetaType::LongLong) return QString::number(stored.toLongLong());
        if (id == QMetaType::QByteArray) return QString::fromUtf8(stored.toByteArray());
        return stored;
    case dbLongBinary:
        if (isText(id)) return stored.toString().toUtf8();
        return stored;
    default:
        return stored;
    }
}

} // namespace kv::db
