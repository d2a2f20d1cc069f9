#include "ui/CPictureDlg.h"

#include "platform/gui/ui_thread.h"
#include "platform/shell/menu.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"

namespace {

constexpr const char16_t* kFramePath = u"\\windows\\frame.jpg";
constexpr const char16_t* kNotSet = u"头像未设定";
constexpr const char16_t* kPhotoLabel = u"头像图片路径";
constexpr const char16_t* kTitleColon = u"：";

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
constexpr unsigned kAutoPlayTimer = 100;
constexpr unsigned kAutoPlayPeriod = 10000;
constexpr int kIntroPause = 200;
constexpr int kWipePause = 100;
constexpr int kWipeSteps = 8;

// Where things go on the screen.
constexpr int kPhotoLeft = 120, kPhotoTop = 16, kPhotoBox = 100;
constexpr CRect kNotSetRect{132, 20, 208, 110};
constexpr int kNotSetWidth = 77, kNotSetHeight = 90; // the whitened box, a pixel wider
constexpr CRect kTitleRect{25, 90, 120, 116};
constexpr CRect kTextArea{25, 130, 225, 270};

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Texts are the owner's data: an "&" in them is a character, not a mnemonic.
constexpr unsigned kTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
constexpr unsigned kStampFormat = DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_NOPREFIX;
constexpr unsigned kTitleFormat = DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX;
constexpr unsigned kNotSetFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

} // namespace

CPictureDlg::CPictureDlg(CWnd* parent) : CDialog(140, parent) {}

void CPictureDlg::CreateBackBuffer(int width, int height) {
    m_backWidth = width;
    m_backHeight = height;
    m_backDC.CreateCompatibleDC(nullptr);
    m_backBitmap.CreateCompatibleBitmap(&m_backDC, width, height);
    m_backDC.SelectObject(&m_backBitmap);
    FillWhite(0, 0, width, height);
}

void CPictureDlg::PresentBackBuffer() {
    CClientDC dc(this);
    dc.BitBlt(0, 0, m_backWidth, m_backHeight, &m_backDC, 0, 0, SRCCOPY);
}

void CPictureDlg::OnPaint() {
    PresentBackBuffer();
}

bool CPictureDlg::OnInitDialog() {
    CreateBackBuffer(kScreenWidth, kScreenHeight);
    CDialog::OnInitDialog();

    m_noPhoto = 0;
    if (m_frameBitmap.LoadImageFile(kFramePath))
        m_frameBitmap.GetBitmap(&m_frameSize);
    if (!m_photoBitmap.LoadImageFile(m_photoPath)) {
        m_photoBitmap.LoadImageFile(kFramePath);
        m_noPhoto = 1;
    }
    m_photoBitmap.GetBitmap(&m_photoSize);

    if (platform::gui::CMenuBar* bar = platform::gui::SHFindMenuBar(*this))
        bar->Show(false);
    SHFullScreen(this, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON);
    MoveWindow(0, 0, kScreenWidth, kScreenHeight);
    ShowWindow(SW_SHOW); // shown now, so that the opening's steps show as they are drawn
    UpdateWindow();

    m_count = 0;
    m_index = 0;
    CountSlides();
    ShowSlide(kNone);
    if (m_autoPlay == 1)
        SetTimer(kAutoPlayTimer, kAutoPlayPeriod);
    return true;
}

void CPictureDlg::CountSlides() {
    platform::RegistryKey key;
    bool existed = false;
    if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, m_keyPath, key, existed) != 0 || !existed)
        return;
    int count = 0;
    if (CRegistryStore::CountValues(key, count) == 0)
        m_count = count;
}

void CPictureDlg::ShowSlide(int transition) {
    CString name, text;
    {
        // The key is closed again before the slide's pauses.
        platform::RegistryKey key;
        bool existed = false;
        if (CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, m_keyPath, key, existed) != 0 || !existed ||
            CRegistryStore::EnumValue(key, m_index, name, text) != 0)
            return; // the screen keeps what it shows
    }
    DrawSlide(text, name, transition);
}

void CPictureDlg::DrawSlide(const CString& text, const CString& name, int transition) {
    if (transition == kNone && !m_frameBitmap.IsNull())
        DrawIntroduction();
    Wipe(transition);
    FillWhite(kTextArea.left, kTextArea.top, kTextArea.Width(), kTextArea.Height());
    m_backDC.DrawText(text, kTextArea, kTextFormat);
    m_backDC.DrawText(name == kAvatarValue ? CString(kPhotoLabel) : name, kTextArea, kStampFormat);
    PresentBackBuffer();
}

