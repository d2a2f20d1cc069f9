#pragma once

// Drawing surfaces and pictures: what the program draws its own rows, strips and slides
// with. A surface draws on a window (CClientDC, CPaintDC) or, made compatible with the
// screen, on a picture selected into it (an off-screen surface). Colours are COLORREF
// values as the phone writes them, 0x00BBGGRR.

#include "platform/cstring.h"
#include "platform/gui/wnd.h"

#include <cstdint>
#include <memory>
#include <vector>

class QImage;
class QPaintDevice;
class QPainter;
class CDC;

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

// The raster operation of the copies: the source as it is.
inline constexpr unsigned SRCCOPY = 0x00CC0020;

// What the program learns of a picture.
struct BITMAP {
    int bmWidth = 0;
    int bmHeight = 0;
};

// A picture: a bitmap resource, a picture file of the phone, or a blank one to draw on.
class CBitmap {
public:
    CBitmap();
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    bool LoadBitmap(int resourceId);
    // A picture file (JPEG, GIF, BMP, PNG, TIFF) by its path on the phone; false when it
    // cannot be read or decoded, or the path is empty.
    bool LoadImageFile(const CString& path);
    // A white picture of the screen's kind to draw on.
    bool CreateCompatibleBitmap(CDC* dc, int width, int height);
    // Nonzero when there is a picture; its size in info.
    int GetBitmap(BITMAP* info) const;
    bool DeleteObject();
    bool IsNull() const { return m_image == nullptr; }

    QImage* Image() const { return m_image.get(); } // the toolkit's side

private:
    friend class CDC;
    std::unique_ptr<QImage> m_image;
    CDC* m_selectedInto = nullptr; // a picture that goes leaves its surface drawing nowhere
};

class CDC {
public:
    // A surface that draws nowhere until CreateCompatibleDC and a picture selected into it.
    CDC();
    // Draws with painter (a list's rows as the list paints them).
    explicit CDC(QPainter& painter);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // An off-screen surface compatible with like (or the screen): it draws on the picture
    // selected into it.
    bool CreateCompatibleDC(CDC* like);
    // Selects a picture into an off-screen surface; the picture selected before, or null.
    CBitmap* SelectObject(CBitmap* bitmap);
    bool DeleteDC();

    // Copies width x height from (xSrc, ySrc) of source to (x, y) of this surface.
    bool BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, unsigned rop);
    // Copies the source rectangle stretched (or shrunk) into the destination rectangle.
    bool StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, unsigned rop);

    int SaveDC();
    void RestoreDC(int saved);
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    void FillSolidRect(const CRect& rect, COLORREF color);
    // Draws text into rect with the flags; returns the height of the text drawn. With
    // DT_WORDBREAK and DT_NOPREFIX a word longer than the line breaks where the line ends.
    int DrawText(const CString& text, const CRect& rect, unsigned format);
    CSize GetTextExtent(const CString& text) const;
    // Narrows where drawing lands to rect (within what was allowed already).
    void IntersectClipRect(const CRect& rect);
    // Sets where drawing lands to rect, whatever was allowed before.
    void SelectClipRect(const CRect& rect);
    void DrawFocusRect(const CRect& rect);

protected:
    // Starts drawing on device with a painter of this surface's own.
    void Begin(QPaintDevice& device);
    void End();

private:
    struct State {
        COLORREF text, background;
    };
    std::unique_ptr<QPainter> m_own; // an off-screen or window surface's painter
    QPainter* m_painter = nullptr;   // what draws: m_own, a list's painter, or none
    bool m_memory = false;           // made by CreateCompatibleDC
    CBitmap* m_selected = nullptr;
    COLORREF m_text;
    COLORREF m_background;
    std::vector<State> m_saved;
};

// A surface that draws on a window of the program, kept by the window between paints; the
// window shows it at once when the surface goes (or, while the window paints, right after).
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    struct Target; // the window, watched, and its face, kept while drawing on it
    std::unique_ptr<Target> m_target;
};

// The surface of a window's OnPaint.
class CPaintDC : public CClientDC {
public:
    using CClientDC::CClientDC;
};
