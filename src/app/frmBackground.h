#pragma once

#include "platform/Shell.h"

#include <QLabel>
#include <QWidget>
#include <memory>

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
    ~frmBackground() override;

    // For layout class 0: 640 x 464 pixels, then shown.
    void Show_me();
    // Out of sight (20000, 20000 twips) until start-up shows it.
    void Hide_Me();

    // The exit question; true when the window may close. No question while the desktop
    // session is ending.
    bool QueryUnload(UnloadMode mode);
    // Unloads the screens and dialogs in the order exit needs (the background stays).
    void unloadOtherWindows();
    // Ends the program from code, without the exit question, through the same shutdown as
    // a confirmed close (a screen that cannot go on). Call it from the event loop, never
    // from inside a window that is being loaded: that window is unloaded too.
    void Unload_From_Code();

    // Whether the intro movie program we started is still running. Desktops give no
    // portable way to find another program's window by its title, so the answer comes
    // from the process this window started.
    bool bIsVivoActive() const;
    // The intro movie button: locate the movie program, and start it unless it runs.
    void imgVivo_Click();

    // Frame pictures.
    QLabel* imgBGTop;
    QLabel* imgBGBottom;
    QLabel* imgBGLeft;
    QLabel* imgBGRight;
    // The two labels that show the screen title.
    QLabel* lbltop;
    QLabel* lblScreen;
    ImageButton* imgVivo;
    ImageButton* imgOptions;
    ImageButton* imgabout;
    ImageButton* imgBack;
    ImageButton* imgSearch;
    ImageButton* imgCollection;
    ImageButton* imgShopping;
    ImageButton* imgConnections;
    ImageButton* imgClose;
    ImageButton* imgHelp;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the window, step by step.
    void createFrame(const QRect& area);
    void createButtons();
    void createTitles();
    void placeControls(const QRect& area);
    void connectButtons();
    void Form_Unload();
    bool handleKey(int key);
    void goWithPicture(ImageButton* button, int screenCode);
    void imgBack_Click();
    void imgOptions_Click();
    void imgabout_Click();
    bool m_sessionEnding = false;
    bool m_exiting = false;
    std::shared_ptr<IRunningProgram> m_vivo;
};

} // namespace kv
