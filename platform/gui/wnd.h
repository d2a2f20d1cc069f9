#pragma once

// Windows as the program addresses them: a dialog, or one of its controls by id. Positions
// are pixels of the dialog's client area.

#include "platform/cstring.h"

namespace platform::gui::detail {
struct Window; // what the toolkit has behind a CWnd
}

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// An icon: the id of its picture resource; none when 0.
struct HICON {
    int resource = 0;
    explicit operator bool() const { return resource != 0; }
    friend bool operator==(HICON, HICON) = default;
};

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Message box types: the buttons, or-ed with the icon.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    void ShowWindow(int command);
    bool IsWindowVisible() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void MoveWindow(int x, int y, int width, int height);
    CRect GetWindowRect() const; // in the client pixels of the window's dialog
    virtual void SetWindowText(const CString& text);
    virtual CString GetWindowText() const;
    void SetFocus();
    bool HasFocus() const;
    int GetDlgCtrlID() const { return m_id; }

    // A message box owned by this window; an empty caption shows the program's title.
    int MessageBox(const CString& text, const CString& caption = CString(), unsigned type = MB_OK);

    platform::gui::detail::Window* GetSafeHwnd() const { return m_hWnd; }
    void Attach(platform::gui::detail::Window* window, int id);

protected:
    platform::gui::detail::Window* m_hWnd = nullptr;
    int m_id = 0;
};

// A message box with the program's title as its caption.
int AfxMessageBox(const CString& text, unsigned type = MB_OK);
