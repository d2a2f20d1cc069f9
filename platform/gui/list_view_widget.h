#pragma once

// The widget behind a CListCtrl.

#include "platform/gui/dialog.h"
#include "platform/gui/listctrl.h"

#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace platform::gui {

class ListViewWidget : public QWidget {
public:
    ListViewWidget(QWidget* parent, CDialog& dialog, int id);

    struct Column {
        int width = 0, format = LVCFMT_LEFT;
    };
    struct Row {
        std::vector<QString> cells;
        unsigned state = 0;
    };

    std::vector<Column> columns;
    std::vector<Row> rows;
    std::uint32_t style = 0, extendedStyle = 0; // LVS_ and LVS_EX_ bits
    CListCtrl* owner = nullptr;                 // the program's object bound to it, if any

    int RowHeight() const;
    // Where a row is in the widget, scrolled as the list is now (above or below the widget
    // for rows out of sight).
    QRect RowRect(int row) const;
    // The row at a point of the widget, or -1 below the rows.
    int RowAt(QPoint at) const;

    // Scrolling by whole rows: the first row in sight, and how many fit wholly.
    int TopRow() const { return m_top; }
    int RowsPerPage() const;
    void ScrollTo(int top);
    // Scrolls the least that brings row wholly into sight.
    void EnsureVisible(int row);
    // The rows or the height changed: the scroll bar follows.
    void RowsChanged();
    static constexpr int kScrollBarWidth = 13;
    // How long a finger stays down for a tap-and-hold.
    static constexpr int kHoldMilliseconds = 500;
    // The list styles that a template's control styles stand for.
    static std::uint32_t StyleOf(std::uint32_t templateStyle);

    // What a tap on a row does: it becomes the focused and only selected row, the dialog
    // hears of each changed row, then of the tap itself.
    void Tap(int row, bool twice);
    void SetState(int row, unsigned state, unsigned mask);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Select(int row);

    CDialog& m_dialog;
    int m_id;
    QTimer m_hold;       // runs while the finger is down
    int m_pressed = -1;  // the row under it
    QPoint m_pressedAt;  // where it went down
    bool m_held = false; // the gesture was told: the release is no tap
    int m_top = 0;       // the first row in sight
    QScrollBar* m_scrollBar;
};

} // namespace platform::gui
