#pragma once

#include "platform/HelpViewer.h"
#include "settings/HelpBook.h"
#include "settings/ui/HelpWindow.h"

#include <QPointer>

namespace kv {

// The program's help viewer: reads the help book on first use and shows its pages in the
// help window, which belongs to the background window when that is loaded. A missing or
// damaged book, or a context the book lacks, gets a message saying so.
class HelpBookViewer : public IHelpViewer {
public:
    HelpBookViewer() = default;
    ~HelpBookViewer() override;

    void setHelpFile(const QString& path) override;
    QString helpFile() const override { return m_file; }
    bool showContext(int contextNumber) override;
    bool showContents() override;
    // Closes the help window.
    void quit() override;

    // The help window while it exists.
    HelpWindow* window() const { return m_window; }
    const HelpBook& book() const { return m_book; }

private:
    bool ensureBook();
    bool showPage(const QString& page);

    QString m_file;
    HelpBook m_book;
    QPointer<HelpWindow> m_window;
};

} // namespace kv
