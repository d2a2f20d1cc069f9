#pragma once

// The phone's message boxes: a box centred over the screen with a caption, an icon, the
// text and the buttons in Chinese, shown modally until a button is tapped.

#include <functional>
#include <string>

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

// The title a box carries when it passes no caption of its own: the program's file name.
std::u16string ProgramTitle();

// Shows the box over the phone's screen and runs the user interface until it is answered.
int ShowMessageBox(const MessageBoxRequest& request);

// Who watches the boxes (the script driver and its transcript): told when a box shows,
// with the caption it carries, and when it is answered.
struct MessageBoxObserver {
    std::function<void(const MessageBoxRequest& shown)> onShown;
    std::function<void(int answer)> onAnswered;
};
void SetMessageBoxObserver(MessageBoxObserver observer);

} // namespace platform::gui
