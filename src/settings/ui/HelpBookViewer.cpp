#include "settings/ui/HelpBookViewer.h"

#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "settings/FileLocations.h"
#include "settings/ui/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>

namespace kv {

namespace {

void tell(const QString& text) {
    if (IMessageBox* box = ctx().services.messages.get())
        box->show(text, mb::OKOnly | mb::Exclamation);
}

} // namespace

HelpBookViewer::~HelpBookViewer() {
    quit();
}

void HelpBookViewer::setHelpFile(const QString& path) {
    const QString file = Normal_Path(path);
    if (file == m_file) return;
    quit();
    m_book.clear();
    m_file = file;
}

bool HelpBookViewer::ensureBook() {
    if (m_book.isOpen()) return true;
    // A failed read is tried again next time: the user may have put the file back.
    QString why;
    if (m_file.isEmpty() || !m_book.open(m_file, &why)) {
        if (m_file.isEmpty()) why = QStringLiteral("no help file is set");
        tell(QStringLiteral("Unable to open the help file \"%1\": %2.")
                 .arg(QDir::toNativeSeparators(m_file), why));
        return false;
    }
    return true;
}

bool HelpBookViewer::showPage(const QString& page) {
    if (!m_window) {
        QWidget* owner =
            qobject_cast<QWidget*>(ctx().forms.loaded(form::Background));
        m_window = new HelpWindow(m_book, owner);
    }
    m_window->showPage(page);
    return true;
}

bool HelpBookViewer::showContext(int contextNumber) {
    if (!ensureBook()) return false;
    const QString page = m_book.pageForContext(contextNumber);
    if (page.isEmpty()) {
        tell(QStringLiteral("There is no help topic for this item (context %1).")
                 .arg(contextNumber));
        return false;
    }
    return showPage(page);
}

bool HelpBookViewer::showContents() {
    if (!ensureBook()) return false;
    return showPage(m_book.contentsPage());
}

void HelpBookViewer::quit() {
    // Widgets may only be destroyed while the application object exists.
    if (QCoreApplication::instance()) delete m_window.data();
    m_window = nullptr;
}

} // namespace kv
