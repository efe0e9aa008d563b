#include "core/ErrorReport.h"

#include "platform/AppContext.h"

namespace kv {

namespace {
void showErrorBox(int number, const QString& description, const QString& procedureName,
                  const QString& title) {
    QString text = QStringLiteral("Error: %1 %2").arg(number).arg(description);
    if (!procedureName.isEmpty())
        text += QLatin1Char('\r') + procedureName;
    IMessageBox* box = ctx().services.messages.get();
    if (!box)
        return;
    box->beep();
    box->show(text, mb::OKOnly | mb::Critical, title.isEmpty() ? QStringLiteral("Error") : title);
}
} // namespace

void Report_Error(int number, const QString& procedureName, const QString& title) {
    showErrorBox(number, errorDescription(number), procedureName, title);
}

void Report_Error(const VbError& error, const QString& procedureName, const QString& title) {
    showErrorBox(error.number(), error.description(), procedureName, title);
}

} // namespace kv
