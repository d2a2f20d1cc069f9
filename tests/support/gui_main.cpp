// main() of the window tests: one offscreen application for the whole run (Qt allows one),
// made before the tests and gone before the program exits.
#include "gui_main.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
platform::gui::GuiApplication* g_gui = nullptr;
}

namespace testing_support {
platform::gui::GuiApplication& Gui() {
    return *g_gui;
}

void RunEventsUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(20000, &loop, [&] { loop.quit(); });
    poll.start(2);
    loop.exec();
}
} // namespace testing_support

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    auto gui = std::make_unique<platform::gui::GuiApplication>(
        argc, argv, platform::gui::GuiOptions{.scale = 1, .headless = true});
    g_gui = gui.get();
    const int result = RUN_ALL_TESTS();
    g_gui = nullptr;
    gui.reset();
    return result;
}
