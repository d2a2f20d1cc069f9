#include "platform/phonedb.h"
#include "platform/sms.h"

#include "temp_device.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

SMS_ADDRESS Address(std::u16string_view number) {
    SMS_ADDRESS address;
    std::memcpy(address.ptsAddress, number.data(), number.size() * 2);
    return address;
}

// Sends text to number the way the program does: open, send, close.
HRESULT Send(std::u16string_view number, std::u16string_view text) {
    SMS_HANDLE handle = 0;
    const HRESULT opened = SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr);
    if (opened < 0)
        return opened;
    const SMS_ADDRESS to = Address(number);
    const TEXT_PROVIDER_SPECIFIC_DATA provider;
    SMS_MESSAGE_ID id = 0;
    const HRESULT sent = SmsSendMessage(
        handle, nullptr, &to, nullptr, reinterpret_cast<const std::uint8_t*>(text.data()),
        text.size() * 2, reinterpret_cast<const std::uint8_t*>(&provider), sizeof provider,
        SMSDE_OPTIMAL, SMS_OPTION_DELIVERY_NONE, &id);
    EXPECT_EQ(SmsClose(handle), S_OK);
    return sent;
}

TEST(SmsTest, SendsAreLoggedAndToldWithTheirResult) {
    testing_support::TempDevice device;
    std::vector<std::u16string> told;
    platform::SetSmsObserver([&](std::u16string_view to, std::u16string_view text, HRESULT r) {
        told.push_back(std::u16string(to) + u"|" + std::u16string(text) + u"|" +
                       (r == S_OK ? u"ok" : u"failed"));
    });
    EXPECT_EQ(Send(u"13800138000", u"你好 \"朋友\""), S_OK);
    EXPECT_EQ(Send(u"8613800138000", u""), S_OK) << "an empty text is a message of zero bytes";
    ASSERT_TRUE(device.Get().Phone().SetNetworkOn(false));
    const HRESULT offline = Send(u"10086", u"x");
    EXPECT_LT(offline, 0);
    platform::SetSmsObserver({});

    EXPECT_EQ(told, (std::vector<std::u16string>{u"13800138000|你好 \"朋友\"|ok",
                                                 u"8613800138000||ok", u"10086|x|failed"}));
    const auto sent = device.Get().Phone().SentMessages();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].to, u"13800138000");
    EXPECT_EQ(sent[1].text, u"");
    EXPECT_EQ(sent[2].result, offline);
}

TEST(SmsTest, WithoutACellularLineNothingOpens) {
    testing_support::TempDevice device;
    ASSERT_TRUE(device.Get().Phone().RemoveSim());
    EXPECT_LT(Send(u"13800138000", u"x"), 0);
    EXPECT_TRUE(device.Get().Phone().SentMessages().empty());
}

TEST(SmsTest, WrongArgumentsAreRefused) {
    testing_support::TempDevice device;
    SMS_HANDLE handle = 0;
    EXPECT_EQ(SmsOpen(u"Some Other Protocol", SMS_MODE_SEND, &handle, nullptr), E_INVALIDARG);
    EXPECT_EQ(SmsOpen(SMS_MSGTYPE_TEXT, 1, &handle, nullptr), E_INVALIDARG);
    EXPECT_EQ(SmsClose(12345), E_INVALIDARG);
    ASSERT_EQ(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr), S_OK);
    const SMS_ADDRESS to = Address(u"10086");
    const std::uint8_t provider[8] = {};
    EXPECT_EQ(SmsSendMessage(handle, nullptr, &to, nullptr, nullptr, 0, provider, sizeof provider,
                             SMSDE_OPTIMAL, 0, nullptr),
              E_INVALIDARG)
        << "provider data of the wrong size";
    EXPECT_EQ(SmsClose(handle), S_OK);
    EXPECT_EQ(SmsClose(handle), E_INVALIDARG) << "closed twice";
    EXPECT_TRUE(device.Get().Phone().SentMessages().empty());
}

} // namespace
