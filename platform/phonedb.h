#pragma once

// The rest of the phone's state, beside the registry: the SIM card, the SMS network, the
// contacts, the ordinary inbox and the logs of what the program asked the phone to do (SMS
// sent, calls, program starts, notices). Kept in phone.db of the device directory.
//
// Safe to use from several threads of a process and from several processes at once. Writers
// answer false when the file cannot be written; readers answer an empty list when it cannot
// be read. Every inbox and log row carries the device's local time of its writing.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The name of the line that carries the SIM card, as the phone's telephony reports it.
inline constexpr std::u16string_view kCellularLineName = u"Cellular Line";
inline constexpr std::u16string_view kDefaultSimNumber = u"+8613800000000";

// A telephone line device. Device indexes run from 0 without gaps, in the order the lines
// were added; removing a line moves the ones after it down by one.
struct PhoneLine {
    int index = 0;
    std::u16string name;
    std::u16string subscriberNumber;
};

struct PhoneContact {
    std::u16string first, last, mobile, work, other;
    friend bool operator==(const PhoneContact&, const PhoneContact&) = default;
};

// "time" is the device's local time in ISO form, "2005-03-07T09:05:00".
struct InboxMessage {
    std::u16string from, text;
    std::string time;
};
struct SentSms {
    std::u16string to, text;
    int result = 0;
    std::string time;
};
struct CallRecord {
    std::u16string number;
    std::string time;
};
struct LaunchRecord {
    std::u16string path, cmdline;
    std::string time;
};
// A bubble notice of the filter service; vibration holds the length asked for, or nothing.
struct NoticeRecord {
    std::u16string from, text;
    std::optional<std::u16string> vibration;
    std::string time;
};

class PhoneDb {
public:
    // Opens the file, creating it with its schema and a fresh phone's state (one cellular
    // line with kDefaultSimNumber) when new.
    static std::unique_ptr<PhoneDb> Open(const std::filesystem::path& file, std::string& error);
    ~PhoneDb();
    PhoneDb(const PhoneDb&) = delete;
    PhoneDb& operator=(const PhoneDb&) = delete;

    // Telephone lines. The cellular line is the last line named kCellularLineName, as the
    // telephony looks it up.
    std::vector<PhoneLine> Lines();
    bool AddLine(std::u16string_view name, std::u16string_view subscriberNumber);
    std::optional<std::u16string> SimNumber();
    // Sets the cellular line's subscriber number, adding the line when there is none.
    bool SetSimNumber(std::u16string_view number);
    // Removes every line named kCellularLineName: the phone then has no SIM.
    bool RemoveSim();

    // The SMS network: a fresh phone's is on; while it is off, sending an SMS fails.
    bool NetworkOn();
    bool SetNetworkOn(bool on);

    // Contacts, in the order added.
    bool AddContact(const PhoneContact& contact);
    std::vector<PhoneContact> Contacts();

    // The ordinary inbox: what the filter service lets through.
    bool AddInboxMessage(std::u16string_view from, std::u16string_view text);
    std::vector<InboxMessage> InboxMessages();

    // Logs, oldest first.
    bool LogSentSms(std::u16string_view to, std::u16string_view text, int result);
    std::vector<SentSms> SentMessages();
    bool LogCall(std::u16string_view number);
    std::vector<CallRecord> Calls();
    bool LogLaunch(std::u16string_view path, std::u16string_view cmdline);
    std::vector<LaunchRecord> Launches();
    bool LogNotice(std::u16string_view from, std::u16string_view text,
                   const std::optional<std::u16string>& vibration);
    std::vector<NoticeRecord> Notices();

private:
    struct Impl;
    PhoneDb();
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
