#pragma once

// What a dump shows of an open window: its template id, title, menu bar, and every
// control in template order as a person sees it.

#include "platform/script/transcript.h"

class CDialog;

namespace platform::gui {

WindowState StateOf(CDialog& dialog);

} // namespace platform::gui
