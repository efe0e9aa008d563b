#include "titles/TitleViewer.h"

#include "settings/FileLocations.h"

#include <QPalette>
#include <QPointer>
#include <QScrollBar>
#include <QTextDocument>
#include <QUrl>

namespace kv {

TitleViewer::TitleViewer(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    // No text caret: the arrow and page keys scroll the page, as in a reader.
    setTextInteractionFlags(Qt::TextBrowserInteraction);

    QPalette p = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Base, viewerColors::background);
        p.setColor(g, QPalette::Window, viewerColors::background);
        p.setColor(g, QPalette::Text, viewerColors::text);
        p.setColor(g, QPalette::WindowText, viewerColors::text);
        p.setColor(g, QPalette::Link, viewerColors::teal);
        p.setColor(g, QPalette::LinkVisited, viewerColors::teal);
        p.setColor(g, QPalette::Highlight, viewerColors::amber);
        p.setColor(g, QPalette::HighlightedText, viewerColors::background);
    }
    setPalette(p);
    setStyleSheet(
        QStringLiteral(
            "QScrollBar:vertical { background: %1; width: 10px; margin: 0; }"
            "QScrollBar::handle:vertical { background: #3a4058; min-height: 24px; border-radius: "
            "4px; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(viewerColors::panel.name()));
    document()->setDocumentMargin(14);
    document()->setDefaultStyleSheet(viewerStyleSheet());

    connect(this, &QTextBrowser::anchorClicked, this, &TitleViewer::onAnchorClicked);
}

TitleViewer::~TitleViewer() {
    if (m_title) MVTitleClose(m_title);
}

void TitleViewer::setTitleFile(const QString& path) {
    if (m_title) MVTitleClose(m_title);
    m_title = 0;
    clearPage();
    m_titleFile = path;
    if (path.isEmpty()) return;
    m_title = hMVTitleOpen(Normal_Path(path));
    if (m_title) showContents();
}

bool TitleViewer::jumpToAddress(qint32 viewAddress) {
    MVTopic topic;
    if (!m_title || !bMVGetTopic(m_title, viewAddress, topic)) return false;
    showTopic(viewAddress, topic);
    return true;
}

bool TitleViewer::jumpToContext(const QString& contextString) {
    if (!m_title) return false;
    const qint32 va = vaMVConvertContextString(m_title, contextString);
    return va >= 0 && jumpToAddress(va);
}

bool TitleViewer::showContents() {
    if (!m_title) return false;
    const qint32 va = vaMVGetContents(m_title);
    return va >= 0 && jumpToAddress(va);
}

ViewerPosition TitleViewer::position() const {
    return {m_address, verticalScrollBar()->value()};
}

bool TitleViewer::setPosition(const ViewerPosition& position) {
    if (position.viewAddress != m_address && !jumpToAddress(position.viewAddress)) return false;
    // The scroll range is only known once the page is laid out.
    document()->adjustSize();
    verticalScrollBar()->setValue(position.scroll);
    return true;
}

void TitleViewer::activateLink(int index) {
    if (index < 0 || index >= m_links.size()) return;
    const PageLink link = m_links[index];
    TitleLinkEvent event{link.linkType, link.target, link.hotspot, false};
    // A handler may close the window that holds this viewer.
    QPointer<TitleViewer> self(this);
    emit linkClicked(event);
    if (!self || event.handled || event.hotspot) return;
    jumpToContext(event.target);
}

void TitleViewer::onAnchorClicked(const QUrl& url) {
    if (url.scheme() != u"kv") return;
    bool ok = false;
    const int index = url.path().toInt(&ok);
    if (ok) activateLink(index);
}

void TitleViewer::showTopic(qint32 viewAddress, const MVTopic& topic) {
    title::Page page;
    const bool complete = title::decodePage(
        std::string_view(topic.page.constData(), size_t(topic.page.size())), page);
    QList<PageLink> links;
    const QString html = topicPageHtml(page, complete, links);
    m_links = links;
    m_plainText = title::pageToPlainText(page);
    m_topic = topic;
    m_address = viewAddress;
    setHtml(html);
    emit topicShown(viewAddress);
}

void TitleViewer::clearPage() {
    m_address = -1;
    m_topic = MVTopic();
    m_links.clear();
    m_plainText.clear();
    clear();
}

} // namespace kv
