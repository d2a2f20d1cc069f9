#include "platform/gui/resources.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

TEST(ResourcesTest, DialogUnitsFillTheClientArea) {
    const std::pair<int, int> x[] = {{0, 0}, {1, 2}, {2, 3}, {80, 120}, {160, 240}, {130, 195}};
    for (const auto& [units, pixels] : x)
        EXPECT_EQ(DialogUnitsToPixelsX(units), pixels) << units;
    const std::pair<int, int> y[] = {{0, 0}, {1, 2}, {8, 13}, {85, 134}, {170, 268}, {144, 227}};
    for (const auto& [units, pixels] : y)
        EXPECT_EQ(DialogUnitsToPixelsY(units), pixels) << units;
}

TEST(ResourcesTest, TemplatesAreFoundByIdAndReplacedWhole) {
    EXPECT_EQ(FindDialog(133), nullptr);
    RegisterDialog({133,
                    u"",
                    DialogKind::Popup,
                    130,
                    144,
                    {{1014, ControlKind::Edit, u"", 10, 20, 90, 12, kPassword},
                     {1, ControlKind::Button, u"确定", 10, 120, 40, 14, kDefaultButton}}});
    const DialogTemplate* dialog = FindDialog(133);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->kind, DialogKind::Popup);
    ASSERT_EQ(dialog->controls.size(), 2u);
    EXPECT_EQ(dialog->controls[1].text, u"确定");
    RegisterDialog({133, u"again", DialogKind::Page, 160, 170, {}});
    EXPECT_EQ(FindDialog(133)->title, u"again");
    EXPECT_TRUE(FindDialog(133)->controls.empty());

    RegisterMenu(
        {129,
         {{32804, u"退出", {}}, {0, u"工具", {{32771, u"删除", {}}, {}, {32774, u"关于", {}}}}}});
    const MenuTemplate* menu = FindMenu(129);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items.size(), 2u);
    EXPECT_FALSE(menu->items[1].IsSeparator());
    EXPECT_TRUE(menu->items[1].popup[1].IsSeparator());
    EXPECT_EQ(FindMenu(999), nullptr);
}

} // namespace
