#include "platform/script/driver.h"

#include "platform/gui/dialog.h"
#include "platform/gui/hold_gesture.h"
#include "platform/gui/list_view_widget.h"
#include "platform/gui/ui_thread.h"
#include "platform/gui/window.h"
#include "platform/script/input.h"
#include "platform/script/window_state.h"
#include "platform/shell/bubble.h"
#include "platform/shell/file_dialog_widget.h"
#include "platform/shell/launch.h"
#include "platform/shell/menu.h"
#include "platform/shell/message_box_widget.h"
#include "platform/shell/phone_screen.h"
#include "platform/shell/popup_menu_widget.h"
#include "platform/sms.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <variant>

extern char** environ;

namespace platform::gui {
namespace {

using Clock = std::chrono::steady_clock;
using Failure = std::optional<std::string>;

std::string Utf8(const std::u16string& s) {
    return ToQt(s).toStdString();
}

// The transcript hears of nothing more.
void StopObserving() {
    CDialog::SetObserver({});
    SetMessageBoxObserver({});
    platform::SetShellObserver({});
    platform::SetSmsObserver({});
    SetBubbleObserver({});
    SetHoldObserver({});
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
        StopObserving(); // what the program does while it winds down is no part of the run
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
                QTimer::singleShot(0, menu, [menu, item] { input::Tap(menu, item.center()); });
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
        case ActionKind::Clear:
            return OnControl(a);
        case ActionKind::Key:
            return PressKey(a);
        case ActionKind::Ok: {
            CDialog* top = Top();
            const DialogTemplate* t = top ? top->GetTemplate() : nullptr;
            if (!t || !t->okButton || PopupMenuWidget::Active())
                return std::string("the window on top has no ok button");
            input::TapScreen(PhoneScreen::Instance()->OkRect().center());
            return {};
        }
        case ActionKind::Cancel:
            if (CDialog* top = Top()) {
                top->SendClose();
                return {};
            }
            return std::string("no window is open");
        case ActionKind::Answer:
            return Answer(a.answer);
        case ActionKind::Menu:
            return ChooseFromMenuBar(a.id);
        case ActionKind::Pick:
        case ActionKind::Dismiss:
            return OnPopupMenu(a);
        case ActionKind::Pen:
            input::TapScreen({a.x, a.y});
            return {};
        case ActionKind::Wait:
            waitUntil = Clock::now() + std::chrono::milliseconds(a.ms);
            return {};
        case ActionKind::Run:
            return RunCommand(a.text);
        case ActionKind::Dump:
            if (!Top())
                return std::string("no window is open");
            transcript.Dump(StateOf(*Top()));
            return {};
        case ActionKind::Shot:
            if (!PhoneScreen::Instance()->Shot().save(ToQt(a.text), "PNG"))
                return "cannot write " + Utf8(a.text);
            return {};
        case ActionKind::Row:
        case ActionKind::DblRow:
        case ActionKind::Hold:
            return OnRow(a);
        case ActionKind::Select:
            return Select(a.id, a.index);
        case ActionKind::File:
        case ActionKind::FileCancel:
            return OnFileDialog(a);
        }
        return {};
    }

    // tap, focus, type and clear.
    Failure OnControl(const ScriptAction& a) {
        auto control = Control(a.id);
        if (auto* error = std::get_if<std::string>(&control))
            return *error;
        QWidget* w = std::get<QWidget*>(control);
        if (a.kind == ActionKind::Focus) {
            w->setFocus(Qt::MouseFocusReason);
            return {};
        }
        input::Tap(w, w->rect().center());
        if (a.kind == ActionKind::Type) {
            input::PressKey(w, Qt::Key_End, {});
            input::TypeText(w, a.text);
        } else if (a.kind == ActionKind::Clear) {
            input::SelectAllAndDelete(w);
        }
        return {};
    }

