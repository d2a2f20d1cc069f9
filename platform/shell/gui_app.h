#pragma once

// The phone's screen on the desktop: the Qt application that every window of the program
// lives in. Nothing of Qt shows through this header.

#include <memory>
#include <string>

namespace platform::gui {

class PhoneScreen;

struct GuiOptions {
    int scale = 1;         // the window enlarged N times; the layout stays 240 x 320
    bool headless = false; // Qt's offscreen platform, for scripted runs and tests
};

// Whether a window can open: a display for Qt's desktop platforms, or offscreen.
bool DisplayAvailable();
// The one line the program says when it cannot open its window.
std::string NoDisplayMessage();

class GuiApplication {
public:
    GuiApplication(int& argc, char** argv, const GuiOptions& options);
    ~GuiApplication();
    GuiApplication(const GuiApplication&) = delete;
    GuiApplication& operator=(const GuiApplication&) = delete;

    PhoneScreen& Screen();
    // The family of the font every window uses, as the font system resolved it.
    std::string FontFamily() const;
    int Run();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform::gui
