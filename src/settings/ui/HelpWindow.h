#pragma once

#include <QTextBrowser>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace kv {

class HelpBook;

// Shows the pages of a help book; links between pages and pictures are served from the book.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(const HelpBook& book, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const HelpBook& m_book;
};

// The help window: the book's topics on the left, the page on the right, and Contents,
// Back and Forward buttons. It lives until the viewer quits or its owner closes.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const HelpBook& book, QWidget* owner = nullptr);

    // Shows the window at a page of the book (its entry name).
    void showPage(const QString& page);
    // The entry name of the page shown.
    QString currentPage() const;
    HelpBrowser* browser() const { return m_browser; }
    QListWidget* topics() const { return m_topics; }

    QPushButton* cmdContents;
    QPushButton* cmdBack;
    QPushButton* cmdForward;

private:
    void pageChanged(const QUrl& url);

    const HelpBook& m_book;
    HelpBrowser* m_browser;
    QListWidget* m_topics;
};

} // namespace kv
