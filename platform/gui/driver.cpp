#include "platform/gui/driver.h"

#include "platform/gui/bubble.h"
#include "platform/gui/dialog.h"
#include "platform/gui/file_dialog_widget.h"
#include "platform/gui/list_view_widget.h"
#include "platform/gui/menu.h"
#include "platform/gui/message_box_widget.h"
#include "platform/gui/phone_screen.h"
#include "platform/gui/popup_menu_widget.h"
#include "platform/gui/ui_thread.h"
#include "platform/gui/window.h"
#include "platform/shell.h"
#include "platform/sms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform::gui {
namespace {

using Clock = std::chrono::steady_clock;
using Failure = std::optional<std::string>;

QString ToQt(const std::u16string& s) {
    return QString::fromStdU16String(s);
}
std::string Utf8(const std::u16string& s) {
    return ToQt(s).toStdString();
}

// A tap as the finger gives it: press and release at a point of the widget under it; the
// widget takes the focus when a tap gives it focus.
void Tap(QWidget* widget, QPoint at) {
    if (QWidget* inner = widget->childAt(at)) {
        at = inner->mapFrom(widget, at);
        widget = inner;
    }
    if (widget->focusPolicy() & Qt::ClickFocus)
        widget->setFocus(Qt::MouseFocusReason);
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton,
                      Qt::LeftButton, {});
    QCoreApplication::sendEvent(widget, &press);
    QPointer<QWidget> alive(widget);
    if (!alive)
        return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton,
                        Qt::NoButton, {});
    QCoreApplication::sendEvent(widget, &release);
}

void TapScreen(QPoint at) {
    PhoneScreen* screen = PhoneScreen::Instance();
    QWidget* target = screen->childAt(at);
    Tap(target ? target : screen, target ? target->mapFrom(screen, at) : at);
}

void PressKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// A character as a keyboard (or an input method) gives it: the text, and for plain ASCII
// letters and digits the key as well.
void TypeCharacter(QWidget* target, char32_t c) {
    const QString text = QString::fromUcs4(&c, 1);
    int key = Qt::Key_unknown;
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z'))
        key = static_cast<int>(c);
    else if (c >= U'a' && c <= U'z')
        key = static_cast<int>(c - U'a' + U'A');
    PressKey(target, key, text);
}

CString TextOf(detail::Window* window) {
    CWnd wnd;
    wnd.Attach(window, 0);
    CString text = wnd.GetWindowText();
    wnd.Attach(nullptr, 0);
    return text;
}

} // namespace

struct ScriptDriver::Impl {
    Impl(std::vector<ScriptAction> a, Transcript& t, bool end)
        : actions(std::move(a)), transcript(t), endTheProgram(end) {}

    std::vector<ScriptAction> actions;
    Transcript& transcript;
    bool endTheProgram;
    std::size_t next = 0;
    QTimer timer;
    bool finished = false;
    int exitCode = 0;
    bool busy = false;
    int serial = 0;
    std::tuple<std::size_t, void*, void*, void*> busySignature;
    int idleTicks = 0;
    Clock::time_point waitUntil;
    std::optional<int> pendingPick; // a menu command behind a soft key's pop-up

    static std::tuple<std::size_t, void*, void*, void*> Signature() {
        return {CDialog::OpenDialogs().size(), MessageBoxWidget::Active(),
                PopupMenuWidget::Active(), FileDialogWidget::Active()};
    }
    static CDialog* Top() {
        const auto& open = CDialog::OpenDialogs();
        return open.empty() ? nullptr : open.back();
    }

    void Finish(int code) {
        if (finished)
            return;
        finished = true;
        exitCode = code;
        timer.stop();
        // What the program does while it winds down is no part of the run.
        CDialog::SetObserver({});
        SetMessageBoxObserver({});
        platform::SetShellObserver({});
        platform::SetSmsObserver({});
        SetBubbleObserver({});
        SetHoldObserver({});
        transcript.End(code);
        if (endTheProgram)
            QCoreApplication::exit(code); // every modal loop ends, and the program with them
    }

    void Fail(int line, std::string message) {
        if (finished)
            return;
        transcript.Error({line, std::move(message)});
        Finish(2);
    }

