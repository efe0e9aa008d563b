#pragma once

// The printer is a device: the fake prints every document to one PDF file of the test's
// choosing and records what it was asked.

#include "platform/Printer.h"

#include <QPdfWriter>
#include <QStringList>
#include <functional>
#include <memory>

namespace kv::test {

class FakePrinter : public IPrinter {
public:
    explicit FakePrinter(QString pdfFile) : file(std::move(pdfFile)) {}

    QString deviceName() override { return name; }
    bool setup(QWidget*) override {
        ++setups;
        if (onSetup) onSetup(*this);
        return setupAccepted;
    }
    QPagedPaintDevice& startDocument(const QString& title) override {
        titles << title;
        writer = std::make_unique<QPdfWriter>(file);
        writer->setTitle(title);
        return *writer;
    }
    void abortDocument() override { ++aborts; }

    QString file;
    QString name = QStringLiteral("Fake printer on 127.0.0.1");
    bool setupAccepted = true;
    // Runs while the setup dialog is "up", e.g. to choose another printer.
    std::function<void(FakePrinter&)> onSetup;
    int setups = 0;
    int aborts = 0;
    QStringList titles;
    std::unique_ptr<QPdfWriter> writer;
};

} // namespace kv::test
