#pragma once

#include <QByteArray>
#include <QLabel>
#include <QWidget>

namespace kv {

// The splash window: the product picture, shown while the program starts, taken away by
// an animation with its two sounds.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Makes the window stay in front of its owner (the background window).
    void setOwnerWindow(QWidget* owner);
    // The closing animation: the picture narrows in steps of 100 twips while the looping
    // sound plays, then the closing sound plays to its end and the splash unloads.
    void RemoveSplash(int stepDelayMs = 12);
    // Plays a wave image from memory (the in-memory flag is always added).
    static bool PlayWave(const QByteArray& wave, int flags);

    QLabel* imgMain;

private:
    QWidget* m_clip; // the window's visible part during the animation
};

} // namespace kv
