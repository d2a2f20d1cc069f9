#pragma once

// Dialogs: a window made from a dialog template, run modally from the one below it, with a
// table that maps commands and control notifications to the dialog's handlers, and a data
// exchange that moves text and check states between member fields and controls.

#include "platform/gui/resources.h"
#include "platform/gui/wnd.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

class CDialog;

namespace platform::gui::detail {
class DialogFrame;
}

struct CPoint {
    int x = 0, y = 0;
};

// The keys the program tells apart, as the phone's virtual key codes.
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;

// Full-screen mode: what of the shell a window hides or shows again.
inline constexpr unsigned SHFS_SHOWTASKBAR = 0x01;
inline constexpr unsigned SHFS_HIDETASKBAR = 0x02;
inline constexpr unsigned SHFS_SHOWSIPBUTTON = 0x04;
inline constexpr unsigned SHFS_HIDESIPBUTTON = 0x08;
inline constexpr unsigned SHFS_SHOWSTARTICON = 0x10;
inline constexpr unsigned SHFS_HIDESTARTICON = 0x20;

// What a control tells its dialog.
enum class CNotice {
    Command,     // a menu command (the id is the command's)
    Clicked,     // a button, check box or radio button was tapped
    Changed,     // an edit's text changed
    SetFocus,    // a control gained the input focus
    KillFocus,   // a control lost it
    Click,       // a list was tapped: on a row, or below the rows (row -1)
    DblClick,    // a list was double-tapped
    ItemChanged, // a list row's state changed
    Hold,        // a list was tapped and held: the gesture for a context menu
    SelChange,   // the owner chose another item of a combo box or list box
};

// The dialog's table of handlers, looked up by notice and id; a map may extend its base
// class's map.
class CMessageMap {
public:
    // item: the row a list notice is about (-1 for none), else -1.
    using Handler = std::function<void(CDialog&, int item)>;
    struct Entry {
        CNotice notice;
        int id;
        Handler handler;
    };

    CMessageMap(std::initializer_list<Entry> entries, const CMessageMap* base = nullptr)
        : m_entries(entries), m_base(base) {}

    const Handler* Find(CNotice notice, int id) const;

private:
    std::vector<Entry> m_entries;
    const CMessageMap* m_base;
};

template <class Dialog>
CMessageMap::Entry OnNotice(CNotice notice, int id, void (Dialog::*handler)()) {
    return {notice, id,
            [handler](CDialog& dialog, int) { (static_cast<Dialog&>(dialog).*handler)(); }};
}
// A list's notice, with the row it is about.
template <class Dialog>
CMessageMap::Entry OnNotify(CNotice notice, int id, void (Dialog::*handler)(int item)) {
    return {notice, id, [handler](CDialog& dialog, int item) {
                (static_cast<Dialog&>(dialog).*handler)(item);
            }};
}
// A handler that serves several controls is told which one it was.
template <class Dialog> CMessageMap::Entry OnClicked(int id, void (Dialog::*handler)(int id)) {
    return {CNotice::Clicked, id,
            [handler, id](CDialog& dialog, int) { (static_cast<Dialog&>(dialog).*handler)(id); }};
}
template <class Dialog> CMessageMap::Entry OnCommand(int id, void (Dialog::*handler)()) {
    return OnNotice(CNotice::Command, id, handler);
}
template <class Dialog> CMessageMap::Entry OnClicked(int id, void (Dialog::*handler)()) {
    return OnNotice(CNotice::Clicked, id, handler);
}
template <class Dialog> CMessageMap::Entry OnChanged(int id, void (Dialog::*handler)()) {
    return OnNotice(CNotice::Changed, id, handler);
}
template <class Dialog> CMessageMap::Entry OnSetFocus(int id, void (Dialog::*handler)()) {
    return OnNotice(CNotice::SetFocus, id, handler);
}

// One run of the data exchange: controls to fields (saving) or fields to controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    int m_idLastControl = 0; // the control a DDV_ check applies to
};

// The text of an edit or static; the check state (0 or 1) of a check box or radio button;
// the input limit of the edit exchanged just before, applied when the fields go to the
// controls.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);
// Binds a program object (a list control) to control id, the first time the data moves.
template <class Control> void DDX_Control(CDataExchange* pDX, int id, Control& control);

