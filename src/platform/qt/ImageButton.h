#pragma once

#include <QLabel>

namespace kv {

// A picture that acts as a button: it shows its pressed picture while the mouse is down
// and its normal picture again on release; a release inside it is a click. Pictures are
// program resources by number, drawn at the screen's pixel density.
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
    // A free text slot, as the original controls had.
    QString tag;

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
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
