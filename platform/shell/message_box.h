#pragma once

// The phone's message boxes: a box centred over the screen with a caption, an icon, the
// text and the buttons in Chinese, shown modally until a button is tapped.

#include "platform/gui/desktop.h"

#include <functional>
#include <string>

namespace platform::gui {

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
