// The picture viewer as its owner sees it: the opening over the frame with the photo or
// "头像未设定", the text area's wipes from slide to slide, the autoplay timer, and the tap
// that closes it. What the viewer presents is recorded frame by frame.

#include "ui/CPictureDlg.h"

#include "platform/clock.h"
#include "platform/gui/dc.h"
#include "platform/shell/phone_screen.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kKey = u"Software\\Tolvane\\Brenwick\\Content\\+8613800138000";
const QRect kTextArea(25, 130, 200, 140);
const QRect kTitleArea(25, 90, 95, 26);
const QColor kPhotoRed(220, 30, 30);
const QColor kFrameBlue(40, 80, 160);

bool IsWhite(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.red() >= 245 && c.green() >= 245 && c.blue() >= 245;
}
bool IsRed(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}
bool AllWhite(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!IsWhite(image, x, y))
                return false;
    return true;
}
bool AnyDark(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                return true;
    return false;
}
// The smallest rectangle holding every pixel that differs; null when none does.
QRect Changed(const QImage& before, const QImage& after) {
    QRect changed;
    for (int y = 0; y < before.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < before.width(); ++x)
            if (a[x] != b[x])
                changed |= QRect(x, y, 1, 1);
    }
    return changed;
}
bool Within(const QRect& changed, const QRect& area) {
    return changed.isNull() || area.contains(changed);
}

// The strip a wipe has whitened after step k of 8.
QRect Strip(int transition, int k) {
    const int rows = 140 * k / 8, columns = 200 * k / 8;
    switch (transition) {
    case CPictureDlg::kDown:
        return {25, 130, 200, rows};
    case CPictureDlg::kUp:
        return {25, 130 + 140 * (8 - k) / 8, 200, rows};
    case CPictureDlg::kRight:
        return {25, 130, columns, 140};
    default:
        return {25 + 200 * (8 - k) / 8, 130, columns, 140};
    }
}

// The text area as a slide shows it: the text from the top left, the label at the bottom
// right, both word-wrapped, "&" a character like any other.
QImage TextAreaOf(const CString& text, const CString& label) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap picture;
    picture.CreateCompatibleBitmap(&dc, 240, 320);
    dc.SelectObject(&picture);
    const CRect area{25, 130, 225, 270};
    dc.DrawText(text, area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    dc.DrawText(label, area, DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_NOPREFIX);
    dc.SelectObject(nullptr);
    return picture.Image()->copy(kTextArea);
}

// The viewer with every presented frame kept: those of the opening, and those of each key
// and timer tick with the slide index it left (repaints in between are left out).
class CRecordedPictureDlg : public CPictureDlg {
public:
    struct Step {
        std::string event; // "key 37", "timer"
        int index = 0;
        std::vector<QImage> frames;
    };
    std::vector<QImage> opening;
    std::vector<Step> steps;
    int indexAtKey = -1; // the slide shown when the first key came

protected:
    void OnPaint() override {
        CPictureDlg::OnPaint();
        if (m_recording)
            steps.back().frames.push_back(m_backBitmap.Image()->copy());
        else if (steps.empty())
            opening.push_back(m_backBitmap.Image()->copy());
    }
    void OnKeyUp(unsigned key, unsigned repeat, unsigned flags) override {
        if (indexAtKey < 0)
            indexAtKey = m_index;
        Record("key " + std::to_string(key), [&] { CPictureDlg::OnKeyUp(key, repeat, flags); });
    }
    void OnTimer(unsigned id) override {
        Record("timer", [&] { CPictureDlg::OnTimer(id); });
    }

private:
    template <class Handler> void Record(std::string event, Handler handler) {
        steps.push_back({std::move(event), 0, {}});
        m_recording = true;
        handler();
        m_recording = false;
        steps.back().index = m_index;
    }
    bool m_recording = false;
};

class PictureTest : public testing::Test {
protected:
    PictureTest() {
        // The screen is up before the viewer opens, as it is in the program, so that what
        // the opening presents shows at once.
        auto& screen = testing_support::Gui().Screen();
        screen.show();
        testing_support::RunEventsUntil([&] { return screen.windowHandle()->isExposed(); });
        RegisterResources();
        platform::SetTimeScale(0.01); // pauses of 200 ms take 2 ms, the 10 s timer 100 ms
    }
    ~PictureTest() override { platform::SetTimeScale(1); }

