#include "collections/CollectionPrint.h"

#include "collections/CCollection.h"
#include "collections/frmPrint.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "print/ListPrint.h"
#include "settings/ui/frmHelp.h"

#include <QApplication>
#include <QCheckBox>
#include <QPagedPaintDevice>
#include <QRadioButton>
#include <QWidget>

namespace kv {

namespace {

QWidget* mainWindow() { return qobject_cast<QWidget*>(ctx().forms.loaded(form::Background)); }

QFont ownerFont() {
    const QWidget* owner = mainWindow();
    return owner ? owner->font() : QApplication::font();
}

bool List_Print_Data(Recordset rs, const ListPrintJob& job) {
    IPrinter* printer = ctx().services.printer.get();
    QPagedPaintDevice* device = nullptr;
    BusyScope busy;
    if (!guarded("List_Print_Data", [&] {
            if (!printer) raiseError(err::PrinterError);
            device = &printer->startDocument(job.strTitle);
        }))
        return false;
    if (!printList(*device, ownerFont(), rs, job, [printer] { printer->abortDocument(); })) return false;
    Show_Message(1, QStringLiteral("List Printed ..."));
    return true;
}

// The file name from the save dialog; empty when the user cancelled.
QString List_Print_FileName() {
    IFileDialogs* files = ctx().services.files.get();
    return files ? files->saveFile(mainWindow(), QStringLiteral("Print to File"), listFileFilter()) : QString();
}

bool List_Print_File(Recordset rs, const ListPrintJob& job, bool& cancelled) {
    const QString path = List_Print_FileName();
    cancelled = path.isEmpty();
    if (cancelled) return false;
    {
        BusyScope busy;
        if (!writeListFile(path, listFileFormat(path), rs, job)) return false;
    }
    Show_Message(1, QStringLiteral("List Saved to File ..."));
    return true;
}

bool runListPrint(const char* procedureName, Recordset rs, const CCollection& collection, bool tickedItems) {
    return guarded(procedureName, [&] {
        ListPrintJob job;
        job.strTitle = collection.strTitle;
        for (int i = 1; i <= 5; ++i)
            if (collection.UDFvisible(i)) job.addCustomField(i, collection.UDFTitle(i));

        bool toFile = false;
        {
            frmPrint dialog(mainWindow());
            dialog.Accepted = false;
            dialog.setWindowTitle(collection.strTitle);
            if (tickedItems) {
                dialog.optRange[1]->setText(QStringLiteral("Ticked Items"));
                dialog.chkPrintWhat[1]->setChecked(true);
            }
            if (IDialogRunner* runner = ctx().services.dialogs.get()) runner->exec(dialog);
            if (!dialog.Accepted) return true;
            job.bSelectedOnly = dialog.optRange[0]->isChecked();
            job.bRecordingDetails = dialog.chkPrintWhat[1]->isChecked();
            job.bCustomDetails = dialog.chkPrintWhat[2]->isChecked();
            toFile = dialog.chkToFile->isChecked();
        }

        Show_Message(1, QStringLiteral("Printing ..."));
        if (toFile) {
            bool cancelled = false;
            // A cancelled save dialog ends the job quietly; it is no failure.
            return List_Print_File(rs, job, cancelled) || cancelled;
        }
        return List_Print_Data(rs, job);
    });
}

} // namespace

bool List_Print(Recordset rs, const CCollection& collection) {
    return runListPrint("List_Print", std::move(rs), collection, false);
}

bool List_PrintOrdered(Recordset rs, const CCollection& collection) {
    return runListPrint("List_PrintOrdered", std::move(rs), collection, true);
}

} // namespace kv
