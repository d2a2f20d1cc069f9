#include "platform/script/window_state.h"

#include "platform/gui/dialog.h"
#include "platform/gui/list_view_widget.h"
#include "platform/gui/window.h"
#include "platform/shell/menu.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <algorithm>

namespace platform::gui {
namespace {

CString TextOf(detail::Window* window) {
    CWnd wnd;
    wnd.Attach(window, 0);
    CString text = wnd.GetWindowText();
    wnd.Attach(nullptr, 0);
    return text;
}

// A list view's columns and rows; a row has a cell for every column, and one when the list
// has no columns.
void ReadListView(const ListViewWidget& list, ControlState& control) {
    control.text.clear();
    for (const auto& column : list.columns)
        control.columns.push_back(column.width);
    const std::size_t width = std::max(list.columns.size(), std::size_t{1});
    for (std::size_t row = 0; row < list.rows.size(); ++row) {
        const auto& cellsOf = list.rows[row].cells;
        std::vector<std::u16string> cells;
        for (std::size_t col = 0; col < width; ++col)
            cells.push_back(col < cellsOf.size() ? cellsOf[col].toStdU16String()
                                                 : std::u16string());
        control.rows.push_back(std::move(cells));
        if (list.rows[row].state & LVIS_FOCUSED)
            control.focused = static_cast<int>(row);
        if (list.rows[row].state & LVIS_SELECTED)
            control.selected.push_back(static_cast<int>(row));
    }
}

void ReadControl(detail::Window* window, ControlState& control) {
    QWidget* w = window->widget;
    if (!w)
        return;
    control.text = TextOf(window).str();
    control.visible = !w->isHidden();
    control.enabled = w->isEnabled();
    const QRect r = w->geometry();
    control.rect = {r.x(), r.y(), r.width(), r.height()};
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        control.checked = button->isChecked();
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int item = 0; item < combo->count(); ++item)
            control.items.push_back(combo->itemText(item).toStdU16String());
        control.current = combo->currentIndex();
    }
    if (auto* box = qobject_cast<QListWidget*>(w)) {
        for (int item = 0; item < box->count(); ++item)
            control.items.push_back(box->item(item)->text().toStdU16String());
        control.current = box->currentRow();
    }
    if (auto* list = dynamic_cast<ListViewWidget*>(w))
        ReadListView(*list, control);
}

} // namespace

WindowState StateOf(CDialog& dialog) {
    WindowState state;
    state.window = dialog.GetTemplateId();
    state.title = dialog.GetWindowText().str();
    if (CMenuBar* bar = CMenuBar::Displayed(); bar && &bar->Owner() == &dialog)
        state.menubar = bar->MenuId();
    const DialogTemplate* t = dialog.GetTemplate();
    const auto windows = dialog.ControlWindows();
    for (std::size_t i = 0; t && i < t->controls.size() && i < windows.size(); ++i) {
        ControlState control{.id = t->controls[i].id, .kind = t->controls[i].kind};
        ReadControl(windows[i], control);
        state.controls.push_back(std::move(control));
    }
    return state;
}

} // namespace platform::gui
