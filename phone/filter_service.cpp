#include "phone/filter_service.h"

#include "phone/reg_path.h"
#include "platform/cstring.h"
#include "platform/device.h"
#include "platform/events.h"
#include "platform/phonedb.h"
#include "platform/registry.h"
#include "platform/sms.h"
#include "platform/text.h"

#include <limits>

namespace phone {

using platform::RegistryKey;
using platform::RegRoot;
using platform::RegStatus;
using platform::RegValue;

namespace {

// All below the local-machine root.
constexpr std::u16string_view kSettingsKey = u"Software\\Microsoft\\Brenwick";
constexpr std::u16string_view kBlackListKey = u"Software\\Tolvane\\Brenwick\\List";
constexpr std::u16string_view kRedListKey = u"Software\\Tolvane\\Brenwick\\Listb";
constexpr std::u16string_view kInboxBranch = u"Software\\Tolvane\\Brenwick\\Content";
constexpr std::u16string_view kUpdateEvent = u"Quorl.UpdateSMS.Event";
constexpr std::u16string_view kUnread = u"[*]";

// The program reads at most 127 characters of a value; a text up to 126 is kept whole and
// pieces are never longer.
constexpr std::size_t kLongestPiece = 126;

// Leaves ReceiveSms, and rolls back the store step it is thrown from.
struct StoreError {
    std::string what;
};

void Check(RegStatus status, std::string_view doing) {
    if (status != RegStatus::Ok)
        throw StoreError{std::string(doing) + ": " + std::string(StatusText(status))};
}

// The settings key as the service sees it: a value is present whatever its data.
class Settings {
public:
    explicit Settings(platform::Registry& registry) {
        const RegStatus status = registry.OpenKey(RegRoot::LocalMachine, kSettingsKey, m_key);
        if (status != RegStatus::NotFound)
            Check(status, "cannot read the settings");
    }

    std::optional<std::u16string> Value(std::u16string_view name) const {
        if (!m_key.IsOpen())
            return std::nullopt;
        RegValue value;
        const RegStatus status =
            m_key.QueryValue(name, std::numeric_limits<std::size_t>::max(), value);
        if (status == RegStatus::NotFound)
            return std::nullopt;
        Check(status, "cannot read the settings");
        return platform::DecodeRegString(value.data);
    }
    bool Present(std::u16string_view name) const { return Value(name).has_value(); }

private:
    RegistryKey m_key;
};

struct ListMatch {
    bool found = false;
    bool high = false; // some matching entry has the high level marker
};

ListMatch FindOnList(platform::Registry& registry, std::u16string_view listKey,
                     std::u16string_view plusFrom) {
    RegistryKey key;
    const RegStatus status = registry.OpenKey(RegRoot::LocalMachine, listKey, key);
    if (status == RegStatus::NotFound)
        return {};
    Check(status, "cannot read a number list");
    std::vector<RegValue> values;
    Check(key.AllValues(values), "cannot read a number list");
    ListMatch match;
    const std::u16string folded = platform::FoldCase(plusFrom);
    for (const auto& v : values) {
        if (v.name == u"Default") // a placeholder the program clears, never an entry
            continue;
        if (platform::FoldCase(PlusForm(v.name)) != folded)
            continue;
        match.found = true;
        match.high = match.high || platform::DecodeRegString(v.data).starts_with(u'*');
    }
    return match;
}

bool IsContact(platform::PhoneDb& phone, std::u16string_view plusFrom) {
    const std::u16string folded = platform::FoldCase(plusFrom);
    for (const auto& c : phone.Contacts())
        for (const auto* number : {&c.mobile, &c.work, &c.other})
            if (!number->empty() && platform::FoldCase(PlusForm(*number)) == folded)
                return true;
    return false;
}

// One atomic step, so that two arrivals in the same second cannot pick the same name.
void StorePrivate(platform::Registry& registry, std::u16string_view plusFrom,
                  std::u16string_view text) {
    // The number names one key; a backslash in it would name a path instead.
    if (plusFrom.find(u'\\') != std::u16string_view::npos)
        throw StoreError{"a number with '\\' cannot name a record key"};
    const std::u16string stamp = TimeStampName(platform::GetLocalTime());
    registry.Atomically([&] {
        RegistryKey key;
        bool existed = false;
        Check(registry.CreateKey(RegRoot::LocalMachine, JoinPath(kInboxBranch, plusFrom), key,
                                 existed),
              "cannot open the private record key");
        std::vector<RegValue> values;
        Check(key.AllValues(values), "cannot read the private record key");
        std::vector<std::u16string> names;
        for (auto& v : values)
            names.push_back(std::move(v.name));
        for (const auto& record : PrivateRecordValues(names, stamp, text))
            Check(key.SetString(record.name, record.data), "cannot store the private record");
    });
}

// The program's watchers reload on it. An event that nobody holds ends with our handle:
// then nobody was waiting for it.
std::string SignalUpdate(platform::Device& device) {
    const auto table = device.Events();
    if (!table)
        return "cannot use the device's events";
    platform::NamedEvent event = platform::NamedEvent::CreateOrOpen(table, kUpdateEvent);
    const bool set = event.IsValid() && event.Set();
    event.Close();
    return set ? std::string() : "cannot set the update event";
}

bool StampTaken(const std::vector<std::u16string>& names, std::u16string_view stamp) {
    for (std::u16string_view name : names) {
        if (name.starts_with(kUnread))
            name.remove_prefix(kUnread.size());
        if (name == stamp ||
            (name.size() > stamp.size() && name.starts_with(stamp) && name[stamp.size()] == u'-'))
            return true;
    }
    return false;
}

bool IsLeadSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsTrailSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::string_view VerdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Private:
        return "private";
    case Verdict::Blocked:
        return "blocked";
    case Verdict::Rejected:
        return "rejected";
    case Verdict::Inbox:
        return "inbox";
    }
    return "inbox";
}

