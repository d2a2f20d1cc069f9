#pragma once

// The list view control in report view: columns with a width and an alignment, rows of
// cell texts, a focused and selected state per row. A tap tells the owning dialog the row
// it hit (-1 below the rows); with owner-drawn rows the control's DrawItem paints each row.

#include "platform/gui/dc.h"
#include "platform/gui/wnd.h"

#include <cstdint>

class CDialog;

inline constexpr unsigned LVIS_FOCUSED = 0x0001;
inline constexpr unsigned LVIS_SELECTED = 0x0002;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;
inline constexpr int LVIR_BOUNDS = 0;
inline constexpr int LVIR_LABEL = 2;
// Styles the program changes.
inline constexpr std::uint32_t LVS_OWNERDRAWFIXED = 0x0400;

class CListCtrl : public CWnd {
public:
    CListCtrl();
    ~CListCtrl() override;

    // Binds this object to list view id of an open dialog.
    bool SubclassDlgItem(int id, CDialog& dialog);

    int InsertColumn(int column, const CString& heading, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    int GetColumnFormat(int column) const;

    int InsertItem(int item, const CString& text);
    bool SetItemText(int item, int subItem, const CString& text);
    CString GetItemText(int item, int subItem) const;
    int GetItemCount() const;
    bool DeleteAllItems();
    unsigned GetItemState(int item, unsigned mask) const;
    bool SetItemState(int item, unsigned state, unsigned mask);
    bool GetItemRect(int item, CRect& rect, int code) const;

    void ModifyStyle(std::uint32_t remove, std::uint32_t add);
    std::uint32_t GetStyle() const;
    std::uint32_t SetExtendedStyle(std::uint32_t style);
    std::uint32_t GetExtendedStyle() const;
    // Repaints the list (now: at once, not at the next chance).
    void Invalidate();
    void UpdateWindow();

    // Owner-drawn rows: called for every row to paint, with the row's bounds.
    virtual void DrawItem(CDC& dc, int item, const CRect& bounds);
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}

private:
    CDialog* m_dialog = nullptr; // whose control this is bound to
};