    void Tick() {
        if (finished)
            return;
        if (pendingPick) {
            if (PopupMenuWidget* menu = PopupMenuWidget::Active()) {
                const QRect item = menu->ItemRect(*pendingPick);
                pendingPick.reset();
                QTimer::singleShot(0, menu, [menu, item] { Tap(menu, item.center()); });
            }
            return;
        }
        if (busy) {
            if (Signature() == busySignature)
                return;
            busy = false; // the action opened or closed a modal window and waits inside it
        }
        if (Clock::now() < waitUntil)
            return;
        if (WorkPending()) { // a reload on its way from a watcher, say
            idleTicks = 0;
            return;
        }
        if (idleTicks++ < 1) // let the program run what the last action set off
            return;
        if (next == actions.size()) {
            Finish(0);
            return;
        }
        const ScriptAction action = actions[next++];
        if (MessageBoxWidget::Active() && !AllowedWhileMessageBox(action.kind)) {
            Fail(action.line, std::string(ActionName(action.kind)) + " while a message box shows");
            return;
        }
        if (FileDialogWidget::Active() && !AllowedWhileFileDialog(action.kind)) {
            Fail(action.line,
                 std::string(ActionName(action.kind)) + " while the file dialog shows");
            return;
        }
        busy = true;
        busySignature = Signature();
        const int mine = ++serial;
        QTimer::singleShot(0, &timer, [this, action, mine] {
            if (const Failure failure = Perform(action))
                Fail(action.line, *failure);
            if (serial == mine)
                busy = false;
            idleTicks = 0;
        });
    }

    // The control of the window on top, as a finger could reach it.
    std::variant<QWidget*, std::string> Control(int id) {
        CDialog* top = Top();
        if (!top)
            return std::string("no window is open");
        if (PopupMenuWidget::Active())
            return std::string("a pop-up menu is open");
        CWnd* control = top->GetDlgItem(id);
        if (!control) {
            for (CDialog* d : CDialog::OpenDialogs())
                if (d != top && d->GetDlgItem(id))
                    return "control " + std::to_string(id) + " is in window " +
                           std::to_string(d->GetTemplateId()) + ", behind window " +
                           std::to_string(top->GetTemplateId());
            return "window " + std::to_string(top->GetTemplateId()) + " has no control " +
                   std::to_string(id);
        }
        QWidget* widget = control->GetSafeHwnd()->widget;
        if (!widget || !widget->isVisible())
            return "control " + std::to_string(id) + " is not visible";
        return widget;
    }