std::u16string PlusForm(std::u16string_view number) {
    if (number.starts_with(u"+86"))
        return std::u16string(number);
    return u"+86" + std::u16string(number);
}

std::u16string TimeStampName(const platform::LocalTime& t) {
    return CString::Formatted(u"%d-%d-%d-%d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                              t.second)
        .str();
}

std::vector<RecordValue> PrivateRecordValues(const std::vector<std::u16string>& existingNames,
                                             std::u16string_view stamp, std::u16string_view text) {
    std::u16string base(stamp);
    for (int n = 2; StampTaken(existingNames, base); ++n)
        base = std::u16string(stamp) + u"#" + platform::Utf8ToUtf16(std::to_string(n));
    const std::u16string name = std::u16string(kUnread) + base;

    if (text.size() <= kLongestPiece)
        return {{name, std::u16string(text)}};
    std::vector<RecordValue> pieces;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = std::min(kLongestPiece, text.size() - at);
        // A piece that would end between the halves of a surrogate pair ends one unit early.
        if (at + length < text.size() && IsLeadSurrogate(text[at + length - 1]) &&
            IsTrailSurrogate(text[at + length]))
            --length;
        const auto suffix = platform::Utf8ToUtf16("-" + std::to_string(pieces.size() + 1));
        pieces.push_back({name + suffix, std::u16string(text.substr(at, length))});
        at += length;
    }
    return pieces;
}

