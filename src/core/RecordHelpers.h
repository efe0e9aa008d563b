#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace kv {

// Field values that may be Null travel as QVariant: Null is a variant that holds no value
// (QVariant() or a null pointer), which is distinct from empty text (QVariant(QString(""))).
inline QVariant Null() { return QVariant(); }
inline bool isNull(const QVariant& value) { return value.isNull(); }

// The Null-conversion family: the value converted to the type, or the default for Null.
// A value that cannot be converted shows "Error in <name> - <number> - <description>" and
// ends the program at once: it means a field holds what the program never writes.
QString strCheckNull(const QVariant& value, const QString& def = QString());
qint16 intCheckNull(const QVariant& value, qint16 def = 0);
double dblCheckNull(const QVariant& value, double def = 0.0);
// Currency: a fixed-point amount with four decimals, held as a double rounded to them.
double CurCheckNull(const QVariant& value, double def = 0.0);
float sngCheckNull(const QVariant& value, float def = 0.0f);
bool bCheckNull(const QVariant& value, bool def = false);

// Null for empty text, otherwise the text (a single blank stays a blank).
QVariant varEmptytoNull(const QString& text);

// Doubles every double quote, so the text can stand inside a double-quoted SQL literal.
// Null gives "".
QString strCheck_Quote(const QVariant& text);

// Waits the given number of seconds while processing events. The wait runs on a monotonic
// clock, so it ends after the requested time whatever the time of day or the wall clock do.
void Pause(float seconds);

// The waiting loop itself, with the clock (milliseconds, monotonic) and the event pump
// supplied; Pause uses the steady clock and the application's event loop.
void pauseWith(float seconds, const std::function<qint64()>& nowMs,
               const std::function<void(int maxWaitMs)>& pump);

} // namespace kv
