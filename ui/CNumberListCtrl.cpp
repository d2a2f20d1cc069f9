#include "ui/CNumberListCtrl.h"

#include "platform/shell/menu.h"

namespace {

constexpr unsigned kAllStates = 0xFFFF;
constexpr const char16_t* kEllipsis = u"...";

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

CString CNumberListCtrl::FitCellText(const CDC& dc, const CString& text, int width) {
    if (dc.GetTextExtent(text).cx <= width)
        return text;
    for (int n = text.GetLength(); n >= 0; --n) {
        if (n > 0 && IsHighSurrogate(text[n - 1]))
            continue; // never half a character
        const CString cut = text.Left(n) + kEllipsis;
        if (dc.GetTextExtent(cut).cx < width)
            return cut;
    }
    return kEllipsis;
}

void CNumberListCtrl::DrawCellText(CDC& dc, const CString& text, const CRect& rect,
                                   unsigned format) {
    dc.DrawText(FitCellText(dc, text, rect.right - rect.left), rect, format);
}

CRect CNumberListCtrl::HighlightRect(int item) const {
    CRect bounds, label;
    GetItemRect(item, bounds, LVIR_BOUNDS);
    GetItemRect(item, label, LVIR_LABEL);
    bounds.left = label.left;
    return bounds;
}

void CNumberListCtrl::DrawItem(CDC& dc, int item, const CRect& bounds) {
    const int saved = dc.SaveDC();
    const bool focused = (GetItemState(item, kAllStates) & LVIS_FOCUSED) != 0;
    CRect label;
    GetItemRect(item, label, LVIR_LABEL);
    const int space = dc.GetTextExtent(u" ").cx;
    const CRect highlight = HighlightRect(item);

    // The focused row stays highlighted when the focus goes elsewhere; only its outline
    // goes with the focus.
    if (focused) {
        dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
        dc.SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
        dc.FillSolidRect(highlight, GetSysColor(COLOR_HIGHLIGHT));
    }

    CRect cell = bounds;
    cell.right = bounds.left + GetColumnWidth(0);
    dc.SelectClipRect(cell);
    DrawCellText(dc, GetItemText(item, 0),
                 {label.left + space, label.top, label.right - 2 * space, label.bottom},
                 DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);

    dc.SelectClipRect(bounds);
    for (int column = 1; column < GetColumnCount(); ++column) {
        cell.left = cell.right;
        cell.right += GetColumnWidth(column);
        const CString text = GetItemText(item, column);
        if (text.IsEmpty())
            continue;
        const int format = GetColumnFormat(column);
        const unsigned align = format == LVCFMT_RIGHT    ? DT_RIGHT
                               : format == LVCFMT_CENTER ? DT_CENTER
                                                         : DT_LEFT;
        DrawCellText(dc, text,
                     {cell.left + 2 * space, cell.top, cell.right - 2 * space, cell.bottom},
                     align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    if (focused && HasFocus())
        dc.DrawFocusRect(highlight);
    dc.RestoreDC(saved);
}

void CNumberListCtrl::PreSubclassWindow() {
    ApplyListStyle();
    CListCtrl::PreSubclassWindow();
}

void CNumberListCtrl::ApplyListStyle() {
    ModifyStyle(LVS_TYPEMASK | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER);
}

// A change of focus within the list (to a window of its own) changes nothing of its look.
void CNumberListCtrl::OnSetFocus(CWnd* other) {
    CListCtrl::OnSetFocus(other);
    if (other && IsChild(other))
        return;
    if ((GetStyle() & LVS_TYPEMASK) == LVS_REPORT)
        RepaintFocusRows();
}

void CNumberListCtrl::OnKillFocus(CWnd* other) {
    CListCtrl::OnKillFocus(other);
    if (other && IsChild(other))
        return;
    if ((GetStyle() & LVS_TYPEMASK) == LVS_REPORT)
        RepaintFocusRows();
}

void CNumberListCtrl::RepaintFocusRows() {
    const bool selectionAlways = (GetStyle() & LVS_SHOWSELALWAYS) != 0;
    for (int item = 0; item < GetItemCount(); ++item) {
        const unsigned state = GetItemState(item, LVIS_FOCUSED | LVIS_SELECTED);
        if ((state & LVIS_FOCUSED) || (!selectionAlways && (state & LVIS_SELECTED)))
            InvalidateRect(HighlightRect(item), false);
    }
    UpdateWindow();
}

bool CNumberListCtrl::OnHold(CPoint screenPoint) {
    ShowContextMenu(screenPoint);
    return true;
}

// The menu's second top-level item is the pop-up; its command goes to the owner as a menu
// command, without a row.
void CNumberListCtrl::ShowContextMenu(CPoint screenPoint) {
    if (m_menuMode == kNoMenuMode)
        return;
    const int menu = m_menuMode == kViewerMenuMode ? kViewerMenu : kMainMenu;
    const int command = platform::gui::TrackSubMenu(menu, 1, screenPoint.x, screenPoint.y,
                                                    platform::gui::MenuAnchor::TopLeft);
    if (command != 0 && GetParent())
        GetParent()->Dispatch(CNotice::Command, command);
}
