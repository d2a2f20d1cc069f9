#pragma once

// The filter service of the phone: what happens to an SMS when it arrives. It reads the
// program's lists and settings in the registry and writes what the program reads: private
// records, the update event, bubble notices; what it lets through goes to the ordinary inbox.

#include "platform/clock.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Device;
}

namespace phone {

enum class Verdict {
    Private,  // from the red list: kept in the private store
    Blocked,  // from the black list
    Rejected, // refused by the "accept only the red list" or "only contacts" setting
    Inbox,    // let through to the ordinary inbox
};
std::string_view VerdictWord(Verdict verdict);

// The "+86" form under which the private store keys a number.
std::u16string PlusForm(std::u16string_view number);

// "2005-3-7-9:5:0": the name of a record stored at that time.
std::u16string TimeStampName(const platform::LocalTime& time);

struct RecordValue {
    std::u16string name;
    std::u16string data;
};

// The values that store one received text in a record key already holding existingNames:
// unread names ("[*]" + stamp), the text whole or in pieces ("-1", "-2", ...) that each fit
// what the program can read, under a stamp that no existing record uses, read or not.
std::vector<RecordValue> PrivateRecordValues(const std::vector<std::u16string>& existingNames,
                                             std::u16string_view stamp, std::u16string_view text);

struct ReceiveOutcome {
    std::optional<Verdict> verdict; // none when the phone's stores failed: see error
    std::string error;
    std::string warning; // the verdict stands, but something after it failed
};

// One SMS from a sender arrives on the device.
ReceiveOutcome ReceiveSms(platform::Device& device, std::u16string_view from,
                          std::u16string_view text);

// The anti-theft check when the phone starts: with "DOG" present and a SIM whose number
// differs from "SIMID", a notice SMS with the new number goes to the number in "DOG".
enum class BootResult {
    Notified, // the notice went out
    Ok,       // anti-theft off, or the same SIM
    Unsent,   // a notice was due but could not go: see reason
};
std::string_view BootWord(BootResult result);

struct BootOutcome {
    std::optional<BootResult> result; // none when the phone's stores failed: see reason
    std::string reason;
};

BootOutcome CheckSimAtBoot(platform::Device& device);

// The notice SMS for a phone that now has the SIM of number.
std::u16string AntiTheftNotice(std::u16string_view number);

} // namespace phone
