#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/shell/menu.h"
#include "platform/shell/phone_screen.h"
#include "platform/shell/popup_menu_widget.h"

#include "gui_main.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

constexpr int kPage = 9101;

void RegisterTemplates() {
    RegisterDialog({kPage, u"Menus", DialogKind::Page, 160, 170, {}, true});
    RegisterMenu(
        {9129,
         {{32804, u"退出", {}},
          {0,
           u"工具",
           {{32771, u"删除", {}}, {32780, u"系统联系人", {}}, {}, {32774, u"关于", {}}}}}});
    RegisterMenu({9138, {{32771, u"删除", {}}, {0, u"工具", {{32774, u"关于", {}}}}}});
}

void Soon(std::function<void()> step) {
    QTimer::singleShot(0, std::move(step));
}

class CMenusDlg : public CDialog {
public:
    CMenusDlg() : CDialog(kPage) {}
    std::vector<int> commands;
    std::function<void(CMenusDlg&)> onInit;
    std::unique_ptr<CMenuBar> bar, reduced;

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        bar = std::make_unique<CMenuBar>(*this, 9129);
        if (onInit)
            onInit(*this);
        return true;
    }
    const CMessageMap& GetMessageMap() const override {
        static const CMessageMap map{{
            OnCommand(32804, &CMenusDlg::OnExit),
            OnCommand(32771, &CMenusDlg::OnDelete),
            OnCommand(32774, &CMenusDlg::OnAbout),
        }};
        return map;
    }

private:
    void OnExit() {
        commands.push_back(32804);
        EndDialog(IDOK);
    }
    void OnDelete() { commands.push_back(32771); }
    void OnAbout() { commands.push_back(32774); }
};

class MenuTest : public ::testing::Test {
protected:
    MenuTest() {
        RegisterTemplates();
        screen.show();
    }
    // Taps the right soft key and, once its pop-up is up, acts on it.
    void OpenTools(std::function<void(PopupMenuWidget&)> then) {
        Soon([then] {
            PopupMenuWidget* menu = PopupMenuWidget::Active();
            ASSERT_NE(menu, nullptr);
            then(*menu);
        });
        QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(200, 307));
    }
    PhoneScreen& screen = testing_support::Gui().Screen();
};

TEST_F(MenuTest, SoftKeysSendCommandsAndOpenTheirPopUps) {
    CMenusDlg dlg;
    Soon([&] {
        EXPECT_EQ(screen.LeftSoftKey(), "退出");
        EXPECT_EQ(screen.RightSoftKey(), "工具");
        OpenTools([&](PopupMenuWidget& menu) {
            EXPECT_EQ(menu.MenuRect().bottom(), 293) << "the pop-up stands on the menu bar";
            EXPECT_EQ(menu.MenuRect().right(), 239) << "right under the right key";
            EXPECT_EQ(menu.ItemRect(32780).top(), menu.ItemRect(32771).bottom() + 1);
            const QRect separator(menu.ItemRect(32780).left(), menu.ItemRect(32780).bottom() + 2,
                                  10, 3);
            QTest::mouseClick(&menu, Qt::LeftButton, {}, separator.center());
            EXPECT_EQ(PopupMenuWidget::Active(), &menu) << "a separator chooses nothing";
            QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.ItemRect(32774).center());
        });
        OpenTools([&](PopupMenuWidget& menu) {
            QTest::mouseClick(&menu, Qt::LeftButton, {}, QPoint(10, 100)); // beside it
        });
        QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(40, 307));
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.commands, (std::vector<int>{32774, 32804}));
    EXPECT_EQ(screen.LeftSoftKey(), "") << "the keys go with the window";
}

TEST_F(MenuTest, AnotherMenuBarTakesTheKeysAndAPageOverItGivesThemBack) {
    CMenusDlg dlg;
    dlg.onInit = [](CMenusDlg& self) {
        self.reduced = std::make_unique<CMenuBar>(self, 9138);
        self.bar->Show(false);
    };
    Soon([&] {
        EXPECT_EQ(screen.LeftSoftKey(), "删除");
        EXPECT_EQ(SHFindMenuBar(dlg), dlg.reduced.get()) << "the window's newest menu bar";
        {
            CDialog over(kPage);
            Soon([&] {
                EXPECT_EQ(screen.LeftSoftKey(), "") << "a page without a menu bar has no keys";
                over.EndDialog(IDOK);
            });
            over.DoModal();
        }
        EXPECT_EQ(screen.LeftSoftKey(), "删除");
        QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(40, 307));
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.commands, (std::vector<int>{32771}));
}

TEST_F(MenuTest, APopUpAtAPointStaysOnTheScreen) {
    const std::vector<MenuItem> items{{1, u"一", {}}, {2, u"二", {}}};
    Soon([] {
        PopupMenuWidget* menu = PopupMenuWidget::Active();
        ASSERT_NE(menu, nullptr);
        EXPECT_LE(menu->MenuRect().right(), 239);
        EXPECT_LE(menu->MenuRect().bottom(), 319);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->ItemRect(2).center());
    });
    EXPECT_EQ(TrackPopupMenu(items, 230, 310), 2);
    EXPECT_EQ(TrackPopupMenu({}, 0, 0), 0);
}

} // namespace
