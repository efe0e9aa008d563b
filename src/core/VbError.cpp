#include "core/VbError.h"

#include "core/ErrorTable.h"

namespace kv {

VbError::VbError(int number, const QString& description)
    : std::runtime_error(QStringLiteral("Error %1: %2")
                             .arg(number)
                             .arg(description.isEmpty() ? errorDescription(number) : description)
                             .toStdString()),
      m_number(number), m_description(description.isEmpty() ? errorDescription(number) : description) {}

void raiseError(int number) { throw VbError(number); }

void raiseError(int number, const QString& description) { throw VbError(number, description); }

} // namespace kv
