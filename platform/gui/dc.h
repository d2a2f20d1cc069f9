#pragma once

// A drawing surface: what the program draws its own rows and pictures with. Colours are
// COLORREF values as the phone writes them, 0x00BBGGRR.

#include "platform/cstring.h"
#include "platform/gui/wnd.h"

#include <cstdint>
#include <vector>

class QPainter;

using COLORREF = std::uint32_t;
constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct CSize {
    int cx = 0, cy = 0;
};

// DrawText's flags.
inline constexpr unsigned DT_LEFT = 0x0000;
inline constexpr unsigned DT_CENTER = 0x0001;
inline constexpr unsigned DT_RIGHT = 0x0002;
inline constexpr unsigned DT_VCENTER = 0x0004;
inline constexpr unsigned DT_BOTTOM = 0x0008;
inline constexpr unsigned DT_WORDBREAK = 0x0010;
inline constexpr unsigned DT_SINGLELINE = 0x0020;
inline constexpr unsigned DT_NOCLIP = 0x0100;
inline constexpr unsigned DT_NOPREFIX = 0x0800;

// The system colours the program asks for.
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
COLORREF GetSysColor(int index);

class CDC {
public:
    explicit CDC(QPainter& painter);
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    int SaveDC();
    void RestoreDC(int saved);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    void FillSolidRect(const CRect& rect, COLORREF color);
    // Draws text into rect with the flags; returns the height of the text drawn.
    int DrawText(const CString& text, const CRect& rect, unsigned format);
    CSize GetTextExtent(const CString& text) const;
    // Narrows where drawing lands to rect (within what was allowed already).
    void IntersectClipRect(const CRect& rect);
    // Sets where drawing lands to rect, whatever was allowed before.
    void SelectClipRect(const CRect& rect);
    void DrawFocusRect(const CRect& rect);

private:
    struct State {
        COLORREF text, background;
    };
    QPainter& m_painter;
    COLORREF m_text;
    COLORREF m_background;
    std::vector<State> m_saved;
};
