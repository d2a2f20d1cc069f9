#include "platform/gui/list_view_widget.h"

#include "platform/gui/desktop.h"
#include "platform/gui/hold_gesture.h"
#include "platform/gui/listctrl.h"
#include "platform/gui/window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace platform::gui {
namespace {

// The widget that has the input focus, as of the last completed change: while a widget
// hears that it gained the focus, this is still the one that had it.
QPointer<QWidget> g_focus;

void TrackFocus() {
    static const bool tracking = [] {
        g_focus = QApplication::focusWidget();
        QObject::connect(qApp, &QApplication::focusChanged, qApp,
                         [](QWidget*, QWidget* now) { g_focus = now; });
        return true;
    }();
    (void)tracking;
}

// Tells the list's object of a focus change, with the other window of it as a window of
// the program's for the time of the call.
void TellFocus(CListCtrl* owner, QWidget* other, void (CListCtrl::*told)(CWnd*)) {
    if (!owner)
        return;
    detail::Window window{other};
    CWnd wnd;
    wnd.Attach(&window, 0);
    (owner->*told)(other ? &wnd : nullptr);
}

} // namespace

std::uint32_t ListViewWidget::StyleOf(std::uint32_t templateStyle) {
    std::uint32_t style = 0;
    if (templateStyle & kReport)
        style |= LVS_REPORT;
    if (templateStyle & kSingleSel)
        style |= LVS_SINGLESEL;
    if (templateStyle & kShowSelAlways)
        style |= LVS_SHOWSELALWAYS;
    if (templateStyle & kNoHeader)
        style |= LVS_NOCOLUMNHEADER;
    return style;
}

ListViewWidget::ListViewWidget(QWidget* parent, CDialog& dialog, int id)
    : QWidget(parent), m_dialog(dialog), m_id(id), m_scrollBar(new QScrollBar(Qt::Vertical, this)) {
    TrackFocus();
    m_scrollBar->setFocusPolicy(Qt::NoFocus); // the list keeps the focus while it scrolls
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int top) {
        m_top = top;
        update();
    });
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    if (const DialogTemplate* t = dialog.GetTemplate())
        for (const auto& c : t->controls)
            if (c.id == id && c.kind == ControlKind::ListView)
                style = StyleOf(c.style);
    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMilliseconds);
    connect(&m_hold, &QTimer::timeout, this, [this] {
        m_held = true;
        detail::RunHoldGesture([this] {
            // The gesture goes to the list's object first, at the point of the screen.
            if (owner) {
                Desktop* desktop = Desktop::Current();
                const QWidget* screen = desktop ? desktop->Surface() : nullptr;
                const QPoint at =
                    screen && screen->isAncestorOf(this) ? mapTo(screen, m_pressedAt) : m_pressedAt;
                if (owner->OnHold({at.x(), at.y()}))
                    return;
            }
            m_dialog.Dispatch(CNotice::Hold, m_id, m_pressed);
        });
    });
}

int ListViewWidget::RowHeight() const {
    return fontMetrics().height() + 4;
}

QRect ListViewWidget::RowRect(int row) const {
    int width = 0;
    for (const auto& c : columns)
        width += c.width;
    return {0, (row - m_top) * RowHeight(), std::max(width, this->width()), RowHeight()};
}

int ListViewWidget::RowAt(QPoint at) const {
    const int row = m_top + at.y() / RowHeight();
    return at.y() >= 0 && row < static_cast<int>(rows.size()) ? row : -1;
}

int ListViewWidget::RowsPerPage() const {
    return std::max(1, height() / RowHeight());
}

void ListViewWidget::ScrollTo(int top) {
    m_scrollBar->setValue(top); // clamped to the range; valueChanged moves the rows
    m_top = m_scrollBar->value();
}

void ListViewWidget::EnsureVisible(int row) {
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return;
    if (row < m_top)
        ScrollTo(row);
    else if (row >= m_top + RowsPerPage())
        ScrollTo(row - RowsPerPage() + 1);
}

