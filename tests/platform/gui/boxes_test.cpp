#include "platform/gui/boxes.h"
#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"

#include "drive.h"
#include "gui_main.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

constexpr int kPage = 9401;

class CBoxesDlg : public CDialog {
public:
    CBoxesDlg() : CDialog(kPage) {}
    CComboBox m_branch, m_length;
    CListBox m_phrases;
    CString m_lengthText = u"长";
    std::vector<std::string> notices;

protected:
    bool OnInitDialog() override {
        EXPECT_TRUE(m_branch.SubclassDlgItem(1031, *this));
        EXPECT_TRUE(m_length.SubclassDlgItem(1035, *this));
        EXPECT_TRUE(m_phrases.SubclassDlgItem(1034, *this));
        m_branch.AddString(u"红名单收件箱");
        m_branch.AddString(u"红名单发件箱");
        m_branch.SetCurSel(0);
        EXPECT_EQ(m_length.AddString(u"短"), 0);
        EXPECT_EQ(m_length.AddString(u"长"), 1);
        EXPECT_EQ(m_length.GetCurSel(), CB_ERR) << "adding chooses nothing";
        for (const auto* phrase : {u"b 晚点再说", u"<hint>", u"A 我在开会"})
            m_phrases.AddString(phrase);
        CDialog::OnInitDialog(); // the fields go to the controls once they are filled
        return true;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_CBString(pDX, 1035, m_lengthText); }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{
            OnNotice(CNotice::SelChange, 1031, &CBoxesDlg::OnBranch),
            OnNotice(CNotice::DblClick, 1034, &CBoxesDlg::OnPhrase),
        }};
        return map;
    }

private:
    void OnBranch() { notices.push_back("branch " + std::to_string(m_branch.GetCurSel())); }
    void OnPhrase() {
        notices.push_back("phrase " + m_phrases.GetText(m_phrases.GetCurSel()).ToUtf8());
    }
};

TEST(BoxesTest, ItemsChoicesAndTheComboText) {
    RegisterDialog({kPage,
                    u"Boxes",
                    DialogKind::Page,
                    160,
                    170,
                    {{1031, ControlKind::Combo, u"", 4, 4, 80, 60, kDropDownList},
                     {1035, ControlKind::Combo, u"", 4, 24, 60, 60, kDropDown | kSorted},
                     {1034, ControlKind::ListBox, u"", 4, 44, 150, 80, kSorted | kNotify}},
                    true});
    CBoxesDlg dlg;
    const auto result = testing_support::DriveDialog(
        dlg, "select 1031 1\nselect 1034 2\ndump\ndblrow 1034 1\nselect 1031 7\n");
    EXPECT_EQ(result.exitCode, 2) << "there is no item 7";
    EXPECT_EQ(dlg.notices, (std::vector<std::string>{"branch 1", "phrase A 我在开会"}));
    ASSERT_GE(result.lines.size(), 3u);
    const std::string& dump = result.lines[result.lines.size() - 3];
    EXPECT_TRUE(dump.starts_with(R"({"ev":"dump")")) << dump;
    EXPECT_NE(dump.find(R"("items":["红名单收件箱","红名单发件箱"],"current":1)"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find(R"("text":"长","visible":true)"), std::string::npos)
        << "the field chose the item it begins" << dump;
    EXPECT_NE(dump.find(R"("items":["<hint>","A 我在开会","b 晚点再说"],"current":2)"),
              std::string::npos)
        << "sorted without regard to case\n"
        << dump;
    EXPECT_EQ(result.lines[result.lines.size() - 2],
              R"({"ev":"error","line":5,"message":"combo box 1031 has no item 7"})");
}

} // namespace
