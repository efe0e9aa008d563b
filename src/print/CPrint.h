#pragma once

#include <QFont>
#include <QMarginsF>
#include <QPainter>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;

namespace kv {

// The paragraph print engine: sets text line by line from the top of a printer page (any
// paged device: a print queue, a PDF writer) or of a picture, wrapping paragraphs wider
// than the device. It measures with the device's own font metrics, so one layout serves a
// 1200 dpi page and a screen picture alike. Positions and widths are in the device's units
// (logical pixels on a picture). One instance per document.
//
// Members raise VbError on failure (482 when the printer cannot start a document); the
// procedure that drives the engine reports it under its own name.
class CPrint {
public:
    CPrint();
    ~CPrint();
    CPrint(const CPrint&) = delete;
    CPrint& operator=(const CPrint&) = delete;

    // The font a caller goes back to; storing it changes nothing on the device.
    QFont DefaultFont() const { return m_defaultFont; }
    void setDefaultFont(const QFont& font) { m_defaultFont = font; }
    // The font text is set in now.
    QFont ActiveFont() const { return m_activeFont; }
    void setActiveFont(const QFont& font);

    // Moves down by the height of "A" in the active font times the factor.
    void Para_Break(double factor);
    // Starts a document on the printer; both fonts become the owner window's font.
    void Initialize_Printing(const QFont& ownerFont, QPagedPaintDevice& printer);
    // Starts setting text on a picture, inside the given margins.
    void Initialize_PictureBox(const QFont& ownerFont, QPaintDevice& picture,
                               const QMarginsF& margins = QMarginsF());
    // One paragraph: a line when it fits the width, wrapped lines when it does not; an
    // empty text is an empty line.
    void Paragraph_Text(const QString& text);
    // Ends the document (a printer sends it). Nothing is painted after this.
    void Done_Printing();
    // Text at the current position, without ending the line.
    void Text(const QString& text);

    // The current vertical position from the top of the printable area.
    double CurrentY() const { return m_y; }
    double printableWidth() const;
    // Pages begun so far (1 after Initialize_Printing).
    int pageCount() const { return m_pages; }
    bool isActive() const { return m_painter.isActive(); }
    // Advances and tab stops follow the layout rules below; exposed so callers can size a
    // picture before setting text on it.
    double textWidth(const QString& text) const;

private:
    void Wrap_Print(const QString& text);
    bool bFindSplits(const QString& text, int& position) const;
    void begin(const QFont& ownerFont, QPaintDevice& device);
    void requireActive() const;
    // Draws text at the current position; ends the line when asked.
    void put(const QString& text, bool endLine);
    void pageBreakIfNeeded(double lineHeight);
    double tabStop() const;

    QPainter m_painter;
    QPaintDevice* m_device = nullptr;
    QPagedPaintDevice* m_paged = nullptr;
    QFont m_defaultFont;
    QFont m_activeFont;
    QMarginsF m_margins;
    double m_x = 0;
    double m_y = 0;
    int m_pages = 0;
};

namespace print {

// The break characters a wrapped line may end on.
inline constexpr char16_t kBreakCharacters[] = u" .,:;";
// How far back from the end of the fitted prefix a break character is looked for.
inline constexpr int kSplitWindow = 25;
// The search for the longest prefix that fits gives up after this many rounds.
inline constexpr int kFitRounds = 17;

// Half of n rounded to the nearest integer, an exact half to the even neighbour.
int halfToEven(int n);
// The longest-prefix search of a wrapped paragraph: the number of characters of a text of
// the given length that the search settles on, asking fits(n) whether the first n
// characters fit the width. The search is the program's own bisection (at most 17 rounds,
// halves to even); it can settle one character past the last fitting prefix, which the
// " -" split leaves room for.
int fittedLength(int length, const std::function<bool(int)>& fits);
// The 1-based position of the last break character among the last 25 characters of the
// text (all of it when shorter), or 0 when there is none.
int splitPosition(const QString& text);

} // namespace print

} // namespace kv
