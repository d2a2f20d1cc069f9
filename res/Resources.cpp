#include "res/Resources.h"

#include "platform/gui/resources.h"
#include "platform/gui/wnd.h"

#include <cstddef>

using namespace platform::gui;

// The pictures, compiled in from res/images (drawn by tools/make-icons).
extern const unsigned char kIcon128[];
extern const std::size_t kIcon128_size;
extern const unsigned char kLetters132[];
extern const std::size_t kLetters132_size;

namespace {

constexpr int kNoId = 0xFFFF;
constexpr const char16_t* kRule = u"_______________________________________";
constexpr const char16_t* kUnderline = u"————————————";

// The main window: the list heading, the entries for a number and a name, the list, and
// the buttons that switch lists, the firewall and the password.
DialogTemplate MainWindow() {
    return {102,
            u"Brenwick",
            DialogKind::Page,
            160,
            170,
            {
                {1000, ControlKind::Static, u"短信黑名单", 4, 2, 90, 10, 0},
                {1005, ControlKind::Button, u"关", 134, 1, 22, 12, 0},
                {kNoId, ControlKind::Static, kRule, 0, 9, 160, 8, kNoWrap},
                {1002, ControlKind::Static, u"电话号码:", 2, 20, 38, 10, 0},
                {1003, ControlKind::Edit, u"", 40, 18, 66, 12, kAutoHScroll | kBorder},
                {1004, ControlKind::Button, u"添加", 112, 18, 44, 12, 0},
                {1009, ControlKind::Static, u"姓名:", 2, 33, 38, 10, 0},
                {1008, ControlKind::Edit, u"", 40, 31, 66, 12, kAutoHScroll | kBorder},
                {kNoId, ControlKind::Static, kRule, 0, 41, 160, 8, kNoWrap},
                {1001, ControlKind::ListView, u"List1", 0, 45, 160, 104,
                 kReport | kSingleSel | kShowSelAlways},
                {kNoId, ControlKind::Static, kRule, 0, 146, 160, 8, kNoWrap},
                {1013, ControlKind::Button, u"进入短信红名单", 2, 155, 96, 13, 0},
                {1014, ControlKind::Button, u"修改密码", 104, 155, 54, 13, kHidden},
                {kNoId, ControlKind::InputPanel, u"", 0, 0, 0, 0, 0},
            },
            true};
}

DialogTemplate AboutWindow() {
    return {130,
            u"关于",
            DialogKind::Page,
            160,
            170,
            {
                {kNoId, ControlKind::Static, u"", 69, 8, 22, 20, kIcon, 128},
                {kNoId, ControlKind::Static, u"Brenwick 短信防火墙 1.0", 10, 34, 140, 12, kCenter},
                {kNoId, ControlKind::Static, u"Tolvane 出品", 10, 50, 140, 12, kCenter},
                {IDOK, ControlKind::Button, u"确定", 60, 74, 40, 14, kDefaultButton},
            },
            true};
}

// The contacts picker: the list below the letter strip, which the picker paints itself. The
// list spans the screen, so that its three columns (239 pixels) show whole.
DialogTemplate ContactsDialog() {
    return {131,
            u"Dialog",
            DialogKind::Page,
            161,
            170,
            {
                {2001, ControlKind::ListView, u"List1", 0, 10, 160, 143,
                 kReport | kSingleSel | kShowSelAlways | kNoHeader},
            },
            true};
}

// The password box: two entries (the second only when a password is set), the keypad, and
// a tall Cancel button beside it. The program places the entries itself; each line lies
// over the entry's last pixel rows, so that its dash shows just beneath the entry.
DialogTemplate PasswordDialog() {
    std::vector<ControlTemplate> controls = {
        {1015, ControlKind::Static, u"设置密码", 4, 4, 60, 10, 0},
        {1018, ControlKind::Static, u"输入密码：", 4, 21, 44, 10, 0},
        {1014, ControlKind::Edit, u"", 47, 19, 80, 12, kPassword | kAutoHScroll},
        {1019, ControlKind::Static, kUnderline, 47, 26, 80, 6, kNoWrap},
        {1016, ControlKind::Static, u"确认密码：", 4, 38, 44, 10, 0},
        {1003, ControlKind::Edit, u"", 47, 36, 80, 12, kPassword | kAutoHScroll},
        {1017, ControlKind::Static, kUnderline, 47, 42, 80, 6, kNoWrap},
    };
    const int keys[4][3] = {
        {1009, 1010, 1011}, {1012, 1020, 1021}, {1022, 1023, 1024}, {1026, 1025, IDOK}};
    const char16_t* labels[4][3] = {
        {u"1", u"2", u"3"}, {u"4", u"5", u"6"}, {u"7", u"8", u"9"}, {u"<-", u"0", u"确定"}};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            controls.push_back({keys[row][col], ControlKind::Button, labels[row][col], 6 + col * 28,
                                58 + row * 18, 24, 15,
                                keys[row][col] == IDOK ? kDefaultButton : 0u});
    controls.push_back({IDCANCEL, ControlKind::Button, u"取消", 92, 58, 32, 69, 0});
    return {133, u"", DialogKind::Popup, 130, 144, std::move(controls)};
}

// The settings: the filter service's options, then the export and import buttons, each
// with the file it writes or reads. Confirm and cancel are the screen's own.
DialogTemplate SettingsWindow() {
    constexpr const char16_t* kAntiTheft =
        u"开启手机防盗_如检测SIM卡和当前不同，则发送通知短信到下面的手机号";
    return {
        135,
        u"Dialog",
        DialogKind::Page,
        160,
        170,
        {
            {1000, ControlKind::Static, u"设置", 4, 2, 60, 10, 0},
            {kNoId, ControlKind::Static, kRule, 0, 9, 160, 8, kNoWrap},
            {1026, ControlKind::Check, u"开启红名单高级别号码短信的泡泡提示", 2, 18, 156, 11, 0},
            {kNoId, ControlKind::Static, u"提示信息（限7字）：", 12, 31, 86, 10, kNoWrap},
            {1027, ControlKind::Edit, u"", 98, 29, 58, 12, kAutoHScroll | kBorder},
            {1025, ControlKind::Check, u"开启泡泡震动", 12, 43, 62, 11, 0},
            {kNoId, ControlKind::Static, u"震动时间：", 78, 44, 40, 10, 0},
            {1035, ControlKind::Combo, u"", 118, 42, 38, 12, kDropDown | kSorted},
            {1024, ControlKind::Check, u"只接受红名单号码短信", 2, 56, 156, 11, 0},
            {1031, ControlKind::Check, u"拒接所有非本机联系人号码短信", 2, 68, 156, 11, 0},
            {1032, ControlKind::Check, kAntiTheft, 2, 80, 156, 21, kMultiLine},
            {1033, ControlKind::Edit, u"", 12, 101, 110, 12, kAutoHScroll | kBorder},
            {kNoId, ControlKind::Static, kRule, 0, 111, 160, 8, kNoWrap},
            {1028, ControlKind::Button, u"导出名单至", 2, 120, 48, 12, 0},
            {kNoId, ControlKind::Static, u"\\My Documents\\List.xml", 54, 122, 104, 10, 0},
            {1029, ControlKind::Button, u"导出短信至", 2, 133, 48, 12, 0},
            {kNoId, ControlKind::Static, u"\\My Documents\\Content.xml", 54, 135, 104, 10, 0},
            {1030, ControlKind::Button, u"导入名单从", 2, 146, 48, 12, 0},
            {kNoId, ControlKind::Static, u"\\My Documents\\List.xml", 54, 148, 104, 10, 0},
            {1034, ControlKind::Button, u"导入短信从", 2, 159, 48, 12, 0},
            {kNoId, ControlKind::Static, u"\\My Documents\\Content.xml", 54, 161, 104, 10, 0},
            {IDOK, ControlKind::Button, u"OK", 0, 0, 1, 1, kHidden | kDefaultButton},
            {IDCANCEL, ControlKind::Button, u"Cancel", 0, 0, 1, 1, kHidden},
            {kNoId, ControlKind::InputPanel, u"", 0, 0, 0, 0, 0},
        },
        true};
}

// The message viewer: the number's name and number, the level, the branch, the text of the
// chosen record and the records. The program places the text box and the list itself, by
// the length of the text shown; the three buttons are hidden and serve the menu's commands.
DialogTemplate MessagesWindow() {
    return {134,
            u"Dialog",
            DialogKind::Page,
            160,
            170,
            {
                {1023, ControlKind::Static, u"", 2, 2, 76, 10, kNoWrap},
                {1016, ControlKind::Static, u"", 80, 2, 78, 10, kRightAlign},
                {kNoId, ControlKind::Static, u"加密等级：", 2, 14, 42, 10, 0},
                {1021, ControlKind::Radio, u"高", 44, 13, 22, 11, kGroup},
                {1022, ControlKind::Radio, u"低", 68, 13, 22, 11, 0},
                {1031, ControlKind::Combo, u"", 92, 11, 66, 12, kDropDownList},
                {1017, ControlKind::Edit, u"", 0, 24, 160, 38, kMultiLine | kBorder | kVScroll},
                {2001, ControlKind::ListView, u"List1", 0, 62, 160, 108,
                 kReport | kNoHeader | kShowSelAlways},
                {1019, ControlKind::Button, u"删除", 2, 156, 40, 12, kHidden},
                {1018, ControlKind::Button, u"回复", 60, 156, 40, 12, kHidden},
                {1020, ControlKind::Button, u"拨叫", 118, 156, 40, 12, kHidden},
                {kNoId, ControlKind::InputPanel, u"", 0, 0, 0, 0, 0},
            },
            true};
}

// The compose window: the recipient and the send button, the keep-copies box with the
// counter beside it, and the text box, over which the phrase list shows in its turn.
DialogTemplate ComposeWindow() {
    return {136,
            u"Dialog",
            DialogKind::Page,
            160,
            170,
            {
                {1018, ControlKind::Button, u"发送", 124, 3, 34, 14, 0},
                {1023, ControlKind::Static, u"", 2, 3, 118, 10, kNoWrap},
                {1016, ControlKind::Static, u"", 2, 15, 118, 10, 0},
                {1032, ControlKind::Check, u"保存到红名单发件箱", 2, 27, 104, 11, 0},
                {1033, ControlKind::Static, u"", 108, 28, 50, 10, kRightAlign},
                {kNoId, ControlKind::Static, kRule, 0, 35, 160, 8, kNoWrap},
                {1017, ControlKind::Edit, u"", 0, 43, 160, 127,
                 kMultiLine | kVScroll | kWantReturn | kBorder},
                {1034, ControlKind::ListBox, u"", 0, 43, 160, 127, kSorted | kNotify | kHidden},
                {kNoId, ControlKind::InputPanel, u"", 0, 0, 0, 0, 0},
            },
            true};
}

// The picture viewer: no controls; it draws the whole screen itself.
DialogTemplate PictureViewer() {
    return {140, u"", DialogKind::Page, 160, 170, {}, false};
}

MenuTemplate FullMenu() {
    return {129,
            {{32804, u"退出", {}},
             {0,
              u"工具",
              {{32771, u"删除", {}},
               {32780, u"系统联系人", {}},
               {32779, u"系统短信", {}},
               {},
               {32787, u"备用密码", {}},
               {32781, u"设置", {}},
               {32774, u"关于", {}}}}}};
}

MenuTemplate ReducedMenu() {
    return {138,
            {{32771, u"删除", {}},
             {0,
              u"工具",
              {{32780, u"系统联系人", {}}, {32779, u"系统短信", {}}, {}, {32774, u"关于", {}}}}}};
}

MenuTemplate MessagesMenu() {
    return {141,
            {{32803, u"返回", {}},
             {0,
              u"菜单",
              {{32799, u"幻灯播放", {}},
               {32808, u"自动播放", {}},
               {32795, u"删除短信", {}},
               {32807, u"设置头像", {}},
               {32798, u"转发", {}},
               {32796, u"拨叫", {}},
               {32797, u"回复", {}}}}}};
}

MenuTemplate ComposeMenu() {
    return {139, {{32791, u"常用短语", {}}}};
}

} // namespace

void RegisterResources() {
    RegisterImage(128, {kIcon128, kIcon128_size});
    RegisterImage(132, {kLetters132, kLetters132_size});
    RegisterDialog(MainWindow());
    RegisterDialog(AboutWindow());
    RegisterDialog(ContactsDialog());
    RegisterDialog(PasswordDialog());
    RegisterDialog(SettingsWindow());
    RegisterDialog(MessagesWindow());
    RegisterDialog(ComposeWindow());
    RegisterDialog(PictureViewer());
    RegisterMenu(FullMenu());
    RegisterMenu(ReducedMenu());
    RegisterMenu(MessagesMenu());
    RegisterMenu(ComposeMenu());
}
