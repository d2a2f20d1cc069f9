#include "platform/shell/gui_app.h"

#include "platform/gui/ui_queue.h"
#include "platform/shell/phone_look.h"
#include "platform/shell/phone_screen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStyleFactory>
#include <cstdlib>
#include <unistd.h>

namespace platform::gui {
namespace {

constexpr const char* kFontFamily = "WenQuanYi Micro Hei";
constexpr int kFontPixels = 12;

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt's offscreen platform with one screen of the phone's size and no fake window frame,
// so that geometries come out exact.
void UseOffscreenPlatform() {
    const QString dir = QDir::tempPath() + QStringLiteral("/brenwick-qpa-%1").arg(::getuid());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString config = dir + QStringLiteral("/offscreen.json");
    // Programs starting side by side share the file: it is replaced whole, never seen half
    // written.
    QSaveFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(
            R"({"windowFrameMargins":false,"screens":[{"name":"phone","width":240,"height":320,"logicalDpi":96,"dpr":1.0}]})");
        file.commit();
    }
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.toLocal8Bit());
    if (!Set("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
}

} // namespace

bool DisplayAvailable() {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        const std::string name(platform);
        if (!name.starts_with("xcb") && !name.starts_with("wayland"))
            return true; // offscreen, vnc, ...: Qt opens those without a display
    }
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

std::string NoDisplayMessage() {
    return "brenwick: no display to open the phone's window on; run it on a desktop, under "
           "xvfb-run, or headless with --script FILE";
}

struct GuiApplication::Impl {
    explicit Impl(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
    std::unique_ptr<PhoneScreen> screen;
};

QFont PhoneFont() {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(kFontPixels);
    return font;
}

QPalette PhonePalette(QPalette palette) {
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    return palette;
}

void ApplyPhoneLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(PhoneFont());
    QApplication::setPalette(PhonePalette(QApplication::palette()));
}

GuiApplication::GuiApplication(int& argc, char** argv, const GuiOptions& options) {
    if (options.headless)
        UseOffscreenPlatform();
    if (options.scale > 1)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(options.scale));
    m_impl = std::make_unique<Impl>(argc, argv);
    ApplyPhoneLook();
    m_impl->screen = std::make_unique<PhoneScreen>();
    m_impl->screen->setWindowTitle(QStringLiteral("Brenwick"));
    StartUiQueue();
}

GuiApplication::~GuiApplication() {
    StopUiQueue();
}

PhoneScreen& GuiApplication::Screen() {
    return *m_impl->screen;
}

std::string GuiApplication::FontFamily() const {
    return QFontInfo(QApplication::font()).family().toStdString();
}

int GuiApplication::Run() {
    m_impl->screen->show();
    return QApplication::exec();
}

} // namespace platform::gui
