#pragma once

// The phone's SMS interface: open a handle for a protocol, send a message through it, close
// it. Results follow the phone's convention: 0 for success, negative for failure.
//
// Failures come from the phone's state in phone.db: with no cellular line (brenwick-phone sim
// remove) no handle opens; with the network off (brenwick-phone network off) a send fails.
// Every send that reaches the network, whatever its result, goes into the device's sent log
// (brenwick-phone sent) and to whoever watches (the transcript of a scripted run).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

using HRESULT = std::int32_t;
using SMS_HANDLE = std::uint32_t;
using SMS_MESSAGE_ID = std::uint32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
// No cellular line: the radio has no SIM to send with.
inline constexpr HRESULT SMS_E_RADIOUNAVAILABLE = static_cast<HRESULT>(0x82000500u);
// The network did not take the message.
inline constexpr HRESULT SMS_E_NETWORKUNREACHABLE = static_cast<HRESULT>(0x82000501u);

inline constexpr std::uint32_t SMS_MODE_SEND = 2;
inline constexpr std::u16string_view SMS_MSGTYPE_TEXT = u"Microsoft Text SMS Protocol";

inline constexpr int SMSAT_UNKNOWN = 0;
inline constexpr std::size_t SMS_MAX_ADDRESS_LENGTH = 256;

struct SMS_ADDRESS {
    int smsatAddressType = SMSAT_UNKNOWN;
    char16_t ptsAddress[SMS_MAX_ADDRESS_LENGTH] = {};
};

inline constexpr std::uint32_t PS_MESSAGE_OPTION_NONE = 0;
inline constexpr std::uint32_t PS_MESSAGE_CLASS1 = 1;
inline constexpr std::uint32_t PSRO_NONE = 0;

// The text protocol's provider data: 12 bytes.
struct TEXT_PROVIDER_SPECIFIC_DATA {
    std::uint32_t dwMessageOptions = PS_MESSAGE_OPTION_NONE;
    std::uint32_t psMessageClass = PS_MESSAGE_CLASS1;
    std::uint32_t psReplaceOption = PSRO_NONE;
};
static_assert(sizeof(TEXT_PROVIDER_SPECIFIC_DATA) == 12);

inline constexpr int SMSDE_OPTIMAL = 0;
inline constexpr std::uint32_t SMS_OPTION_DELIVERY_NONE = 0;

// protocol must be SMS_MSGTYPE_TEXT and mode SMS_MODE_SEND; no message-available event is
// offered (pass null).
HRESULT SmsOpen(std::u16string_view protocol, std::uint32_t mode, SMS_HANDLE* handle,
                void* messageAvailableEvent);
// data is the text as UTF-16LE bytes without a terminator; smsc null for the phone's default
// service centre; validity null for none.
HRESULT SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS* smsc, const SMS_ADDRESS* destination,
                       const void* validity, const std::uint8_t* data, std::size_t dataSize,
                       const std::uint8_t* providerData, std::size_t providerDataSize, int encoding,
                       std::uint32_t options, SMS_MESSAGE_ID* messageId);
HRESULT SmsClose(SMS_HANDLE handle);

namespace platform {

// Told of every send, on the sending thread.
using SmsObserver =
    std::function<void(std::u16string_view to, std::u16string_view text, HRESULT result)>;
void SetSmsObserver(SmsObserver observer);

} // namespace platform
