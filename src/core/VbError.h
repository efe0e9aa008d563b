#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// The one error type the program throws. It carries the classic error number (run-time
// numbers such as 5, 13, 53; database engine numbers such as 3011, 3021, 3022) and its
// description. Only the guard of a b-procedure catches it (see ErrorReport.h).
class VbError : public std::runtime_error {
public:
    explicit VbError(int number, const QString& description = QString());
    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }

private:
    int m_number;
    QString m_description;
};

// Throws VbError with the standard description of the number.
[[noreturn]] void raiseError(int number);
// Throws VbError with a description of its own (engine errors that name an object).
[[noreturn]] void raiseError(int number, const QString& description);

} // namespace kv
