#pragma once

#include "platform/shell/gui_app.h"

#include <functional>

namespace testing_support {
// The application of a window test program (linked with gui_main.cpp).
platform::gui::GuiApplication& Gui();
// Runs the user-interface thread's events until done says so, or a safety net of 20 s
// passes, so that a broken test fails instead of hanging.
void RunEventsUntil(const std::function<bool()>& done);
} // namespace testing_support
