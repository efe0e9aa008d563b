#include "settings/Help.h"
#include "fakes/Fakes.h"
#include "platform/FormNames.h"
#include "settings/HelpBook.h"
#include "settings/HelpContexts.h"
#include "settings/Printers.h"
#include "settings/ui/HelpBookViewer.h"
#include "settings/ui/HelpWindow.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

using namespace kv;

namespace {

const QString kShippedBook = QStringLiteral(KV_APP_DIR "/Korvanda.hlp");

QByteArray shippedBytes() {
    QFile f(kShippedBook);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int wordCount(const QString& text) {
    return int(text.split(QRegularExpression("\\W+"), Qt::SkipEmptyParts).size());
}

// Rewrites the checksum after a deliberate change, so the structural checks are reached.
void fixCrc(QByteArray& book) {
    const quint32 crc = HelpBook::crc32(book.constData() + 16, book.size() - 16);
    for (int i = 0; i < 4; ++i)
        book[12 + i] = char((crc >> (8 * i)) & 0xFF);
}

QList<HelpBook::Entry> minimalBook(const QByteArray& map) {
    return {{"book.map", map}, {"a.html", "<html><title>A</title><p>page a</p></html>"}};
}

class HelpTest : public ::testing::Test {
protected:
    HelpTest() {
        auto* v = new HelpBookViewer;
        ctx().services.help.reset(v);
        viewer = v;
        viewer->setHelpFile(kShippedBook);
    }
    test::TestContext tc;
    HelpBookViewer* viewer;
};

TEST_F(HelpTest, EveryContextNumberOpensAPageWithRealContent) {
    ASSERT_TRUE(QFile::exists(kShippedBook)) << "build the help book (kv_helpbook) first";
    std::set<QString> pagesSeen;
    for (int context : help::kAllContexts) {
        ASSERT_TRUE(viewer->showContext(context)) << context;
        HelpWindow* w = viewer->window();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        const QString page = w->currentPage();
        EXPECT_EQ(page, viewer->book().pageForContext(context));
        const QString text = w->browser()->toPlainText();
        EXPECT_GE(wordCount(text), 80) << context << " " << page.toStdString();
        EXPECT_NE(viewer->book().pageTitle(page), page)
            << "page without a title: " << page.toStdString();
        EXPECT_EQ(w->topics()->currentItem()->data(Qt::UserRole).toString(), page);
        pagesSeen.insert(page);
    }
    // One topic per context: no two contexts share a page.
    EXPECT_EQ(pagesSeen.size(), help::kAllContexts.size());
    EXPECT_TRUE(tc.messages.boxes.empty());
    // The book holds no context the program does not know.
    for (int context : viewer->book().contexts())
        EXPECT_NE(std::find(help::kAllContexts.begin(), help::kAllContexts.end(), context),
                  help::kAllContexts.end())
            << context;
}

// Every help constant the sources name, wherever it is defined, and every bare number
// they hand to help, must land on a page. The sources are read, so a constant added to a
// screen's own header is checked as well as those of HelpContexts.h.
TEST_F(HelpTest, EveryHelpContextTheProgramUsesHasATopic) {
    HelpBook book;
    ASSERT_TRUE(book.open(kShippedBook));

    QMap<QString, QString> sources;
    QDirIterator files(QStringLiteral(KV_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile f(files.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        sources.insert(f.fileName(), QString::fromUtf8(f.readAll()));
    }
    ASSERT_FALSE(sources.isEmpty());

    // The constants: "constexpr int Name = N;" inside a help namespace.
    static const QRegularExpression helpNamespace("namespace\\s+(?:kv::)?help\\s*\\{([^}]*)\\}");
    static const QRegularExpression constant("constexpr\\s+int\\s+(\\w+)\\s*=\\s*(\\d+)\\s*;");
    QMap<QString, int> constants;
    for (auto file = sources.cbegin(); file != sources.cend(); ++file)
        for (auto ns = helpNamespace.globalMatch(file.value()); ns.hasNext();)
            for (auto c = constant.globalMatch(ns.next().captured(1)); c.hasNext();) {
                const auto m = c.next();
                EXPECT_FALSE(constants.contains(m.captured(1))) << "help::" << m.captured(1).toStdString() << " twice";
                constants.insert(m.captured(1), m.captured(2).toInt());
            }
    ASSERT_GE(constants.size(), help::kAllContexts.size()) << "the help constants were not found";
    // The list the help book is checked against holds every constant.
    for (auto c = constants.cbegin(); c != constants.cend(); ++c)
        EXPECT_NE(std::find(help::kAllContexts.begin(), help::kAllContexts.end(), c.value()),
                  help::kAllContexts.end())
            << "help::" << c.key().toStdString() << " is missing from kAllContexts";

    // What the sources use: help::Name anywhere, and numbers handed straight to help.
    static const QRegularExpression named("\\bhelp::(\\w+)\\b");
    static const QRegularExpression bare("(?:Show_Help_Context|showContext)\\s*\\(\\s*(\\d+)\\s*\\)");
    int checked = 0;
    for (auto file = sources.cbegin(); file != sources.cend(); ++file) {
        const std::string where = QFileInfo(file.key()).fileName().toStdString();
        for (auto it = named.globalMatch(file.value()); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (name == QLatin1String("kAllContexts"))
                continue;
            ASSERT_TRUE(constants.contains(name)) << where << " uses help::" << name.toStdString();
            EXPECT_FALSE(book.pageForContext(constants.value(name)).isEmpty())
                << where << " opens help::" << name.toStdString() << " (" << constants.value(name) << ")";
            ++checked;
        }
        for (auto it = bare.globalMatch(file.value()); it.hasNext();) {
            const int context = it.next().captured(1).toInt();
            EXPECT_FALSE(book.pageForContext(context).isEmpty()) << where << " opens help context " << context;
            ++checked;
        }
    }
    // The screens and the dialogs name their help: finding none means the search is broken.
    EXPECT_GE(checked, 10) << "only " << checked << " uses of help found in the sources";
}

TEST_F(HelpTest, EveryLinkInTheBookLeadsSomewhere) {
    HelpBook book;
    ASSERT_TRUE(book.open(kShippedBook));
    static const QRegularExpression link("(?:href|src)\\s*=\\s*\"([^\"]*)\"");
    for (const QString& page : book.pages()) {
        for (auto it = link.globalMatch(book.pageHtml(page)); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.startsWith("http:") || target.startsWith("https:") ||
                target.startsWith("mailto:"))
                continue;
            const QString entry = target.section('#', 0, 0);
            EXPECT_TRUE(entry.isEmpty() || book.hasEntry(entry))
                << page.toStdString() << " links to missing " << target.toStdString();
        }
    }
    EXPECT_GE(book.pages().size(), help::kAllContexts.size() + 1);
}

TEST_F(HelpTest, TheHelpWindowFollowsLinksAndComesBack) {
    ASSERT_TRUE(viewer->showContents());
    HelpWindow* w = viewer->window();
    EXPECT_EQ(w->currentPage(), "contents.html");
    EXPECT_EQ(w->windowTitle(), "Korvanda Help");
    EXPECT_FALSE(w->cmdBack->isEnabled());
    w->browser()->setSource(QUrl("search.html"));
    EXPECT_EQ(w->currentPage(), "search.html");
    EXPECT_TRUE(w->cmdBack->isEnabled());
    w->cmdBack->click();
    EXPECT_EQ(w->currentPage(), "contents.html");
    // The same window serves the next request.
    ASSERT_TRUE(viewer->showContext(help::Filter));
    EXPECT_EQ(viewer->window(), w);
    EXPECT_EQ(w->currentPage(), "filter.html");
    w->cmdContents->click();
    EXPECT_EQ(w->currentPage(), "contents.html");
}

TEST_F(HelpTest, ShowHelpFollowsTheCurrentScreen) {
    auto* fake = new test::FakeHelpViewer;
    ctx().services.help.reset(fake);
    ctx().appFolder = "/opt/korvanda/";
    const std::pair<int, int> screens[] = {{1, 100}, {2, 101}, {3, 102}, {4, 103}, {5, 104},
                                           {6, 105}, {7, 104}, {8, 104}, {9, 104}, {12, 106}};
    for (auto [screen, context] : screens) {
        ctx().intCurrentScreen = screen;
        Show_Help();
        ASSERT_FALSE(fake->contexts.empty());
        EXPECT_EQ(fake->contexts.back(), context) << "screen " << screen;
    }
    const size_t calls = fake->contexts.size();
    for (int silent : {10, 11, 13, -1}) {
        ctx().intCurrentScreen = silent;
        Show_Help();
    }
    EXPECT_EQ(fake->contexts.size(), calls);
    EXPECT_EQ(fake->contentsShown, 0);
    ctx().intCurrentScreen = 0;
    Show_Help();
    EXPECT_EQ(fake->contentsShown, 1);
    EXPECT_EQ(fake->file, "/opt/korvanda/Korvanda.hlp"); // set on first use when start-up did not

    ctx().services.help.reset();
    Show_Help(); // no viewer: nothing happens
    Show_Help_Context(101);
    EXPECT_TRUE(tc.messages.boxes.empty());
}

TEST_F(HelpTest, QuitClosesTheWindowAndTheOwnerTakesItAlong) {
    auto* background = new QWidget;
    ctx().forms.adopt(form::Background, background);
    ASSERT_TRUE(viewer->showContents());
    QPointer<HelpWindow> w = viewer->window();
    EXPECT_EQ(w->parentWidget(), background);
    EXPECT_TRUE(w->isWindow());
    viewer->quit();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(viewer->window(), nullptr);

    ASSERT_TRUE(viewer->showContext(help::About));
    w = viewer->window();
    ctx().forms.unload(form::Background);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(viewer->window(), nullptr);
    viewer->quit(); // harmless twice
}

TEST_F(HelpTest, MissingDamagedOrIncompleteBooksAreExplained) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/Korvanda.hlp";
    viewer->setHelpFile(file);
    EXPECT_FALSE(viewer->showContext(help::Search));
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.startsWith("Unable to open the help file"));
    EXPECT_TRUE(tc.messages.last().text.contains("does not exist"));
    EXPECT_EQ(tc.messages.last().icon, mb::Exclamation);

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf1 an old help file}");
    f.close();
    EXPECT_FALSE(viewer->showContents());
    EXPECT_TRUE(tc.messages.last().text.contains("not a Korvanda help book"));