    Failure Perform(const ScriptAction& a) {
        switch (a.kind) {
        case ActionKind::Tap:
        case ActionKind::Focus:
        case ActionKind::Type:
        case ActionKind::Clear: {
            auto control = Control(a.id);
            if (auto* error = std::get_if<std::string>(&control))
                return *error;
            QWidget* w = std::get<QWidget*>(control);
            if (a.kind == ActionKind::Focus) {
                w->setFocus(Qt::MouseFocusReason);
                return {};
            }
            Tap(w, w->rect().center());
            if (a.kind == ActionKind::Type) {
                PressKey(w, Qt::Key_End, {});
                const std::u32string text = ToQt(a.text).toStdU32String();
                for (const char32_t c : text)
                    TypeCharacter(w, c);
            } else if (a.kind == ActionKind::Clear) {
                PressKey(w, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
                PressKey(w, Qt::Key_Delete, {});
            }
            return {};
        }
        case ActionKind::Key: {
            QWidget* target = QApplication::focusWidget();
            if (QWidget* box = MessageBoxWidget::Active())
                target = box;
            else if (QWidget* files = FileDialogWidget::Active();
                     files && !(target && files->isAncestorOf(target)))
                target = files;
            if (!target)
                target = PhoneScreen::Instance();
            static const std::pair<KeyName, int> keys[] = {{KeyName::Left, Qt::Key_Left},
                                                           {KeyName::Right, Qt::Key_Right},
                                                           {KeyName::Up, Qt::Key_Up},
                                                           {KeyName::Down, Qt::Key_Down},
                                                           {KeyName::Return, Qt::Key_Return},
                                                           {KeyName::Escape, Qt::Key_Escape},
                                                           {KeyName::Backspace, Qt::Key_Backspace}};
            if (a.key == KeyName::Character) {
                TypeCharacter(target, a.character);
                return {};
            }
            for (const auto& [name, key] : keys)
                if (name == a.key)
                    PressKey(target, key, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
            return {};
        }
        case ActionKind::Ok: {
            CDialog* top = Top();
            const DialogTemplate* t = top ? top->GetTemplate() : nullptr;
            if (!t || !t->okButton || PopupMenuWidget::Active())
                return std::string("the window on top has no ok button");
            TapScreen(PhoneScreen::Instance()->OkRect().center());
            return {};
        }
        case ActionKind::Cancel:
            if (CDialog* top = Top()) {
                top->SendClose();
                return {};
            }
            return std::string("no window is open");
        case ActionKind::Answer: {
            MessageBoxWidget* box = MessageBoxWidget::Active();
            if (!box)
                return std::string("no message box shows");
            const int answer = a.answer == AnswerValue::Yes  ? kIdYes
                               : a.answer == AnswerValue::No ? kIdNo
                                                             : kIdOk;
            QPushButton* button = box->Button(answer);
            if (!button)
                return std::string("the message box has no such button");
            Tap(button, button->rect().center());
            return {};
        }
        case ActionKind::Menu: {
            CMenuBar* bar = CMenuBar::Displayed();
            if (!bar || &bar->Owner() != Top() || !bar->Items() || PopupMenuWidget::Active())
                return std::string("the window on top has no menu bar");
            const auto& items = *bar->Items();
            for (std::size_t key = 0; key < items.size() && key < 2; ++key) {
                const bool inPopup =
                    std::any_of(items[key].popup.begin(), items[key].popup.end(),
                                [&](const MenuItem& i) { return i.command == a.id; });
                if (items[key].command == a.id || inPopup) {
                    if (inPopup)
                        pendingPick = a.id;
                    PhoneScreen* screen = PhoneScreen::Instance();
                    TapScreen((key == 0 ? screen->LeftKeyRect() : screen->RightKeyRect()).center());
                    return {};
                }
            }
            return "command " + std::to_string(a.id) + " is not on the menu bar";
        }
        case ActionKind::Pick:
        case ActionKind::Dismiss: {
            PopupMenuWidget* menu = PopupMenuWidget::Active();
            if (!menu)
                return std::string("no pop-up menu is open");
            if (a.kind == ActionKind::Dismiss) {
                Tap(menu, menu->MenuRect().contains(0, 0) ? QPoint(239, 0) : QPoint(0, 0));
                return {};
            }
            const QRect item = menu->ItemRect(a.id);
            if (item.isEmpty())
                return "the pop-up menu has no command " + std::to_string(a.id);
            Tap(menu, item.center());
            return {};
        }
        case ActionKind::Pen:
            TapScreen({a.x, a.y});
            return {};
        case ActionKind::Wait:
            waitUntil = Clock::now() + std::chrono::milliseconds(a.ms);
            return {};
        case ActionKind::Run: {
            const std::string command = Utf8(a.text);
            const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
            pid_t pid = -1;
            int status = 0;
            if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) !=
                0)
                return "cannot run " + command;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            transcript.Run(a.text,
                           WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
            return {};
        }
        case ActionKind::Dump:
            if (!Top())
                return std::string("no window is open");
            transcript.Dump(State(*Top()));
            return {};
        case ActionKind::Shot:
            if (!PhoneScreen::Instance()->Shot().save(ToQt(a.text), "PNG"))
                return "cannot write " + Utf8(a.text);
            return {};
        case ActionKind::Row:
        case ActionKind::DblRow:
        case ActionKind::Hold: {
            auto control = Control(a.id);
            if (auto* error = std::get_if<std::string>(&control))
                return *error;
            if (auto* box = qobject_cast<QListWidget*>(std::get<QWidget*>(control));
                box && a.kind == ActionKind::DblRow) {
                if (a.index < 0 || a.index >= box->count())
                    return "list box " + std::to_string(a.id) + " has no item " +
                           std::to_string(a.index);
                QWidget* viewport = box->viewport();
                const QPoint at = box->visualItemRect(box->item(a.index)).center();
                Tap(viewport, at);
                const QPointF local(at), global(viewport->mapToGlobal(at));
                QMouseEvent twice(QEvent::MouseButtonDblClick, local, local, global, Qt::LeftButton,
                                  Qt::LeftButton, {});
                QCoreApplication::sendEvent(viewport, &twice);
                QMouseEvent up(QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton,
                               Qt::NoButton, {});
                QCoreApplication::sendEvent(viewport, &up);
                return {};
            }
            auto* list = dynamic_cast<ListViewWidget*>(std::get<QWidget*>(control));
            if (!list)
                return "control " + std::to_string(a.id) + " is not a list";
            const int rows = static_cast<int>(list->rows.size());
            QPoint at;
            // A person scrolls the row into sight first, or to the end for the area below.
            if (a.index >= 0 && a.index < rows) {
                list->EnsureVisible(a.index);
                at = list->RowRect(a.index).center();
            } else {
                list->EnsureVisible(rows - 1);
                at = QPoint(4, (rows - list->TopRow()) * list->RowHeight() + list->RowHeight() / 2);
                if (at.y() >= list->height())
                    return "list " + std::to_string(a.id) + " has no empty area below its rows";
            }
            if (a.kind == ActionKind::Hold) {
                // Down now, up once the gesture has had its time; meanwhile the program
                // may open a pop-up menu, and the script goes on with it.
                const QPointF local(at), global(list->mapToGlobal(at));
                QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton,
                                  Qt::LeftButton, {});
                QCoreApplication::sendEvent(list, &press);
                QTimer::singleShot(
                    ListViewWidget::kHoldMilliseconds + 100, list, [list, local, global] {
                        QMouseEvent release(QEvent::MouseButtonRelease, local, local, global,
                                            Qt::LeftButton, Qt::NoButton, {});
                        QCoreApplication::sendEvent(list, &release);
                    });
                waitUntil = Clock::now() +
                            std::chrono::milliseconds(ListViewWidget::kHoldMilliseconds + 150);
                return {};
            }
            Tap(list, at);
            if (a.kind == ActionKind::DblRow) {
                const QPointF local(at), global(list->mapToGlobal(at));
                QMouseEvent twice(QEvent::MouseButtonDblClick, local, local, global, Qt::LeftButton,
                                  Qt::LeftButton, {});
                QCoreApplication::sendEvent(list, &twice);
            }
            return {};
        }
        case ActionKind::Select: {
            auto control = Control(a.id);
            if (auto* error = std::get_if<std::string>(&control))
                return *error;
            QWidget* w = std::get<QWidget*>(control);
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                if (a.index < 0 || a.index >= combo->count())
                    return "combo box " + std::to_string(a.id) + " has no item " +
                           std::to_string(a.index);
                // As the finger opens the list and taps the item.
                combo->setFocus(Qt::MouseFocusReason);
                combo->setCurrentIndex(a.index);
                emit combo->activated(a.index);
                return {};
            }
            if (auto* box = qobject_cast<QListWidget*>(w)) {
                if (a.index < 0 || a.index >= box->count())
                    return "list box " + std::to_string(a.id) + " has no item " +
                           std::to_string(a.index);
                box->scrollToItem(box->item(a.index));
                Tap(box,
                    box->viewport()->mapTo(box, box->visualItemRect(box->item(a.index)).center()));
                return {};
            }
            return "control " + std::to_string(a.id) + " is neither a combo box nor a list box";
        }
        case ActionKind::File:
        case ActionKind::FileCancel: {
            FileDialogWidget* files = FileDialogWidget::Active();
            if (!files)
                return std::string("no file dialog shows");
            if (a.kind == ActionKind::File) {
                // Into the name field, emptied as select-all and delete would, key by key.
                QLineEdit* edit = files->NameEdit();
                Tap(edit, edit->rect().center());
                PressKey(edit, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
                PressKey(edit, Qt::Key_Delete, {});
                for (const char32_t c : ToQt(a.text).toStdU32String())
                    TypeCharacter(edit, c);
            }
            QPushButton* button =
                a.kind == ActionKind::File ? files->OkButton() : files->CancelButton();
            Tap(button, button->rect().center());
            return {};
        }
        }
        return {};
    }