ReceiveOutcome ReceiveSms(platform::Device& device, std::u16string_view from,
                          std::u16string_view text) {
    ReceiveOutcome outcome;
    auto& registry = device.GetRegistry();
    auto& phone = device.Phone();
    const auto toInbox = [&] {
        if (!phone.AddInboxMessage(from, text))
            throw StoreError{"cannot write the ordinary inbox"};
        return Verdict::Inbox;
    };
    try {
        const Settings settings(registry);
        const std::u16string plusFrom = PlusForm(from);
        if (settings.Present(u"stop")) {
            outcome.verdict = toInbox(); // the firewall is off
        } else if (FindOnList(registry, kBlackListKey, plusFrom).found) {
            outcome.verdict = Verdict::Blocked;
        } else if (const ListMatch red = FindOnList(registry, kRedListKey, plusFrom); red.found) {
            StorePrivate(registry, plusFrom, text);
            outcome.verdict = Verdict::Private;
            outcome.warning = SignalUpdate(device);
            if (red.high && settings.Present(u"POPOMSG") &&
                !phone.LogNotice(from, settings.Value(u"POPOCONTENT").value_or(u""),
                                 settings.Value(u"SENDFLAG")))
                outcome.warning = "cannot log the notice";
        } else if (settings.Present(u"REDONLY")) {
            outcome.verdict = Verdict::Rejected;
        } else if (settings.Present(u"contacts") && !IsContact(phone, plusFrom)) {
            outcome.verdict = Verdict::Rejected;
        } else {
            outcome.verdict = toInbox();
        }
    } catch (const StoreError& e) {
        if (outcome.verdict) // the verdict was reached; only what follows it failed
            outcome.warning = e.what;
        else
            outcome.error = e.what;
    }
    return outcome;
}

namespace {

// A number the phone can send to: digits, after an optional "+".
bool IsPhoneNumber(std::u16string_view text) {
    if (text.starts_with(u'+'))
        text.remove_prefix(1);
    if (text.size() < 3 || text.size() > 20)
        return false;
    for (const char16_t c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Sends text to number through the phone's SMS interface; the failing step, or empty.
std::string SendSms(std::u16string_view number, std::u16string_view text) {
    SMS_HANDLE handle = 0;
    if (SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr) != S_OK)
        return "no cellular line: the SMS interface cannot be opened";
    SMS_ADDRESS to;
    number.copy(to.ptsAddress, SMS_MAX_ADDRESS_LENGTH - 1);
    const TEXT_PROVIDER_SPECIFIC_DATA provider;
    SMS_MESSAGE_ID id = 0;
    const HRESULT sent = SmsSendMessage(
        handle, nullptr, &to, nullptr, reinterpret_cast<const std::uint8_t*>(text.data()),
        text.size() * sizeof(char16_t), reinterpret_cast<const std::uint8_t*>(&provider),
        sizeof(provider), SMSDE_OPTIMAL, SMS_OPTION_DELIVERY_NONE, &id);
    SmsClose(handle);
    if (sent == SMS_E_NETWORKUNREACHABLE)
        return "the network is off";
    return sent == S_OK ? "" : "the SMS could not be sent";
}

} // namespace

std::string_view BootWord(BootResult result) {
    switch (result) {
    case BootResult::Notified:
        return "notified";
    case BootResult::Ok:
        return "ok";
    case BootResult::Unsent:
        return "unsent";
    }
    return "";
}

std::u16string AntiTheftNotice(std::u16string_view number) {
    if (number.empty())
        return u"手机防盗提醒：您的手机换上了另一张SIM卡，未能读出其号码。";
    return u"手机防盗提醒：您的手机换上了另一张SIM卡，号码为" + std::u16string(number) + u"。";
}

BootOutcome CheckSimAtBoot(platform::Device& device) {
    try {
        const Settings settings(device.GetRegistry());
        const auto dog = settings.Value(u"DOG");
        if (!dog)
            return {BootResult::Ok, ""};
        // The SIM as the phone's telephony reports it: the last line named "Cellular Line".
        const auto sim = device.Phone().SimNumber();
        if (!sim)
            return {BootResult::Unsent, "no cellular line: the phone has no SIM card"};
        if (settings.Value(u"SIMID") == *sim)
            return {BootResult::Ok, ""};
        if (!IsPhoneNumber(*dog))
            return {BootResult::Unsent,
                    "the anti-theft number is no phone number: " + platform::Utf16ToUtf8(*dog)};
        if (const std::string failed = SendSms(*dog, AntiTheftNotice(*sim)); !failed.empty())
            return {BootResult::Unsent, failed};
        return {BootResult::Notified, ""};
    } catch (const StoreError& e) {
        return {std::nullopt, e.what};
    }
}

} // namespace phone