// Who watches the dialogs (the script driver and its transcript): told when a dialog starts,
// before its initialisation, and when it has ended, with its result.
struct CDialogObserver {
    std::function<void(CDialog&)> onOpen;
    std::function<void(CDialog&, int result)> onClose;
};

class CDialog : public CWnd {
public:
    static void SetObserver(CDialogObserver observer);
    // The dialogs running now, the innermost last.
    static const std::vector<CDialog*>& OpenDialogs();

    explicit CDialog(int templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Makes the window from its template, initialises it, shows it over the screen and
    // runs the user interface until EndDialog; returns the end code (-1 when the template
    // is missing).
    virtual int DoModal();
    void EndDialog(int result);
    bool UpdateData(bool saveAndValidate = true);

    CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const CString& text);
    CString GetDlgItemText(int id) const;
    // The check state (0 or 1) of check box or radio button id; checking a radio button
    // leaves its group's others as they are.
    void CheckDlgButton(int id, int check);
    int IsDlgButtonChecked(int id) const;
    int GetTemplateId() const { return m_templateId; }
    const platform::gui::DialogTemplate* GetTemplate() const;
    // The windows of all controls, in template order (null for the ones with nothing to show).
    std::vector<platform::gui::detail::Window*> ControlWindows() const;
    // The close request (the platform's cancel): OnClose, which cancels unless a dialog says
    // otherwise.
    void SendClose();
    bool IsOpen() const { return m_open; }

    // The window's title: the navigation bar's text while it is the active page.
    void SetWindowText(const CString& text) override;
    CString GetWindowText() const override;

    // A program object bound to one of the dialog's controls (a list); the dialog lets go of
    // it when its window goes, and the object lets go first if it goes earlier.
    void BindControl(CWnd& control);
    void UnbindControl(CWnd& control);

    // Called by the toolkit's side when a control or the screen reports something.
    void Dispatch(CNotice notice, int id, int item = -1);

    // A window timer: OnTimer(id) every period (scaled with the program's clock) until
    // killed or the window goes. Setting an id again restarts it with the new period.
    unsigned SetTimer(unsigned id, unsigned milliseconds);
    bool KillTimer(unsigned id);
    // Paints the window now, not at the next chance.
    void UpdateWindow();
    void Invalidate();
    // The window's icon: the desktop shows the active window's big icon as its own.
    void SetIcon(HICON icon, bool big);
    HICON GetIcon(bool big) const { return big ? m_bigIcon : m_smallIcon; }
    // Centres a pop-up over the screen (it opens so already); a page fills the client area.
    void CenterWindow();
    // Whether the window covers the whole screen: the navigation bar, the client area and
    // the menu bar (SHFullScreen).
    void SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual const CMessageMap& GetMessageMap() const;
    // The window's own painting (with a CPaintDC); its controls paint themselves.
    virtual void OnPaint() {}
    // A key was released that no control of the window took.
    virtual void OnKeyUp(unsigned key, unsigned repeat, unsigned flags);
    // The pen went down on the window, not on one of its controls.
    virtual void OnLButtonDown(unsigned flags, CPoint point);
    virtual void OnTimer(unsigned id);
    // The window is going: its controls still exist, its run has ended.
    virtual void OnDestroy() {}

public:
    struct Run; // what exists while DoModal runs

private:
    friend class platform::gui::detail::DialogFrame;

    void MakeControls(const platform::gui::DialogTemplate& t);
    void FocusFirstControl();

    int m_templateId;
    CWnd* m_parent;
    bool m_open = false;
    CString m_title;
    HICON m_bigIcon, m_smallIcon;
    std::unique_ptr<Run> m_run;                      // while DoModal runs
    std::map<int, std::unique_ptr<CWnd>> m_controls; // by id, while the window exists
};

// Full-screen mode for the window of an open dialog: with SHFS_HIDETASKBAR its window
// covers the whole screen, from (0, 0) of the screen; SHFS_SHOWTASKBAR puts it back below
// the navigation bar. The input-panel button and the start icon have nothing to hide on a
// desktop. False when window is no open dialog.
bool SHFullScreen(CWnd* window, unsigned state);

template <class Control> void DDX_Control(CDataExchange* pDX, int id, Control& control) {
    if (!control.GetSafeHwnd())
        control.SubclassDlgItem(id, *pDX->m_pDlgWnd);
}
