#include "platform/gui/dialog.h"
#include "platform/gui/listctrl.h"
#include "platform/gui/menu.h"
#include "platform/gui/resources.h"

#include "drive.h"
#include "gui_main.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

constexpr int kPage = 9301;

// A list that draws its own rows, and counts them.
class CDrawnList : public CListCtrl {
public:
    std::vector<int> drawn;
    void DrawItem(CDC& dc, int item, const CRect& bounds) override {
        drawn.push_back(item);
        dc.FillSolidRect(bounds, item % 2 ? RGB(0xEE, 0xEE, 0xEE) : RGB(0xFF, 0xFF, 0xFF));
        dc.DrawText(GetItemText(item, 1), bounds, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
};

class CListDlg : public CDialog {
public:
    CListDlg() : CDialog(kPage) {}
    CDrawnList m_list;
    std::vector<std::string> notices;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        EXPECT_TRUE(m_list.SubclassDlgItem(1001, *this));
        m_list.ModifyStyle(0, LVS_OWNERDRAWFIXED);
        m_list.InsertColumn(0, u"", LVCFMT_LEFT, 70);
        m_list.InsertColumn(1, u"", LVCFMT_LEFT, 135);
        m_list.InsertColumn(2, u"", LVCFMT_RIGHT, 35);
        for (int i = 0; i < 3; ++i) {
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
        }};
        return map;
    }

private:
    void OnClick(int row) { notices.push_back("click " + std::to_string(row)); }
    void OnDblClick(int row) { notices.push_back("dblclick " + std::to_string(row)); }
    void OnItemChanged(int row) { notices.push_back("changed " + std::to_string(row)); }
    // Row 0 opens the pop-up of a menu resource, row 1 none, the others one made by hand.
    void OnHold(int row) {
        notices.push_back("hold " + std::to_string(row));
        if (row == 1)
            return;
        const int command = row == 0 ? TrackPopupMenu(9339, 60, 100)
                                     : TrackPopupMenu({{32771, u"删除", {}}, {32774, u"关于", {}}}, 60, 100);
        notices.push_back("command " + std::to_string(command));
    }
};

class ListCtrlTest : public ::testing::Test {
protected:
    ListCtrlTest() {
        RegisterDialog({kPage, u"List", DialogKind::Page, 160, 170, {{1001, ControlKind::ListView, u"", 0, 0, 160, 100, 0}}, true});
        RegisterMenu({9339, {{32804, u"退出", {}}, {0, u"工具", {{32771, u"删除", {}}, {32774, u"关于", {}}}}}});
    }
};

TEST_F(ListCtrlTest, TapsOnRowsAndBelowThemReachTheOwner) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(dlg, "row 1001 1\nrow 1001 2\nrow 1001 -1\nrow 1001 7\ndblrow 1001 0\ndump\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices, (std::vector<std::string>{"changed 1", "click 1", "changed 1", "changed 2", "click 2", "click -1",
                                                     "click -1", "changed 2", "changed 0", "click 0", "dblclick 0"}));
    ASSERT_GE(result.lines.size(), 2u);
    const std::string& dump = result.lines[result.lines.size() - 3];
    EXPECT_NE(dump.find(R"("columns":[70,135,35],"rows":[["1","13800138000","*"],["2","13800138001",""],["3","13800138002",""]],"focused":0,"selected":[0])"),
              std::string::npos)
        << dump;
    EXPECT_FALSE(dlg.m_list.drawn.empty()) << "the rows were drawn by their owner";
}

TEST_F(ListCtrlTest, TapAndHoldIsAGestureNotATap) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(dlg, "hold 1001 2\npick 32774\nhold 1001 0\ndismiss\nrow 1001 1\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.notices, (std::vector<std::string>{"changed 2", "hold 2", "command 32774", "changed 2", "changed 0", "hold 0",
                                                     "command 0", "changed 0", "changed 1", "click 1"}))
        << "a held row is selected, and lifting the finger is no tap";
}

TEST_F(ListCtrlTest, TheTranscriptTellsWhichMenuAHoldOpened) {
    CListDlg dlg;
    const auto result = testing_support::DriveDialog(dlg, "hold 1001 0\npick 32771\nhold 1001 1\nhold 1001 2\ndismiss\nok\n");
    EXPECT_EQ(result.exitCode, 0);
    std::vector<std::string> popups;
    for (const auto& line : result.lines)
        if (line.find(R"("ev":"popup")") != std::string::npos)
            popups.push_back(line);
    EXPECT_EQ(popups, (std::vector<std::string>{R"({"ev":"popup","menu":9339})", R"({"ev":"popup","menu":null})",
                                                R"({"ev":"popup","menu":0})"}));
    EXPECT_NE(std::find(dlg.notices.begin(), dlg.notices.end(), "command 32771"), dlg.notices.end())
        << "the menu resource's pop-up gives its commands";
}

} // namespace
