#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace kv {

// Shows a message in the message window for the given number of seconds, centred on the
// screen and in front without taking the focus, then hides it. Events are processed while
// it waits.
void Show_Message(double seconds, const QString& text);
// Shows a short tip next to the pointer in the message window; an empty text hides it.
void Show_Tip(const QString& text);
// Shows a message as Show_Message does but returns at once: the window hides itself after
// the given number of seconds, unless something else was shown in it meanwhile.
void Show_Notice(double seconds, const QString& text);

// The message window: one label in a small frameless window that never takes the focus.
// Texts are shown as plain text.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    // The loaded window, loading it first when needed (registered as form::Message).
    static frmHelp* instance();

    // Sets the label's text and point size and sizes the window to the label plus 4 pixels
    // in width and 2 in height.
    void setMessage(const QString& text, int pointSize);
    // Counts what the window was given to show, so a notice's timer hides only its own.
    quint64 shown() const { return m_shown; }

    QLabel* Label1;

    static constexpr int kMessagePointSize = 14;
    static constexpr int kNormalPointSize = 8;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    quint64 m_shown = 0;
};

} // namespace kv
