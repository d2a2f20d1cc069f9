#include "platform/shell/gui_app.h"
#include "platform/shell/phone_screen.h"

#include "child_process.h"
#include "gui_main.h"

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using platform::gui::GuiApplication;
using platform::gui::PhoneScreen;

using testing_support::Gui;

TEST(GuiTest, EveryWindowUsesThePhonesFont) {
    EXPECT_EQ(Gui().FontFamily(), "WenQuanYi Micro Hei");
}

TEST(GuiTest, TheScreenHasItsBarsWhereThePhoneHadThem) {
    PhoneScreen& screen = Gui().Screen();
    screen.show();
    EXPECT_EQ(screen.size(), QSize(240, 320));
    EXPECT_EQ(screen.ClientArea()->geometry(), QRect(0, 26, 240, 268));

    int ok = 0, left = 0, right = 0;
    screen.onOk = [&] { ++ok; };
    screen.onLeftSoftKey = [&] { ++left; };
    screen.onRightSoftKey = [&] { ++right; };
    screen.SetTitle(QStringLiteral("Brenwick开启"));
    screen.SetSoftKeys(QStringLiteral("退出"), QStringLiteral("工具"));
    QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(225, 12));
    EXPECT_EQ(ok, 0) << "no ok button yet";
    screen.SetOkButton(true);
    QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(225, 12));
    QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(40, 305));
    QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(200, 305));
    QTest::mouseClick(&screen, Qt::LeftButton, {}, QPoint(120, 150));
    EXPECT_EQ(std::make_tuple(ok, left, right), std::make_tuple(1, 1, 1));

    const QImage shot = screen.Shot();
    ASSERT_EQ(shot.size(), QSize(240, 320));
    EXPECT_EQ(shot.pixelColor(120, 150), QColor(Qt::white)) << "the client area is white";
    EXPECT_LT(shot.pixelColor(120, 2).red(), 80) << "the navigation bar is blue";
    EXPECT_GT(shot.pixelColor(120, 2).blue(), 120);
    const QColor bar = shot.pixelColor(5, 300);
    EXPECT_GT(bar.red(), 180) << "the menu bar is grey";
    EXPECT_LT(std::abs(bar.red() - bar.blue()), 16);
    const auto out = std::filesystem::path(testing::TempDir()) / "phone-screen.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(out.string())));
}

TEST(GuiTest, WithoutADisplayTheProgramSaysSoAndStops) {
    const auto dir = std::filesystem::path(testing::TempDir()) / "no-display-device";
    const auto result = testing_support::Run({BRENWICK_APP, "--device", dir.string()},
                                             {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "brenwick: no display to open the phone's window on; run it on a desktop, under "
              "xvfb-run, or headless with --script FILE\n");
    EXPECT_FALSE(std::filesystem::exists(dir))
        << "nothing was set up for a window that cannot open";
    EXPECT_EQ(testing_support::Run({BRENWICK_APP, "--scale", "0"}).exitCode, 2);
}

} // namespace
