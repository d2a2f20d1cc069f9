#pragma once

// Input as a person gives it, made of the toolkit's own events and sent to the real widgets:
// taps, double taps, the pen held down, keys and typed characters.

#include <QPoint>
#include <QString>
#include <string>

class QWidget;

namespace platform::gui::input {

// A tap as the finger gives it: press and release at a point of the widget under it; the
// widget takes the focus when a tap gives it focus.
void Tap(QWidget* widget, QPoint at);
// A tap at a pixel of the phone's screen, on whatever shows there.
void TapScreen(QPoint at);
// A second tap that makes a double tap of the one just given. withRelease: the pen comes up
// again as on a real screen; a list view acts on the first tap's release alone.
void SecondTap(QWidget* widget, QPoint at, bool withRelease);
// The pen down at a point, and up again after holdMilliseconds.
void Hold(QWidget* widget, QPoint at, int holdMilliseconds);

void PressKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers = {});
// Text key by key, as a keyboard or an input method gives it.
void TypeText(QWidget* target, const std::u16string& text);
void TypeCharacter(QWidget* target, char32_t c);
// Empties an edit as select-all and delete would.
void SelectAllAndDelete(QWidget* edit);

} // namespace platform::gui::input
