#include "platform/qt/QtPrinter.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace kv {

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() = default;

QString QtPrinter::defaultPdfFile() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Korvanda.pdf"));
}

QPrinter& QtPrinter::printer() {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinterNames().isEmpty() || m_printer->printerName().isEmpty()) {
            m_printer->setOutputFormat(QPrinter::PdfFormat);
            m_printer->setOutputFileName(defaultPdfFile());
        }
    }
    return *m_printer;
}

QString QtPrinter::deviceName() {
    QPrinter& p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat || !p.outputFileName().isEmpty())
        return QStringLiteral("PDF file: ") + QDir::toNativeSeparators(p.outputFileName());
    return p.printerName();
}

bool QtPrinter::setup(QWidget* parent) {
    QPrintDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    return dialog.exec() == QDialog::Accepted;
}

QPagedPaintDevice& QtPrinter::startDocument(const QString& title) {
    QPrinter& p = printer();
    p.setDocName(title);
    if (p.outputFormat() == QPrinter::PdfFormat && p.outputFileName().isEmpty()) p.setOutputFileName(defaultPdfFile());
    return p;
}

void QtPrinter::abortDocument() {
    if (m_printer) m_printer->abort();
}

} // namespace kv
