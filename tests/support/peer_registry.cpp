// Registry commands of brenwick-test-peer.
#include "platform/device.h"
#include "platform/registry.h"

#include <cstdio>
#include <string>
#include <vector>

// write-records PATH COUNT: writes values r0 ... r(COUNT-1) into HKLM\PATH, one operation
// each, reading the key's size between writes; prints "failures N".
int RunRegistryCommand(platform::Device& device, const std::string& command,
                       const std::vector<std::string>& args) {
    if (command != "write-records" || args.size() != 2)
        return -1;
    const std::u16string path(args[0].begin(), args[0].end());
    const int count = std::stoi(args[1]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        platform::RegistryKey key;
        bool existed = false;
        if (device.GetRegistry().CreateKey(platform::RegRoot::LocalMachine, path, key, existed) !=
            platform::RegStatus::Ok) {
            ++failures;
            continue;
        }
        const std::string name = "r" + std::to_string(i);
        failures += key.SetString(std::u16string(name.begin(), name.end()), u"record") !=
                    platform::RegStatus::Ok;
        std::uint32_t n = 0;
        failures += key.CountValues(n) != platform::RegStatus::Ok;
    }
    std::printf("failures %d\n", failures);
    return 0;
}