    // Once the file is put right, help works without restarting.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(HelpBook::pack(minimalBook("contents a.html\ncontext 7 a.html\n")));
    f.close();
    EXPECT_TRUE(viewer->showContext(7));
    EXPECT_FALSE(viewer->showContext(help::Search));
    EXPECT_EQ(tc.messages.last().text, "There is no help topic for this item (context 101).");
    EXPECT_EQ(tc.messages.boxes.size(), 3u);
}

TEST_F(HelpTest, AFifoInTheBooksPlaceIsRefusedWithoutWaiting) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/Korvanda.hlp";
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    viewer->setHelpFile(file);
    // Before, the open waited for a writer that never came.
    EXPECT_FALSE(viewer->showContents());
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.contains("not a regular file"));
}

TEST(HelpBookFile, TruncatedOrBitFlippedCopiesAreRefused) {
    const QByteArray book = shippedBytes();
    ASSERT_FALSE(book.isEmpty());
    HelpBook reader;
    QString why;
    ASSERT_TRUE(reader.load(book, &why)) << why.toStdString();
    for (qsizetype n = 0; n < book.size(); n += 1 + n / 8)
        EXPECT_FALSE(reader.load(book.left(n), &why)) << n;
    QRandomGenerator random(12345);
    for (int i = 0; i < 400; ++i) {
        QByteArray flipped = book;
        const qsizetype at = random.bounded(int(book.size()));
        flipped[at] = char(flipped[at] ^ (1 << random.bounded(8)));
        EXPECT_FALSE(reader.load(flipped, &why)) << "bit flip at " << at;
        EXPECT_FALSE(reader.isOpen());
    }
}

