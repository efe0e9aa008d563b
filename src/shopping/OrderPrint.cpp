#include "shopping/OrderPrint.h"

#include "collections/frmPrint.h"
#include "core/ErrorReport.h"
#include "db/Recordset.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "print/CPrint.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderLetter.h"

#include <QApplication>
#include <QDate>
#include <QPagedPaintDevice>
#include <QRegularExpression>
#include <QWidget>

namespace kv {

namespace {

QWidget* mainWindow() {
    return qobject_cast<QWidget*>(ctx().forms.loaded(form::Background));
}

QFont letterFont(int pointSize) {
    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(false);
    font.setPointSize(pointSize);
    return font;
}

// One line of the letter as paragraphs: a value of several lines (an address) prints each
// of its lines as a paragraph of its own, as the e-mail ends each with a carriage return.
void printLine(CPrint& cp, const QString& line) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    for (const QString& part : line.split(breaks))
        cp.Paragraph_Text(part);
}

} // namespace

bool Order_Print_Line(Recordset& rsOrdered, CPrint& cp, int intItem) {
    return guarded("Order_Print_Line", [&] {
        for (const QString& line : Order_Item_Lines(rsOrdered, intItem))
            printLine(cp, line);
    });
}

bool Order_Print_Data_all(Recordset& rsOrdered, CPrint& cp) {
    return guarded("Order_Print_Data_all", [&] {
        return forEachOrderedItem(
            rsOrdered, [&](int intItem) { return Order_Print_Line(rsOrdered, cp, intItem); });
    });
}

bool printOrderLetter(QPagedPaintDevice& device, const QFont& ownerFont, Recordset& rsOrdered,
                      const ShopRecord& shop, const UserDetails& user, bool bPayByCard,
                      bool bContactMe, const QString& strDate,
                      const std::function<void()>& abortDocument) {
    CPrint cp;
    bool started = false;
    bool ok = guarded("Order_Print_Data", [&] {
        cp.Initialize_Printing(ownerFont, device);
        started = true;
        cp.setActiveFont(letterFont(12));
        cp.setDefaultFont(letterFont(12));
        cp.setActiveFont(letterFont(16));
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(kOrderTitle);
        cp.Paragraph_Text(QString());
        cp.Paragraph_Text(QString());
        cp.setActiveFont(letterFont(12));
        for (const QString& line : Order_Letter_Lines(shop, user, bPayByCard, bContactMe, strDate))
            printLine(cp, line);
    });
    if (ok) ok = Order_Print_Data_all(rsOrdered, cp);
    if (ok) ok = guarded("Order_Print_Data", [&] { cp.Done_Printing(); });
    if (!ok && started && cp.isActive() && abortDocument) abortDocument();
    return ok;
}

bool Order_Print_Data(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard, bool bContactMe) {
    IPrinter* printer = ctx().services.printer.get();
    QPagedPaintDevice* device = nullptr;
    bool ok = false;
    {
        BusyScope busy;
        if (!guarded("Order_Print_Data", [&] {
                if (!printer) raiseError(err::PrinterError);
                device = &printer->startDocument(kOrderTitle);
            }))
            return false;
        const QWidget* owner = mainWindow();
        ok = printOrderLetter(*device, owner ? owner->font() : QApplication::font(), rsOrdered, shop,
                              Current_User_Details(), bPayByCard, bContactMe,
                              Order_Date_Text(QDate::currentDate()), [printer] { printer->abortDocument(); });
    }
    if (ok) Show_Message(1, QStringLiteral("List Printed ..."));
    return ok;
}

bool Order_Print(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard, bool bContactMe) {
    bool accepted = false;
    if (!guarded("Order_Print", [&] {
            frmPrint dialog(mainWindow());
            dialog.Accepted = false;
            dialog.setWindowTitle(QStringLiteral("Print/Fax Order"));
            // The letter has no parts, range or file to choose.
            dialog.hideListOptions();
            if (IDialogRunner* runner = ctx().services.dialogs.get()) runner->exec(dialog);
            accepted = dialog.Accepted;
        }))
        return false;
    if (!accepted) return false;
    Show_Message(1, QStringLiteral("Printing ..."));
    // A letter that could not be printed is no success: the failure was reported.
    return Order_Print_Data(rsOrdered, shop, bPayByCard, bContactMe);
}

} // namespace kv
