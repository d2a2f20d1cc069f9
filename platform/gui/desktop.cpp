#include "platform/gui/desktop.h"

namespace platform::gui {
namespace {
Desktop* g_current = nullptr;
} // namespace

Desktop* Desktop::Current() {
    return g_current;
}

Desktop::Desktop() {
    g_current = this;
}

Desktop::~Desktop() {
    if (g_current == this)
        g_current = nullptr;
}

} // namespace platform::gui
