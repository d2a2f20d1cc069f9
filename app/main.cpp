// brenwick: the owner's program on the phone's 240 x 320 screen.
//   brenwick [--device DIR] [--scale N]
//   brenwick [--device DIR] --script FILE [--transcript OUT] [--time-scale F]
//   brenwick --help | --version
#include "messages/SendJob.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "platform/gui/winapp.h"
#include "platform/script/driver.h"
#include "platform/shell/gui_app.h"
#include "platform/shell/launch.h"
#include "res/Resources.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: brenwick [--device DIR] [--scale N]\n"
    "       brenwick [--device DIR] --script FILE [--transcript OUT] [--time-scale F]\n"
    "       brenwick --help | --version\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// What --help and --version print; 1 when it could not be written (a full disk, a closed pipe).
int Answer(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path deviceDir = platform::Device::DefaultDirectory();
    platform::gui::GuiOptions options;
    std::optional<std::string> script, transcriptFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            return Answer(kUsage);
        } else if (arg == "--version") {
            return Answer("brenwick " BRENWICK_VERSION "\n");
        } else if (arg == "--device" && hasValue) {
            deviceDir = argv[++i];
        } else if (arg == "--scale" && hasValue) {
            char* end = nullptr;
            const long scale = std::strtol(argv[++i], &end, 10);
            if (*end || scale < 1 || scale > 8)
                return Usage();
            options.scale = static_cast<int>(scale);
        } else if (arg == "--script" && hasValue) {
            script = argv[++i];
        } else if (arg == "--transcript" && hasValue) {
            transcriptFile = argv[++i];
        } else if (arg == "--time-scale" && hasValue) {
            char* end = nullptr;
            const double scale = std::strtod(argv[++i], &end);
            if (*end || !(scale >= 0))
                return Usage();
            platform::SetTimeScale(scale);
        } else {
            return Usage();
        }
    }
    if (transcriptFile && !script)
        return Usage();
    options.headless = script.has_value();
    if (!options.headless && !platform::gui::DisplayAvailable()) {
        std::fprintf(stderr, "%s\n", platform::gui::NoDisplayMessage().c_str());
        return 1;
    }

    std::ofstream transcriptOut;
    if (transcriptFile) {
        transcriptOut.open(*transcriptFile, std::ios::trunc);
        if (!transcriptOut) {
            std::fprintf(stderr, "brenwick: cannot write %s\n", transcriptFile->c_str());
            return 1;
        }
    }
    platform::gui::Transcript transcript(transcriptFile ? &transcriptOut : nullptr);
    std::vector<platform::gui::ScriptAction> actions;
    if (script) {
        platform::gui::ScriptError error;
        auto loaded = platform::gui::LoadScript(*script, error);
        if (!loaded) {
            std::fprintf(stderr, "brenwick: %s: %s\n", script->c_str(), error.Describe().c_str());
            transcript.Error(error);
            transcript.End(2);
            return 2;
        }
        actions = std::move(*loaded);
    }

    std::string error;
    const auto device = platform::Device::Open(deviceDir, error);
    if (!device) {
        std::fprintf(stderr, "brenwick: %s\n", error.c_str());
        return 1;
    }
    platform::UseDevice(device.get());
    const int code = [&] {
        platform::gui::GuiApplication gui(argc, argv, options);
        RegisterResources();
        if (!script) {
            platform::SetRealStarts(true); // the phone's messaging program opens beside this one
            return platform::gui::RunWinApp();
        }
        platform::gui::ScriptDriver driver(std::move(actions), transcript);
        driver.Start();
        platform::gui::RunWinApp();
        driver.ProgramEnded();
        return driver.ExitCode();
    }();
    // An SMS still on its way uses the phone until it is done; the windows are gone by now.
    WaitForSendJobs();
    return code;
}
