// brenwick under load: four processes run 10,000 arrivals through the filter service while
// the window shows the red list with a message viewer open. Nothing is lost or refused, and
// the window ends showing all of it.
#include "app_script.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ControlIn;
using testing_support::Quoted;
using namespace testing_support::keys;

constexpr int kSenders = 4;
constexpr int kEach = 2500; // arrivals per sender, from the four numbers in turn
// The numbers in each sender's turn: two on the red list, one on the black list, one on
// neither, whose messages go to the phone's own inbox.
const std::string kNumbers[] = {"13800138000", "13900139000", "13700137000", "13600136000"};
constexpr const char* kRecordKeys = "HKLM\\Software\\Tolvane\\Brenwick\\Content\\+86";

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The texts from number k of the turn: "sS-i" for sender S and every i with i % 4 == k.
std::vector<std::string> TextsFrom(int k) {
    std::vector<std::string> texts;
    for (int s = 1; s <= kSenders; ++s)
        for (int i = k; i < kEach; i += 4)
            texts.push_back("s" + std::to_string(s) + "-" + std::to_string(i));
    return texts;
}

class LoadScriptTest : public testing_support::AppScriptTest {};

TEST_F(LoadScriptTest, TenThousandArrivalsWhileTheListAndAViewerAreOpen) {
    Phone({"reg", "set", kSettings, "PWD", "1234"});
    Phone({"reg", "set", kRed, kNumbers[0], "*张三"});
    Phone({"reg", "set", kRed, kNumbers[1], "李四"});
    Phone({"reg", "set", kBlack, kNumbers[2], "王五"});

    // The senders start in the background and the window runs while they send; a second
    // run waits for their end.
    const std::string dir = m_dir.string();
    std::string senders = "(";
    for (int s = 1; s <= kSenders; ++s) {
        senders += std::string(BRENWICK_TEST_PEER) + " '" + Device() + "' receive s" +
                   std::to_string(s) + " " + std::to_string(kEach);
        for (const auto& number : kNumbers)
            senders += " " + number;
        senders += " >'" + dir + "/sender" + std::to_string(s) + "' 2>&1 & ";
    }
    senders += "wait; touch '" + dir + "/done') </dev/null >/dev/null 2>&1 &";
    const std::string waitForThem = "while [ ! -e '" + dir + "/done' ]; do sleep 0.2; done";
    const auto run = Use("dump\nrow 1001 0\nrun " + Quoted(senders) + "\nwait 3000\nrun " +
                         Quoted(waitForThem) + "\nwait 3000\ndump\nok\nwait 1000\ndump\n");
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.dumps.size(), 3u);

    // Every sender reached every verdict it should, and nothing failed.
    for (int s = 1; s <= kSenders; ++s) {
        std::ifstream in(m_dir / ("sender" + std::to_string(s)));
        const std::string report((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(report, "private 1250\nblocked 625\nrejected 0\ninbox 625\nfailures 0\n")
            << "sender " << s;
    }

    // Every private message is in the store, once; the others are in the phone's inbox.
    for (int k = 0; k < 2; ++k) {
        const std::string dump = RegDump(kRecordKeys + kNumbers[k]);
        const auto texts = TextsFrom(k);
        EXPECT_EQ(Count(dump, "[\""), texts.size()) << kNumbers[k];
        for (const auto& text : texts)
            ASSERT_EQ(Count(dump, "\"" + text + "\"]"), 1u) << text << " from " << kNumbers[k];
    }
    EXPECT_EQ(RegDump(kRecordKeys + kNumbers[2]).find("values"), std::string::npos)
        << "the black list's messages are dropped";
    const std::string inbox =
        testing_support::Run({BRENWICK_PHONE, "--device", Device(), "inbox"}).out;
    EXPECT_EQ(Count(inbox, "\"from\":\"" + kNumbers[3] + "\""), TextsFrom(3).size());
    EXPECT_EQ(Count(inbox, "\n"), TextsFrom(3).size());

    // The viewer opened on the first row shows every record of its number.
    const std::string& before = run.dumps[0];
    const int shown = before.find(kNumbers[0]) < before.find(kNumbers[1]) ? 0 : 1;
    const std::string viewer = ControlIn(run.dumps[1], 2001);
    const auto texts = TextsFrom(shown);
    EXPECT_EQ(Count(viewer, "[\""), texts.size());
    for (const auto& text : texts)
        ASSERT_EQ(Count(viewer, "\"" + text + "\"]"), 1u) << text << " in the viewer";

    // Back in the list: both numbers marked unread, as what arrived is unread.
    const std::string list = ControlIn(run.dumps[2], 1001);
    EXPECT_EQ(Count(list, "[\""), 2u) << list;
    EXPECT_NE(list.find(R"(["[*]张三","13800138000","*"])"), std::string::npos) << list;
    EXPECT_NE(list.find(R"(["[*]李四","13900139000",""])"), std::string::npos) << list;
}

} // namespace
