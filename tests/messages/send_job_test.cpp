// The send job on its own threads: what reaches the phone's SMS interface, the bubble, and
// how long a job counts as running; on a phone whose clock runs a hundred times faster.
#include "messages/SendJob.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "platform/gui/ui_thread.h"
#include "platform/phonedb.h"
#include "platform/shell/bubble.h"
#include "platform/shell/phone_screen.h"
#include "platform/sms.h"
#include "platform/thread.h"

#include "gui_main.h"
#include "temp_device.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_support::RunEventsUntil;

class SendJobTest : public ::testing::Test {
protected:
    SendJobTest() {
        // The screen stays hidden: nothing is painted, so Qt's own painting threads, which
        // ThreadSanitizer cannot follow, never start.
        testing_support::Gui();
        platform::SetTimeScale(0.01);
        // Both observers are told on other threads than the test's: the SMS interface on the
        // sending thread, the bubble on the user-interface thread.
        platform::SetSmsObserver(
            [this](std::u16string_view to, std::u16string_view text, HRESULT result) {
                Note(u"sms " + std::u16string(to) + u"|" + std::u16string(text) + u"|" +
                     (result == S_OK ? u"ok" : u"failed"));
            });
        platform::gui::SetBubbleObserver(
            {[this](const platform::gui::Notification& n) {
                 if (!testing_support::Gui().Screen().WaitCursorShown())
                     m_bubbleWithoutWaitCursor = true;
                 Note(u"bubble " + n.title + u"|" + n.html + u"|" + n.classId + u"|" +
                      std::u16string(1, char16_t(u'0' + n.durationSeconds)));
             },
             [this] {
                 Note(u"removed");
                 if (s_sending == 0)
                     m_removedUncounted = true;
             }});
    }
    ~SendJobTest() override {
        RunEventsUntil([] { return s_sending == 0; });
        platform::SetSmsObserver({});
        platform::gui::SetBubbleObserver({});
        platform::SetTimeScale(1);
    }

    void Note(std::u16string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    void ClearEvents() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }
    std::vector<std::u16string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    // Runs jobs to their end; no bubble may show once the last one has ended.
    void RunJobs(std::initializer_list<CSendJob> jobs) {
        for (const CSendJob& job : jobs)
            ASSERT_TRUE(StartSendJob(job));
        RunEventsUntil([] { return s_sending == 0; });
        ASSERT_EQ(s_sending, 0);
        EXPECT_FALSE(platform::gui::BubbleShowing());
        EXPECT_FALSE(m_removedUncounted) << "a job ended before its bubble went";
        EXPECT_FALSE(m_bubbleWithoutWaitCursor) << "a job shows the wait cursor while it sends";
        RunEventsUntil([] { return !testing_support::Gui().Screen().WaitCursorShown(); });
        EXPECT_FALSE(testing_support::Gui().Screen().WaitCursorShown());
    }
    static platform::PhoneDb& Phone() { return platform::ThisDevice().Phone(); }

    testing_support::TempDevice m_device;
    std::mutex m_mutex;
    std::vector<std::u16string> m_events;
    // Both on the user-interface thread.
    bool m_removedUncounted = false;
    bool m_bubbleWithoutWaitCursor = false;
};

const std::u16string kBubble = u"bubble 短消息服务|<HTML><BODY>消息已发送\r\n</BODY></HTML>|"
                               u"{85EE47B2-57D7-EEFE-8E7A-36480443D062}|2";

// SendSms returns only after the bubble it showed is gone, with the close's result.
TEST_F(SendJobTest, SendSmsSendsThenShowsTheBubbleAndReturnsOnceItIsGone) {
    HRESULT result = -1;
    std::vector<std::u16string> seenOnReturn;
    bool done = false;
    std::thread sender([&] {
        result = SendSms(u"13800138000", u"你好");
        seenOnReturn = Events();
        platform::gui::PostToUiThread([&] { done = true; });
    });
    RunEventsUntil([&] { return done; });
    sender.join();
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(seenOnReturn,
              (std::vector<std::u16string>{u"sms 13800138000|你好|ok", kBubble, u"removed"}));
    const auto sent = Phone().SentMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, u"13800138000");
    EXPECT_EQ(sent[0].text, u"你好");
    EXPECT_EQ(sent[0].result, 0);
}

