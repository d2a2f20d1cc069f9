#include "messages/SendJob.h"

#include "platform/gui/ui_thread.h"
#include "platform/gui/winapp.h"
#include "platform/shell/bubble.h"
#include "platform/thread.h"
#include "store/NumberLists.h"

#include <algorithm>
#include <cstdint>

std::atomic<int> s_sending = 0;

HRESULT SendSms(const CString& number, const CString& text) {
    SMS_HANDLE handle = 0;
    HRESULT result = SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr);
    if (result < 0)
        return result;

    SMS_ADDRESS destination;
    destination.smsatAddressType = SMSAT_UNKNOWN;
    const std::u16string& digits = number.str();
    std::copy_n(digits.begin(), std::min(digits.size(), SMS_MAX_ADDRESS_LENGTH),
                destination.ptsAddress);
    TEXT_PROVIDER_SPECIFIC_DATA providerData;
    providerData.dwMessageOptions = PS_MESSAGE_OPTION_NONE;
    providerData.psMessageClass = PS_MESSAGE_CLASS1;
    providerData.psReplaceOption = PSRO_NONE;

    SMS_MESSAGE_ID messageId = 0;
    result = SmsSendMessage(
        handle, nullptr, &destination, nullptr, reinterpret_cast<const std::uint8_t*>(text.c_str()),
        static_cast<std::size_t>(text.GetLength()) * sizeof(char16_t),
        reinterpret_cast<const std::uint8_t*>(&providerData), sizeof providerData, SMSDE_OPTIMAL,
        SMS_OPTION_DELIVERY_NONE, &messageId);
    if (result >= 0) {
        platform::gui::AddNotification({kSentBubbleClass, kSentBubbleId, u"短消息服务",
                                        u"<HTML><BODY>消息已发送\r\n</BODY></HTML>", 2});
        platform::gui::PauseThread(kSentBubbleMilliseconds);
        platform::gui::RemoveNotification(kSentBubbleClass, kSentBubbleId);
        // The removal is handed to the user-interface thread: the bubble is gone once
        // that thread has come past it.
        platform::gui::RunOnUiThread([] {});
    }
    // A message the network refused stays a failure, whatever the close says.
    const HRESULT closed = SmsClose(handle);
    return result < 0 ? result : closed;
}

int SendThreadProc(CSendJob job) {
    job.m_number = WithoutPlus86(job.m_number);
    {
        CWaitCursor wait;
        SendSms(job.m_number, job.m_text);
    }
    --s_sending;
    s_sending.notify_all();
    return 0;
}

bool StartSendJob(CSendJob job) {
    ++s_sending;
    if (platform::StartDetachedThread(
            [job = std::move(job)]() mutable { SendThreadProc(std::move(job)); }))
        return true;
    --s_sending;
    return false;
}

void WaitForSendJobs() {
    for (int running = s_sending; running != 0; running = s_sending)
        s_sending.wait(running);
}