    // A key goes where the keyboard's input goes: the message box or the file dialog that
    // shows, else the control with the focus, else the screen.
    Failure PressKey(const ScriptAction& a) {
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
            input::TypeCharacter(target, a.character);
            return {};
        }
        for (const auto& [name, key] : keys)
            if (name == a.key)
                input::PressKey(target, key,
                                key == Qt::Key_Return ? QStringLiteral("\r") : QString());
        return {};
    }

    Failure Answer(AnswerValue value) {
        MessageBoxWidget* box = MessageBoxWidget::Active();
        if (!box)
            return std::string("no message box shows");
        const int answer = value == AnswerValue::Yes  ? kIdYes
                           : value == AnswerValue::No ? kIdNo
                                                      : kIdOk;
        QPushButton* button = box->Button(answer);
        if (!button)
            return std::string("the message box has no such button");
        input::Tap(button, button->rect().center());
        return {};
    }

    // A soft key that sends the command is tapped; for a command in a soft key's pop-up, the
    // key is tapped and the item once the pop-up shows.
    Failure ChooseFromMenuBar(int command) {
        CMenuBar* bar = CMenuBar::Displayed();
        if (!bar || &bar->Owner() != Top() || !bar->Items() || PopupMenuWidget::Active())
            return std::string("the window on top has no menu bar");
        const auto& items = *bar->Items();
        for (std::size_t key = 0; key < items.size() && key < 2; ++key) {
            const bool inPopup =
                std::any_of(items[key].popup.begin(), items[key].popup.end(),
                            [&](const MenuItem& i) { return i.command == command; });
            if (items[key].command == command || inPopup) {
                if (inPopup)
                    pendingPick = command;
                PhoneScreen* screen = PhoneScreen::Instance();
                input::TapScreen(
                    (key == 0 ? screen->LeftKeyRect() : screen->RightKeyRect()).center());
                return {};
            }
        }
        return "command " + std::to_string(command) + " is not on the menu bar";
    }

    // pick and dismiss.
    Failure OnPopupMenu(const ScriptAction& a) {
        PopupMenuWidget* menu = PopupMenuWidget::Active();
        if (!menu)
            return std::string("no pop-up menu is open");
        if (a.kind == ActionKind::Dismiss) {
            input::Tap(menu, menu->MenuRect().contains(0, 0) ? QPoint(239, 0) : QPoint(0, 0));
            return {};
        }
        const QRect item = menu->ItemRect(a.id);
        if (item.isEmpty())
            return "the pop-up menu has no command " + std::to_string(a.id);
        input::Tap(menu, item.center());
        return {};
    }

    Failure RunCommand(const std::u16string& text) {
        const std::string command = Utf8(text);
        const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
        pid_t pid = -1;
        int status = 0;
        if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return "cannot run " + command;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        transcript.Run(text, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        return {};
    }

    // row, dblrow and hold, on a list view; dblrow on a list box too.
    Failure OnRow(const ScriptAction& a) {
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
            input::Tap(viewport, at);
            input::SecondTap(viewport, at, true);
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
            // Down now, up once the gesture has had its time; meanwhile the program may open
            // a pop-up menu, and the script goes on with it.
            input::Hold(list, at, ListViewWidget::kHoldMilliseconds + 100);
            waitUntil =
                Clock::now() + std::chrono::milliseconds(ListViewWidget::kHoldMilliseconds + 150);
            return {};
        }
        input::Tap(list, at);
        if (a.kind == ActionKind::DblRow)
            input::SecondTap(list, at, false);
        return {};
    }

    // As the finger opens the combo box's list and taps the item, or taps the list box's.
    Failure Select(int id, int index) {
        auto control = Control(id);
        if (auto* error = std::get_if<std::string>(&control))
            return *error;
        QWidget* w = std::get<QWidget*>(control);
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (index < 0 || index >= combo->count())
                return "combo box " + std::to_string(id) + " has no item " + std::to_string(index);
            combo->setFocus(Qt::MouseFocusReason);
            combo->setCurrentIndex(index);
            emit combo->activated(index);
            return {};
        }
        if (auto* box = qobject_cast<QListWidget*>(w)) {
            if (index < 0 || index >= box->count())
                return "list box " + std::to_string(id) + " has no item " + std::to_string(index);
            box->scrollToItem(box->item(index));
            input::Tap(box,
                       box->viewport()->mapTo(box, box->visualItemRect(box->item(index)).center()));
            return {};
        }
        return "control " + std::to_string(id) + " is neither a combo box nor a list box";
    }

    // file and file-cancel.
    Failure OnFileDialog(const ScriptAction& a) {
        FileDialogWidget* files = FileDialogWidget::Active();
        if (!files)
            return std::string("no file dialog shows");
        if (a.kind == ActionKind::File) {
            // Into the name field, emptied as select-all and delete would, key by key.
            QLineEdit* edit = files->NameEdit();
            input::Tap(edit, edit->rect().center());
            input::SelectAllAndDelete(edit);
            input::TypeText(edit, a.text);
        }
        QPushButton* button =
            a.kind == ActionKind::File ? files->OkButton() : files->CancelButton();
        input::Tap(button, button->rect().center());
        return {};
    }
};

ScriptDriver::ScriptDriver(std::vector<ScriptAction> actions, Transcript& transcript,
                           bool endTheProgram)
    : m_impl(std::make_unique<Impl>(std::move(actions), transcript, endTheProgram)) {}

ScriptDriver::~ScriptDriver() {
    StopObserving();
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
