#include "platform/gui/dialog.h"
#include "platform/gui/listctrl.h"
#include "platform/gui/resources.h"
#include "platform/gui/window.h"
#include "platform/shell/menu.h"
#include "platform/shell/phone_screen.h"

#include "drive.h"
#include "gui_main.h"
#include "list_page.h"

#include <QLineEdit>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

constexpr int kPage = 9301;

// A list that draws its own rows, and counts them; it notes what else it hears of, and
// takes the tap-and-hold when told to.
class CDrawnList : public CListCtrl {
public:
    std::vector<int> drawn;
    std::uint32_t attachedStyle = 0xFFFFFFFF;
    CDialog* attachedTo = nullptr;
    std::vector<std::string> focus; // "set"/"kill", with the other window: none, other or child
    bool takeHold = false;
    std::vector<CPoint> held;
    CRect heldRow; // the row under the finger, in screen pixels

    void DrawItem(CDC& dc, int item, const CRect& bounds) override {
        drawn.push_back(item);
        dc.FillSolidRect(bounds, item % 2 ? RGB(0xEE, 0xEE, 0xEE) : RGB(0xFF, 0xFF, 0xFF));
        dc.DrawText(GetItemText(item, 1), bounds,
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    void OnSetFocus(CWnd* other) override { focus.push_back("set " + Which(other)); }
    void OnKillFocus(CWnd* other) override { focus.push_back("kill " + Which(other)); }
    bool OnHold(CPoint at) override {
        if (!takeHold)
            return false;
        held.push_back(at);
        for (int item = 0; item < GetItemCount(); ++item)
            if (GetItemState(item, LVIS_FOCUSED) && GetItemRect(item, heldRow, LVIR_BOUNDS)) {
                const CRect list = GetWindowRect();
                heldRow = {heldRow.left + list.left,
                           heldRow.top + list.top + PhoneScreen::kNavBarHeight,
                           heldRow.right + list.left,
                           heldRow.bottom + list.top + PhoneScreen::kNavBarHeight};
            }
        return true;
    }

protected:
    void PreSubclassWindow() override {
        attachedStyle = GetStyle();
        attachedTo = GetParent();
    }

private:
    std::string Which(CWnd* other) const {
        return !other ? "none" : IsChild(other) ? "child" : "other";
    }
};

class CListDlg : public CDialog {
public:
    CListDlg() : CDialog(kPage) {}
    CDrawnList m_list;
    std::vector<std::string> notices;
    std::vector<std::string> focusNotices; // the list's focus changes as the dialog hears of them
    std::function<void(CListDlg&, int row)> onClick;
    int rowCount = 3;

protected:
    // Keys the list took are the list's, not the dialog's.
    void OnKeyUp(unsigned key, unsigned, unsigned) override {
        notices.push_back("keyup " + std::to_string(key));
    }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        EXPECT_TRUE(m_list.SubclassDlgItem(1001, *this));
        m_list.ModifyStyle(0, LVS_OWNERDRAWFIXED);
        m_list.InsertColumn(0, u"", LVCFMT_LEFT, 70);
        m_list.InsertColumn(1, u"", LVCFMT_LEFT, 135);
        m_list.InsertColumn(2, u"", LVCFMT_RIGHT, 35);
        for (int i = 0; i < rowCount; ++i) {
            m_list.InsertItem(i, CString::Formatted(u"%d", i + 1));
            m_list.SetItemText(i, 1, CString::Formatted(u"1380013800%d", i));
        }
        m_list.SetItemText(0, 2, u"*");
        return true;
    }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{
            OnNotify(CNotice::Click, 1001, &CListDlg::OnClick),
            OnNotify(CNotice::DblClick, 1001, &CListDlg::OnDblClick),
            OnNotify(CNotice::ItemChanged, 1001, &CListDlg::OnItemChanged),
            OnNotify(CNotice::Hold, 1001, &CListDlg::OnHold),
            {CNotice::SetFocus, 1001,
             [](CDialog& d, int) { static_cast<CListDlg&>(d).focusNotices.push_back("set"); }},
            {CNotice::KillFocus, 1001,
             [](CDialog& d, int) { static_cast<CListDlg&>(d).focusNotices.push_back("kill"); }},
        }};
        return map;
    }

