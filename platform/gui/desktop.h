#pragma once

// What the windows stand on: the phone's screen, which the shell provides. A page fills the
// area between the screen's bars and takes the navigation bar while it runs; a pop-up, a
// full-screen page and a message box cover the whole screen. The windows know the screen only
// through this, so that the shell may build on them and never the other way round.

#include <functional>
#include <string>

class QString;
class QWidget;

namespace platform::gui {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Stop, Question, Information };

// The answers, with the phone's values.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

struct MessageBoxRequest {
    std::u16string text;
    std::u16string caption; // empty: the program's title
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

class Desktop {
public:
    // The desktop the windows stand on now; null while there is none.
    static Desktop* Current();

    // The whole screen, and the client area between its bars.
    virtual QWidget* Surface() = 0;
    virtual QWidget* ClientArea() = 0;
    // Shows the screen and makes it the active window, so that a control can take the focus.
    virtual void Activate() = 0;

    // A page takes the navigation bar (its title, and the ok button with what a tap on it
    // does) and leaves the soft keys blank until it makes a menu bar. Pages run nested, and
    // EndPage gives back to the page below what it had.
    virtual void BeginPage(const QString& title, bool okButton, std::function<void()> onOk) = 0;
    virtual void SetPageTitle(const QString& title) = 0;
    virtual void EndPage() = 0;

    // Shows a message box and runs the user interface until it is answered.
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    virtual void ShowWaitCursor(bool shown) = 0;

protected:
    // A desktop becomes the current one when made, and stops being it when it goes.
    Desktop();
    virtual ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
};

} // namespace platform::gui