    void AddSlide(const CString& name, const CString& text) {
        ASSERT_EQ(CRegistryStore::WriteString(kKey, name, text), 0);
    }
    // A picture of one colour (a white smile below its middle) in "\My Documents"; its path
    // on the phone.
    CString SavePhoto(const std::string& file, int width, int height) {
        QImage photo(width, height, QImage::Format_RGB32);
        photo.fill(kPhotoRed);
        QPainter painter(&photo);
        painter.setPen(QPen(Qt::white, std::max(1, std::min(width, height) / 12)));
        painter.drawArc(QRectF(width * 0.3, height * 0.55, width * 0.4, height * 0.3), 200 * 16,
                        140 * 16);
        painter.end();
        EXPECT_TRUE(photo.save(QString::fromStdString(Docs(file).string()), "PNG"));
        return CString(u"\\My Documents\\") +
               CString(QString::fromStdString(file).toStdU16String());
    }
    fs::path Docs(const std::string& file) const {
        return m_device.Dir() / "files" / "My Documents" / file;
    }
    fs::path Frame() const { return m_device.Dir() / "files" / "Windows" / "frame.jpg"; }
    // A frame of one colour, so that whatever the viewer paints on it shows.
    void PlainFrame() {
        QImage frame(240, 320, QImage::Format_RGB32);
        frame.fill(kFrameBlue);
        ASSERT_TRUE(frame.save(QString::fromStdString(Frame().string()), "JPG", 100));
    }
    // A script line that shoots the screen: kept for a person to look at when named, else
    // in the device.
    std::string Shot(const char* name = nullptr) {
        fs::create_directories(BRENWICK_SCREENSHOTS);
        m_shot = name ? fs::path(BRENWICK_SCREENSHOTS) / name : m_device.Dir() / "shot.png";
        return "shot \"" + m_shot.string() + "\"\n";
    }
    QImage LastShot() const { return QImage(QString::fromStdString(m_shot.string())); }

    // Runs the viewer on the record key under script; its result.
    int Run(CPictureDlg& dlg, const std::string& script) {
        dlg.m_keyPath = kKey;
        int result = -1;
        const auto run = testing_support::DriveModal(
            [&](const platform::gui::ScriptDriver&) { result = dlg.DoModal(); }, script);
        EXPECT_EQ(run.exitCode, 0);
        return result;
    }

private:
    testing_support::TempDevice m_device;
    fs::path m_shot;
};

// A frame's look: how far the frame has rolled down (rows not white at the left edge) and
// how wide the photo is on the photo box's middle row.
std::pair<int, int> Look(const QImage& frame) {
    int rolled = 0;
    while (rolled < 320 && !IsWhite(frame, 2, rolled))
        ++rolled;
    int photo = 0;
    for (int x = 120; x < 220; ++x)
        photo += IsRed(frame, x, 66);
    return {rolled, photo};
}

