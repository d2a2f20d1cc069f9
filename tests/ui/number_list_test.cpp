#include "ui/CNumberListCtrl.h"

#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/shell/menu.h"
#include "platform/shell/phone_screen.h"
#include "platform/shell/popup_menu_widget.h"

#include "drive.h"
#include "gui_main.h"
#include "list_page.h"

#include <QImage>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace platform::gui;

constexpr int kPage = 9401;
constexpr std::uint32_t kListStyle = kReport | kSingleSel | kShowSelAlways; // as the main window's

void RegisterPage(std::uint32_t listStyle) {
    testing_support::RegisterListPage(kPage, listStyle);
}

using Rows = std::vector<std::vector<CString>>;

class CNumberDlg : public CDialog {
public:
    CNumberDlg(int menuMode, Rows rows)
        : CDialog(kPage), m_menuMode(menuMode), m_rows(std::move(rows)) {}

    CNumberListCtrl m_list;
    std::uint32_t styleAfterAttach = 0;
    CRect listRect;              // in the page's pixels
    std::vector<CRect> rowRects; // in the list's pixels
    std::vector<std::string> notices;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        EXPECT_TRUE(m_list.SubclassDlgItem(1001, *this));
        styleAfterAttach = m_list.GetStyle();
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_NOHSCROLL | LVS_EX_GRADIENT);
        m_list.m_menuMode = m_menuMode;
        m_list.InsertColumn(0, u"", LVCFMT_LEFT, 70);
        m_list.InsertColumn(1, u"", LVCFMT_LEFT, 135);
        m_list.InsertColumn(2, u"", LVCFMT_RIGHT, 35);
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            const int item = static_cast<int>(row);
            m_list.InsertItem(item, m_rows[row][0]);
            for (std::size_t col = 1; col < m_rows[row].size(); ++col)
                m_list.SetItemText(item, static_cast<int>(col), m_rows[row][col]);
            CRect r;
            m_list.GetItemRect(item, r, LVIR_BOUNDS);
            rowRects.push_back(r);
        }
        listRect = m_list.GetWindowRect();
        return true;
    }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{Told(32771),
                                      Told(32774),
                                      Told(32776),
                                      Told(40001),
                                      {CNotice::Hold, 1001, [](CDialog& d, int) {
                                           static_cast<CNumberDlg&>(d).notices.push_back("hold");
                                       }}}};
        return map;
    }

private:
    static CMessageMap::Entry Told(int command) {
        return {CNotice::Command, command, [command](CDialog& d, int item) {
                    static_cast<CNumberDlg&>(d).notices.push_back(
                        "command " + std::to_string(command) + " row " + std::to_string(item));
                }};
    }

    int m_menuMode;
    Rows m_rows;
};

class NumberListTest : public ::testing::Test {
protected:
    NumberListTest() {
        RegisterPage(kListStyle);
        // The pop-up of each is its second top-level item; the viewer's first is one too.
        RegisterMenu({CNumberListCtrl::kMainMenu,
                      {{32804, u"退出", {}},
                       {0, u"工具", {{32771, u"删除", {}}, {}, {32774, u"关于", {}}}}}});
        RegisterMenu({CNumberListCtrl::kViewerMenu,
                      {{0, u"菜单", {{40001, u"返回", {}}}},
                       {0, u"工具", {{32775, u"回复", {}}, {32776, u"删除", {}}}}}});
    }
};

std::filesystem::path ShotPath(const std::string& name) {
    std::filesystem::create_directories(BRENWICK_SCREENSHOTS);
    return std::filesystem::path(BRENWICK_SCREENSHOTS) / name;
}

QColor ToQt(COLORREF c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int Width(const CDC& dc, const CString& text) {
    return dc.GetTextExtent(text).cx;
}

// An off-screen surface, white, in the program's font.
struct Surface {
    CDC dc;
    CBitmap bitmap;
    Surface(int width, int height) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, width, height);
        dc.SelectObject(&bitmap);
    }
    QImage Image() const { return bitmap.Image()->copy(); }
};

TEST_F(NumberListTest, AttachingMakesAnOwnerDrawnReportListWithoutHeadings) {
    for (const std::uint32_t templateStyle : {0u, kListStyle, kListStyle | kNoHeader}) {
        RegisterPage(templateStyle);
        CNumberDlg dlg(0, {});
        testing_support::DriveDialog(dlg, "ok\n");
        EXPECT_EQ(dlg.styleAfterAttach,
                  LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER)
            << "template style " << templateStyle;
    }
}