    static WindowState State(CDialog& dialog) {
        WindowState state;
        state.window = dialog.GetTemplateId();
        state.title = dialog.GetWindowText().str();
        if (CMenuBar* bar = CMenuBar::Displayed(); bar && &bar->Owner() == &dialog)
            state.menubar = bar->MenuId();
        const DialogTemplate* t = dialog.GetTemplate();
        const auto windows = dialog.ControlWindows();
        for (std::size_t i = 0; t && i < t->controls.size() && i < windows.size(); ++i) {
            const ControlTemplate& c = t->controls[i];
            ControlState control;
            control.id = c.id;
            control.kind = c.kind;
            if (QWidget* w = windows[i]->widget) {
                control.text = TextOf(windows[i]).str();
                control.visible = !w->isHidden();
                control.enabled = w->isEnabled();
                const QRect r = w->geometry();
                control.rect = {r.x(), r.y(), r.width(), r.height()};
                if (auto* button = qobject_cast<QAbstractButton*>(w))
                    control.checked = button->isChecked();
                if (auto* combo = qobject_cast<QComboBox*>(w)) {
                    for (int item = 0; item < combo->count(); ++item)
                        control.items.push_back(combo->itemText(item).toStdU16String());
                    control.current = combo->currentIndex();
                }
                if (auto* box = qobject_cast<QListWidget*>(w)) {
                    for (int item = 0; item < box->count(); ++item)
                        control.items.push_back(box->item(item)->text().toStdU16String());
                    control.current = box->currentRow();
                }
                if (auto* list = dynamic_cast<ListViewWidget*>(w)) {
                    control.text.clear();
                    for (const auto& column : list->columns)
                        control.columns.push_back(column.width);
                    for (std::size_t row = 0; row < list->rows.size(); ++row) {
                        const auto& cellsOf = list->rows[row].cells;
                        std::vector<std::u16string> cells;
                        for (std::size_t col = 0;
                             col < std::max(list->columns.size(), std::size_t{1}); ++col)
                            cells.push_back(col < cellsOf.size() ? cellsOf[col].toStdU16String()
                                                                 : std::u16string());
                        control.rows.push_back(std::move(cells));
                        if (list->rows[row].state & LVIS_FOCUSED)
                            control.focused = static_cast<int>(row);
                        if (list->rows[row].state & LVIS_SELECTED)
                            control.selected.push_back(static_cast<int>(row));
                    }
                }
            }
            state.controls.push_back(std::move(control));
        }
        return state;
    }
};

