// Registry commands of brenwick-test-peer.
#include "platform/device.h"
#include "platform/registry.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using platform::RegRoot;
using platform::RegStatus;

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// One operation on one key, opened for it and closed after it, as the program does it.
template <class Step>
RegStatus OnKey(platform::Registry& registry, const std::u16string& path, Step&& step) {
    platform::RegistryKey key;
    bool existed = false;
    const RegStatus status = registry.CreateKey(RegRoot::LocalMachine, path, key, existed);
    return status == RegStatus::Ok ? step(key) : status;
}

// write-records PATH COUNT: writes values r0 ... r(COUNT-1) into HKLM\PATH, one operation
// each, reading the key's size between writes; prints "failures N".
int WriteRecords(platform::Registry& registry, const std::vector<std::string>& args) {
    const std::u16string path = Ascii(args[0]);
    const int count = std::stoi(args[1]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        platform::RegistryKey key;
        bool existed = false;
        if (registry.CreateKey(RegRoot::LocalMachine, path, key, existed) != RegStatus::Ok) {
            ++failures;
            continue;
        }
        failures += key.SetString(Ascii("r" + std::to_string(i)), u"record") != RegStatus::Ok;
        std::uint32_t n = 0;
        failures += key.CountValues(n) != RegStatus::Ok;
    }
    std::printf("failures %d\n", failures);
    return 0;
}

// churn-red-list NUMBERS ROUNDS: in round g (from 1), for each red list number 1390000000,
// 1390000001, ...: deletes its inbox record key and writes it anew, value by value: "head",
// then "g-0" ... "g-3" ("[*]g-0" ... in odd rounds, unread), each with data g; then deletes
// its list entry and adds it again as "*联系人g". Prints "round g" after each round and
// "failures N" at the end.
int ChurnRedList(platform::Registry& registry, const std::vector<std::string>& args) {
    const int numbers = std::stoi(args[0]);
    const int rounds = std::stoi(args[1]);
    const std::u16string inbox = u"Software\\Tolvane\\Brenwick\\Content";
    const std::u16string redList = u"Software\\Tolvane\\Brenwick\\Listb";
    int failures = 0;
    const auto expect = [&](RegStatus status, RegStatus alsoFine = RegStatus::Ok) {
        failures += status != RegStatus::Ok && status != alsoFine;
    };
    for (int g = 1; g <= rounds; ++g) {
        const std::u16string gen = Ascii(std::to_string(g));
        for (int n = 0; n < numbers; ++n) {
            const std::u16string number = Ascii(std::to_string(1390000000 + n));
            const std::u16string record = u"+86" + number;
            expect(OnKey(registry, inbox, [&](auto& key) { return key.DeleteSubKey(record); }),
                   RegStatus::NotFound);
            const auto write = [&](const std::u16string& name) {
                expect(OnKey(registry, inbox + u"\\" + record,
                             [&](auto& key) { return key.SetString(name, gen); }));
            };
            write(u"head");
            for (int i = 0; i < 4; ++i)
                write((g % 2 ? u"[*]" : u"") + gen + u"-" + Ascii(std::to_string(i)));
            expect(OnKey(registry, redList, [&](auto& key) { return key.DeleteValue(number); }),
                   RegStatus::NotFound);
            expect(OnKey(registry, redList,
                         [&](auto& key) { return key.SetString(number, u"*联系人" + gen); }));
        }
        std::printf("round %d\n", g);
        std::fflush(stdout);
    }
    std::printf("failures %d\n", failures);
    return 0;
}

// write-acknowledged PATH: writes values "v0", "v1", ... into HKLM\PATH\k0 ... k2 in turn,
// one operation each, value i holding "i" and then i * 37 % 1500 letters 'x' (so that
// records of every length pass); prints "ready" first and "ok i" after write i has
// committed, until killed; "failed i" ends it.
int WriteAcknowledged(platform::Registry& registry, const std::vector<std::string>& args) {
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        const RegStatus status =
            OnKey(registry, Ascii(args[0] + "\\k" + std::to_string(i % 3)), [&](auto& key) {
                return key.SetString(Ascii("v" + std::to_string(i)),
                                     Ascii(std::to_string(i) + std::string(i * 37 % 1500, 'x')));
            });
        std::printf("%s %d\n", status == RegStatus::Ok ? "ok" : "failed", i);
        std::fflush(stdout);
        if (status != RegStatus::Ok)
            return 1;
    }
}

} // namespace

int RunRegistryCommand(platform::Device& device, const std::string& command,
                       const std::vector<std::string>& args) {
    if (command == "write-records" && args.size() == 2)
        return WriteRecords(device.GetRegistry(), args);
    if (command == "write-acknowledged" && args.size() == 1)
        return WriteAcknowledged(device.GetRegistry(), args);
    if (command == "churn-red-list" && args.size() == 2)
        return ChurnRedList(device.GetRegistry(), args);
    return -1;
}
