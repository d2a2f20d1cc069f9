#pragma once

// The widgets of a dialog's controls, made from their templates and wired to tell the
// dialog what the owner does with them.

#include "platform/gui/resources.h"

class CDialog;
class QAbstractButton;
class QButtonGroup;
class QWidget;

namespace platform::gui::detail {

// The widget of control c inside body; null for a control with nothing to show. radios is
// the group the radio buttons join, begun anew at the first button of a group.
QWidget* MakeControl(const ControlTemplate& c, QWidget* body, CDialog& dialog,
                     QButtonGroup*& radios);
// The button behind check box, radio button or push button id of dialog, or null.
QAbstractButton* ButtonOf(const CDialog& dialog, int id);

} // namespace platform::gui::detail
