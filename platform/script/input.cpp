#include "platform/script/input.h"

#include "platform/shell/phone_screen.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace platform::gui::input {
namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent event(type, local, local, global, Qt::LeftButton, buttons, {});
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

void Tap(QWidget* widget, QPoint at) {
    if (QWidget* inner = widget->childAt(at)) {
        at = inner->mapFrom(widget, at);
        widget = inner;
    }
    if (widget->focusPolicy() & Qt::ClickFocus)
        widget->setFocus(Qt::MouseFocusReason);
    const QPointer<QWidget> alive(widget);
    SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
    if (alive)
        SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void TapScreen(QPoint at) {
    PhoneScreen* screen = PhoneScreen::Instance();
    QWidget* target = screen->childAt(at);
    Tap(target ? target : screen, target ? target->mapFrom(screen, at) : at);
}

void SecondTap(QWidget* widget, QPoint at, bool withRelease) {
    SendMouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    if (withRelease)
        SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void Hold(QWidget* widget, QPoint at, int holdMilliseconds) {
    SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
    QTimer::singleShot(holdMilliseconds, widget, [widget, at] {
        SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
    });
}

void PressKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// The text, and for plain ASCII letters and digits the key as well.
void TypeCharacter(QWidget* target, char32_t c) {
    const QString text = QString::fromUcs4(&c, 1);
    int key = Qt::Key_unknown;
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z'))
        key = static_cast<int>(c);
    else if (c >= U'a' && c <= U'z')
        key = static_cast<int>(c - U'a' + U'A');
    PressKey(target, key, text);
}

void TypeText(QWidget* target, const std::u16string& text) {
    for (const char32_t c : QString::fromStdU16String(text).toStdU32String())
        TypeCharacter(target, c);
}

void SelectAllAndDelete(QWidget* edit) {
    PressKey(edit, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    PressKey(edit, Qt::Key_Delete, {});
}

} // namespace platform::gui::input
