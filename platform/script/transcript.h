#pragma once

// The transcript of a scripted run: one JSON object a line, each written whole and flushed
// at once, so that a test reading the file while the program runs sees every record as
// soon as it happens. Texts are UTF-16 in the program and UTF-8 in the file.

#include "platform/gui/resources.h"
#include "platform/script/script.h"
#include "platform/shell/message_box.h"

#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gui {

// A control of the active window as a dump shows it, with the kind of its template. The
// fields after rect belong to some kinds only and are written for those alone. Every member
// has an initialiser, so that a designated initialiser may name just the ones it sets.
struct ControlState {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::u16string text{};
    bool visible = true;
    bool enabled = true;
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
    } rect{}; // client pixels

    bool checked = false; // Check, Radio

    std::vector<std::u16string> items{}; // Combo, ListBox
    int current = -1;

    std::vector<int> columns{};                      // ListView: the column widths
    std::vector<std::vector<std::u16string>> rows{}; // ListView: each row's cell texts
    int focused = -1;                                // ListView: the focused row, or -1
    std::vector<int> selected{};                     // ListView: the selected rows
};

// The active window: its template id, title, menu bar and controls in template order. An
// input-panel control has no visible part and is left out of the dump.
struct WindowState {
    int window = 0;
    std::u16string title{};
    std::optional<int> menubar{}; // none: the window has no menu bar of its own
    std::vector<ControlState> controls{};
};

class Transcript {
public:
    // Null: there is no transcript, and every record is dropped.
    explicit Transcript(std::ostream* out);
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool Enabled() const { return m_out != nullptr; }

    void Open(int window);                           // a dialog starts, before its initialisation
    void Close(int window, int result);              // it ends
    void MessageBox(const MessageBoxRequest& shown); // with the caption the box carries
    void Answer(int answer); // kIdOk, kIdYes or kIdNo; any other value is written as a number
    void Popup(std::optional<int> menu); // a tap and hold opened that menu, or none
    void Bubble(std::u16string_view title, std::u16string_view html);
    void BubbleRemoved();
    void Launch(std::u16string_view path, std::u16string_view cmdline);
    void Call(std::u16string_view number);
    void Sms(std::u16string_view to, std::u16string_view text, int result);
    void Run(std::u16string_view command, int exit);
    void Dump(const WindowState& window);
    void Error(const ScriptError& error); // the run stops
    void End(int code);

private:
    void Write(const std::string& record);

    std::ostream* m_out;
    std::mutex m_mutex; // records may come from the program's worker threads (the send job)
};

} // namespace platform::gui