// The scroll bar shows while the rows do not all fit, at the list's right edge, over the
// last column's margin, as the phone's lists have it.
void ListViewWidget::RowsChanged() {
    const int hidden = std::max(0, static_cast<int>(rows.size()) - RowsPerPage());
    m_scrollBar->setRange(0, hidden);
    m_scrollBar->setPageStep(RowsPerPage());
    m_scrollBar->setVisible(hidden > 0);
    m_top = m_scrollBar->value();
    update();
}

void ListViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_scrollBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    RowsChanged();
}

void ListViewWidget::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    ScrollTo(m_top - 3 * steps);
    event->accept();
}

// Up and down move the focused row, as the phone's direction keys do; other keys go on to
// the dialog.
void ListViewWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
        QWidget::keyPressEvent(event);
        return;
    }
    int focused = -1;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        if (rows[row].state & LVIS_FOCUSED)
            focused = row;
    const int last = static_cast<int>(rows.size()) - 1;
    const int next =
        focused < 0 ? 0 : std::clamp(focused + (event->key() == Qt::Key_Down ? 1 : -1), 0, last);
    if (last >= 0 && next != focused) {
        Select(next);
        EnsureVisible(next);
    }
    event->accept();
}

void ListViewWidget::SetState(int row, unsigned state, unsigned mask) {
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return;
    const unsigned before = rows[row].state;
    rows[row].state = (before & ~mask) | (state & mask);
    if (rows[row].state != before) {
        update();
        m_dialog.Dispatch(CNotice::ItemChanged, m_id, row);
    }
}

// A row that is touched becomes the one focused and selected row; a touch below the rows
// leaves the rows as they are.
void ListViewWidget::Select(int row) {
    if (row < 0)
        return;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        if (r != row)
            SetState(r, 0, LVIS_FOCUSED | LVIS_SELECTED);
    SetState(row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

void ListViewWidget::Tap(int row, bool twice) {
    Select(row);
    m_dialog.Dispatch(twice ? CNotice::DblClick : CNotice::Click, m_id, row);
}

void ListViewWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    m_pressedAt = event->position().toPoint();
    m_pressed = RowAt(m_pressedAt);
    m_held = false;
    Select(m_pressed);
    m_hold.start();
}

// The tap is told when the finger lifts, unless it was held long enough for the gesture.
void ListViewWidget::mouseReleaseEvent(QMouseEvent*) {
    m_hold.stop();
    if (!m_held)
        m_dialog.Dispatch(CNotice::Click, m_id, m_pressed);
    m_held = false;
}

void ListViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Tap(RowAt(event->position().toPoint()), true);
}

// The dialog hears of the change from its controls' focus watcher; the list's object
// hears of it here, once the list has taken it in.
void ListViewWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    TellFocus(owner, g_focus.data() == this ? nullptr : g_focus.data(), &CListCtrl::OnSetFocus);
}

// While the focus leaves, the application's focus widget is already the one it goes to.
void ListViewWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    TellFocus(owner, QApplication::focusWidget(), &CListCtrl::OnKillFocus);
}

// Only the rows in sight of what needs painting are drawn.
void ListViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font());
    CDC dc(painter);
    const QRect dirty = event->rect();
    const int first = std::max(m_top, m_top + dirty.top() / RowHeight());
    const int end =
        std::min(static_cast<int>(rows.size()), m_top + dirty.bottom() / RowHeight() + 1);
    for (int row = first; row < end; ++row) {
        const QRect r = RowRect(row);
        const CRect bounds{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        if (owner && (style & LVS_OWNERDRAWFIXED)) {
            owner->DrawItem(dc, row, bounds);
            continue;
        }
        if (rows[row].state & LVIS_SELECTED)
            painter.fillRect(r, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(rows[row].state & LVIS_SELECTED ? QPalette::HighlightedText
                                                                       : QPalette::Text));
        int x = 0;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const QString text = c < rows[row].cells.size() ? rows[row].cells[c] : QString();
            painter.drawText(QRect(x + 2, r.top(), columns[c].width - 4, r.height()),
                             Qt::AlignVCenter | Qt::AlignLeft, text);
            x += columns[c].width;
        }
    }
}

} // namespace platform::gui
