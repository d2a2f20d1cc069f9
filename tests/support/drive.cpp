#include "drive.h"

#include "platform/gui/driver.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <sstream>

namespace testing_support {

DriveResult DriveDialog(CDialog& dialog, const std::string& script) {
    using namespace platform::gui;
    ScriptError error;
    auto actions = ParseScript(script, error);
    EXPECT_TRUE(actions) << error.Describe();
    std::ostringstream out;
    Transcript transcript(&out);
    ScriptDriver driver(actions ? *actions : std::vector<ScriptAction>{}, transcript, false);
    driver.Start();
    dialog.DoModal();
    // The rest of the script, after the dialog closed, and its end.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!driver.Finished())
            driver.ProgramEnded();
        loop.quit();
    });
    poll.start(20);
    loop.exec();
    DriveResult result;
    result.exitCode = driver.ExitCode();
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        result.lines.push_back(line);
    return result;
}

} // namespace testing_support
