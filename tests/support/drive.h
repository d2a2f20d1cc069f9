#pragma once

// Runs a dialog of a window test under a script, in-process: the transcript's lines and the
// driver's exit code once the dialog has closed and the script is over.

#include "platform/gui/dialog.h"
#include "platform/script/driver.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct DriveResult {
    std::vector<std::string> lines;
    int exitCode = -1;
};

DriveResult DriveDialog(CDialog& dialog, const std::string& script);
// The same for any modal run (a file dialog, a message box): modal runs while the script
// does, and may wait for the driver to finish.
DriveResult DriveModal(const std::function<void(const platform::gui::ScriptDriver&)>& modal,
                       const std::string& script);

} // namespace testing_support
