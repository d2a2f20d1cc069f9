#include "platform/gui/window.h"
#include "platform/shell/message_box_widget.h"

#include "platform/shell/overlay.h"
#include "platform/shell/phone_screen.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace platform::gui {
namespace {

MessageBoxObserver g_observer;
std::vector<QPointer<MessageBoxWidget>> g_open; // innermost last

constexpr int kBoxWidth = 220;
constexpr int kCaptionHeight = 20;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 22;
constexpr int kPadding = 8;

void DrawIcon(QPainter& p, const QRect& r, MsgIcon icon) {
    if (icon == MsgIcon::None)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = icon == MsgIcon::Stop ? QColor(0xd0, 0x10, 0x10) : QColor(0x1c, 0x5c, 0xc8);
    p.setPen(QPen(fill.darker(130), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    if (icon == MsgIcon::Stop) {
        const QRectF x = QRectF(r).adjusted(10, 10, -10, -10);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
    } else {
        QFont f = p.font();
        f.setPixelSize(22);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter,
                   icon == MsgIcon::Question ? QStringLiteral("?") : QStringLiteral("i"));
    }
    p.restore();
}

} // namespace

std::u16string ProgramTitle() {
    return u"brenwick";
}

MessageBoxWidget::MessageBoxWidget(QWidget* parent, MessageBoxRequest request)
    : QWidget(parent), m_request(std::move(request)) {
    if (m_request.caption.empty())
        m_request.caption = ProgramTitle();
    setGeometry(parent->rect());
    setFocusPolicy(Qt::StrongFocus);

    // The text wraps at the box's width, beside the icon when there is one.
    const int textLeft = kPadding + (m_request.icon == MsgIcon::None ? 0 : kIconSize + kPadding);
    const int textWidth = kBoxWidth - textLeft - kPadding;
    const QRect measured = fontMetrics().boundingRect(QRect(0, 0, textWidth, 1000),
                                                      Qt::TextWordWrap, ToQt(m_request.text));
    const int bodyHeight =
        std::max(m_request.icon == MsgIcon::None ? 0 : kIconSize, measured.height());
    const int height = kCaptionHeight + kPadding + bodyHeight + kPadding + kButtonHeight + kPadding;
    m_box = QRect((width() - kBoxWidth) / 2, (this->height() - height) / 2, kBoxWidth, height);
    m_iconRect = QRect(m_box.left() + kPadding, m_box.top() + kCaptionHeight + kPadding, kIconSize,
                       kIconSize);
    m_textRect = QRect(m_box.left() + textLeft, m_box.top() + kCaptionHeight + kPadding, textWidth,
                       bodyHeight);

    std::vector<std::pair<int, QString>> buttons;
    if (m_request.buttons == MsgButtons::YesNo)
        buttons = {{kIdYes, QStringLiteral("是")}, {kIdNo, QStringLiteral("否")}};
    else
        buttons = {{kIdOk, QStringLiteral("确定")}};
    const int gap = kPadding * 2;
    const int rowWidth = static_cast<int>(buttons.size()) * kButtonWidth +
                         (static_cast<int>(buttons.size()) - 1) * gap;
    int x = m_box.left() + (kBoxWidth - rowWidth) / 2;
    for (const auto& [answer, label] : buttons) {
        auto* button = new QPushButton(label, this);
        button->setGeometry(x, m_box.bottom() - kPadding - kButtonHeight + 1, kButtonWidth,
                            kButtonHeight);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, a = answer] { Answer(a); });
        m_buttons.emplace_back(answer, button);
        x += kButtonWidth + gap;
    }
}

QPushButton* MessageBoxWidget::Button(int answer) const {
    for (const auto& [a, button] : m_buttons)
        if (a == answer)
            return button;
    return nullptr;
}

MessageBoxWidget* MessageBoxWidget::Active() {
    while (!g_open.empty() && !g_open.back())
        g_open.pop_back();
    return g_open.empty() ? nullptr : g_open.back().data();
}

void MessageBoxWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(m_box, Qt::white);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawRect(m_box.adjusted(0, 0, -1, -1));
    const QRect caption(m_box.left(), m_box.top(), m_box.width(), kCaptionHeight);
    p.fillRect(caption.adjusted(1, 1, -1, 0), QColor(0x0b, 0x2f, 0x8c));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.drawText(caption.adjusted(kPadding, 0, -kPadding, 0), Qt::AlignVCenter | Qt::AlignLeft,
               ToQt(m_request.caption));
    p.setFont(font());
    DrawIcon(p, m_iconRect, m_request.icon);
    p.setPen(Qt::black);
    p.drawText(m_textRect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter,
               ToQt(m_request.text));
}

void MessageBoxWidget::keyPressEvent(QKeyEvent* event) {
    // Enter answers with the first button; Escape with the last (No, or OK).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        Answer(m_buttons.front().first);
    else if (event->key() == Qt::Key_Escape)
        Answer(m_buttons.back().first);
}

// Taps beside the box end here: nothing behind a box takes input while it shows.
void MessageBoxWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void MessageBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void MessageBoxWidget::Answer(int answer) {
    if (!m_loop || m_answer != 0)
        return;
    m_answer = answer;
    m_loop->quit();
}

int MessageBoxWidget::Exec() {
    g_open.emplace_back(this);
    RunOverlay(*this, m_loop, true, [this] {
        if (g_observer.onShown)
            g_observer.onShown(m_request);
    });
    g_open.erase(std::remove(g_open.begin(), g_open.end(), QPointer<MessageBoxWidget>(this)),
                 g_open.end());
    if (g_observer.onAnswered)
        g_observer.onAnswered(m_answer);
    return m_answer;
}

int ShowMessageBox(const MessageBoxRequest& request) {
    PhoneScreen* screen = PhoneScreen::Instance();
    if (!screen)
        return 0;
    MessageBoxWidget box(screen, request);
    return box.Exec();
}

void SetMessageBoxObserver(MessageBoxObserver observer) {
    g_observer = std::move(observer);
}

} // namespace platform::gui
