// A second process for the tests: does one thing to a device and reports on stdout.
//   brenwick-test-peer DEVICE COMMAND ARGS...
#include "platform/device.h"

#include <cstdio>
#include <string>
#include <vector>

// Each returns the exit code, or -1 when the command is not one of its own.
int RunRegistryCommand(platform::Device& device, const std::string& command,
                       const std::vector<std::string>& args);

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: brenwick-test-peer DEVICE COMMAND ARGS...\n");
        return 2;
    }
    std::string error;
    auto device = platform::Device::Open(argv[1], error);
    if (!device) {
        std::fprintf(stderr, "brenwick-test-peer: %s\n", error.c_str());
        return 1;
    }
    platform::UseDevice(device.get());
    const std::string command = argv[2];
    const std::vector<std::string> args(argv + 3, argv + argc);
    if (const int rc = RunRegistryCommand(*device, command, args); rc >= 0)
        return rc;
    std::fprintf(stderr, "brenwick-test-peer: unknown command %s\n", command.c_str());
    return 2;
}
