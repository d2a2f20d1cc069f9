#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/gui/window.h"
#include "platform/shell/phone_screen.h"

#include "gui_main.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

constexpr int kPage = 9001;
constexpr int kPopup = 9002;

void RegisterTestTemplates() {
    RegisterDialog({kPage,
                    u"Page",
                    DialogKind::Page,
                    160,
                    170,
                    {{1000, ControlKind::Static, u"heading", 4, 4, 80, 10, 0},
                     {1003, ControlKind::Edit, u"", 40, 20, 66, 12, 0},
                     {1004, ControlKind::Button, u"添加", 110, 20, 40, 12, 0},
                     {1005, ControlKind::Check, u"check", 4, 40, 80, 12, 0},
                     {1006, ControlKind::Edit, u"", 4, 60, 80, 12, kHidden},
                     {IDCANCEL, ControlKind::Button, u"Cancel", 4, 80, 40, 12, 0},
                     {0xFFFF, ControlKind::InputPanel, u"", 0, 0, 0, 0, 0}},
                    true});
    RegisterDialog({kPopup,
                    u"",
                    DialogKind::Popup,
                    130,
                    144,
                    {{1014, ControlKind::Edit, u"", 10, 10, 90, 12, kPassword},
                     {IDOK, ControlKind::Button, u"确定", 10, 120, 40, 14, 0}}});
}

// Runs step inside the modal loop that is about to start, as a person's next action.
void Soon(std::function<void()> step) {
    QTimer::singleShot(0, std::move(step));
}

QWidget* Widget(CDialog& d, int id) {
    return d.GetDlgItem(id)->GetSafeHwnd()->widget;
}

class CPageDlg : public CDialog {
public:
    CPageDlg() : CDialog(kPage) {}
    CString m_text = u"初始";
    CString m_heading = u"短信黑名单";
    int m_checked = 1;
    int adds = 0, changes = 0, focusIns = 0;
    std::function<void(CPageDlg&)> onInit;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return true;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, 1000, m_heading);
        DDX_Text(pDX, 1003, m_text);
        DDV_MaxChars(pDX, m_text, 7);
        DDX_Check(pDX, 1005, m_checked);
    }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{
            OnClicked(1004, &CPageDlg::OnAdd),
            OnChanged(1003, &CPageDlg::OnTextChanged),
            OnSetFocus(1003, &CPageDlg::OnTextFocus),
        }};
        return map;
    }

private:
    void OnAdd() { ++adds; }
    void OnTextChanged() { ++changes; }
    void OnTextFocus() { ++focusIns; }
};

class DialogTest : public ::testing::Test {
protected:
    DialogTest() {
        RegisterTestTemplates();
        screen.show();
        screen.SetTitle("below");
    }
    PhoneScreen& screen = testing_support::Gui().Screen();
};

TEST_F(DialogTest, APageTakesTheScreenAndGivesItBack) {
    CPageDlg dlg;
    Soon([&] {
        EXPECT_EQ(screen.Title(), "Page");
        EXPECT_TRUE(screen.HasOkButton());
        EXPECT_EQ(dlg.GetDlgItem(1003)->GetWindowRect(), (CRect{60, 32, 159, 51}))
            << "dialog units to pixels";
        EXPECT_FALSE(dlg.GetDlgItem(1006)->IsWindowVisible());
        EXPECT_EQ(dlg.GetDlgItem(0xFFFF), nullptr) << "controls nobody addresses have no id";
        EXPECT_TRUE(dlg.GetDlgItem(1003)->HasFocus()) << "the first control that takes the focus";
        dlg.SetWindowText(u"Brenwick开启");
        EXPECT_EQ(screen.Title(), "Brenwick开启");
        QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(225, 12)); // the ok button
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(screen.Title(), "below");
    EXPECT_FALSE(screen.HasOkButton());
    EXPECT_FALSE(dlg.IsOpen());
    EXPECT_EQ(dlg.GetDlgItem(1003), nullptr);
}

TEST_F(DialogTest, DataMovesBothWaysAndTheTableReachesTheHandlers) {
    CPageDlg dlg;
    Soon([&] {
        auto* edit = qobject_cast<QLineEdit*>(Widget(dlg, 1003));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), "初始") << "fields to controls at the start";
        EXPECT_EQ(dlg.GetDlgItemText(1000), u"短信黑名单");
        edit->clear();
        QTest::keyClicks(edit, "1380013800");
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("张"), {});
        EXPECT_EQ(edit->text(), "1380013") << "the input limit holds";
        QTest::mouseClick(Widget(dlg, 1005), Qt::LeftButton);
        QTest::mouseClick(Widget(dlg, 1004), Qt::LeftButton);
        EXPECT_EQ(dlg.adds, 1);
        dlg.UpdateData(true);
        EXPECT_EQ(dlg.m_text, u"1380013");
        EXPECT_EQ(dlg.m_checked, 0);
        dlg.m_text = u"清空";
        dlg.UpdateData(false);
        EXPECT_EQ(edit->text(), "清空");
        QTest::mouseClick(Widget(dlg, IDCANCEL), Qt::LeftButton);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "an unmapped Cancel button cancels";
    EXPECT_GE(dlg.changes, 9) << "every change of the text is told";
    EXPECT_GE(dlg.focusIns, 1);
}

TEST_F(DialogTest, ADialogOpensAnotherFromItsInitialisation) {
    CPageDlg outer;
    int inner = 0;
    bool outerShownDuringInner = true;
    outer.onInit = [&](CPageDlg& self) {
        CDialog popup(kPopup);
        Soon([&] {
            QWidget* frame = popup.GetSafeHwnd()->widget;
            QWidget* client = Widget(popup, 1014)->parentWidget();
            EXPECT_EQ(frame->geometry(), screen.rect()) << "the pop-up covers the screen";
            EXPECT_EQ(client->parentWidget()->geometry(), QRect(22, 46, 195, 227))
                << "its box centred";
            EXPECT_EQ(client->geometry(), QRect(1, 1, 193, 225))
                << "the controls inside its border";
            outerShownDuringInner = self.GetSafeHwnd()->widget->isVisible();
            // A tap on the page's button behind the box reaches nothing.
            QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(190, 40));
            QTest::mouseClick(Widget(popup, IDOK), Qt::LeftButton);
        });
        inner = popup.DoModal();
        EXPECT_EQ(self.adds, 0);
        self.EndDialog(7);
    };
    EXPECT_EQ(outer.DoModal(), 7) << "ended in its initialisation: it never showed";
    EXPECT_EQ(inner, IDOK);
    EXPECT_FALSE(outerShownDuringInner);
    EXPECT_EQ(screen.Title(), "below");
}

TEST_F(DialogTest, AMissingTemplateOpensNothing) {
    CDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
}

} // namespace