TEST(HelpBookFile, LiesInTheDirectoryAreCaught) {
    HelpBook reader;
    QString why;
    const QByteArray good = HelpBook::pack(minimalBook("title T\ncontents a.html\n"));
    ASSERT_TRUE(reader.load(good, &why)) << why.toStdString();
    EXPECT_EQ(reader.title(), "T");

    // Directory entry layout from offset 16: u16 length, name, u32 offset, u32 length.
    const int firstOffset = 16 + 2 + 8;
    struct Lie {
        const char* what;
        std::function<void(QByteArray&)> apply;
        const char* because;
    } lies[] = {
        {"offset past the end", [&](QByteArray& b) { b[firstOffset + 3] = char(0x7F); }, "outside"},
        {"length past the end", [&](QByteArray& b) { b[firstOffset + 7] = char(0xFF); }, "outside"},
        {"body inside the header",
         [&](QByteArray& b) {
             b[firstOffset] = 4;
             b[firstOffset + 1] = 0;
         },
         "outside"},
        {"huge entry count", [&](QByteArray& b) { b[11] = char(0x10); }, "directory"},
        {"no entries", [&](QByteArray& b) { b[8] = 0; }, "directory"},
        {"bad name", [&](QByteArray& b) { b[18] = '/'; }, "bad name"},
        {"long name",
         [&](QByteArray& b) {
             b[16] = char(0xFF);
             b[17] = char(0xFF);
         },
         "cut short"},
    };
    for (const Lie& lie : lies) {
        QByteArray bad = good;
        lie.apply(bad);
        fixCrc(bad);
        EXPECT_FALSE(reader.load(bad, &why)) << lie.what;
        EXPECT_TRUE(why.contains(lie.because)) << lie.what << ": " << why.toStdString();
    }

    QList<HelpBook::Entry> twice = minimalBook("contents a.html\n");
    twice.push_back({"A.HTML", "<p>again</p>"});
    EXPECT_FALSE(reader.load(HelpBook::pack(twice), &why));
    EXPECT_TRUE(why.contains("twice"));

    QList<HelpBook::Entry> notText = minimalBook("contents a.html\n");
    notText[1].second = QByteArray("<p>\xC3\x28</p>");
    EXPECT_FALSE(reader.load(HelpBook::pack(notText), &why));
    EXPECT_TRUE(why.contains("not valid text"));

    QList<HelpBook::Entry> noMap{{"a.html", "<p>a</p>"}};
    EXPECT_FALSE(reader.load(HelpBook::pack(noMap), &why));
    EXPECT_TRUE(why.contains("no map"));
}

