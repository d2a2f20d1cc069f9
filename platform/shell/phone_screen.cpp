#include "platform/shell/phone_screen.h"

#include "platform/shell/message_box.h"

#include <QApplication>
#include <QConicalGradient>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace platform::gui {
namespace {

const QColor kNavTop(0x2e, 0x5f, 0xbf);
const QColor kNavBottom(0x0b, 0x2f, 0x8c);
const QColor kMenuBar(0xd6, 0xd3, 0xce);
const QColor kMenuEdge(0x84, 0x82, 0x84);

PhoneScreen* g_instance = nullptr;

// The phone's busy sign: a ring of colours in the middle of the screen.
class WaitCursor : public QWidget {
public:
    static constexpr int kSize = 32;
    explicit WaitCursor(QWidget* screen) : QWidget(screen) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry((PhoneScreen::kWidth - kSize) / 2, (PhoneScreen::kHeight - kSize) / 2, kSize,
                    kSize);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QConicalGradient ring(rect().center(), 90);
        const QColor colours[] = {QColor(0xe8, 0x30, 0x30), QColor(0xf0, 0xc0, 0x20),
                                  QColor(0x30, 0xa0, 0x40), QColor(0x20, 0x60, 0xd0),
                                  QColor(0xe8, 0x30, 0x30)};
        for (int i = 0; i < 5; ++i)
            ring.setColorAt(i / 4.0, colours[i]);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        p.setBrush(ring);
        p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(rect()).adjusted(10.5, 10.5, -10.5, -10.5));
    }
};

} // namespace

PhoneScreen::PhoneScreen(QWidget* parent)
    : QWidget(parent), m_client(new QWidget(this)), m_waitCursor(new WaitCursor(this)) {
    setFixedSize(kWidth, kHeight);
    m_client->setGeometry(ClientRect());
    m_client->setAutoFillBackground(true);
    QPalette white = m_client->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_client->setPalette(white);
    g_instance = this;
}

PhoneScreen::~PhoneScreen() {
    if (g_instance == this)
        g_instance = nullptr;
}

PhoneScreen* PhoneScreen::Instance() {
    return g_instance;
}

void PhoneScreen::SetTitle(const QString& title) {
    m_title = title;
    update();
}

void PhoneScreen::SetOkButton(bool shown) {
    m_okShown = shown;
    update();
}

void PhoneScreen::SetSoftKeys(const QString& left, const QString& right) {
    m_left = left;
    m_right = right;
    update();
}

QRect PhoneScreen::OkRect() {
    return {kWidth - 30, 3, 26, kNavBarHeight - 6};
}
QRect PhoneScreen::LeftKeyRect() const {
    return {0, kHeight - kMenuBarHeight, kWidth / 2, kMenuBarHeight};
}
QRect PhoneScreen::RightKeyRect() const {
    return {kWidth / 2, kHeight - kMenuBarHeight, kWidth / 2, kMenuBarHeight};
}

void PhoneScreen::PaintNavBar(QPainter& p, const QString& title, bool okButton) {
    p.save();
    QLinearGradient nav(0, 0, 0, kNavBarHeight);
    nav.setColorAt(0, kNavTop);
    nav.setColorAt(1, kNavBottom);
    p.fillRect(0, 0, kWidth, kNavBarHeight, nav);
    p.setPen(Qt::white);
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QRect(6, 0, kWidth - (okButton ? 44 : 12), kNavBarHeight),
               Qt::AlignVCenter | Qt::AlignLeft, title);
    if (okButton) {
        const QRect ok = OkRect();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 1.5));
        p.drawEllipse(QRectF(ok).adjusted(2.5, 0.5, -2.5, -0.5));
        p.drawText(ok, Qt::AlignCenter, QStringLiteral("ok"));
    }
    p.restore();
}

void PhoneScreen::PaintMenuBar(QPainter& p) {
    const QRect bar(0, kHeight - kMenuBarHeight, kWidth, kMenuBarHeight);
    p.save();
    p.fillRect(bar, kMenuBar);
    p.setPen(kMenuEdge);
    p.drawLine(bar.topLeft(), bar.topRight());
    p.restore();
}

void PhoneScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintNavBar(p, m_title, m_okShown);
    PaintMenuBar(p);
    p.setPen(Qt::black);
    p.drawText(LeftKeyRect(), Qt::AlignCenter, m_left);
    p.drawText(RightKeyRect(), Qt::AlignCenter, m_right);
    if (!m_left.isEmpty() || !m_right.isEmpty()) {
        const int top = kHeight - kMenuBarHeight;
        p.setPen(kMenuEdge);
        p.drawLine(kWidth / 2, top + 5, kWidth / 2, kHeight - 5);
    }
}

void PhoneScreen::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const auto call = [](const std::function<void()>& f) {
        if (f)
            f();
    };
    if (m_okShown && OkRect().contains(at))
        call(onOk);
    else if (LeftKeyRect().contains(at) && !m_left.isEmpty())
        call(onLeftSoftKey);
    else if (RightKeyRect().contains(at) && !m_right.isEmpty())
        call(onRightSoftKey);
}

// Offscreen there is no window manager to make the screen active, and an inactive window
// gives no control the input focus.
void PhoneScreen::Activate() {
    if (!isVisible())
        show();
    if (!isActiveWindow()) {
        activateWindow();
        QApplication::setActiveWindow(this);
    }
}

void PhoneScreen::BeginPage(const QString& title, bool okButton, std::function<void()> ok) {
    m_pagesBelow.push_back(
        {m_title, m_okShown, m_left, m_right, onOk, onLeftSoftKey, onRightSoftKey, softKeysOwner});
    SetTitle(title);
    SetOkButton(okButton);
    SetSoftKeys({}, {});
    onOk = std::move(ok);
    onLeftSoftKey = onRightSoftKey = nullptr;
    softKeysOwner = nullptr;
}

void PhoneScreen::EndPage() {
    if (m_pagesBelow.empty())
        return;
    Bars below = std::move(m_pagesBelow.back());
    m_pagesBelow.pop_back();
    SetTitle(below.title);
    SetOkButton(below.ok);
    SetSoftKeys(below.left, below.right);
    onOk = std::move(below.onOk);
    onLeftSoftKey = std::move(below.onLeft);
    onRightSoftKey = std::move(below.onRight);
    softKeysOwner = below.keysOwner;
}

int PhoneScreen::ShowMessageBox(const MessageBoxRequest& request) {
    return platform::gui::ShowMessageBox(request);
}

QImage PhoneScreen::Shot() {
    return grab().toImage();
}

void PhoneScreen::ShowWaitCursor(bool shown) {
    if (m_waitShown == shown)
        return;
    m_waitShown = shown;
    if (shown) {
        m_waitCursor->show();
        m_waitCursor->raise();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        m_waitCursor->hide();
        QApplication::restoreOverrideCursor();
    }
}

} // namespace platform::gui
