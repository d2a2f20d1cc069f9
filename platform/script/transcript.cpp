#include "platform/script/transcript.h"

#include "platform/json.h"

#include <ostream>

namespace platform::gui {
namespace {

// A JSON object, its keys in the order they are added.
class Object {
public:
    Object& Raw(std::string_view key, std::string_view json) {
        m_text += m_text.empty() ? '{' : ',';
        m_text += JsonString(key);
        m_text += ':';
        m_text += json;
        return *this;
    }
    Object& Number(std::string_view key, int value) { return Raw(key, std::to_string(value)); }
    Object& Text(std::string_view key, std::u16string_view text) {
        return Raw(key, JsonString(text));
    }
    Object& Word(std::string_view key, std::string_view word) { return Raw(key, JsonString(word)); }
    Object& Flag(std::string_view key, bool value) { return Raw(key, value ? "true" : "false"); }

    std::string Done() const { return m_text.empty() ? "{}" : m_text + '}'; }

private:
    std::string m_text;
};

// A transcript record starts with what happened.
Object Record(std::string_view ev) {
    Object record;
    record.Word("ev", ev);
    return record;
}

template <class T, class Write> std::string Array(const std::vector<T>& values, Write write) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        out += write(values[i]);
    }
    return out + ']';
}

std::string Numbers(const std::vector<int>& values) {
    return Array(values, [](int n) { return std::to_string(n); });
}

std::string Texts(const std::vector<std::u16string>& values) {
    return Array(values, [](const std::u16string& text) { return JsonString(text); });
}

std::string_view KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static:
        return "static";
    case ControlKind::Edit:
        return "edit";
    case ControlKind::Button:
        return "button";
    case ControlKind::Check:
        return "check";
    case ControlKind::Radio:
        return "radio";
    case ControlKind::Combo:
        return "combo";
    case ControlKind::ListBox:
        return "listbox";
    case ControlKind::ListView:
        return "list";
    case ControlKind::InputPanel:
        break;
    }
    return "";
}

std::string_view IconName(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Stop:
        return "stop";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::Information:
        return "information";
    case MsgIcon::None:
        break;
    }
    return "none";
}

// A control as an object of the dump's list.
std::string ControlJson(const ControlState& c) {
    const auto& r = c.rect;
    Object out;
    out.Number("id", c.id)
        .Word("kind", KindName(c.kind))
        .Text("text", c.text)
        .Flag("visible", c.visible)
        .Flag("enabled", c.enabled)
        .Raw("rect", Numbers({r.x, r.y, r.width, r.height}));
    switch (c.kind) {
    case ControlKind::Check:
    case ControlKind::Radio:
        out.Flag("checked", c.checked);
        break;
    case ControlKind::Combo:
    case ControlKind::ListBox:
        out.Raw("items", Texts(c.items)).Number("current", c.current);
        break;
    case ControlKind::ListView:
        out.Raw("columns", Numbers(c.columns))
            .Raw("rows", Array(c.rows, Texts))
            .Number("focused", c.focused)
            .Raw("selected", Numbers(c.selected));
        break;
    default:
        break;
    }
    return out.Done();
}

} // namespace

Transcript::Transcript(std::ostream* out) : m_out(out) {}

void Transcript::Write(const std::string& record) {
    const std::lock_guard lock(m_mutex);
    *m_out << record << '\n';
    m_out->flush();
}

void Transcript::Open(int window) {
    if (Enabled())
        Write(Record("open").Number("window", window).Done());
}

void Transcript::Close(int window, int result) {
    if (Enabled())
        Write(Record("close").Number("window", window).Number("result", result).Done());
}

void Transcript::MessageBox(const MessageBoxRequest& shown) {
    if (Enabled())
        Write(Record("msgbox")
                  .Text("text", shown.text)
                  .Text("caption", shown.caption)
                  .Word("icon", IconName(shown.icon))
                  .Word("buttons", shown.buttons == MsgButtons::YesNo ? "yesno" : "ok")
                  .Done());
}

void Transcript::Answer(int answer) {
    if (!Enabled())
        return;
    Object record = Record("answer");
    switch (answer) {
    case kIdOk:
        record.Word("value", "ok");
        break;
    case kIdYes:
        record.Word("value", "yes");
        break;
    case kIdNo:
        record.Word("value", "no");
        break;
    default:
        record.Number("value", answer);
        break;
    }
    Write(record.Done());
}

void Transcript::Popup(std::optional<int> menu) {
    if (Enabled())
        Write(Record("popup").Raw("menu", menu ? std::to_string(*menu) : "null").Done());
}

void Transcript::Bubble(std::u16string_view title, std::u16string_view html) {
    if (Enabled())
        Write(Record("bubble").Text("title", title).Text("html", html).Done());
}

void Transcript::BubbleRemoved() {
    if (Enabled())
        Write(Record("bubble-removed").Done());
}

void Transcript::Launch(std::u16string_view path, std::u16string_view cmdline) {
    if (Enabled())
        Write(Record("launch").Text("path", path).Text("cmdline", cmdline).Done());
}

void Transcript::Call(std::u16string_view number) {
    if (Enabled())
        Write(Record("call").Text("number", number).Done());
}

void Transcript::Sms(std::u16string_view to, std::u16string_view text, int result) {
    if (Enabled())
        Write(Record("sms").Text("to", to).Text("text", text).Number("result", result).Done());
}

void Transcript::Run(std::u16string_view command, int exit) {
    if (Enabled())
        Write(Record("run").Text("command", command).Number("exit", exit).Done());
}

void Transcript::Dump(const WindowState& window) {
    if (!Enabled())
        return;
    std::string controls = "[";
    for (const ControlState& control : window.controls) {
        if (control.kind == ControlKind::InputPanel)
            continue;
        if (controls.size() > 1)
            controls += ',';
        controls += ControlJson(control);
    }
    controls += ']';
    Write(Record("dump")
              .Number("window", window.window)
              .Text("title", window.title)
              .Raw("menubar", window.menubar ? std::to_string(*window.menubar) : "null")
              .Raw("controls", controls)
              .Done());
}

void Transcript::Error(const ScriptError& error) {
    if (Enabled())
        Write(Record("error").Number("line", error.line).Word("message", error.message).Done());
}

void Transcript::End(int code) {
    if (Enabled())
        Write(Record("end").Number("code", code).Done());
}

} // namespace platform::gui