private:
    void OnClick(int row) {
        notices.push_back("click " + std::to_string(row));
        if (onClick)
            onClick(*this, row);
    }
    void OnDblClick(int row) { notices.push_back("dblclick " + std::to_string(row)); }
    void OnItemChanged(int row) { notices.push_back("changed " + std::to_string(row)); }
    // Row 0 opens the pop-up of a menu resource, row 1 none, the others one made by hand.
    void OnHold(int row) {
        notices.push_back("hold " + std::to_string(row));
        if (row == 1)
            return;
        const int command =
            row == 0 ? TrackPopupMenu(9339, 60, 100)
                     : TrackPopupMenu({{32771, u"删除", {}}, {32774, u"关于", {}}}, 60, 100);
        notices.push_back("command " + std::to_string(command));
    }
};

void RegisterPage(std::uint32_t listStyle) {
    testing_support::RegisterListPage(kPage, listStyle);
}

class ListCtrlTest : public ::testing::Test {
protected:
    ListCtrlTest() {
        RegisterPage(0);
        RegisterMenu(
            {9339,
             {{32804, u"退出", {}}, {0, u"工具", {{32771, u"删除", {}}, {32774, u"关于", {}}}}}});
    }
};

TEST_F(ListCtrlTest, TapsOnRowsAndBelowThemReachTheOwner) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(
        dlg, "row 1001 1\nrow 1001 2\nrow 1001 -1\nrow 1001 7\ndblrow 1001 0\ndump\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices,
              (std::vector<std::string>{"changed 1", "click 1", "changed 1", "changed 2", "click 2",
                                        "click -1", "click -1", "changed 2", "changed 0", "click 0",
                                        "dblclick 0"}));
    ASSERT_GE(result.lines.size(), 2u);
    const std::string& dump = result.lines[result.lines.size() - 3];
    EXPECT_NE(
        dump.find(
            R"("columns":[70,135,35],"rows":[["1","13800138000","*"],["2","13800138001",""],["3","13800138002",""]],"focused":0,"selected":[0])"),
        std::string::npos)
        << dump;
    EXPECT_FALSE(dlg.m_list.drawn.empty()) << "the rows were drawn by their owner";
}

// Rows beyond the list's height are reached by scrolling: a script's tap scrolls as a person
// would, and the direction keys move the focused row and keep it in sight.
TEST_F(ListCtrlTest, ALongListScrollsToTheRowsATapOrAKeyReaches) {
    CListDlg dlg;
    dlg.rowCount = 40;
    int top = -1, perPage = 0;
    dlg.onClick = [&](CListDlg& d, int) {
        top = d.m_list.GetTopIndex();
        perPage = d.m_list.GetCountPerPage();
    };
    const auto result =
        testing_support::DriveDialog(dlg, "row 1001 30\nkey Down\nkey Down\nkey Up\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices,
              (std::vector<std::string>{"changed 30", "click 30", "changed 30", "changed 31",
                                        "changed 31", "changed 32", "changed 32", "changed 31"}))
        << "the keys tell each row that changed; a key is no tap";
    EXPECT_GT(perPage, 3);
    EXPECT_LE(top, 30);
    EXPECT_GT(top + perPage, 30) << "row 30 was in sight when it was tapped";
    std::vector<int> drawn = dlg.m_list.drawn;
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    EXPECT_LT(drawn.size(), 40u) << "only rows in sight are drawn";
}

TEST_F(ListCtrlTest, TapAndHoldIsAGestureNotATap) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(
        dlg, "hold 1001 2\npick 32774\nhold 1001 0\ndismiss\nrow 1001 1\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices, (std::vector<std::string>{
                               "changed 2", "hold 2", "command 32774", "changed 2", "changed 0",
                               "hold 0", "command 0", "changed 0", "changed 1", "click 1"}))
        << "a held row is selected, and lifting the finger is no tap";
}