TEST_F(PictureTest, ThePhotoKeepsItsProportionsCentredInItsBox) {
    const struct {
        int width, height;
        QRect drawn;
        const char* screenshot; // of the finished opening, for a person to look at
    } cases[] = {
        {200, 100, {120, 41, 100, 50}, "picture_viewer_photo.png"},
        {100, 200, {145, 16, 50, 100}, nullptr},
        {300, 300, {120, 16, 100, 100}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        AddSlide(u"2005-3-7-9:5:0", u"今晚七点在老地方见，不见不散。");
        CRecordedPictureDlg dlg;
        dlg.m_title = u"张三";
        dlg.m_photoPath = SavePhoto("face.png", c.width, c.height);
        const std::string shot = Shot(c.screenshot);
        EXPECT_EQ(Run(dlg, shot + "pen 200 300\n"), IDOK);

        const QImage screen = LastShot();
        ASSERT_FALSE(screen.isNull());
        const QRect& r = c.drawn;
        for (const QPoint p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            EXPECT_TRUE(IsRed(screen, p.x(), p.y())) << "photo at " << p.x() << "," << p.y();
        const QPoint centre = r.center();
        for (const QPoint p : {QPoint(r.left() - 1, centre.y()), QPoint(r.right() + 1, centre.y()),
                               QPoint(centre.x() - r.width() / 4, r.top() - 1),
                               QPoint(centre.x() - r.width() / 4, r.bottom() + 1)})
            EXPECT_FALSE(IsRed(screen, p.x(), p.y())) << "frame at " << p.x() << "," << p.y();
        EXPECT_EQ(dlg.m_noPhoto, 0);
        EXPECT_EQ(dlg.m_title, u"张三：");
        EXPECT_TRUE(AnyDark(screen, kTitleArea)) << "the name above the text";
        EXPECT_TRUE(AnyDark(screen, kTextArea));

        if (c.width == 200) {
            // The frame rolls down in four steps, then the photo zooms in four.
            std::vector<std::pair<int, int>> looks;
            for (const QImage& frame : dlg.opening)
                if (looks.empty() || looks.back() != Look(frame))
                    looks.push_back(Look(frame));
            const std::vector<std::pair<int, int>> expected = {{0, 0},    {80, 0},   {160, 0},
                                                               {240, 0},  {320, 0},  {320, 25},
                                                               {320, 50}, {320, 75}, {320, 100}};
            EXPECT_EQ(looks, expected);
        }
    }
}

TEST_F(PictureTest, WithoutAPhotoOrAFrame) {
    const struct {
        const char* what;
        const char16_t* photo; // null: no "photo" value read
        bool frame;
        const char* screenshot;
    } cases[] = {
        {"no photo", nullptr, true, "picture_viewer_no_photo.png"},
        {"a photo file that is no picture", u"\\My Documents\\notes.jpg", true, nullptr},
        {"a photo file that is not there", u"\\My Documents\\gone.jpg", true, nullptr},
        {"no frame", u"\\My Documents\\face.png", false, nullptr},
        {"neither", nullptr, false, nullptr},
    };
    std::ofstream(Docs("notes.jpg")) << "not a picture";
    const QImage installed(QString::fromStdString(Frame().string()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.frame)
            ASSERT_TRUE(installed.save(QString::fromStdString(Frame().string()), "JPG", 95));
        else
            fs::remove(Frame());
        SavePhoto("face.png", 200, 100);
        AddSlide(u"2005-3-7-9:5:0", u"收到请回复");
        CRecordedPictureDlg dlg;
        dlg.m_title = u"李四";
        if (c.photo)
            dlg.m_photoPath = c.photo;
        const std::string shot = Shot(c.screenshot);
        EXPECT_EQ(Run(dlg, shot + "pen 10 10\n"), IDOK);
        const QImage screen = LastShot();
        ASSERT_FALSE(screen.isNull());

        const QRect notSet(132, 20, 77, 90);
        if (c.frame) {
            EXPECT_EQ(dlg.m_noPhoto, 1);
            // The frame squeezed into the photo box (75 x 100 at x 132), whitened below its
            // top rows, with the text in the middle.
            EXPECT_FALSE(IsWhite(screen, 150, 17)) << "the frame in the photo box";
            EXPECT_TRUE(IsWhite(screen, notSet.left(), notSet.top()));
            EXPECT_TRUE(IsWhite(screen, notSet.right(), notSet.bottom()));
            EXPECT_TRUE(AnyDark(screen, {140, 55, 60, 20})) << "头像未设定";
            EXPECT_FALSE(AnyDark(screen, {133, 21, 75, 25}));
            EXPECT_TRUE(AnyDark(screen, kTitleArea));
        } else {
            EXPECT_EQ(dlg.m_noPhoto, c.photo ? 0 : 1);
            // Only the text area on white.
            QImage outside = screen.copy();
            QPainter(&outside).fillRect(kTextArea, Qt::white);
            EXPECT_TRUE(AllWhite(outside, outside.rect()));
            EXPECT_EQ(dlg.m_title, u"李四") << "no title drawn";
        }
        EXPECT_EQ(screen.copy(kTextArea), TextAreaOf(u"收到请回复", u"2005-3-7-9:5:0"));
        CRegistryStore::DeleteKey(u"Software\\Tolvane\\Brenwick", u"Content");
    }
}

TEST_F(PictureTest, KeysStepRoundWithTheirWipes) {
    PlainFrame();
    const CString face = SavePhoto("face.png", 120, 90);
    const CString first = u"测试第一条短信：明天上午十点开会，请准时到达会议室。";
    const CString third = u"A&B 第三条";
    AddSlide(u"2005-3-7-9:5:0", first);
    AddSlide(u"photo", face);
    AddSlide(u"2005-3-8-8:0:0", CString(std::u16string(130, u'长')));
    AddSlide(u"2005-3-9-10:30:0", third);

    const struct {
        const char* key;
        int index;
        int transition; // 0: nothing is drawn (the slide cannot be read)
        CString text, label;
    } steps[] = {
        {"Left", 3, CPictureDlg::kLeft, third, u"2005-3-9-10:30:0"}, // from the first to the last
        {"Right", 0, CPictureDlg::kRight, first, u"2005-3-7-9:5:0"}, // and back round
        {"Down", 1, CPictureDlg::kDown, face, u"头像图片路径"},
        {"Down", 2, 0, {}, {}}, // a value of 130 characters
        {"Up", 1, CPictureDlg::kUp, face, u"头像图片路径"},
        {"Up", 0, CPictureDlg::kUp, first, u"2005-3-7-9:5:0"},
        {"Return", 0, 0, {}, {}},
    };
    std::string script;
    for (const auto& s : steps)
        script += std::string("key ") + s.key + "\n";
    CRecordedPictureDlg dlg;
    dlg.m_title = u"王五";
    dlg.m_photoPath = face;
    EXPECT_EQ(Run(dlg, script + "pen 120 160\n"), IDOK);

    EXPECT_EQ(dlg.m_count, 4);
    ASSERT_FALSE(dlg.opening.empty());
    EXPECT_EQ(dlg.opening.back().copy(kTextArea), TextAreaOf(first, u"2005-3-7-9:5:0"));
    ASSERT_EQ(dlg.steps.size(), std::size(steps));
    QImage shown = dlg.opening.back();
    const QRect kBelow(0, 270, 240, 50);
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        const auto& step = dlg.steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i << ": " << s.key);
        EXPECT_EQ(step.index, s.index);
        if (s.transition == 0) {
            EXPECT_TRUE(step.frames.empty()) << "the screen keeps what it showed";
            continue;
        }
        // Eight strips, each presented, then the slide: nothing changes outside the text
        // area, and no strip reaches beyond it (y 270 and below keep the frame).
        ASSERT_EQ(step.frames.size(), 9u);
        for (int k = 1; k <= 8; ++k) {
            const QImage& frame = step.frames[static_cast<std::size_t>(k - 1)];
            const QRect strip = Strip(s.transition, k);
            EXPECT_TRUE(AllWhite(frame, strip)) << "strip " << k;
            EXPECT_TRUE(Within(Changed(shown, frame), strip)) << "strip " << k;
            EXPECT_EQ(frame.copy(kBelow), dlg.opening.back().copy(kBelow)) << "strip " << k;
            shown = frame;
        }
        EXPECT_TRUE(Within(Changed(shown, step.frames.back()), kTextArea));
        EXPECT_EQ(step.frames.back().copy(kTextArea), TextAreaOf(s.text, s.label));
        shown = step.frames.back();
    }
}

