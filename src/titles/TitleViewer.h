#pragma once

// The title viewer: shows the topic pages of one title, jumps by view address or context
// string, and hands every link and hotspot click to its owner before following it.

#include "titles/TitlePageHtml.h"
#include "titles/engine/ViewerLibrary.h"

#include <QTextBrowser>

namespace kv {

// Link types of the catalogue's pages.
enum TitleLinkType : int { kLinkRecording = 1, kLinkArtist = 2 };

// A click on a link or hotspot of the shown page. Handlers set `handled` to stop the viewer
// from following a link itself; a hotspot is never followed.
struct TitleLinkEvent {
    int linkType = 0; // the link's type; 0 for a hotspot
    QString target;   // a link's context string, or a hotspot's data string
    bool hotspot = false;
    bool handled = false;
};

// Where the viewer stands: the topic shown and how far it is scrolled.
struct ViewerPosition {
    qint32 viewAddress = -1;
    qint32 scroll = 0;
};

class TitleViewer : public QTextBrowser {
    Q_OBJECT
    Q_PROPERTY(QString titleFile READ titleFile WRITE setTitleFile)

public:
    explicit TitleViewer(QWidget* parent = nullptr);
    ~TitleViewer() override;

    // Setting the path closes the title held and opens that one, showing its contents
    // page. The path stays set even when the title cannot be opened (titleHandle() is
    // then 0, and strMVLastError() says why); "" just closes.
    QString titleFile() const { return m_titleFile; }
    void setTitleFile(const QString& path);
    MVHandle titleHandle() const { return m_title; }

    // Jumps; false (the page shown stays) when the title has no such topic.
    bool jumpToAddress(qint32 viewAddress);
    bool jumpToContext(const QString& contextString);
    bool showContents();

    // The topic shown: its view address (−1 for none), identification string, title and
    // context string.
    qint32 currentAddress() const { return m_address; }
    QString topicText() const { return m_topic.identification; }
    QString topicTitle() const { return m_topic.title; }
    QString topicContext() const { return m_topic.contextString; }
    // The page as plain text (tabs between table cells).
    QString pageText() const { return m_plainText; }
    // The links of the page in reading order.
    const QList<PageLink>& pageLinks() const { return m_links; }

    ViewerPosition position() const;
    bool setPosition(const ViewerPosition& position);

    // Acts as a click on the page's link number `index` (what a mouse click or the Enter
    // key on a focused link does).
    void activateLink(int index);

signals:
    void topicShown(qint32 viewAddress);
    // Emitted for every click; handlers run before the viewer follows a link.
    void linkClicked(kv::TitleLinkEvent& event);

private:
    void onAnchorClicked(const QUrl& url);
    void showTopic(qint32 viewAddress, const MVTopic& topic);
    void clearPage();

    QString m_titleFile;
    MVHandle m_title = 0;
    qint32 m_address = -1;
    MVTopic m_topic;
    QList<PageLink> m_links;
    QString m_plainText;
};

} // namespace kv
