#include "platform/shell/message_box_widget.h"
#include "platform/shell/phone_screen.h"

#include "gui_main.h"

#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

class MessageBoxTest : public ::testing::Test {
protected:
    MessageBoxTest() {
        testing_support::Gui().Screen().show();
        SetMessageBoxObserver({[this](const MessageBoxRequest& r) { shown.push_back(r); },
                               [this](int a) { answers.push_back(a); }});
    }
    ~MessageBoxTest() override { SetMessageBoxObserver({}); }

    // Shows the box and lets then act on it once it is up, as a person would.
    int Show(const MessageBoxRequest& request, std::function<void(MessageBoxWidget&)> then) {
        QTimer::singleShot(0, [then] {
            MessageBoxWidget* box = MessageBoxWidget::Active();
            ASSERT_NE(box, nullptr);
            then(*box);
        });
        return ShowMessageBox(request);
    }

    std::vector<MessageBoxRequest> shown;
    std::vector<int> answers;
};

TEST_F(MessageBoxTest, EachKindHasItsButtonsAndAnswers) {
    struct Case {
        MsgButtons buttons;
        MsgIcon icon;
        std::vector<std::pair<int, QString>> labels;
    };
    const Case cases[] = {
        {MsgButtons::Ok, MsgIcon::Stop, {{kIdOk, "确定"}}},
        {MsgButtons::YesNo, MsgIcon::Question, {{kIdYes, "是"}, {kIdNo, "否"}}},
        {MsgButtons::Ok, MsgIcon::Information, {{kIdOk, "确定"}}},
        {MsgButtons::YesNo, MsgIcon::None, {{kIdYes, "是"}, {kIdNo, "否"}}},
    };
    for (const auto& c : cases) {
        for (const auto& [answer, label] : c.labels) {
            const int got = Show(
                {u"是否确定要关闭防火墙？", u"Brenwick", c.buttons, c.icon},
                [&](MessageBoxWidget& box) {
                    for (const auto& [other, otherLabel] : c.labels)
                        EXPECT_EQ(box.Button(other)->text(), otherLabel);
                    EXPECT_EQ(box.Button(c.buttons == MsgButtons::Ok ? kIdYes : kIdOk), nullptr);
                    QTest::mouseClick(box.Button(answer), Qt::LeftButton);
                });
            EXPECT_EQ(got, answer);
        }
    }
    EXPECT_EQ(answers, (std::vector<int>{kIdOk, kIdYes, kIdNo, kIdOk, kIdYes, kIdNo}));
}

TEST_F(MessageBoxTest, OnlyTheBoxTakesInput) {
    const int got = Show({u"请选择要删除的号码！", u"Brenwick", MsgButtons::Ok, MsgIcon::Stop},
                         [](MessageBoxWidget& box) {
                             // A tap beside the box, on the soft key behind it, reaches nothing.
                             int behind = 0;
                             PhoneScreen::Instance()->onLeftSoftKey = [&] { ++behind; };
                             PhoneScreen::Instance()->SetSoftKeys("退出", "工具");
                             QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(40, 310));
                             EXPECT_EQ(behind, 0);
                             EXPECT_EQ(MessageBoxWidget::Active(), &box) << "still showing";
                             QTest::keyClick(&box, Qt::Key_Return);
                         });
    EXPECT_EQ(got, kIdOk);
    EXPECT_EQ(MessageBoxWidget::Active(), nullptr);
    EXPECT_EQ(Show({u"?", u"", MsgButtons::YesNo, MsgIcon::Question},
                   [](MessageBoxWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              kIdNo);
}

TEST_F(MessageBoxTest, WithoutACaptionTheBoxShowsTheProgramsTitle) {
    Show({u"无法打开联系人！", u"", MsgButtons::Ok, MsgIcon::None},
         [](MessageBoxWidget& box) { QTest::mouseClick(box.Button(kIdOk), Qt::LeftButton); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, u"brenwick");
    EXPECT_EQ(shown[0].text, u"无法打开联系人！");
}

TEST_F(MessageBoxTest, AnErrorBoxLooksLikeThePhones) {
    QImage shot;
    QRect box;
    Show({u"密码不正确，请重新输入！", u"Brenwick", MsgButtons::Ok, MsgIcon::Stop},
         [&](MessageBoxWidget& b) {
             box = b.BoxRect();
             shot = PhoneScreen::Instance()->Shot();
             QTest::mouseClick(b.Button(kIdOk), Qt::LeftButton);
         });
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(box.left() + box.width() / 2, 120) << "centred over the screen";
    EXPECT_NEAR(box.top() + box.height() / 2, 160, 1);
    const QColor icon = shot.pixelColor(box.left() + 8 + 4, box.top() + 20 + 8 + 16);
    EXPECT_GT(icon.red(), 150) << "the stop icon is red";
    EXPECT_LT(icon.green(), 80);
    const QColor caption = shot.pixelColor(box.left() + 150, box.top() + 10);
    EXPECT_GT(caption.blue(), 100) << "the caption strip is blue";
    shot.save(QString::fromStdString(
        (std::filesystem::path(testing::TempDir()) / "error-box.png").string()));
}

} // namespace