TEST_F(PictureTest, AutoplayStepsOnUntilTheFirstKey) {
    AddSlide(u"2005-3-7-9:5:0", u"一");
    AddSlide(u"2005-3-7-9:6:0", u"二");
    AddSlide(u"2005-3-7-9:7:0", u"三");
    for (const int autoPlay : {1, 0}) {
        SCOPED_TRACE(autoPlay);
        CRecordedPictureDlg dlg;
        dlg.m_autoPlay = autoPlay;
        // The ten seconds are 100 ms at this scale.
        EXPECT_EQ(Run(dlg, "wait 450\nkey x\nwait 400\npen 5 5\n"), IDOK);

        ASSERT_FALSE(dlg.steps.empty());
        const auto key = std::find_if(dlg.steps.begin(), dlg.steps.end(),
                                      [](const auto& s) { return s.event != "timer"; });
        ASSERT_NE(key, dlg.steps.end());
        EXPECT_EQ(key->event, "key 88");
        EXPECT_EQ(std::next(key), dlg.steps.end()) << "no tick after a key";
        const int ticks = static_cast<int>(key - dlg.steps.begin());
        if (autoPlay == 1)
            EXPECT_GE(ticks, 2);
        else
            EXPECT_EQ(ticks, 0);
        int index = 0;
        for (auto tick = dlg.steps.begin(); tick != key; ++tick) {
            index = (index + 1) % 3;
            EXPECT_EQ(tick->index, index);
            ASSERT_EQ(tick->frames.size(), 9u) << "a wipe and the slide";
            EXPECT_TRUE(AllWhite(tick->frames[0], Strip(CPictureDlg::kRight, 1)));
        }
        EXPECT_EQ(dlg.indexAtKey, index);
        EXPECT_EQ(key->index, index) << "any other key only stops the advance";
    }
}

TEST_F(PictureTest, AKeyWithoutSlidesStaysWhite) {
    CRecordedPictureDlg dlg;
    dlg.m_title = u"赵六";
    const std::string shot = Shot();
    EXPECT_EQ(Run(dlg, "key Left\nkey Right\n" + shot + "pen 100 100\n"), IDOK);
    EXPECT_EQ(dlg.m_count, 0);
    EXPECT_TRUE(AllWhite(LastShot(), {0, 0, 240, 320}));
    platform::RegistryKey key;
    bool existed = false;
    ASSERT_EQ(CRegistryStore::OpenKey(HKEY_LOCAL_MACHINE, kKey, key, existed), 0);
    EXPECT_TRUE(existed) << "the record key is left created";
}

} // namespace
