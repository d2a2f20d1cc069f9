#pragma once

// The number list: the owner-drawn list of the main window (control 1001 of dialog 102)
// and of the message viewer (control 2001 of dialog 134). One line a row, no headings; the
// focused row is highlighted from column 0's text to the row's end, and outlined while
// the list has the input focus; a text too wide for its cell ends in "...". A tap-and-hold
// opens the owner's context menu, whose commands reach the owner as menu commands.

#include "platform/gui/listctrl.h"

class CNumberListCtrl : public CListCtrl {
public:
    // Values of m_menuMode; any other opens the main window's menu.
    static constexpr int kViewerMenuMode = 1; // the message viewer's menu (141)
    static constexpr int kMainMenuMode = 2;   // the main window's menu (129)
    static constexpr int kNoMenuMode = 3;     // no context menu
    static constexpr int kMainMenu = 129;
    static constexpr int kViewerMenu = 141;

    // Which context menu a tap-and-hold opens; the owner sets it while it initialises.
    int m_menuMode = 0;

    // What DrawCellText shows of text in width pixels of dc's font: the whole text when it
    // fits, else its longest beginning that, followed by "...", is narrower than width;
    // "..." alone when none is.
    static CString FitCellText(const CDC& dc, const CString& text, int width);
    // Draws FitCellText of text for rect's width into rect with the DrawText flags.
    static void DrawCellText(CDC& dc, const CString& text, const CRect& rect, unsigned format);

    void DrawItem(CDC& dc, int item, const CRect& bounds) override;
    void OnSetFocus(CWnd* other) override;
    void OnKillFocus(CWnd* other) override;
    bool OnHold(CPoint screenPoint) override;

protected:
    void PreSubclassWindow() override;
    // Report view, one row selected at a time, rows drawn here, no headings; no editing of
    // labels, and the selection shows only while the list has the focus.
    void ApplyListStyle();
    // Repaints at once the rows whose look depends on the focus.
    void RepaintFocusRows();
    void ShowContextMenu(CPoint screenPoint);

private:
    // The focused row's highlight: the row from its label's left edge.
    CRect HighlightRect(int item) const;
};
