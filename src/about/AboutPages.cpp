#include "about/AboutPages.h"

#include "print/CPrint.h"

namespace kv {

namespace {

PagePiece title(const QString& text) { return {PagePiece::Title, text}; }
PagePiece heading(const QString& text) { return {PagePiece::Heading, text}; }
PagePiece para(const QString& text) { return {PagePiece::Paragraph, text}; }
PagePiece gap(double factor) { return {PagePiece::Break, QString(), factor}; }

// Between groups, after a heading, between entries of a group.
constexpr double kGroupGap = 1.2;
constexpr double kHeadingGap = 0.7;
constexpr double kEntryGap = 0.5;

} // namespace

QList<PagePiece> publisherPage() {
    return {
        title(QStringLiteral("TALV Ltd")),
        gap(kHeadingGap),
        para(QStringLiteral("TALV Ltd publishes reference software for people who love recorded music.")),
        gap(kHeadingGap),
        para(QStringLiteral("Korvanda brings a catalogue of artists, recordings and releases together with the "
                            "tools a collector needs: collections of your own, a wanted list, and a quick way to "
                            "order from record shops by letter, fax or e-mail.")),
        gap(kHeadingGap),
        para(QStringLiteral("The catalogue is compiled from the release information of the record companies and "
                            "from the shops' own lists, and is brought up to date with every edition of Korvanda.")),
        gap(kGroupGap),
        heading(QStringLiteral("Tell us what you think")),
        gap(kEntryGap),
        para(QStringLiteral("The Questionnaire on the first page asks a few questions about how you use Korvanda. "
                            "Your answers, and any mistakes you find in the catalogue, shape the next edition.")),
    };
}

QList<PagePiece> creditsPage() {
    return {
        title(QStringLiteral("Korvanda")),
        gap(kEntryGap),
        para(QStringLiteral("Version 1.0")),
        gap(kGroupGap),
        heading(QStringLiteral("Programming")),
        gap(kEntryGap),
        para(QStringLiteral("The Korvanda development team of TALV Ltd")),
        gap(kGroupGap),
        heading(QStringLiteral("Catalogue")),
        gap(kEntryGap),
        para(QStringLiteral("Compiled and checked by the TALV Ltd editorial team")),
        gap(kEntryGap),
        para(QStringLiteral("Release information from the record companies")),
        gap(kEntryGap),
        para(QStringLiteral("Shop directory from the shops listed in it")),
        gap(kGroupGap),
        heading(QStringLiteral("Design")),
        gap(kEntryGap),
        para(QStringLiteral("Screens, artwork and sounds by the TALV Ltd design studio")),
        gap(kGroupGap),
        heading(QStringLiteral("Built with")),
        gap(kEntryGap),
        para(QStringLiteral("Qt, the cross-platform application framework")),
        gap(kEntryGap),
        para(QStringLiteral("SQLite, the embedded database engine")),
        gap(kEntryGap),
        para(QStringLiteral("libcurl, which carries orders by e-mail")),
        gap(kEntryGap),
        para(QStringLiteral("The Liberation fonts, for printing")),
        gap(kGroupGap),
        heading(QStringLiteral("Testing")),
        gap(kEntryGap),
        para(QStringLiteral("The collectors who tried the early editions and told us what they found")),
        gap(kGroupGap),
        heading(QStringLiteral("With thanks")),
        gap(kEntryGap),
        para(QStringLiteral("To every record shop that sends us its list, and to you for choosing Korvanda.")),
    };
}

QList<PagePiece> designerPage() {
    return {
        title(QStringLiteral("Design")),
        gap(kHeadingGap),
        para(QStringLiteral("Korvanda's screens were designed by the TALV Ltd design studio.")),
        gap(kHeadingGap),
        para(QStringLiteral("One window holds every screen, so the catalogue, your collections and the shops are "
                            "always in the same place. The buttons keep their places from screen to screen, and "
                            "the keyboard reaches them all: F5 to F8 move between the main screens and Esc goes "
                            "back.")),
        gap(kHeadingGap),
        para(QStringLiteral("The pictures are drawn as vector artwork in one palette, so they stay sharp on any "
                            "display.")),
    };
}

void typesetPage(CPrint& cp, const QList<PagePiece>& page) {
    const QFont normal = cp.DefaultFont();
    for (const PagePiece& piece : page) {
        switch (piece.kind) {
        case PagePiece::Title: {
            QFont big = normal;
            big.setPointSizeF(normal.pointSizeF() * 1.5);
            big.setBold(true);
            cp.setActiveFont(big);
            cp.Paragraph_Text(piece.text);
            cp.setActiveFont(normal);
            break;
        }
        case PagePiece::Heading: {
            QFont bold = normal;
            bold.setBold(true);
            cp.setActiveFont(bold);
            cp.Paragraph_Text(piece.text);
            cp.setActiveFont(normal);
            break;
        }
        case PagePiece::Paragraph: cp.Paragraph_Text(piece.text); break;
        case PagePiece::Break: cp.Para_Break(piece.factor); break;
        }
    }
}

QString pagePlainText(const QList<PagePiece>& page) {
    QStringList lines;
    for (const PagePiece& piece : page)
        if (piece.kind != PagePiece::Break) lines << piece.text;
    return lines.join(QLatin1Char('\n'));
}

} // namespace kv
