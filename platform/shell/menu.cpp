#include "platform/gui/window.h"
#include "platform/shell/popup_menu_widget.h"

#include "platform/gui/dialog.h"
#include "platform/gui/hold_gesture.h"
#include "platform/shell/overlay.h"
#include "platform/shell/phone_screen.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace platform::gui {
namespace {

constexpr int kRowHeight = 20;
constexpr int kSeparatorHeight = 7;
constexpr int kTextPadding = 12;
constexpr int kMinWidth = 80;

QPointer<PopupMenuWidget> g_active;
std::vector<CMenuBar*> g_menuBars; // every menu bar that exists, the newest last

int Track(const std::vector<MenuItem>& items, int menuId, int x, int y, MenuAnchor anchor) {
    PhoneScreen* screen = PhoneScreen::Instance();
    if (!screen || items.empty())
        return 0;
    detail::ReportHoldMenu(menuId);
    PopupMenuWidget menu(screen, items, QPoint(x, y), anchor);
    return menu.Exec();
}

} // namespace

PopupMenuWidget::PopupMenuWidget(QWidget* screen, const std::vector<MenuItem>& items, QPoint at,
                                 MenuAnchor anchor)
    : QWidget(screen), m_items(items) {
    setGeometry(screen->rect());
    int width = kMinWidth, height = 2;
    for (const auto& item : m_items) {
        width =
            std::max(width, fontMetrics().horizontalAdvance(ToQt(item.text)) + 2 * kTextPadding);
        height += item.IsSeparator() ? kSeparatorHeight : kRowHeight;
    }
    QPoint topLeft = at;
    if (anchor != MenuAnchor::TopLeft)
        topLeft.ry() -= height;
    if (anchor == MenuAnchor::BottomRight)
        topLeft.rx() -= width;
    topLeft.setX(std::clamp(topLeft.x(), 0, std::max(0, screen->width() - width)));
    topLeft.setY(std::clamp(topLeft.y(), 0, std::max(0, screen->height() - height)));
    m_menu = QRect(topLeft, QSize(width, height));
    int y = m_menu.top() + 1;
    for (const auto& item : m_items) {
        const int h = item.IsSeparator() ? kSeparatorHeight : kRowHeight;
        m_rows.emplace_back(m_menu.left() + 1, y, width - 2, h);
        y += h;
    }
}

QRect PopupMenuWidget::ItemRect(int command) const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].command == command && command != 0)
            return m_rows[i];
    return {};
}

PopupMenuWidget* PopupMenuWidget::Active() {
    return g_active.data();
}

void PopupMenuWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(m_menu, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(m_menu.adjusted(0, 0, -1, -1));
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const QRect& row = m_rows[i];
        if (m_items[i].IsSeparator()) {
            p.setPen(QColor(0x80, 0x80, 0x80));
            p.drawLine(row.left() + 4, row.center().y(), row.right() - 4, row.center().y());
        } else {
            p.setPen(Qt::black);
            p.drawText(row.adjusted(kTextPadding, 0, -kTextPadding, 0),
                       Qt::AlignVCenter | Qt::AlignLeft, ToQt(m_items[i].text));
        }
    }
}

void PopupMenuWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

// A tap on an item chooses it; a tap beside the menu dismisses it; a separator does nothing.
void PopupMenuWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const QPoint at = event->position().toPoint();
    if (!m_menu.contains(at)) {
        Choose(0);
        return;
    }
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_rows[i].contains(at) && m_items[i].command != 0)
            Choose(m_items[i].command);
}

void PopupMenuWidget::Choose(int command) {
    if (!m_loop)
        return;
    m_chosen = command;
    m_loop->quit();
}

int PopupMenuWidget::Exec() {
    QPointer<PopupMenuWidget> previous = g_active;
    g_active = this;
    RunOverlay(*this, m_loop, false);
    g_active = previous;
    return m_chosen;
}

int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y, MenuAnchor anchor) {
    return Track(items, 0, x, y, anchor);
}

int TrackPopupMenu(int menuId, int x, int y, MenuAnchor anchor) {
    const MenuTemplate* menu = FindMenu(menuId);
    if (!menu)
        return 0;
    for (const auto& item : menu->items)
        if (!item.popup.empty())
            return Track(item.popup, menuId, x, y, anchor);
    return 0;
}

int TrackSubMenu(int menuId, int position, int x, int y, MenuAnchor anchor) {
    const MenuTemplate* menu = FindMenu(menuId);
    if (!menu || position < 0 || static_cast<std::size_t>(position) >= menu->items.size())
        return 0;
    const MenuItem& item = menu->items[static_cast<std::size_t>(position)];
    return item.popup.empty() ? 0 : Track(item.popup, menuId, x, y, anchor);
}

CMenuBar* SHFindMenuBar(CDialog& dialog) {
    for (auto it = g_menuBars.rbegin(); it != g_menuBars.rend(); ++it)
        if (&(*it)->Owner() == &dialog)
            return *it;
    return nullptr;
}

CMenuBar* CMenuBar::Displayed() {
    PhoneScreen* screen = PhoneScreen::Instance();
    return screen ? static_cast<CMenuBar*>(screen->softKeysOwner) : nullptr;
}

CMenuBar::CMenuBar(CDialog& owner, int menuId) : m_owner(owner), m_menuId(menuId) {
    if (const MenuTemplate* menu = FindMenu(menuId))
        m_items = &menu->items;
    g_menuBars.push_back(this);
    Show(true);
}

CMenuBar::~CMenuBar() {
    Show(false);
    std::erase(g_menuBars, this);
}

void CMenuBar::Show(bool show) {
    PhoneScreen* screen = PhoneScreen::Instance();
    if (!screen || !m_items)
        return;
    m_shown = show;
    if (show) {
        const auto text = [&](std::size_t i) {
            return i < m_items->size() ? ToQt((*m_items)[i].text) : QString();
        };
        screen->SetSoftKeys(text(0), text(1));
        screen->onLeftSoftKey = [this] { TapSoftKey(0); };
        screen->onRightSoftKey = [this] { TapSoftKey(1); };
        screen->softKeysOwner = this;
    } else if (screen->softKeysOwner == this) {
        screen->SetSoftKeys({}, {});
        screen->onLeftSoftKey = screen->onRightSoftKey = nullptr;
        screen->softKeysOwner = nullptr;
    }
}

void CMenuBar::TapSoftKey(int key) {
    if (!m_items || key < 0 || static_cast<std::size_t>(key) >= m_items->size())
        return;
    const MenuItem& item = (*m_items)[static_cast<std::size_t>(key)];
    int command = item.command;
    if (!item.popup.empty()) {
        const int top = PhoneScreen::kHeight - PhoneScreen::kMenuBarHeight;
        command = key == 0 ? TrackPopupMenu(item.popup, 0, top, MenuAnchor::BottomLeft)
                           : TrackPopupMenu(item.popup, PhoneScreen::kWidth, top,
                                            MenuAnchor::BottomRight);
    }
    if (command != 0)
        m_owner.Dispatch(CNotice::Command, command);
}

} // namespace platform::gui
