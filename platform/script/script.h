#pragma once

// The script of a headless run: one action a line, carried out by the driver as a person's
// taps and keys. This part only reads the text; it knows nothing of windows.
//
//   tap ID            type ID "TEXT"    clear ID          focus ID          menu CMD
//   row ID N          dblrow ID N       hold ID N         pick CMD          dismiss
//   select ID N       pen X Y           key NAME          ok                cancel
//   answer yes|no|ok  file "PATH"       file-cancel       run "COMMAND"     wait MS
//   dump              shot "FILE"
//
// Blank lines are skipped; `#` outside a quoted text starts a comment, at the start of a
// line or after an action. Quoted texts take `\"` and `\\`, no other escapes. Numbers are
// decimal: IDs and CMDs 0..65535, N from 0 (row also takes -1), pen X 0..239 and Y 0..319,
// MS from 0. NAME is Left, Right, Up, Down, Return, Escape, Backspace or one character;
// a character that cannot stand bare (a space, `#`, `"`) may be quoted: key "#".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gui {

enum class ActionKind {
    Tap,
    Type,
    Clear,
    Focus,
    Menu,
    Row,
    DblRow,
    Hold,
    Pick,
    Dismiss,
    Select,
    Pen,
    Key,
    Ok,
    Cancel,
    Answer,
    File,
    FileCancel,
    Run,
    Wait,
    Dump,
    Shot
};

enum class KeyName { Left, Right, Up, Down, Return, Escape, Backspace, Character };
enum class AnswerValue { Yes, No, Ok };

// One line of the script. Only the operands of its kind are set; the others keep their
// defaults. (Every member has an initialiser, so that {.kind = ..., .id = ...} may name
// just the ones it sets.)
struct ScriptAction {
    ActionKind kind = ActionKind::Dump;
    int line = 0; // in the script, from 1

    int id = 0;       // the control (tap type clear focus row dblrow hold select) or the
                      // command (menu pick)
    int index = 0;    // the row (row dblrow hold; -1 is the empty area below the rows) or the
                      // item (select)
    int x = 0, y = 0; // pen: screen pixels
    int ms = 0;       // wait
    KeyName key = KeyName::Character;
    char32_t character = 0; // key: the character when key is Character
    AnswerValue answer = AnswerValue::Ok;
    std::u16string text{}; // type TEXT, file PATH, run COMMAND, shot FILE

    friend bool operator==(const ScriptAction&, const ScriptAction&) = default;
};

// What went wrong and where: a malformed line, or (from the driver) an action that cannot
// be carried out. The transcript's error record carries both parts.
struct ScriptError {
    int line = 0;
    std::string message; // without the line number
    // "line 12: type wants ID and "TEXT""
    std::string Describe() const;
};

// Parses a whole script. Parsing stops at the first malformed line, and nothing is
// returned then: a script with an error is refused before any of it runs. A leading byte
// order mark and CR line ends are allowed; text that is not UTF-8 is an error.
std::optional<std::vector<ScriptAction>> ParseScript(std::string_view text, ScriptError& error);
// The same for a file; a file that cannot be read is an error of line 0.
std::optional<std::vector<ScriptAction>> LoadScript(const std::filesystem::path& file,
                                                    ScriptError& error);

// The action's word in a script: "dblrow", "file-cancel", ...
std::string_view ActionName(ActionKind kind);

// While a message box shows, only these may come: the box blocks every other input.
bool AllowedWhileMessageBox(ActionKind kind);
// While the open-file dialog shows, it covers the whole screen: a person can tap it, press
// keys in it and answer it, and nothing behind it.
bool AllowedWhileFileDialog(ActionKind kind);

} // namespace platform::gui
