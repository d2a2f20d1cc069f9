#include "platform/gui/listctrl.h"

#include "platform/gui/list_view_widget.h"
#include "platform/gui/window.h"

#include <algorithm>

using platform::gui::ListViewWidget;

namespace {

ListViewWidget* ListOf(const CWnd& wnd) {
    auto* window = wnd.GetSafeHwnd();
    return window ? dynamic_cast<ListViewWidget*>(window->widget.data()) : nullptr;
}

} // namespace

CListCtrl::CListCtrl() = default;

CListCtrl::~CListCtrl() {
    // Still bound only while the dialog's window exists.
    if (ListViewWidget* list = ListOf(*this); list && list->owner == this)
        list->owner = nullptr;
    if (m_hWnd && m_dialog)
        m_dialog->UnbindControl(*this);
}

bool CListCtrl::SubclassDlgItem(int id, CDialog& dialog) {
    CWnd* item = dialog.GetDlgItem(id);
    ListViewWidget* list = item ? ListOf(*item) : nullptr;
    if (!list)
        return false;
    Attach(item->GetSafeHwnd(), id);
    list->owner = this;
    m_dialog = &dialog;
    dialog.BindControl(*this);
    PreSubclassWindow();
    return true;
}

int CListCtrl::InsertColumn(int column, const CString&, int format, int width) {
    ListViewWidget* list = ListOf(*this);
    if (!list || column < 0)
        return -1;
    column = std::min(column, static_cast<int>(list->columns.size()));
    list->columns.insert(list->columns.begin() + column, {std::max(width, 0), format});
    list->update();
    return column;
}

int CListCtrl::GetColumnCount() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? static_cast<int>(list->columns.size()) : 0;
}

int CListCtrl::GetColumnWidth(int column) const {
    const ListViewWidget* list = ListOf(*this);
    return list && column >= 0 && column < GetColumnCount() ? list->columns[column].width : 0;
}

int CListCtrl::GetColumnFormat(int column) const {
    const ListViewWidget* list = ListOf(*this);
    return list && column >= 0 && column < GetColumnCount() ? list->columns[column].format
                                                            : LVCFMT_LEFT;
}

int CListCtrl::InsertItem(int item, const CString& text) {
    ListViewWidget* list = ListOf(*this);
    if (!list || item < 0)
        return -1;
    item = std::min(item, static_cast<int>(list->rows.size()));
    list->rows.insert(list->rows.begin() + item, {{QString::fromStdU16String(text.str())}, 0});
    list->RowsChanged();
    return item;
}

bool CListCtrl::SetItemText(int item, int subItem, const CString& text) {
    ListViewWidget* list = ListOf(*this);
    if (!list || item < 0 || item >= GetItemCount() || subItem < 0)
        return false;
    auto& cells = list->rows[item].cells;
    if (static_cast<int>(cells.size()) <= subItem)
        cells.resize(subItem + 1);
    cells[subItem] = QString::fromStdU16String(text.str());
    list->update();
    return true;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    const ListViewWidget* list = ListOf(*this);
    if (!list || item < 0 || item >= GetItemCount() || subItem < 0 ||
        subItem >= static_cast<int>(list->rows[item].cells.size()))
        return {};
    return CString(list->rows[item].cells[subItem].toStdU16String());
}

int CListCtrl::GetItemCount() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? static_cast<int>(list->rows.size()) : 0;
}

bool CListCtrl::DeleteAllItems() {
    ListViewWidget* list = ListOf(*this);
    if (!list)
        return false;
    list->rows.clear();
    list->RowsChanged();
    return true;
}

bool CListCtrl::EnsureVisible(int item, bool) {
    ListViewWidget* list = ListOf(*this);
    if (!list || item < 0 || item >= GetItemCount())
        return false;
    list->EnsureVisible(item);
    return true;
}

int CListCtrl::GetTopIndex() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? list->TopRow() : 0;
}

int CListCtrl::GetCountPerPage() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? list->RowsPerPage() : 0;
}

unsigned CListCtrl::GetItemState(int item, unsigned mask) const {
    const ListViewWidget* list = ListOf(*this);
    return list && item >= 0 && item < GetItemCount() ? list->rows[item].state & mask : 0;
}

bool CListCtrl::SetItemState(int item, unsigned state, unsigned mask) {
    ListViewWidget* list = ListOf(*this);
    if (!list || item < 0 || item >= GetItemCount())
        return false;
    list->SetState(item, state, mask);
    return true;
}

bool CListCtrl::GetItemRect(int item, CRect& rect, int code) const {
    const ListViewWidget* list = ListOf(*this);
    if (!list || item < 0 || item >= GetItemCount())
        return false;
    QRect r = list->RowRect(item);
    if (code == LVIR_LABEL)
        r.setWidth(GetColumnWidth(0));
    rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return true;
}

void CListCtrl::ModifyStyle(std::uint32_t remove, std::uint32_t add) {
    if (ListViewWidget* list = ListOf(*this)) {
        list->style = (list->style & ~remove) | add;
        list->update();
    }
}

std::uint32_t CListCtrl::GetStyle() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? list->style : 0;
}

std::uint32_t CListCtrl::SetExtendedStyle(std::uint32_t style) {
    ListViewWidget* list = ListOf(*this);
    return list ? std::exchange(list->extendedStyle, style) : 0;
}

std::uint32_t CListCtrl::GetExtendedStyle() const {
    const ListViewWidget* list = ListOf(*this);
    return list ? list->extendedStyle : 0;
}

void CListCtrl::Invalidate() {
    if (ListViewWidget* list = ListOf(*this))
        list->update();
}

void CListCtrl::InvalidateRect(const CRect& rect, bool) {
    if (ListViewWidget* list = ListOf(*this))
        list->update(rect.left, rect.top, rect.Width(), rect.Height());
}

void CListCtrl::UpdateWindow() {
    if (ListViewWidget* list = ListOf(*this))
        list->repaint();
}

bool CListCtrl::IsChild(const CWnd* window) const {
    const ListViewWidget* list = ListOf(*this);
    const auto* other = window ? window->GetSafeHwnd() : nullptr;
    return list && other && other->widget && list->isAncestorOf(other->widget.data()) &&
           other->widget != list;
}

void CListCtrl::DrawItem(CDC&, int, const CRect&) {}

void CListCtrl::OnSetFocus(CWnd*) {}

void CListCtrl::OnKillFocus(CWnd*) {}

bool CListCtrl::OnHold(CPoint) {
    return false;
}
