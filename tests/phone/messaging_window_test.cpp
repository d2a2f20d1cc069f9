// The phone's messaging program in its window, on the offscreen platform.
#include "phone/messaging_window.h"

#include "platform/clock.h"
#include "platform/phonedb.h"
#include "temp_device.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using phone::MessagingWindow;

class MessagingWindowTest : public ::testing::Test {
protected:
    ~MessagingWindowTest() override { platform::FixLocalTime(std::nullopt); }

    platform::PhoneDb& phone() { return m_device.Get().Phone(); }
    void Receive(int minute, std::u16string_view from, std::u16string_view text) {
        platform::FixLocalTime(platform::LocalTime{2005, 3, 7, 9, minute, 0});
        ASSERT_TRUE(phone().AddInboxMessage(from, text));
    }
    template <class W> W* Find(QWidget& window, const char* name) {
        auto* widget = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    // The inbox as the window lists it: sender, time, text a row.
    std::vector<std::vector<QString>> Rows(QWidget& window) {
        std::vector<std::vector<QString>> rows;
        auto* list = Find<QTreeWidget>(window, "inbox");
        for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
            const auto* item = list->topLevelItem(i);
            rows.push_back({item->text(0), item->text(1), item->text(2)});
        }
        return rows;
    }
    void Click(QWidget& window, const char* button) {
        if (auto* b = Find<QPushButton>(window, button))
            QTest::mouseClick(b, Qt::LeftButton);
    }
    int Page(QWidget& window) { return Find<QTabWidget>(window, "pages")->currentIndex(); }

    testing_support::TempDevice m_device;
};

TEST_F(MessagingWindowTest, TheInboxListsNewestFirstAndShowsWhatArrivesMeanwhile) {
    Receive(5, u"10086", u"话费余额 12.50 元");
    Receive(7, u"13800138000", u"今晚\n见");
    MessagingWindow window(m_device.Get(), phone::ParseMessagingCommandLine(""));
    window.show();
    EXPECT_EQ(window.size(), QSize(240, 320));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("短信"));
    EXPECT_EQ(QFontInfo(window.font()).family(), QStringLiteral("WenQuanYi Micro Hei"));
    EXPECT_EQ(Page(window), MessagingWindow::kInboxPage);
    using Table = std::vector<std::vector<QString>>;
    EXPECT_EQ(Rows(window), (Table{{"13800138000", "03-07 09:07", "今晚 见"},
                                   {"10086", "03-07 09:05", "话费余额 12.50 元"}}));

    Receive(9, u"10010", u"刷新后可见");
    Click(window, "refresh");
    ASSERT_EQ(Rows(window).size(), 3u);
    EXPECT_EQ(Rows(window)[0], (std::vector<QString>{"10010", "03-07 09:09", "刷新后可见"}));

    // Another window takes the focus; coming back reads the inbox again.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Receive(11, u"95555", u"回到窗口时可见");
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_EQ(Rows(window).size(), 4u);
    EXPECT_EQ(Rows(window)[0][0], QStringLiteral("95555"));
}

TEST_F(MessagingWindowTest, AForwardedBodyOpensTheComposeFormAndSendGoesToTheSentLog) {
    const std::string body = R"(转发："明天 9 点"见)";
    MessagingWindow window(m_device.Get(), phone::ParseMessagingCommandLine(
                                               "-service \"SMS\" -body \"" + body + "\""));
    window.show();
    ASSERT_EQ(Page(window), MessagingWindow::kComposePage);
    EXPECT_EQ(Find<QPlainTextEdit>(window, "body")->toPlainText().toStdString(), body);

    // No recipient: it says so and sends nothing.
    Click(window, "send");
    EXPECT_FALSE(Find<QLabel>(window, "status")->text().isEmpty());
    EXPECT_EQ(Page(window), MessagingWindow::kComposePage);
    EXPECT_TRUE(phone().SentMessages().empty());

    QTest::keyClicks(Find<QLineEdit>(window, "to"), QStringLiteral(" 13900000000 "));
    Click(window, "send");
    const auto sent = phone().SentMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, u"13900000000");
    EXPECT_EQ(sent[0].text, u"转发：\"明天 9 点\"见");
    EXPECT_EQ(sent[0].result, 0);
    EXPECT_EQ(Page(window), MessagingWindow::kInboxPage);
    EXPECT_TRUE(Find<QLabel>(window, "status")->text().contains("13900000000"));

    // The form is empty for the next message.
    Find<QTabWidget>(window, "pages")->setCurrentIndex(MessagingWindow::kComposePage);
    EXPECT_TRUE(Find<QLineEdit>(window, "to")->text().isEmpty());
    EXPECT_TRUE(Find<QPlainTextEdit>(window, "body")->toPlainText().isEmpty());
}

} // namespace
