#include "platform/clock.h"
#include "platform/gui/dc.h"
#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/shell/phone_screen.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

COLORREF At(const CBitmap& bitmap, int x, int y) {
    const QColor c = bitmap.Image()->pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

COLORREF At(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

// The smallest GIF there is: one white pixel (Qt reads GIF but cannot write it).
constexpr unsigned char kGif[] = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,   0, '!', 0xF9, 4,
    1,   0,   0,   0,   0,   ',', 0, 0, 0, 0, 1,    0, 1, 0,    0,    2,    2, 'D', 1, 0,   ';'};

TEST(PictureTest, PictureFilesLoadInEveryFormatByTheirPathOnThePhone) {
    testing_support::TempDevice device;
    const auto docs = device.Dir() / "files" / "My Documents";
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(QColor(0x10, 0x80, 0xF0));
    for (const char* format : {"jpg", "png", "bmp", "tif"})
        ASSERT_TRUE(picture.save(
            QString::fromStdString((docs / (std::string("p.") + format)).string()), format))
            << format;
    std::ofstream(docs / "one.gif", std::ios::binary)
        .write(reinterpret_cast<const char*>(kGif), sizeof kGif);
    std::ofstream(docs / "notes.jpg") << "not a picture";

    const struct {
        const char16_t* path;
        int width, height; // 0: does not load
    } cases[] = {
        {u"\\My Documents\\p.jpg", 30, 20},
        {u"\\my documents\\P.PNG", 30, 20},
        {u"\\My Documents\\p.bmp", 30, 20},
        {u"\\My Documents\\p.tif", 30, 20},
        {u"\\My Documents\\one.gif", 1, 1},
        {u"\\My Documents\\notes.jpg", 0, 0},
        {u"\\My Documents\\none.jpg", 0, 0},
        {u"", 0, 0},
        {u"\\..\\p.jpg", 0, 0},
    };
    for (const auto& c : cases) {
        CBitmap bitmap;
        const bool loaded = bitmap.LoadImageFile(c.path);
        EXPECT_EQ(loaded, c.width > 0) << CString(c.path).ToUtf8();
        BITMAP info;
        EXPECT_EQ(bitmap.GetBitmap(&info), loaded ? 1 : 0);
        if (loaded) {
            EXPECT_EQ(info.bmWidth, c.width);
            EXPECT_EQ(info.bmHeight, c.height);
        }
    }
    CBitmap frame;
    EXPECT_TRUE(frame.LoadImageFile(u"\\windows\\frame.jpg"))
        << "the frame installed with the program";
}

TEST(PictureTest, OffScreenSurfacesCopyPlainAndStretched) {
    CDC back;
    ASSERT_TRUE(back.CreateCompatibleDC(nullptr));
    CBitmap backBitmap;
    ASSERT_TRUE(backBitmap.CreateCompatibleBitmap(&back, 240, 320));
    EXPECT_EQ(back.SelectObject(&backBitmap), nullptr);
    EXPECT_EQ(At(backBitmap, 5, 5), RGB(255, 255, 255)) << "a new picture is white";

    // A 2 x 1 picture, black then red, in a surface of its own.
    CDC source;
    source.CreateCompatibleDC(&back);
    CBitmap stripes;
    stripes.CreateCompatibleBitmap(&back, 2, 1);
    source.SelectObject(&stripes);
    source.FillSolidRect({0, 0, 1, 1}, RGB(0, 0, 0));
    source.FillSolidRect({1, 0, 2, 1}, RGB(255, 0, 0));

    EXPECT_TRUE(back.StretchBlt(120, 41, 100, 50, &source, 0, 0, 2, 1, SRCCOPY));
    EXPECT_TRUE(back.BitBlt(0, 0, 2, 1, &source, 0, 0, SRCCOPY));
    CDC none;
    none.CreateCompatibleDC(&back);
    EXPECT_FALSE(back.BitBlt(0, 0, 2, 1, &none, 0, 0, SRCCOPY))
        << "a surface without a picture has nothing to copy";
    back.SelectObject(nullptr); // what was drawn stays in the picture

    EXPECT_EQ(At(backBitmap, 125, 60), RGB(0, 0, 0));
    EXPECT_EQ(At(backBitmap, 215, 60), RGB(255, 0, 0));
    EXPECT_EQ(At(backBitmap, 119, 60), RGB(255, 255, 255)) << "nothing left of the stretched copy";
    EXPECT_EQ(At(backBitmap, 150, 91), RGB(255, 255, 255)) << "nothing below it";
    EXPECT_EQ(At(backBitmap, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(At(backBitmap, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(backBitmap, 2, 0), RGB(255, 255, 255));
}

// The smallest rectangle holding the dark pixels of a picture.
QRect Ink(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST(PictureTest, WordBreakKeepsEvenAnOverlongWordInsideItsRectangle) {
    const QRect area(25, 130, 200, 140); // CRect{25, 130, 225, 270}
    // Sixty digits: one word, twice as wide as its line.
    std::u16string digits;
    for (int i = 0; i < 60; ++i)
        digits += static_cast<char16_t>(u'0' + i % 10);
    const struct {
        unsigned format;
        bool bottomRight; // where the last line ends
    } cases[] = {
        {DT_LEFT | DT_WORDBREAK | DT_NOPREFIX, false},
        {DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_NOPREFIX, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap picture;
        picture.CreateCompatibleBitmap(&dc, 240, 320);
        dc.SelectObject(&picture);
        const int height = dc.DrawText(digits, {25, 130, 225, 270}, c.format);
        const int line = dc.GetTextExtent(u"0").cy;
        dc.SelectObject(nullptr);
        const QRect ink = Ink(*picture.Image());
        EXPECT_TRUE(area.contains(ink)) << "nothing outside the rectangle";
        EXPECT_GE(height, 2 * line) << "the word broke over two lines";
        EXPECT_GT(ink.width(), 180) << "the broken word fills its line";
        EXPECT_GT(ink.height(), line);
        if (c.bottomRight)
            EXPECT_GT(ink.bottom(), area.bottom() - line / 2);
        else
            EXPECT_LT(ink.top(), area.top() + line / 2);
    }
}

constexpr int kSlides = 9401;
constexpr COLORREF kTeal = RGB(0x00, 0x80, 0x80);

// A page that draws itself over the whole screen, as a slideshow does: its face is a back
// buffer copied to the window on every paint.
class CSlidesDlg : public CDialog {
public:
    CSlidesDlg() : CDialog(kSlides) {}
    std::vector<std::string> events;
    COLORREF drawnAtOnce = 0;

protected:
    bool OnInitDialog() override {
        m_back.CreateCompatibleDC(nullptr);
        m_backBitmap.CreateCompatibleBitmap(&m_back, 240, 320);
        m_back.SelectObject(&m_backBitmap);
        m_back.FillSolidRect({0, 0, 240, 320}, kTeal);
        CDialog::OnInitDialog();
        EXPECT_TRUE(SHFullScreen(this, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON));
        MoveWindow(0, 0, 240, 320);
        SetTimer(100, 10000);
        return true;
    }
    void OnPaint() override { Present(); }
    void OnKeyUp(unsigned key, unsigned, unsigned) override {
        events.push_back("key " + std::to_string(key));
        if (key == VK_DOWN) {
            KillTimer(100);
            m_back.FillSolidRect({25, 130, 225, 270}, RGB(255, 255, 255));
            Present();
            drawnAtOnce = At(PhoneScreen::Instance()->Shot(), 100, 200);
        }
    }
    // As a slideshow's autoplay does: the timer stopped and set again from its own tick.
    void OnTimer(unsigned id) override {
        events.push_back("timer " + std::to_string(id));
        KillTimer(id);
        SetTimer(id, 10000);
    }
    void OnLButtonDown(unsigned, CPoint point) override {
        events.push_back("pen " + std::to_string(point.x) + "," + std::to_string(point.y));
        EndDialog(IDOK);
    }
    void OnDestroy() override {
        events.push_back("destroy");
        m_back.DeleteDC();
        m_backBitmap.DeleteObject();
    }

private:
    void Present() {
        CClientDC dc(this);
        dc.BitBlt(0, 0, 240, 320, &m_back, 0, 0, SRCCOPY);
    }
    CDC m_back;
    CBitmap m_backBitmap;
};

TEST(PictureTest, AFullScreenPageDrawsOverTheBarsAndTakesKeysTimerAndPen) {
    testing_support::TempDevice device;
    testing_support::Gui();
    RegisterDialog({kSlides, u"Slides", DialogKind::Page, 160, 170, {}});
    const auto shot = (device.Dir() / "slides.png").string();
    platform::SetTimeScale(0.01); // the 10 s timer ticks every 100 ms
    CSlidesDlg dlg;
    const auto result = testing_support::DriveDialog(
        dlg,
        "shot \"" + shot + "\"\nwait 350\nkey Right\nkey Down\nwait 300\nkey Left\npen 200 300\n");
    platform::SetTimeScale(1);

    EXPECT_EQ(result.exitCode, 0);
    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    for (const auto& [x, y] : {std::pair{0, 0}, {239, 12}, {120, 150}, {5, 319}})
        EXPECT_EQ(At(screen, x, y), kTeal)
            << x << "," << y << ": the page covers the navigation bar and the menu bar";
    EXPECT_EQ(dlg.drawnAtOnce, RGB(255, 255, 255)) << "what a window surface draws shows at once";

    // Ticks come every 100 ms until Down kills the timer; keys and the pen come in order.
    const auto down = std::find(dlg.events.begin(), dlg.events.end(), "key 40");
    ASSERT_NE(down, dlg.events.end());
    EXPECT_GE(std::count(dlg.events.begin(), down, "timer 100"), 2) << "the timer goes on";
    EXPECT_EQ(std::count(down, dlg.events.end(), "timer 100"), 0)
        << "no tick after the timer was killed";
    std::vector<std::string> rest;
    std::copy_if(dlg.events.begin(), dlg.events.end(), std::back_inserter(rest),
                 [](const std::string& e) { return e != "timer 100"; });
    EXPECT_EQ(rest,
              (std::vector<std::string>{"key 39", "key 40", "key 37", "pen 200,300", "destroy"}))
        << "the pen lands in screen pixels";
    EXPECT_EQ(PhoneScreen::Instance()->Title(), QString()) << "the screen is given back";
}

constexpr int kBox = 9402;

// A pop-up box that paints its client area and hears the pen on it.
class CBoxDlg : public CDialog {
public:
    CBoxDlg() : CDialog(kBox) {}
    std::vector<std::string> pens;

protected:
    void OnPaint() override {
        CPaintDC dc(this);
        dc.FillSolidRect({0, 0, 150, 95}, kTeal);
    }
    void OnLButtonDown(unsigned, CPoint point) override {
        pens.push_back(std::to_string(point.x) + "," + std::to_string(point.y));
        EndDialog(IDOK);
    }
};

TEST(PictureTest, APopUpPaintsAndHearsThePenInItsClientArea) {
    testing_support::TempDevice device;
    RegisterDialog({kBox, u"", DialogKind::Popup, 100, 60, {}});
    const auto shot = (device.Dir() / "box.png").string();
    CBoxDlg dlg;
    const auto result =
        testing_support::DriveDialog(dlg, "pen 5 5\nshot \"" + shot + "\"\npen 120 160\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.pens, (std::vector<std::string>{"74,47"}))
        << "beside the box the pen reaches nothing; on it, client pixels inside the border";
    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(At(screen, 120, 160), kTeal) << "the client area shows what the dialog painted";
    EXPECT_EQ(At(screen, 46, 113), kTeal);
    EXPECT_NE(At(screen, 45, 112), kTeal) << "the border stays";
    EXPECT_NE(At(screen, 5, 5), kTeal);
}

} // namespace
