// brenwick: the owner's program on the phone's 240 x 320 screen.
//   brenwick [--device DIR] [--scale N]
#include "platform/device.h"
#include "platform/gui/gui_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: brenwick [--device DIR] [--scale N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path deviceDir = platform::Device::DefaultDirectory();
    platform::gui::GuiOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--device" && i + 1 < argc) {
            deviceDir = argv[++i];
        } else if (arg == "--scale" && i + 1 < argc) {
            char* end = nullptr;
            const long scale = std::strtol(argv[++i], &end, 10);
            if (*end || scale < 1 || scale > 8)
                return Usage();
            options.scale = static_cast<int>(scale);
        } else {
            return Usage();
        }
    }
    if (!platform::gui::DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", platform::gui::NoDisplayMessage().c_str());
        return 1;
    }
    std::string error;
    const auto device = platform::Device::Open(deviceDir, error);
    if (!device) {
        std::fprintf(stderr, "brenwick: %s\n", error.c_str());
        return 1;
    }
    platform::UseDevice(device.get());
    platform::gui::GuiApplication gui(argc, argv, options);
    return gui.Run();
}