enum class Fit { Whole, Cut, DotsOnly };

TEST_F(NumberListTest, ATextTooWideForItsCellEndsInDotsAndStaysNarrowerThanTheCell) {
    Surface s(240, 20);
    const CString digits = u"13800138000", name = u"张三丰李四", dots = u"...";
    struct Case {
        CString text;
        int width;
        Fit fit;
    } cases[] = {
        {digits, Width(s.dc, digits), Fit::Whole},
        {digits, Width(s.dc, digits) - 1, Fit::Cut},
        {digits, Width(s.dc, digits) / 2, Fit::Cut},
        {name, Width(s.dc, name), Fit::Whole},
        {name, Width(s.dc, name) - 1, Fit::Cut},
        {digits, Width(s.dc, dots), Fit::DotsOnly}, // "..." itself is not narrower
        {digits, Width(s.dc, dots) - 3, Fit::DotsOnly},
        {name, 0, Fit::DotsOnly},
        {u"", 0, Fit::Whole},
    };
    for (const auto& c : cases) {
        const CString shown = CNumberListCtrl::FitCellText(s.dc, c.text, c.width);
        SCOPED_TRACE(c.text.ToUtf8() + " in " + std::to_string(c.width) + " px: " + shown.ToUtf8());
        switch (c.fit) {
        case Fit::Whole:
            EXPECT_EQ(shown, c.text);
            break;
        case Fit::DotsOnly:
            EXPECT_EQ(shown, dots);
            break;
        case Fit::Cut: {
            ASSERT_GT(shown.GetLength(), 3);
            ASSERT_TRUE(shown.str().ends_with(u"..."));
            const int kept = shown.GetLength() - 3;
            EXPECT_EQ(shown.Left(kept), c.text.Left(kept));
            EXPECT_LT(Width(s.dc, shown), c.width);
            EXPECT_GE(Width(s.dc, c.text.Left(kept + 1) + dots), c.width)
                << "the longest beginning that fits";
            break;
        }
        }
    }
}

TEST_F(NumberListTest, DrawCellTextDrawsTheFittedTextInItsArea) {
    const CString text = u"13800138000张三";
    Surface drawn(120, 20), expected(120, 20), whole(120, 20);
    const CRect area{10, 0, 10 + Width(drawn.dc, text) - 1, 20};
    constexpr unsigned kFlags = DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    CNumberListCtrl::DrawCellText(drawn.dc, text, area, kFlags);
    expected.dc.DrawText(CNumberListCtrl::FitCellText(expected.dc, text, area.Width()), area,
                         kFlags);
    whole.dc.DrawText(text, area, kFlags);
    EXPECT_EQ(drawn.Image(), expected.Image());
    EXPECT_NE(drawn.Image(), whole.Image());
}

// The column to the right of an empty cell keeps its place; the empty cell shows nothing.
TEST_F(NumberListTest, AnEmptyCellDrawsNothingAndTheNextColumnKeepsItsPlace) {
    CNumberDlg dlg(0, {{u"1", u"", u"*"}, {u"2", u"13800138001", u"*"}});
    const auto shot = ShotPath("number_list_empty_cell.png");
    const auto result = testing_support::DriveDialog(dlg, "shot \"" + shot.string() + "\"\nok\n");
    ASSERT_EQ(result.exitCode, 0);
    const QImage screen(QString::fromStdString(shot.string()));
    ASSERT_FALSE(screen.isNull());
    const int top = PhoneScreen::kNavBarHeight + dlg.listRect.top;
    const auto cell = [&](int row, int left, int right) {
        const CRect& r = dlg.rowRects[row];
        return screen.copy(left, top + r.top, right - left, r.Height());
    };
    const QImage emptyCell = cell(0, 70, 205);
    QImage white(emptyCell.size(), emptyCell.format());
    white.fill(Qt::white);
    EXPECT_EQ(emptyCell, white);
    const QImage star0 = cell(0, 205, 240), star1 = cell(1, 205, 240);
    EXPECT_EQ(star0, star1);
    // Right-aligned: ink only in the cell's right half.
    bool leftInk = false, rightInk = false;
    for (int y = 0; y < star0.height(); ++y)
        for (int x = 0; x < star0.width(); ++x)
            if (star0.pixelColor(x, y) != QColor(Qt::white))
                (x < star0.width() / 2 ? leftInk : rightInk) = true;
    EXPECT_TRUE(rightInk);
    EXPECT_FALSE(leftInk);
}

