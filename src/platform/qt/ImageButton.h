#pragma once

#include <QLabel>

namespace kv {

// A picture that acts as a button: it shows its pressed picture while the mouse is down
// and its normal picture again on release; a release inside it is a click. Pictures are
// program resources by number, drawn at the screen's pixel density.
//
// It is a button to the keyboard and to assistive technology as well: Tab reaches it
// (a click with the mouse leaves the focus where it was, so typing is not interrupted),
// Space and Enter press it, and screen readers see a push button with a press action,
// named by its accessible name (or its tool tip when it has none).
class ImageButton : public QLabel {
    Q_OBJECT
public:
    ImageButton(int normalPicture, int pressedPicture, QWidget* parent = nullptr);

    int normalPicture() const { return m_normal; }
    int pressedPicture() const { return m_pressed; }
    // The resource number now shown.
    int shownPicture() const { return m_shown; }
    // Shows a picture by resource number; false when there is no such picture.
    bool showPicture(int number);
    void showNormal() { showPicture(m_normal); }
    void showPressed() { showPicture(m_pressed); }
    // When false the normal picture does not come back on release (the caller restores it).
    void setRestoreOnRelease(bool restore) { m_restoreOnRelease = restore; }
    // Held down by the mouse or the space bar.
    bool isDown() const { return m_down; }
    // A whole press and release, as the keyboard or a screen reader gives it: the same
    // signals, in the same order, as a mouse click.
    void click();
    // A click shown as one: the pressed picture now, the release and the click a moment
    // later from the event loop. Screen readers press this way, so their request returns
    // at once even when the click opens a modal dialog.
    void animateClick();
    // A free text slot, as the original controls had.
    QString tag;

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void press();
    // Ends a press; a click only when `inside`.
    void release(bool inside);

    int m_normal;
    int m_pressed;
    int m_shown = 0;
    bool m_restoreOnRelease = true;
    bool m_down = false;
};

// A resource picture drawn for the given widget's screen density (a null pixmap when
// there is no such picture or no resource service).
QPixmap resourcePicture(int number, const QWidget* forWidget);

} // namespace kv
