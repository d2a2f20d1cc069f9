#pragma once

// The picture viewer (dialog 140): the messages of one record key as full-screen slides over
// the frame picture, with the number's photo and name. The direction keys step through the
// slides with a wipe of the text area, a timer steps on its own in autoplay until the first
// key, and a tap anywhere closes the viewer.
//
// Everything is drawn into a back buffer of the screen's size, which is copied whole to the
// window after every drawing step.

#include "platform/gui/dc.h"
#include "platform/gui/dialog.h"

class CPictureDlg : public CDialog {
public:
    explicit CPictureDlg(CWnd* parent = nullptr);

    int m_count = 0;     // slides: values of the record key
    int m_index = 0;     // the slide shown, 0 to m_count - 1
    int m_autoPlay = 0;  // set by the caller: 1 steps on every ten seconds
    int m_noPhoto = 0;   // 1 when the frame picture stands in for the photo
    CString m_keyPath;   // set by the caller: the record key below the local-machine root
    CString m_title;     // set by the caller: the name shown above the text
    CString m_photoPath; // set by the caller when the number has a photo
    CBitmap m_frameBitmap;
    CBitmap m_photoBitmap; // the photo, or the frame picture in its place
    BITMAP m_frameSize;
    BITMAP m_photoSize;
    CDC m_backDC;
    CBitmap m_backBitmap;
    int m_backWidth = 0;
    int m_backHeight = 0;

    // The wipes of the text area from one slide to the next.
    enum Transition { kNone = 0, kDown = 1, kUp = 2, kRight = 3, kLeft = 4 };

protected:
    bool OnInitDialog() override;
    void OnPaint() override;
    void OnKeyUp(unsigned key, unsigned repeat, unsigned flags) override;
    void OnLButtonDown(unsigned flags, CPoint point) override;
    void OnTimer(unsigned id) override;
    void OnDestroy() override;

private:
    void CreateBackBuffer(int width, int height);
    void PresentBackBuffer();
    void CountSlides();
    void ShowSlide(int transition);
    void DrawSlide(const CString& text, const CString& name, int transition);
    void DrawIntroduction();
    void DrawPhoto();
    void Wipe(int transition);
    // Copies the whole of picture stretched into (x, y) of the back buffer, width x height.
    void StretchPicture(CBitmap& picture, const BITMAP& size, int x, int y, int width, int height);
    void FillWhite(int x, int y, int width, int height);
    void Next();
    void Previous();
};
