#include "platform/sms.h"

#include "platform/device.h"
#include "platform/phonedb.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>

namespace {

std::mutex g_mutex;
std::unordered_set<SMS_HANDLE> g_open;
std::atomic<SMS_HANDLE> g_next{1};
std::atomic<SMS_MESSAGE_ID> g_nextMessage{1};
platform::SmsObserver g_observer;

bool IsOpen(SMS_HANDLE handle) {
    std::lock_guard lock(g_mutex);
    return g_open.contains(handle);
}

// The address field up to its first NUL: the phone reads no further.
std::u16string_view AddressOf(const SMS_ADDRESS& address) {
    const char16_t* begin = address.ptsAddress;
    std::size_t length = 0;
    while (length < SMS_MAX_ADDRESS_LENGTH && begin[length] != u'\0')
        ++length;
    return {begin, length};
}

std::u16string TextOf(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    if (!text.empty())
        std::memcpy(text.data(), data, text.size() * 2);
    return text;
}

} // namespace

HRESULT SmsOpen(std::u16string_view protocol, std::uint32_t mode, SMS_HANDLE* handle,
                void* messageAvailableEvent) {
    if (!handle || protocol != SMS_MSGTYPE_TEXT || mode != SMS_MODE_SEND || messageAvailableEvent)
        return E_INVALIDARG;
    if (!platform::ThisDevice().Phone().SimNumber())
        return SMS_E_RADIOUNAVAILABLE;
    std::lock_guard lock(g_mutex);
    *handle = g_next++;
    g_open.insert(*handle);
    return S_OK;
}

HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS* /*smsc*/,
                       const SMS_ADDRESS* destination, const void* /*validity*/,
                       const std::uint8_t* data, std::size_t dataSize,
                       const std::uint8_t* providerData, std::size_t providerDataSize,
                       int /*encoding*/, std::uint32_t /*options*/, SMS_MESSAGE_ID* messageId) {
    if (!IsOpen(handle) || !destination || (dataSize > 0 && !data) || dataSize % 2 != 0 ||
        !providerData || providerDataSize != sizeof(TEXT_PROVIDER_SPECIFIC_DATA))
        return E_INVALIDARG;
    platform::PhoneDb& phone = platform::ThisDevice().Phone();
    const std::u16string_view to = AddressOf(*destination);
    const std::u16string text = TextOf(data, dataSize);
    const HRESULT result = phone.NetworkOn() ? S_OK : SMS_E_NETWORKUNREACHABLE;
    if (!phone.LogSentSms(to, text, result) && result == S_OK)
        return E_FAIL;
    if (messageId)
        *messageId = g_nextMessage++;
    platform::SmsObserver observer;
    {
        std::lock_guard lock(g_mutex);
        observer = g_observer;
    }
    if (observer)
        observer(to, text, result);
    return result;
}

HRESULT SmsClose(SMS_HANDLE handle) {
    std::lock_guard lock(g_mutex);
    return g_open.erase(handle) == 1 ? S_OK : E_INVALIDARG;
}

namespace platform {

void SetSmsObserver(SmsObserver observer) {
    std::lock_guard lock(g_mutex);
    g_observer = std::move(observer);
}

} // namespace platform
