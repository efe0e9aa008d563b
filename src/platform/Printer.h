#pragma once

#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace kv {

// The printer: the queue the user chose (the system's default at first) or, on a machine
// without one, a PDF file. A document is painted on the device startDocument hands out and
// goes to the printer when the painter on it ends.
class IPrinter {
public:
    virtual ~IPrinter() = default;
    // What the print options dialog shows as the current printer.
    virtual QString deviceName() = 0;
    // The system's printer setup dialog; false when the user cancelled it.
    virtual bool setup(QWidget* parent) = 0;
    // The device for a new document; the title names the print job.
    virtual QPagedPaintDevice& startDocument(const QString& title) = 0;
    // Drops the document being painted, so that nothing half done is printed.
    virtual void abortDocument() = 0;
};

} // namespace kv