TEST_F(ListCtrlTest, TheTranscriptTellsWhichMenuAHoldOpened) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(
        dlg, "hold 1001 0\npick 32771\nhold 1001 1\nhold 1001 2\ndismiss\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    std::vector<std::string> popups;
    for (const auto& line : result.lines)
        if (line.find(R"("ev":"popup")") != std::string::npos)
            popups.push_back(line);
    EXPECT_EQ(popups, (std::vector<std::string>{R"({"ev":"popup","menu":9339})",
                                                R"({"ev":"popup","menu":null})",
                                                R"({"ev":"popup","menu":0})"}));
    EXPECT_NE(std::find(dlg.notices.begin(), dlg.notices.end(), "command 32771"), dlg.notices.end())
        << "the menu resource's pop-up gives its commands";
}

TEST_F(ListCtrlTest, AListStartsWithItsTemplatesStylesAndItsObjectHearsOfTheAttach) {
    const struct {
        std::uint32_t templateStyle, listStyle;
    } cases[] = {
        {0, 0},
        {kReport, LVS_REPORT},
        {kReport | kSingleSel | kShowSelAlways | kNoHeader,
         LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER},
        {kNoHeader | kBorder | kVScroll, LVS_NOCOLUMNHEADER},
    };
    for (const auto& c : cases) {
        RegisterPage(c.templateStyle);
        CListDlg dlg;
        testing_support::DriveDialog(dlg, "ok\n");
        EXPECT_EQ(dlg.m_list.attachedStyle, c.listStyle) << "template style " << c.templateStyle;
        EXPECT_EQ(dlg.m_list.attachedTo, &dlg);
    }
}

TEST_F(ListCtrlTest, AHoldTheListsObjectTakesNeverReachesTheDialog) {
    CListDlg dlg;
    dlg.m_list.takeHold = true;
    const auto result = testing_support::DriveDialog(dlg, "hold 1001 2\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices, (std::vector<std::string>{"changed 2"}))
        << "the row is selected, nothing more";
    ASSERT_EQ(dlg.m_list.held.size(), 1u);
    const CPoint at = dlg.m_list.held[0];
    const CRect& row = dlg.m_list.heldRow;
    EXPECT_TRUE(at.x > row.left && at.x < row.right && at.y > row.top && at.y < row.bottom)
        << "the finger in screen pixels: " << at.x << "," << at.y;
    EXPECT_NE(std::find(result.lines.begin(), result.lines.end(), R"({"ev":"popup","menu":null})"),
              result.lines.end());
}

// The list's object hears which window the focus came from or goes to, and whether that
// is a window inside the list; the dialog hears of each change once.
TEST_F(ListCtrlTest, FocusChangesTellTheOtherWindow) {
    CListDlg dlg;
    QLineEdit* inside = nullptr;
    dlg.onClick = [&inside](CListDlg& d, int row) {
        if (row != 2)
            return;
        inside = new QLineEdit(d.m_list.GetSafeHwnd()->widget);
        inside->setGeometry(0, 120, 60, 20);
        inside->show();
        inside->setFocus(Qt::OtherFocusReason);
    };
    const auto result =
        testing_support::DriveDialog(dlg, "focus 1003\nrow 1001 0\nrow 1001 2\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    ASSERT_GE(dlg.m_list.focus.size(), 4u);
    EXPECT_TRUE(dlg.m_list.focus[0].starts_with("set "))
        << "the dialog's first control takes the focus";
    EXPECT_EQ(std::vector<std::string>(dlg.m_list.focus.begin() + 1, dlg.m_list.focus.begin() + 4),
              (std::vector<std::string>{"kill other", "set other", "kill child"}));
    EXPECT_EQ(dlg.focusNotices, (std::vector<std::string>{"set", "kill", "set", "kill"}));
}

} // namespace
