#pragma once

// The list view control in report view: columns with a width and an alignment, rows of
// cell texts, a focused and selected state per row. A tap tells the owning dialog the row
// it hit (-1 below the rows); with owner-drawn rows the control's DrawItem paints each row.
// A program object bound to the list (SubclassDlgItem) hears of its attach, of focus
// changes and of the tap-and-hold gesture first.

#include "platform/gui/dc.h"
#include "platform/gui/dialog.h"
#include "platform/gui/wnd.h"

#include <cstdint>

inline constexpr unsigned LVIS_FOCUSED = 0x0001;
inline constexpr unsigned LVIS_SELECTED = 0x0002;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;
inline constexpr int LVIR_BOUNDS = 0;
inline constexpr int LVIR_LABEL = 2;

// Styles. A list made from a template starts with the styles the template gives it.
inline constexpr std::uint32_t LVS_ICON = 0x0000;
inline constexpr std::uint32_t LVS_REPORT = 0x0001;
inline constexpr std::uint32_t LVS_SMALLICON = 0x0002;
inline constexpr std::uint32_t LVS_LIST = 0x0003;
inline constexpr std::uint32_t LVS_TYPEMASK = 0x0003; // the view
inline constexpr std::uint32_t LVS_SINGLESEL = 0x0004;
inline constexpr std::uint32_t LVS_SHOWSELALWAYS = 0x0008;
inline constexpr std::uint32_t LVS_EDITLABELS = 0x0200;
inline constexpr std::uint32_t LVS_OWNERDRAWFIXED = 0x0400;
inline constexpr std::uint32_t LVS_NOCOLUMNHEADER = 0x4000;

// Extended styles: kept as set; the rows are always selected whole, and the list never
// scrolls sideways.
inline constexpr std::uint32_t LVS_EX_FULLROWSELECT = 0x00000020;
inline constexpr std::uint32_t LVS_EX_NOHSCROLL = 0x10000000;
inline constexpr std::uint32_t LVS_EX_GRADIENT = 0x20000000;

class CListCtrl : public CWnd {
public:
    CListCtrl();
    ~CListCtrl() override;

    // Binds this object to list view id of an open dialog, then PreSubclassWindow.
    bool SubclassDlgItem(int id, CDialog& dialog);
    // The dialog the list is bound in (null before SubclassDlgItem).
    CDialog* GetParent() const { return m_dialog; }

    int InsertColumn(int column, const CString& heading, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    int GetColumnFormat(int column) const;

    int InsertItem(int item, const CString& text);
    bool SetItemText(int item, int subItem, const CString& text);
    CString GetItemText(int item, int subItem) const;
    int GetItemCount() const;
    bool DeleteAllItems();
    // Scrolls the list by whole rows so that item is in sight.
    bool EnsureVisible(int item, bool partialOk);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    unsigned GetItemState(int item, unsigned mask) const;
    bool SetItemState(int item, unsigned state, unsigned mask);
    // LVIR_BOUNDS: the whole row; LVIR_LABEL: column 0's part of it.
    bool GetItemRect(int item, CRect& rect, int code) const;

    void ModifyStyle(std::uint32_t remove, std::uint32_t add);
    std::uint32_t GetStyle() const;
    std::uint32_t SetExtendedStyle(std::uint32_t style);
    std::uint32_t GetExtendedStyle() const;
    // Marks the list (or rect of it) for painting at the next chance. The rows paint on a
    // fresh background whatever erase says.
    void Invalidate();
    void InvalidateRect(const CRect& rect, bool erase = true);
    // Paints the list now, not at the next chance.
    void UpdateWindow();
    // Whether window is a window inside the list (not the list itself).
    bool IsChild(const CWnd* window) const;

    // Owner-drawn rows: called for every row to paint, with the row's bounds.
    virtual void DrawItem(CDC& dc, int item, const CRect& bounds);
    // The list gained or lost the input focus; other is the window that had it or takes
    // it, valid for the call only (null when none).
    virtual void OnSetFocus(CWnd* other);
    virtual void OnKillFocus(CWnd* other);
    // The list was tapped and held at point (screen pixels); true when the object took
    // the gesture, false to tell the dialog (CNotice::Hold).
    virtual bool OnHold(CPoint screenPoint);

protected:
    // Called by SubclassDlgItem once the object is bound to the list.
    virtual void PreSubclassWindow() {}

private:
    CDialog* m_dialog = nullptr; // whose control this is bound to
};
