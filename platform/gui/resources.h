#pragma once

// The program's resources as the phone's resource compiler knew them: dialog templates in
// dialog units, menus with command ids and pop-ups. The program's res/ folder defines them
// and registers them at start; the windows look them up by id.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::gui {

enum class ControlKind {
    Static,
    Edit,
    Button,
    Check,
    Radio,
    Combo,
    ListBox,
    ListView,
    InputPanel, // the input-panel preference control: no visible part on a desktop
};

// Styles a template gives a control, as far as the windows depend on them.
enum ControlStyle : std::uint32_t {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kPassword = 1u << 2,   // edit: characters masked
    kMultiLine = 1u << 3,  // edit: several lines; static/check box: text wraps
    kVScroll = 1u << 4,    // a vertical scroll bar
    kWantReturn = 1u << 5, // multi-line edit: Enter makes a new line
    kReadOnly = 1u << 6,
    kAutoHScroll = 1u << 7,  // one-line edit scrolls sideways
    kSorted = 1u << 8,       // combo box, list box
    kDropDownList = 1u << 9, // combo box without a text field
    kDropDown = 1u << 10,    // combo box with an editable text field
    kNotify = 1u << 11,      // list box tells its owner of double taps
    kNoHeader = 1u << 12,    // list view without column headings
    kShowSelAlways = 1u << 13,
    kSingleSel = 1u << 14,
    kReport = 1u << 15,     // list view in report view
    kRightAlign = 1u << 16, // static text
    kCenter = 1u << 17,
    kNoWrap = 1u << 18,
    kBorder = 1u << 19,
    kDefaultButton = 1u << 20,
    kGroup = 1u << 21,  // the first radio button of a group
    kIcon = 1u << 22,   // static: shows an icon resource
    kBitmap = 1u << 23, // static: shows a bitmap resource at its own size
};

struct ControlTemplate {
    int id = 0; // 65535 for controls the program never addresses
    ControlKind kind = ControlKind::Static;
    std::u16string text;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    std::uint32_t style = 0;
    int image = 0; // a static with kIcon or kBitmap: the picture resource it shows
};

enum class DialogKind {
    Page,  // fills the screen's client area below the navigation bar
    Popup, // a bordered box without title bar, centred over the screen
};

struct DialogTemplate {
    int id = 0;
    std::u16string title;
    DialogKind kind = DialogKind::Page;
    int width = 0, height = 0; // dialog units
    std::vector<ControlTemplate> controls;
    bool okButton = false; // a page with the ok button in the navigation bar
};

struct MenuItem {
    int command = 0; // 0 for a separator or a pop-up
    std::u16string text;
    std::vector<MenuItem> popup; // not empty: the item opens this pop-up
    bool IsSeparator() const { return command == 0 && text.empty() && popup.empty(); }
};

// A menu bar's menu: its top-level items are the soft keys, left then right.
struct MenuTemplate {
    int id = 0;
    std::vector<MenuItem> items;
};

// Dialog units to the screen's pixels: 160 x 170 units fill the 240 x 268 client area.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// The resource table. Registering an id again replaces the earlier entry.
void RegisterDialog(DialogTemplate dialog);
void RegisterMenu(MenuTemplate menu);
// A picture resource (an icon, a bitmap) as the bytes of an image file, which stay where
// they are for the program's run.
void RegisterImage(int id, std::span<const unsigned char> file);
const DialogTemplate* FindDialog(int id);
const MenuTemplate* FindMenu(int id);
std::span<const unsigned char> FindImage(int id); // empty when there is none

} // namespace platform::gui
