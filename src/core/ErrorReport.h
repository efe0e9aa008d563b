#pragma once

#include "core/ErrorTable.h"
#include "core/VbError.h"

#include <QString>
#include <exception>
#include <new>
#include <type_traits>
#include <utility>

namespace kv {

// The common error box: a beep, then a box titled "Error" (or the given title) with the
// critical-stop icon: "Error: <number> <description>", and on a second line the name of
// the procedure when there is one.
void Report_Error(int number, const QString& procedureName, const QString& title = QString());
// The same with a description of the error's own (engine errors that name an object).
void Report_Error(const VbError& error, const QString& procedureName, const QString& title = QString());

// Runs a procedure that returns a value: any error inside it goes to Report_Error with the
// procedure's name and the failure value is returned. Nothing escapes.
template <typename T, typename Body>
T guardedValue(const char* procedureName, T failureValue, Body&& body, const QString& title = QString()) {
    try {
        return std::forward<Body>(body)();
    } catch (const VbError& e) {
        Report_Error(e, QString::fromLatin1(procedureName), title);
    } catch (const std::bad_alloc&) {
        Report_Error(err::OutOfMemory, QString::fromLatin1(procedureName), title);
    } catch (const std::exception&) {
        Report_Error(err::InvalidProcedureCall, QString::fromLatin1(procedureName), title);
    }
    return failureValue;
}

// Runs the body of a b-procedure the same way; the result is false on error. The body
// returns bool, or void for "true unless it failed".
template <typename Body>
bool guarded(const char* procedureName, Body&& body, const QString& title = QString()) {
    return guardedValue<bool>(
        procedureName, false,
        [&]() -> bool {
            if constexpr (std::is_void_v<decltype(body())>) {
                std::forward<Body>(body)();
                return true;
            } else {
                return static_cast<bool>(std::forward<Body>(body)());
            }
        },
        title);
}

} // namespace kv
