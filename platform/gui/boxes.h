#pragma once

// Combo boxes (a drop-down list, or a drop-down with a text field of its own) and list
// boxes, bound to a dialog's controls: their items, the current item, and for a combo box
// its text. Sorted boxes keep their items in order as they are added.

#include "platform/gui/wnd.h"

class CDialog;

inline constexpr int CB_ERR = -1;
inline constexpr int LB_ERR = -1;

class CComboBox : public CWnd {
public:
    ~CComboBox() override;
    bool SubclassDlgItem(int id, CDialog& dialog);
    int AddString(const CString& text); // the index it went to
    int GetCount() const;
    int GetCurSel() const; // CB_ERR for none
    int SetCurSel(int index);
    CString GetLBText(int index) const;
    void ResetContent();

private:
    CDialog* m_dialog = nullptr;
};

class CListBox : public CWnd {
public:
    ~CListBox() override;
    bool SubclassDlgItem(int id, CDialog& dialog);
    int AddString(const CString& text);
    // Puts text at index (-1: the end) whether the box is sorted or not; the index it went to.
    int InsertString(int index, const CString& text);
    int GetCount() const;
    int GetCurSel() const; // LB_ERR for none
    int SetCurSel(int index);
    CString GetText(int index) const;
    void ResetContent();

private:
    CDialog* m_dialog = nullptr;
};

class CDataExchange;
// The text of a combo box: shown, the first item that begins with it is chosen, else the
// text goes into its text field; read, whatever it shows, typed text included.
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
