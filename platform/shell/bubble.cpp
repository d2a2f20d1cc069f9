#include "platform/shell/bubble.h"

#include "platform/clock.h"
#include "platform/gui/ui_thread.h"
#include "platform/shell/phone_screen.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>
#include <mutex>

namespace platform::gui {
namespace {

// Touched on the user-interface thread only.
struct Shown {
    Notification notification;
    QPointer<QWidget> widget;
};
std::unique_ptr<Shown> g_shown;

std::mutex g_observerMutex;
BubbleObserver g_observer;

BubbleObserver Observer() {
    std::lock_guard lock(g_observerMutex);
    return g_observer;
}

void Hide() {
    if (!g_shown)
        return;
    delete g_shown->widget.data();
    g_shown.reset();
    if (const auto observer = Observer(); observer.onRemoved)
        observer.onRemoved();
}

// A pale yellow box above the menu bar, as the phone drew its notices.
QWidget* MakeBubble(PhoneScreen& screen, const Notification& n) {
    auto* bubble = new QLabel(&screen);
    bubble->setTextFormat(Qt::RichText);
    bubble->setWordWrap(true);
    bubble->setText(QStringLiteral("<b>%1</b><br>%2")
                        .arg(QString::fromStdU16String(n.title).toHtmlEscaped(),
                             QString::fromStdU16String(n.html)));
    bubble->setStyleSheet(
        QStringLiteral("QLabel { background: #ffffe1; border: 1px solid #404040; padding: 4px; }"));
    bubble->setFixedWidth(PhoneScreen::kWidth - 20);
    bubble->adjustSize();
    const int bottom = PhoneScreen::kHeight - PhoneScreen::kMenuBarHeight - 6;
    bubble->move(10, bottom - bubble->height());
    bubble->show();
    bubble->raise();
    return bubble;
}

} // namespace

void AddNotification(const Notification& notification) {
    PostToUiThread([notification] {
        PhoneScreen* screen = PhoneScreen::Instance();
        if (!screen)
            return;
        Hide(); // one bubble at a time: the newer one replaces it
        g_shown = std::make_unique<Shown>(Shown{notification, MakeBubble(*screen, notification)});
        if (const auto observer = Observer(); observer.onShown)
            observer.onShown(notification);
        if (notification.durationSeconds > 0) {
            const QPointer<QWidget> widget = g_shown->widget;
            QTimer::singleShot(platform::ScaledMilliseconds(notification.durationSeconds * 1000),
                               widget, [widget] {
                                   if (g_shown && g_shown->widget == widget)
                                       Hide();
                               });
        }
    });
}

void RemoveNotification(const std::u16string& classId, int id) {
    PostToUiThread([classId, id] {
        if (g_shown && g_shown->notification.classId == classId && g_shown->notification.id == id)
            Hide();
    });
}

void SetBubbleObserver(BubbleObserver observer) {
    std::lock_guard lock(g_observerMutex);
    g_observer = std::move(observer);
}

bool BubbleShowing() {
    return g_shown != nullptr;
}

std::u16string BubbleTitle() {
    return g_shown ? g_shown->notification.title : std::u16string();
}

} // namespace platform::gui
