#pragma once

#include "platform/gui/gui_app.h"

namespace testing_support {
// The application of a window test program (linked with gui_main.cpp).
platform::gui::GuiApplication& Gui();
} // namespace testing_support
