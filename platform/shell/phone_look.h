#pragma once

// The look of every window of the phone, the program's and the phone's own programs': the
// Fusion widgets, WenQuanYi Micro Hei at 12 pixels, black on white.

#include <QFont>
#include <QPalette>

namespace platform::gui {

QFont PhoneFont();
// palette with the phone's window and text colours.
QPalette PhonePalette(QPalette palette);
// The look for the whole application.
void ApplyPhoneLook();

} // namespace platform::gui
