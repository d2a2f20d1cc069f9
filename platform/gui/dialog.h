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

// What a control tells its dialog.
enum class CNotice {
    Command,   // a menu command (the id is the command's)
    Clicked,   // a button, check box or radio button was tapped
    Changed,   // an edit's text changed
    SetFocus,  // a control gained the input focus
    KillFocus, // a control lost it
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

template <class Dialog> CMessageMap::Entry OnNotice(CNotice notice, int id, void (Dialog::*handler)()) {
    return {notice, id, [handler](CDialog& dialog, int) { (static_cast<Dialog&>(dialog).*handler)(); }};
}
// A list's notice, with the row it is about.
template <class Dialog> CMessageMap::Entry OnNotify(CNotice notice, int id, void (Dialog::*handler)(int item)) {
    return {notice, id, [handler](CDialog& dialog, int item) { (static_cast<Dialog&>(dialog).*handler)(item); }};
}
// A handler that serves several controls is told which one it was.
template <class Dialog> CMessageMap::Entry OnClicked(int id, void (Dialog::*handler)(int id)) {
    return {CNotice::Clicked, id, [handler, id](CDialog& dialog, int) { (static_cast<Dialog&>(dialog).*handler)(id); }};
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
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
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

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual const CMessageMap& GetMessageMap() const;

public:
    struct Run; // what exists while DoModal runs

private:
    void MakeControls(const platform::gui::DialogTemplate& t);
    void FocusFirstControl();

    int m_templateId;
    CWnd* m_parent;
    bool m_open = false;
    CString m_title;
    std::unique_ptr<Run> m_run;                      // while DoModal runs
    std::map<int, std::unique_ptr<CWnd>> m_controls; // by id, while the window exists
};
