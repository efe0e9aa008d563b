#include "settings/ui/HelpWindow.h"

#include "platform/FormNames.h"
#include "settings/HelpBook.h"

#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

namespace kv {

namespace {

// The book entry a link names: the bare name, without an anchor or a leading "./".
QString entryOf(const QUrl& url) {
    QString name = url.path();
    if (name.startsWith(QLatin1String("./"))) name = name.mid(2);
    return name;
}

} // namespace

HelpBrowser::HelpBrowser(const HelpBook& book, QWidget* parent)
    : QTextBrowser(parent), m_book(book) {
    setObjectName(QStringLiteral("helpBrowser"));
    setOpenExternalLinks(true);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (!name.scheme().isEmpty() && name.scheme() != QLatin1String("file")) return QVariant();
    const QString entry = entryOf(name);
    if (!m_book.hasEntry(entry)) return QVariant();
    if (type == QTextDocument::ImageResource) {
        QImage image;
        image.loadFromData(m_book.entry(entry));
        return image;
    }
    if (type == QTextDocument::HtmlResource) return m_book.pageHtml(entry);
    return m_book.entry(entry);
}

HelpWindow::HelpWindow(const HelpBook& book, QWidget* owner)
    : QWidget(owner, Qt::Window), m_book(book) {
    setObjectName(form::HelpBook);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(book.title().isEmpty() ? QStringLiteral("Korvanda Help") : book.title());

    cmdContents = new QPushButton(QStringLiteral("Contents"), this);
    cmdContents->setObjectName(QStringLiteral("cmdContents"));
    cmdBack = new QPushButton(QStringLiteral("Back"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdForward = new QPushButton(QStringLiteral("Forward"), this);
    cmdForward->setObjectName(QStringLiteral("cmdForward"));
    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);

    m_topics = new QListWidget(this);
    m_topics->setObjectName(QStringLiteral("lstTopics"));
    m_topics->setAccessibleName(QStringLiteral("Topics"));
    // The contents first, then the topics by title.
    QList<std::pair<QString, QString>> entries;
    for (const QString& page : book.pages())
        if (page != book.contentsPage()) entries.push_back({book.pageTitle(page), page});
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    if (book.hasEntry(book.contentsPage()))
        entries.prepend({book.pageTitle(book.contentsPage()), book.contentsPage()});
    for (const auto& [title, page] : entries) {
        auto* item = new QListWidgetItem(title, m_topics);
        item->setData(Qt::UserRole, page);
        item->setToolTip(title);
    }
    m_browser = new HelpBrowser(book, this);
    m_browser->setAccessibleName(QStringLiteral("Help page"));
    // Screen readers list each scroll bar apart from what it scrolls.
    m_topics->verticalScrollBar()->setAccessibleName(QStringLiteral("Topics"));
    m_browser->verticalScrollBar()->setAccessibleName(QStringLiteral("Help page"));

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_topics);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 510});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdContents);
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(780, 540);

    connect(cmdContents, &QPushButton::clicked, this, [this] { showPage(m_book.contentsPage()); });
    connect(cmdBack, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(cmdForward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, cmdBack, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, cmdForward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageChanged);
    connect(m_topics, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(m_topics, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
}

void HelpWindow::showPage(const QString& page) {
    if (entryOf(m_browser->source()) == page)
        m_browser->reload();
    else
        m_browser->setSource(QUrl(page), QTextDocument::HtmlResource);
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

QString HelpWindow::currentPage() const {
    return entryOf(m_browser->source());
}

void HelpWindow::pageChanged(const QUrl& url) {
    const QString page = entryOf(url);
    for (int i = 0; i < m_topics->count(); ++i) {
        if (m_topics->item(i)->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker quiet(m_topics);
            m_topics->setCurrentRow(i);
            return;
        }
    }
}

} // namespace kv
