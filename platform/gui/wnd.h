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

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

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

    platform::gui::detail::Window* GetSafeHwnd() const { return m_hWnd; }
    void Attach(platform::gui::detail::Window* window, int id);

protected:
    platform::gui::detail::Window* m_hWnd = nullptr;
    int m_id = 0;
};
