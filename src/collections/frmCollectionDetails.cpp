// The collection screen's details panel: the selected item's text or tracks page, or the
// selected connection's text; its tabs; and the held scroll buttons it waits for.
#include "app/Navigation.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/NRCollections.h"
#include "collections/frmCollection.h"
#include "connections/Connections.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "titles/TitleAccess.h"
#include "titles/TitleViewer.h"

#include <QLabel>
#include <QScrollArea>
#include <QTimer>

namespace kv {

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// The held scroll buttons: the first repeat waits a little longer, as a keyboard's does.
constexpr int kFirstRepeatMs = 350;
constexpr int kRepeatMs = 90;

} // namespace

bool frmCollection::hasRow() const {
    if (Data1->currentRow() < 0) return false;
    const QString key = m_mode == screen::Connections ? QStringLiteral("Connection ID")
                                                      : QStringLiteral("Catalogue Number");
    return !guardedValue("hasRow", QVariant(), [&] { return Data1->currentValue(key); }).isNull();
}

void frmCollection::rowChanged() {
    if (m_refreshAllowed) Refresh_Details();
}

void frmCollection::Refresh_Details() {
    if (m_mode == screen::Connections)
        bConnection_Show();
    else if (m_detailTab == 1)
        bTracks_Show();
    else
        bDetails_Show();
}

// The text is kept as built, lines ending in CR LF; the label breaks lines at a line feed.
void frmCollection::showDetails(const QString& title, const QString& text) {
    lblTitle->setText(title);
    m_detailsText = text;
    lbldetails->setText(QString(text).replace(kCRLF, QStringLiteral("\n")));
}

bool frmCollection::bDetails_Show() {
    BusyScope busy;
    return guarded("bDetails_Show", [&] {
        if (!hasRow()) {
            showDetails(QString(), QString());
            return;
        }
        const auto text = [&](const QString& field) { return strCheckNull(Data1->currentValue(field)); };
        QString details = QStringLiteral("Artist - ") + text(QStringLiteral("Artist")) + kCRLF +
                          QStringLiteral("   Format - ") + text(QStringLiteral("Medium")) + QStringLiteral("   ") +
                          QStringLiteral("Date - ") + text(QStringLiteral("Release Date")) + kCRLF +
                          QStringLiteral("   Catalogue Number - ") + text(QStringLiteral("Catalogue Number"));
        if (const CCollection* c = currentCollection())
            for (int i = 1; i <= 5; ++i)
                if (c->UDFvisible(i))
                    details += kCRLF + c->UDFTitle(i) + QStringLiteral(":") + kCRLF + QStringLiteral("    ") +
                               text(QStringLiteral("User Field %1").arg(i));
        details += kCRLF + QStringLiteral("Notes :") + kCRLF + text(QStringLiteral("Notes"));
        showDetails(text(QStringLiteral("Title")), details);
    });
}

bool frmCollection::bTracks_Show() {
    BusyScope busy;
    return guarded("bTracks_Show", [&] {
        // The tracks page comes from the catalogue title the search screen holds.
        if (!MvrDetails->titleHandle())
            if (TitleViewer* catalogue = catalogueViewer(); catalogue && catalogue != MvrDetails)
                MvrDetails->setTitleFile(catalogue->titleFile());
        if (hasRow()) {
            const QString context = QStringLiteral("R_") +
                                    QString::number(Data1->currentValue(QStringLiteral("Album ID")).toLongLong());
            // A recording the catalogue does not hold shows the contents, not the last page.
            if (!MvrDetails->jumpToContext(context)) MvrDetails->showContents();
        } else {
            MvrDetails->showContents();
        }
    });
}

bool frmCollection::bConnection_Show() {
    return guarded("bConnection_Show", [&] {
        if (!hasRow()) {
            showDetails(QString(), QString());
            return;
        }
        showDetails(strCheckNull(Data1->currentValue(QStringLiteral("Connection Name"))),
                    strConnection_Text(Data1->currentValue(QStringLiteral("Connection Description")),
                                       Data1->currentValue(QStringLiteral("Connection URL")),
                                       Data1->currentValue(QStringLiteral("Notes"))));
    });
}

void frmCollection::imgtabdetails_Click() {
    showDetailTab(0);
}

void frmCollection::imgtabtracks_Click() {
    showDetailTab(1);
}

// Tab 0 is the details text, tab 1 the tracks; the active tab keeps its pressed picture.
void frmCollection::showDetailTab(int tab) {
    if (m_detailTab == tab) return;
    m_detailTab = tab;
    const bool details = tab == 0;
    (details ? imgtabdetails : imgtabtracks)->showPressed();
    (details ? imgtabtracks : imgtabdetails)->showNormal();
    detailsArea->setVisible(details);
    lblTitle->setVisible(details);
    MvrDetails->setVisible(!details);
    Refresh_Details();
}

// While a scroll button is held the rows move without the details following; they catch
// up once on release.
void frmCollection::scrollPressed(int direction) {
    m_refreshAllowed = false;
    m_scrollDirection = direction;
    scrollStep();
    m_scrollTimer->start(kFirstRepeatMs);
}

void frmCollection::scrollStep() {
    if (m_scrollTimer->isActive()) m_scrollTimer->setInterval(kRepeatMs);
    TDBGrid1->stepRow(m_scrollDirection);
}

void frmCollection::scrollReleased() {
    m_scrollTimer->stop();
    m_scrollDirection = 0;
    m_refreshAllowed = true;
    Refresh_Details();
}

} // namespace kv