// The frame rolled down, the photo zoomed in (or the frame with "not set" in its place), and
// the name: drawn once, when the viewer opens.
void CPictureDlg::DrawIntroduction() {
    FillWhite(0, 0, m_backWidth, m_backHeight);
    PresentBackBuffer();
    for (int height = kScreenHeight / 4; height <= kScreenHeight; height += kScreenHeight / 4) {
        StretchPicture(m_frameBitmap, m_frameSize, 0, 0, kScreenWidth, height);
        PresentBackBuffer();
        platform::gui::PauseThread(kIntroPause);
    }
    if (!m_photoBitmap.IsNull())
        DrawPhoto();
    m_title += kTitleColon;
    m_backDC.DrawText(m_title, kTitleRect, kTitleFormat);
    PresentBackBuffer();
}

// The photo keeps its proportions, its longer side 100 pixels, centred in the photo box.
void CPictureDlg::DrawPhoto() {
    const int w = m_photoSize.bmWidth, h = m_photoSize.bmHeight;
    const int shorter = w > h ? (kPhotoBox * h) / w : (kPhotoBox * w) / h;
    const int width = w > h ? kPhotoBox : shorter;
    const int height = w > h ? shorter : kPhotoBox;
    if (m_noPhoto == 1) {
        StretchPicture(m_photoBitmap, m_photoSize, kPhotoLeft + (kPhotoBox - width) / 2,
                       kPhotoTop + (kPhotoBox - height) / 2, width, height);
        FillWhite(kNotSetRect.left, kNotSetRect.top, kNotSetWidth, kNotSetHeight);
        m_backDC.DrawText(kNotSet, kNotSetRect, kNotSetFormat);
        PresentBackBuffer();
        return;
    }
    for (int k = 1; k <= 4; ++k) {
        const int wk = (k * width) / 4, hk = (k * height) / 4;
        StretchPicture(m_photoBitmap, m_photoSize, kPhotoLeft + (kPhotoBox - wk) / 2,
                       kPhotoTop + (kPhotoBox - hk) / 2, wk, hk);
        PresentBackBuffer();
        platform::gui::PauseThread(kIntroPause);
    }
}

// Whitens the text area strip by strip in the direction of the step.
void CPictureDlg::Wipe(int transition) {
    if (transition < kDown || transition > kLeft)
        return;
    const int left = kTextArea.left, top = kTextArea.top;
    const int width = kTextArea.Width(), height = kTextArea.Height();
    for (int k = 1; k <= kWipeSteps; ++k) {
        const int rows = (height * k) / kWipeSteps, columns = (width * k) / kWipeSteps;
        const int rest = kWipeSteps - k;
        switch (transition) {
        case kDown:
            FillWhite(left, top, width, rows);
            break;
        case kUp:
            FillWhite(left, top + (height * rest) / kWipeSteps, width, rows);
            break;
        case kRight:
            FillWhite(left, top, columns, height);
            break;
        case kLeft:
            FillWhite(left + (width * rest) / kWipeSteps, top, columns, height);
            break;
        }
        PresentBackBuffer();
        platform::gui::PauseThread(kWipePause);
    }
}

void CPictureDlg::StretchPicture(CBitmap& picture, const BITMAP& size, int x, int y, int width,
                                 int height) {
    CDC source;
    source.CreateCompatibleDC(&m_backDC);
    CBitmap* before = source.SelectObject(&picture);
    m_backDC.StretchBlt(x, y, width, height, &source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    source.SelectObject(before);
}

void CPictureDlg::FillWhite(int x, int y, int width, int height) {
    m_backDC.FillSolidRect({x, y, x + width, y + height}, kWhite);
}

// The index moves on even when the slide it comes to cannot be read.
void CPictureDlg::Next() {
    ++m_index;
    if (static_cast<unsigned>(m_index) >= static_cast<unsigned>(m_count))
        m_index = 0;
}

void CPictureDlg::Previous() {
    --m_index;
    if (m_index < 0)
        m_index = m_count - 1;
}

// Any key ends the automatic advance for good.
void CPictureDlg::OnKeyUp(unsigned key, unsigned repeat, unsigned flags) {
    KillTimer(kAutoPlayTimer);
    switch (key) {
    case VK_RIGHT:
        Next();
        ShowSlide(kRight);
        break;
    case VK_DOWN:
        Next();
        ShowSlide(kDown);
        break;
    case VK_LEFT:
        Previous();
        ShowSlide(kLeft);
        break;
    case VK_UP:
        Previous();
        ShowSlide(kUp);
        break;
    default:
        break;
    }
    CDialog::OnKeyUp(key, repeat, flags);
}

void CPictureDlg::OnTimer(unsigned id) {
    if (id != kAutoPlayTimer) {
        CDialog::OnTimer(id);
        return;
    }
    KillTimer(kAutoPlayTimer);
    Next();
    ShowSlide(kRight);
    SetTimer(kAutoPlayTimer, kAutoPlayPeriod);
}

void CPictureDlg::OnLButtonDown(unsigned flags, CPoint point) {
    EndDialog(IDOK);
    CDialog::OnLButtonDown(flags, point);
}

void CPictureDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_backDC.DeleteDC();
    m_backBitmap.DeleteObject();
}