// The focused row stays highlighted when another control takes the focus; only its
// outline goes.
TEST_F(NumberListTest, TheFocusedRowKeepsItsHighlightWhenTheFocusLeavesTheList) {
    CNumberDlg dlg(0, {{u"1", u"", u"*"}, {u"2", u"", u""}});
    const auto withFocus = ShotPath("number_list_focused.png"),
               without = ShotPath("number_list_focus_elsewhere.png");
    const auto result = testing_support::DriveDialog(
        dlg, "row 1001 0\nshot \"" + withFocus.string() + "\"\nfocus 1003\nshot \"" +
                 without.string() + "\"\nok\n");
    ASSERT_EQ(result.exitCode, 0);
    const QColor highlight = ToQt(GetSysColor(COLOR_HIGHLIGHT));
    const int top = PhoneScreen::kNavBarHeight + dlg.listRect.top;
    const CRect row0 = dlg.rowRects[0], row1 = dlg.rowRects[1];
    // Column 1 has no text in either row: only highlight, outline or background there.
    const auto outlined = [&](const QImage& screen) {
        int marks = 0;
        for (int x = 80; x < 200; ++x)
            marks += screen.pixelColor(x, top + row0.top) != highlight;
        return marks;
    };
    for (const auto& [file, focused] : {std::pair{withFocus, true}, std::pair{without, false}}) {
        SCOPED_TRACE(file.filename().string());
        const QImage screen(QString::fromStdString(file.string()));
        ASSERT_FALSE(screen.isNull());
        EXPECT_EQ(screen.pixelColor(140, top + (row0.top + row0.bottom) / 2), highlight);
        EXPECT_EQ(screen.pixelColor(140, top + (row1.top + row1.bottom) / 2), QColor(Qt::white));
        if (focused)
            EXPECT_GT(outlined(screen), 0) << "the outline shows while the list has the focus";
        else
            EXPECT_EQ(outlined(screen), 0);
    }
}

// A tap-and-hold opens the second pop-up of the owner's menu at the finger, or none; the
// chosen command reaches the owner as a menu command without a row.
TEST_F(NumberListTest, TapAndHoldOpensTheMenuOfTheMenuMode) {
    struct Case {
        int menuMode;
        std::string choice;
        const char* popup;
        std::vector<std::string> notices;
    } cases[] = {
        {0, "pick 32774", R"({"ev":"popup","menu":129})", {"command 32774 row -1"}},
        {1, "pick 32776", R"({"ev":"popup","menu":141})", {"command 32776 row -1"}},
        {2, "pick 32771", R"({"ev":"popup","menu":129})", {"command 32771 row -1"}},
        {1, "dismiss", R"({"ev":"popup","menu":141})", {}},
        {3, "", R"({"ev":"popup","menu":null})", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("menu mode " + std::to_string(c.menuMode) + ", " + c.choice);
        CNumberDlg dlg(c.menuMode, {{u"1", u"13800138000", u""}, {u"2", u"13800138001", u""}});
        std::optional<QPoint> shownAt;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            if (auto* menu = PopupMenuWidget::Active(); menu && !shownAt)
                shownAt = menu->MenuRect().topLeft();
        });
        watch.start(5);
        const auto result =
            testing_support::DriveDialog(dlg, "hold 1001 1\n" + c.choice + "\nok\n");
        watch.stop();
        EXPECT_EQ(result.exitCode, 0);
        std::vector<std::string> popups;
        for (const auto& line : result.lines)
            if (line.find(R"("ev":"popup")") != std::string::npos)
                popups.push_back(line);
        EXPECT_EQ(popups, std::vector<std::string>{c.popup});
        EXPECT_EQ(dlg.notices, c.notices) << "the owner hears of no hold";
        ASSERT_EQ(shownAt.has_value(), c.menuMode != 3);
        if (shownAt) {
            const CRect& held = dlg.rowRects[1];
            const int top = PhoneScreen::kNavBarHeight + dlg.listRect.top;
            EXPECT_NEAR(shownAt->x(), (held.left + held.right) / 2, 1);
            EXPECT_NEAR(shownAt->y(), top + (held.top + held.bottom) / 2, 1);
        }
    }
}

} // namespace