TEST(HelpBookFile, TheMapMustBeWholeAndConsistent) {
    HelpBook reader;
    QString why;
    const std::pair<const char*, const char*> bad[] = {
        {"title only\n", "no contents page"},
        {"contents missing.html\n", "contents page is missing"},
        {"contents a.html\ncontext 5 missing.html\n", "page of context 5 is missing"},
        {"contents a.html\ncontext 5 a.html\ncontext 5 a.html\n", "given twice"},
        {"contents a.html\ncontext -3 a.html\n", "malformed"},
        {"contents a.html\ncontext 99999999999 a.html\n", "malformed"},
        {"contents a.html\ncontext five a.html\n", "malformed"},
        {"contents a.html\ncontext 5\n", "malformed"},
        {"contents book.map\n", "contents page is missing"},
    };
    for (auto [map, because] : bad) {
        EXPECT_FALSE(reader.load(HelpBook::pack(minimalBook(map)), &why)) << map;
        EXPECT_TRUE(why.contains(because)) << map << " -> " << why.toStdString();
    }
    // Comments, blank lines, Windows line ends and statements from later versions are fine.
    ASSERT_TRUE(reader.load(
        HelpBook::pack(minimalBook(
            "# comment\r\n\r\ncontents a.html\r\nicon x.png\r\ncontext 2147483647 A.HTML\r\n")),
        &why))
        << why.toStdString();
    EXPECT_EQ(reader.pageForContext(2147483647), "A.HTML");
    EXPECT_EQ(reader.pageForContext(-1), "");
    EXPECT_EQ(reader.pageTitle("a.html"), "A");
}

} // namespace
