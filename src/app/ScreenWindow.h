#pragma once

#include <QWidget>

namespace kv {

// A screen shown inside the background window (switchboard, search, collections,
// shopping). It is a child of the background window, placed at the screen area, hidden
// until navigation shows it. A screen that keeps a search type exposes it as the Qt
// property "SearchType" (-1 before the first choice).
class ScreenWindow : public QWidget {
public:
    // The background window takes Escape (back) before any control sees it; a control with
    // this property set true, such as a drop-down list standing open, closes itself instead.
    static constexpr const char* ClosesOnEscape = "closesOnEscape";

    Q_OBJECT

public:
    explicit ScreenWindow(const QString& name);

    virtual bool Init_Form() { return true; }
    virtual void Form_Mode(int mode) { m_mode = mode; }
    virtual void Show_me();
    int formMode() const { return m_mode; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Beeps and says "Resolution not catered for" on a desktop smaller than the layout.
    static void Check_Resolution();

private:
    int m_mode = 0;
};

} // namespace kv
