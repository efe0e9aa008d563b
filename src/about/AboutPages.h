#pragma once

#include <QList>
#include <QString>

namespace kv {

class CPrint;

// One piece of a typeset about page.
struct PagePiece {
    enum Kind { Title, Heading, Paragraph, Break };
    Kind kind;
    QString text;
    // Break: how many heights of "A" to move down.
    double factor = 0;
};

// The pages' texts.
QList<PagePiece> publisherPage();
QList<PagePiece> creditsPage();
QList<PagePiece> designerPage();

// Sets a page in the engine's active font: titles larger and bold, headings bold, then
// back to the default font.
void typesetPage(CPrint& cp, const QList<PagePiece>& page);
// The page as plain text, paragraphs on lines of their own (what a screen reader reads).
QString pagePlainText(const QList<PagePiece>& page);

} // namespace kv
