#pragma once

#include <QString>

namespace kv {

// The classic message-box vocabulary: buttons, icon and default button combine into one
// style value, and the answer is the button pressed.
namespace mb {
constexpr int OKOnly = 0;
constexpr int OKCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int NoIcon = 0;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int Default1 = 0;
constexpr int Default2 = 256;
constexpr int Default3 = 512;
// Adds a Help button (see IMessageBox::showWithHelp).
constexpr int MsgBoxHelpButton = 16384;
constexpr int OK = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
constexpr int buttonsOf(int style) { return style & 0x0F; }
constexpr int iconOf(int style) { return style & 0x70; }
constexpr int defaultOf(int style) { return style & 0x300; }
} // namespace mb

// Message boxes and the beep. A box is one call that returns the button pressed.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // style = buttons | icon | default button. An empty title shows the application title.
    virtual int show(const QString& text, int style = mb::OKOnly, const QString& title = QString()) = 0;
    // The same box with a Help button that opens the help book at the context; the box
    // stays up until one of its other buttons is pressed.
    virtual int showWithHelp(const QString& text, int style, int helpContext, const QString& title = QString()) {
        (void)helpContext;
        return show(text, style | mb::MsgBoxHelpButton, title);
    }
    virtual void beep() = 0;
};

} // namespace kv
