#include "drive.h"

#include "platform/script/driver.h"
#include "platform/shell/file_dialog_widget.h"
#include "platform/shell/message_box_widget.h"
#include "platform/shell/popup_menu_widget.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <sstream>

namespace testing_support {

DriveResult DriveDialog(CDialog& dialog, const std::string& script) {
    return DriveModal([&dialog](const platform::gui::ScriptDriver&) { dialog.DoModal(); }, script);
}

DriveResult DriveModal(const std::function<void(const platform::gui::ScriptDriver&)>& modal,
                       const std::string& script) {
    using namespace platform::gui;
    ScriptError error;
    auto actions = ParseScript(script, error);
    EXPECT_TRUE(actions) << error.Describe();
    std::ostringstream out;
    Transcript transcript(&out);
    ScriptDriver driver(actions ? *actions : std::vector<ScriptAction>{}, transcript, false);
    driver.Start();
    // A script that ended (a script error, or it ran out) leaves what is still open to us:
    // boxes, menus and dialogs are closed, innermost first, so that the test goes on.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [&driver] {
        if (!driver.Finished())
            return;
        if (auto* menu = PopupMenuWidget::Active())
            menu->Choose(0);
        else if (auto* box = MessageBoxWidget::Active())
            (box->Button(kIdNo) ? box->Button(kIdNo) : box->Button(kIdOk))->click();
        else if (auto* files = FileDialogWidget::Active())
            files->CancelButton()->click();
        else if (!CDialog::OpenDialogs().empty())
            CDialog::OpenDialogs().back()->EndDialog(IDCANCEL);
    });
    closer.start(50);
    modal(driver);
    closer.stop();
    // The rest of the script, after the modal run ended, and its end.
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
