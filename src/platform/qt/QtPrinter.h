#pragma once

#include "platform/Printer.h"

#include <QPrinter>
#include <memory>

namespace kv {

// The printer on Qt: the system's default CUPS queue, or a PDF file in the user's
// documents folder when the machine has no printer. The setup dialog is Qt's print dialog.
class QtPrinter : public IPrinter {
public:
    QtPrinter();
    ~QtPrinter() override;

    QString deviceName() override;
    bool setup(QWidget* parent) override;
    QPagedPaintDevice& startDocument(const QString& title) override;
    void abortDocument() override;

    // The printer itself (made on first use: asking CUPS for its queues takes a moment).
    QPrinter& printer();
    // Where documents go when there is no printer.
    static QString defaultPdfFile();

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace kv
