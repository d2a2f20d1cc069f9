#include "platform/clock.h"
#include "platform/gui/ui_thread.h"
#include "platform/shell/bubble.h"
#include "platform/shell/phone_screen.h"

#include "gui_main.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace platform::gui;

const std::u16string kClass = u"{85EE47B2-57D7-EEFE-8E7A-36480443D062}";

using testing_support::RunEventsUntil;

TEST(BubbleTest, AWorkerShowsABubbleThatGoesWhenRemovedOrWhenItsTimeIsUp) {
    testing_support::Gui().Screen().show();
    std::vector<std::u16string> told;
    SetBubbleObserver({[&](const Notification& n) { told.push_back(n.title + u"|" + n.html); },
                       [&] { told.push_back(u"removed"); }});
    std::thread worker([] {
        AddNotification(
            {kClass, 10000, u"短消息服务", u"<HTML><BODY>消息已发送\r\n</BODY></HTML>", 0});
    });
    worker.join();
    RunEventsUntil([] { return BubbleShowing(); });
    EXPECT_EQ(BubbleTitle(), u"短消息服务");

    RemoveNotification(kClass, 9999); // not this one
    RemoveNotification(u"{other}", 10000);
    bool flushed = false; // the queue keeps its order: once this ran, so did both removes
    PostToUiThread([&] { flushed = true; });
    RunEventsUntil([&] { return flushed; });
    EXPECT_TRUE(BubbleShowing());
    std::thread([] { RemoveNotification(kClass, 10000); }).join();
    RunEventsUntil([] { return !BubbleShowing(); });
    EXPECT_FALSE(BubbleShowing());

    platform::SetTimeScale(0.01); // two seconds become twenty milliseconds
    AddNotification({kClass, 10000, u"短消息服务", u"x", 2});
    RunEventsUntil([] { return BubbleShowing(); });
    RunEventsUntil([] { return !BubbleShowing(); });
    platform::SetTimeScale(1);
    SetBubbleObserver({});
    EXPECT_EQ(told,
              (std::vector<std::u16string>{u"短消息服务|<HTML><BODY>消息已发送\r\n</BODY></HTML>",
                                           u"removed", u"短消息服务|x", u"removed"}));
}

} // namespace
