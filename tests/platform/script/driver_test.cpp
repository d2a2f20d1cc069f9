#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/script/driver.h"
#include "platform/shell/launch.h"
#include "platform/shell/menu.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace platform::gui;

constexpr int kPage = 9201;
constexpr int kPopup = 9202;

void RegisterTemplates() {
    RegisterDialog({kPage,
                    u"Driven",
                    DialogKind::Page,
                    160,
                    170,
                    {{1003, ControlKind::Edit, u"", 40, 20, 66, 12, 0},
                     {1004, ControlKind::Button, u"添加", 110, 20, 40, 12, 0},
                     {1005, ControlKind::Button, u"弹出", 110, 40, 40, 12, 0},
                     {0xFFFF, ControlKind::Static, u"____", 4, 60, 80, 8, 0}},
                    true});
    RegisterDialog({kPopup,
                    u"",
                    DialogKind::Popup,
                    100,
                    60,
                    {{IDOK, ControlKind::Button, u"确定", 10, 30, 40, 14, 0}}});
    RegisterMenu(
        {9229,
         {{32804, u"退出", {}},
          {0, u"工具", {{32771, u"删除", {}}, {32779, u"系统短信", {}}, {32774, u"关于", {}}}}}});
}

class CDrivenDlg : public CDialog {
public:
    CDrivenDlg() : CDialog(kPage) {}
    CString m_number;
    std::vector<int> commands;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        m_bar = std::make_unique<CMenuBar>(*this, 9229);
        return true;
    }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1003, m_number); }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{
            OnClicked(1004, &CDrivenDlg::OnAdd),
            OnClicked(1005, &CDrivenDlg::OnPopup),
            OnCommand(32774, &CDrivenDlg::OnAbout),
            OnCommand(32804, &CDrivenDlg::OnExit),
            OnCommand(32779, &CDrivenDlg::OnMessaging),
        }};
        return map;
    }

private:
    void OnAdd() {
        UpdateData(true);
        if (MessageBox(u"是否要添加" + m_number + u"到短信黑名单？", u"Brenwick",
                       MB_YESNO | MB_ICONQUESTION) == IDYES)
            MessageBox(u"添加失败！", u"Brenwick", MB_OK | MB_ICONSTOP);
    }
    void OnPopup() {
        CDialog popup(kPopup);
        popup.DoModal();
    }
    void OnAbout() { commands.push_back(32774); }
    void OnExit() { OnOK(); }
    void OnMessaging() { platform::StartProgram(u"\\Windows\\tmail.exe", u""); }
    std::unique_ptr<CMenuBar> m_bar;
};

std::pair<std::vector<std::string>, int> Drive(const std::string& script, CDrivenDlg& dlg) {
    RegisterTemplates();
    auto result = testing_support::DriveDialog(dlg, script);
    return {result.lines, result.exitCode};
}

TEST(DriverTest, AScriptUsesTheWindowAsAPersonWould) {
    testing_support::TempDevice device; // where the program start is logged
    CDrivenDlg dlg;
    const auto [lines, code] = Drive(R"(type 1003 "张三138"
tap 1004
answer yes
answer ok
menu 32774
menu 32779
dump
ok
)",
                                     dlg);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(dlg.m_number, u"张三138");
    EXPECT_EQ(dlg.commands, (std::vector<int>{32774}));
    const std::vector<std::string> want = {
        R"({"ev":"open","window":9201})",
        R"({"ev":"msgbox","text":"是否要添加张三138到短信黑名单？","caption":"Brenwick","icon":"question","buttons":"yesno"})",
        R"({"ev":"answer","value":"yes"})",
        R"({"ev":"msgbox","text":"添加失败！","caption":"Brenwick","icon":"stop","buttons":"ok"})",
        R"({"ev":"answer","value":"ok"})",
    };
    ASSERT_GE(lines.size(), want.size() + 3);
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(lines[i], want[i]);
    EXPECT_EQ(lines[5], R"({"ev":"launch","path":"\\Windows\\tmail.exe","cmdline":""})");
    EXPECT_TRUE(lines[6].starts_with(
        R"({"ev":"dump","window":9201,"title":"Driven","menubar":9229,"controls":[{"id":1003,"kind":"edit","text":"张三138")"))
        << lines[6];
    EXPECT_EQ(lines[7], R"({"ev":"close","window":9201,"result":1})");
    EXPECT_EQ(lines.back(), R"({"ev":"end","code":0})");
}

TEST(DriverTest, WhatNoPersonCouldDoIsAScriptError) {
    struct Case {
        std::string script;
        std::string error;
    };
    const Case cases[] = {
        {"tap 1004\ntap 1004\n",
         R"({"ev":"error","line":2,"message":"tap while a message box shows"})"},
        {"tap 1005\ntap 1004\n",
         R"({"ev":"error","line":2,"message":"control 1004 is in window 9201, behind window 9202"})"},
        {"tap 4242\n", R"({"ev":"error","line":1,"message":"window 9201 has no control 4242"})"},
        {"menu 1\n", R"({"ev":"error","line":1,"message":"command 1 is not on the menu bar"})"},
        {"answer yes\n", R"({"ev":"error","line":1,"message":"no message box shows"})"},
    };
    for (const auto& c : cases) {
        CDrivenDlg dlg;
        const auto [lines, code] = Drive(c.script, dlg);
        EXPECT_EQ(code, 2) << c.script;
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.error), lines.end())
            << c.script << "\n"
            << testing::PrintToString(lines);
    }
}

} // namespace