TEST_F(SendJobTest, AJobSendsToTheNumberWithoutItsPrefixOnceAndTheTextAsItIs) {
    const struct {
        const char16_t* number;
        const char16_t* text;
        const char16_t* to;
    } cases[] = {
        {u"+8613800138000", u"你好", u"13800138000"},
        {u"+868612345", u"8 or 6 first", u"8612345"}, // a national number beginning 86 stays whole
        {u"+86612345", u"x", u"612345"},
        {u"+86+8613800138000", u"once", u"+8613800138000"},
        {u"13800138000", u"no prefix", u"13800138000"},
        {u"86138", u"", u"86138"}, // an empty text: a message of no bytes
    };
    for (const auto& c : cases) {
        ClearEvents();
        RunJobs({{c.number, c.text}});
        const auto sent = Phone().SentMessages();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back().to, c.to);
        EXPECT_EQ(sent.back().text, c.text);
        EXPECT_EQ(Events(), (std::vector<std::u16string>{u"sms " + std::u16string(c.to) + u"|" +
                                                             c.text + u"|ok",
                                                         kBubble, u"removed"}))
            << CString(c.number);
    }
}

// Without a cellular line nothing is sent; with the network off the send fails. Neither shows
// a bubble, and the job ends all the same.
TEST_F(SendJobTest, AFailedSendShowsNothingAndTheJobEnds) {
    ASSERT_TRUE(Phone().SetNetworkOn(false));
    RunJobs({{u"+8613800138000", u"network off"}});
    EXPECT_EQ(Events(), std::vector<std::u16string>{u"sms 13800138000|network off|failed"});
    ASSERT_EQ(Phone().SentMessages().size(), 1u);
    EXPECT_LT(Phone().SentMessages()[0].result, 0);
    EXPECT_LT(SendSms(u"13800138000", u"x"), 0);

    ASSERT_TRUE(Phone().SetNetworkOn(true));
    ASSERT_TRUE(Phone().RemoveSim());
    ClearEvents();
    RunJobs({{u"+8613800138000", u"no line"}});
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(Phone().SentMessages().size(), 2u); // the direct SendSms above, and nothing more
    EXPECT_EQ(SendSms(u"13800138000", u"x"), SMS_E_RADIOUNAVAILABLE);
}

// A second job started while the first runs: each message arrives with its own number and
// text, and the count holds until the last bubble is gone.
TEST_F(SendJobTest, TwoJobsAtOnceEachKeepItsOwnInputs) {
    platform::SetTimeScale(0.1); // 210 ms a bubble: the second starts well within the first
    ASSERT_TRUE(StartSendJob({u"+8613800000001", u"first"}));
    ASSERT_TRUE(StartSendJob({u"+8613900000002", u"second"}));
    EXPECT_EQ(s_sending, 2);
    RunJobs({});
    auto sent = Phone().SentMessages();
    ASSERT_EQ(sent.size(), 2u);
    if (sent[0].to != u"13800000001")
        std::swap(sent[0], sent[1]);
    EXPECT_EQ(sent[0].to, u"13800000001");
    EXPECT_EQ(sent[0].text, u"first");
    EXPECT_EQ(sent[1].to, u"13900000002");
    EXPECT_EQ(sent[1].text, u"second");
}

// The program's end waits for the jobs: once the wait is over, every message has gone out.
TEST_F(SendJobTest, WaitingForTheJobsOutlastsThem) {
    platform::SetTimeScale(0.1);
    ASSERT_TRUE(StartSendJob({u"+8613800000001", u"first"}));
    ASSERT_TRUE(StartSendJob({u"+8613900000002", u"second"}));
    std::atomic<int> left = -1;
    std::thread waiter([&] {
        WaitForSendJobs();
        left = s_sending.load();
    });
    RunEventsUntil([&] { return left != -1; });
    waiter.join();
    EXPECT_EQ(left, 0);
    EXPECT_EQ(Phone().SentMessages().size(), 2u);
}

TEST_F(SendJobTest, AJobThatCannotStartIsNotCounted) {
    platform::RefuseThreads(true);
    EXPECT_FALSE(StartSendJob({u"+8613800138000", u"x"}));
    platform::RefuseThreads(false);
    EXPECT_EQ(s_sending, 0);
    EXPECT_TRUE(Phone().SentMessages().empty());
}

} // namespace