ScriptDriver::ScriptDriver(std::vector<ScriptAction> actions, Transcript& transcript,
                           bool endTheProgram)
    : m_impl(std::make_unique<Impl>(std::move(actions), transcript, endTheProgram)) {}

ScriptDriver::~ScriptDriver() {
    CDialog::SetObserver({});
    SetMessageBoxObserver({});
    platform::SetShellObserver({});
    platform::SetSmsObserver({});
    SetBubbleObserver({});
    SetHoldObserver({});
}

void ScriptDriver::Start() {
    Impl& d = *m_impl;
    CDialog::SetObserver({[&d](CDialog& dialog) { d.transcript.Open(dialog.GetTemplateId()); },
                          [&d](CDialog& dialog, int result) {
                              d.transcript.Close(dialog.GetTemplateId(), result);
                          }});
    SetMessageBoxObserver({[&d](const MessageBoxRequest& shown) { d.transcript.MessageBox(shown); },
                           [&d](int answer) { d.transcript.Answer(answer); }});
    platform::SetShellObserver({[&d](std::u16string_view path, std::u16string_view cmdline) {
                                    d.transcript.Launch(path, cmdline);
                                },
                                [&d](std::u16string_view number) { d.transcript.Call(number); }});
    platform::SetSmsObserver([&d](std::u16string_view to, std::u16string_view text,
                                  HRESULT result) { d.transcript.Sms(to, text, result); });
    SetBubbleObserver({[&d](const Notification& n) { d.transcript.Bubble(n.title, n.html); },
                       [&d] { d.transcript.BubbleRemoved(); }});
    SetHoldObserver([&d](std::optional<int> menu) { d.transcript.Popup(menu); });
    QObject::connect(&d.timer, &QTimer::timeout, &d.timer, [&d] { d.Tick(); });
    d.timer.start(10);
}

bool ScriptDriver::Finished() const {
    return m_impl->finished;
}

int ScriptDriver::ExitCode() const {
    return m_impl->exitCode;
}

void ScriptDriver::ProgramEnded() {
    Impl& d = *m_impl;
    if (d.finished)
        return;
    d.finished = true;
    d.timer.stop();
    d.exitCode = d.next == d.actions.size() ? 0 : 1;
    d.transcript.End(d.exitCode);
}

} // namespace platform::gui
