#pragma once

#include <QLabel>
#include <QWidget>

namespace kv {

class ImageButton;

// The main window: a fixed 640 x 464 frame that holds one screen at a time and the
// permanent buttons. Closing it asks whether to exit, then unloads every other window,
// closes the database and the help viewer and ends the program.
class frmBackground : public QWidget {
    Q_OBJECT
public:
    // Why the window is being asked to close.
    enum class UnloadMode { ControlMenu, Code, SessionEnding, TaskManager };

    explicit frmBackground(QWidget* parent = nullptr);

    // For layout class 0: 640 x 464 pixels, then shown.
    void Show_me();
    // Out of sight (20000, 20000 twips) until start-up shows it.
    void Hide_Me();

    // The exit question; true when the window may close. No question while the desktop
    // session is ending.
    bool QueryUnload(UnloadMode mode);
    // Unloads the screens and dialogs in the order exit needs (the background stays).
    void unloadOtherWindows();

    QLabel* lblScreen;
    QLabel* lbltop;
    ImageButton* imgClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Unload();
    bool m_sessionEnding = false;
    bool m_exiting = false;
};

} // namespace kv
