#include "core/RecordHelpers.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <limits>

namespace kv {

namespace {

// Ends the program after a value that cannot be converted (see the header).
[[noreturn]] void conversionFailed(const char* name, const VbError& e) {
    const int n = e.number();
    const QString number = n >= 0 ? QStringLiteral(" %1").arg(n) : QString::number(n);
    const QString text =
        QStringLiteral("Error in %1 -").arg(QLatin1String(name)) + number + QStringLiteral(" - ") + e.description();
    AppContext& c = ctx();
    if (c.services.messages)
        c.services.messages->show(text, mb::OKOnly);
    if (c.services.process)
        c.services.process->endNow(1);
    std::abort();
}

bool isTextual(const QVariant& v) {
    const int id = v.metaType().id();
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

// A number from a variant the way the classic conversions read one: numbers as they are,
// Booleans as -1 / 0, text parsed after trimming (C locale), anything else a type mismatch.
double toNumber(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        return v.toBool() ? -1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    default:
        break;
    }
    if (isTextual(v)) {
        const QString text = v.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return -1.0;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return 0.0;
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
    }
    raiseError(err::TypeMismatch);
}

// Round half to even, as the classic integer conversions do.
double bankersRound(double d) { return std::nearbyint(d); }

} // namespace

QString strCheckNull(const QVariant& value, const QString& def) {
    if (isNull(value))
        return def;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    conversionFailed("strCheckNull", VbError(err::TypeMismatch));
}

qint16 intCheckNull(const QVariant& value, qint16 def) {
    if (isNull(value))
        return def;
    try {
        const double d = bankersRound(toNumber(value));
        if (d < std::numeric_limits<qint16>::min() || d > std::numeric_limits<qint16>::max())
            raiseError(err::Overflow);
        return static_cast<qint16>(d);
    } catch (const VbError& e) {
        conversionFailed("intCheckNull", e);
    }
}

double dblCheckNull(const QVariant& value, double def) {
    if (isNull(value))
        return def;
    try {
        return toNumber(value);
    } catch (const VbError& e) {
        conversionFailed("dblCheckNull", e);
    }
}

double CurCheckNull(const QVariant& value, double def) {
    if (isNull(value))
        return def;
    try {
        const double d = toNumber(value);
        constexpr double limit = 922337203685477.5807;
        if (d < -limit - 0.0001 || d > limit)
            raiseError(err::Overflow);
        return std::nearbyint(d * 10000.0) / 10000.0;
    } catch (const VbError& e) {
        conversionFailed("CurCheckNull", e);
    }
}

float sngCheckNull(const QVariant& value, float def) {
    if (isNull(value))
        return def;
    try {
        const double d = toNumber(value);
        if (std::fabs(d) > std::numeric_limits<float>::max())
            raiseError(err::Overflow);
        return static_cast<float>(d);
    } catch (const VbError& e) {
        conversionFailed("sngCheckNull", e);
    }
}

bool bCheckNull(const QVariant& value, bool def) {
    if (isNull(value))
        return def;
    try {
        return toNumber(value) != 0.0;
    } catch (const VbError& e) {
        conversionFailed("bCheckNull", e);
    }
}

QVariant varEmptytoNull(const QString& text) { return text.isEmpty() ? Null() : QVariant(text); }

QString strCheck_Quote(const QVariant& text) {
    if (isNull(text))
        return QString();
    QString source;
    try {
        source = strCheckNull(text);
        QString result;
        result.reserve(source.size() + 8);
        for (const QChar c : source) {
            result += c;
            if (c == QLatin1Char('"'))
                result += c;
        }
        return result;
    } catch (const std::exception&) {
        Report_Error(err::InvalidProcedureCall, QStringLiteral("strCheck_Quote"),
                     QStringLiteral("Unable to remove Quotes from string."));
        return source;
    }
}

void pauseWith(float seconds, const std::function<qint64()>& nowMs,
               const std::function<void(int maxWaitMs)>& pump) {
    if (!(seconds > 0.0f)) // also refuses NaN
        return;
    const double wanted = std::min<double>(seconds, 24.0 * 60 * 60) * 1000.0;
    const qint64 start = nowMs();
    const qint64 end = start + static_cast<qint64>(std::ceil(wanted));
    for (qint64 now = start; now < end; now = nowMs())
        pump(static_cast<int>(std::min<qint64>(end - now, 50)));
}

void Pause(float seconds) {
    guarded(
        "Pause",
        [&] {
            QElapsedTimer clock;
            clock.start();
            pauseWith(
                seconds, [&] { return clock.elapsed(); },
                [](int maxWaitMs) {
                    if (!QCoreApplication::instance()) {
                        QThread::msleep(static_cast<unsigned long>(maxWaitMs));
                        return;
                    }
                    QEventLoop loop;
                    QTimer::singleShot(maxWaitMs, &loop, &QEventLoop::quit);
                    loop.exec();
                });
        },
        QStringLiteral("Unable to Pause. "));
}

} // namespace kv
