// The phone's side of things: an SMS arriving, the SIM, the contacts, the file system, the
// ordinary inbox and the logs.
#include "phone/commands.h"
#include "phone/filter_service.h"
#include "phone/json_line.h"
#include "phone/vcard.h"
#include "platform/device.h"
#include "platform/phonedb.h"
#include "platform/text.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

namespace phone {

using platform::Utf8ToUtf16;

namespace {

std::optional<platform::PhoneContact> ParseContactOptions(const std::vector<std::string>& args) {
    platform::PhoneContact contact;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        std::u16string* field = args[i] == "--first"    ? &contact.first
                                : args[i] == "--last"   ? &contact.last
                                : args[i] == "--mobile" ? &contact.mobile
                                : args[i] == "--work"   ? &contact.work
                                : args[i] == "--other"  ? &contact.other
                                                        : nullptr;
        if (!field || i + 1 >= args.size())
            return std::nullopt;
        *field = Utf8ToUtf16(args[i + 1]);
    }
    return contact;
}

template <class Row, class Format>
int List(const Invocation& call, const std::vector<Row>& rows, Format&& format) {
    for (const auto& row : rows)
        call.out << format(row).str() << '\n';
    return 0;
}

} // namespace

int Fail(const Invocation& call, std::string_view reason) {
    call.err << "brenwick-phone: " << reason << '\n';
    return 1;
}

int Receive(const Invocation& call) {
    const auto outcome =
        ReceiveSms(call.device, Utf8ToUtf16(call.args[0]), Utf8ToUtf16(call.args[1]));
    if (!outcome.verdict)
        return Fail(call, outcome.error);
    call.out << VerdictWord(*outcome.verdict) << '\n';
    if (!outcome.warning.empty())
        call.err << "brenwick-phone: warning: " << outcome.warning << '\n';
    return 0;
}

int Boot(const Invocation& call) {
    const auto outcome = CheckSimAtBoot(call.device);
    if (!outcome.result)
        return Fail(call, outcome.reason);
    call.out << BootWord(*outcome.result) << '\n';
    if (*outcome.result == BootResult::Unsent)
        call.err << "brenwick-phone: " << outcome.reason << '\n';
    return 0;
}

int PathOf(const Invocation& call) {
    const auto host = call.device.HostPath(Utf8ToUtf16(call.args[0]));
    if (!host)
        return Fail(call, "the path leaves the phone's file system: " + call.args[0]);
    call.out << host->string() << '\n';
    return 0;
}

int SimShow(const Invocation& call) {
    call.out << JsonLine().TextOrNull("number", call.device.Phone().SimNumber()).str() << '\n';
    return 0;
}

int SimSet(const Invocation& call) {
    if (!call.device.Phone().SetSimNumber(Utf8ToUtf16(call.args[0])))
        return Fail(call, "cannot write the SIM card's number");
    return 0;
}

int SimRemove(const Invocation& call) {
    if (!call.device.Phone().RemoveSim())
        return Fail(call, "cannot remove the SIM card");
    return 0;
}

int LinesList(const Invocation& call) {
    return List(call, call.device.Phone().Lines(), [](const platform::PhoneLine& l) {
        return JsonLine()
            .Int("index", l.index)
            .Text("name", l.name)
            .Text("number", l.subscriberNumber);
    });
}

int LineAdd(const Invocation& call) {
    const std::u16string number = call.args.size() > 1 ? Utf8ToUtf16(call.args[1]) : u"";
    if (!call.device.Phone().AddLine(Utf8ToUtf16(call.args[0]), number))
        return Fail(call, "cannot add the line");
    return 0;
}

bool NetworkArgsValid(const std::vector<std::string>& args) {
    return args.empty() || args[0] == "on" || args[0] == "off";
}

// Without an argument prints the network's state; with on or off sets it.
int Network(const Invocation& call) {
    platform::PhoneDb& phone = call.device.Phone();
    if (call.args.empty()) {
        call.out << (phone.NetworkOn() ? "on" : "off") << '\n';
        return 0;
    }
    if (!phone.SetNetworkOn(call.args[0] == "on"))
        return Fail(call, "cannot switch the network");
    return 0;
}

bool ContactOptionsValid(const std::vector<std::string>& args) {
    return ParseContactOptions(args).has_value();
}

int ContactsAdd(const Invocation& call) {
    if (!call.device.Phone().AddContact(*ParseContactOptions(call.args)))
        return Fail(call, "cannot add the contact");
    return 0;
}

// Every card of the file or, when the file is broken, none; each card left out is named on
// err with why.
int ContactsImport(const Invocation& call) {
    const std::string& file = call.args[0];
    std::error_code error;
    std::ifstream in(file, std::ios::binary);
    if (std::filesystem::is_directory(file, error) || !in)
        return Fail(call, "cannot read " + file);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return Fail(call, "cannot read " + file);
    const VCardImport cards = ReadVCards(bytes);
    if (!cards.error.empty())
        return Fail(call, file + ": " + cards.error + "; nothing added");
    for (const std::string& skipped : cards.skipped)
        call.err << file << ": " << skipped << ", skipped\n";
    if (!call.device.Phone().AddContacts(cards.contacts))
        return Fail(call, "cannot add the contacts; nothing added");
    call.out << "added " << cards.contacts.size() << "\n";
    return 0;
}

int ContactsList(const Invocation& call) {
    return List(call, call.device.Phone().Contacts(), [](const platform::PhoneContact& c) {
        return JsonLine()
            .Text("first", c.first)
            .Text("last", c.last)
            .Text("mobile", c.mobile)
            .Text("work", c.work)
            .Text("other", c.other);
    });
}

int InboxList(const Invocation& call) {
    return List(call, call.device.Phone().InboxMessages(), [](const platform::InboxMessage& m) {
        return JsonLine().Text("from", m.from).Text("text", m.text).Utf8("time", m.time);
    });
}

int SentList(const Invocation& call) {
    return List(call, call.device.Phone().SentMessages(), [](const platform::SentSms& m) {
        return JsonLine()
            .Text("to", m.to)
            .Text("text", m.text)
            .Int("result", m.result)
            .Utf8("time", m.time);
    });
}

int CallsList(const Invocation& call) {
    return List(call, call.device.Phone().Calls(), [](const platform::CallRecord& c) {
        return JsonLine().Text("number", c.number).Utf8("time", c.time);
    });
}

int LaunchesList(const Invocation& call) {
    return List(call, call.device.Phone().Launches(), [](const platform::LaunchRecord& l) {
        return JsonLine().Text("path", l.path).Text("cmdline", l.cmdline).Utf8("time", l.time);
    });
}

int NoticesList(const Invocation& call) {
    return List(call, call.device.Phone().Notices(), [](const platform::NoticeRecord& n) {
        return JsonLine()
            .Text("from", n.from)
            .Text("text", n.text)
            .TextOrNull("vibration", n.vibration)
            .Utf8("time", n.time);
    });
}

} // namespace phone
