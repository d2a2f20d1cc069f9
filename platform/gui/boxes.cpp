#include "platform/gui/boxes.h"

#include "platform/gui/dialog.h"
#include "platform/gui/window.h"

#include <QComboBox>
#include <QListWidget>

using platform::gui::ToQt;

namespace {

CString FromQt(const QString& s) {
    return CString(s.toStdU16String());
}

bool Sorted(const QWidget* w) {
    return w && w->property("sorted").toBool();
}

// Where a new item goes: at the end, or in order among the others (without regard to
// case) when the box is sorted.
template <class TextAt>
int InsertionPoint(const QWidget* box, int count, const QString& text, TextAt textAt) {
    if (!Sorted(box))
        return count;
    int at = 0;
    while (at < count && QString::compare(textAt(at), text, Qt::CaseInsensitive) <= 0)
        ++at;
    return at;
}

template <class Widget> Widget* BoxOf(const CWnd& wnd) {
    auto* window = wnd.GetSafeHwnd();
    return window ? qobject_cast<Widget*>(window->widget.data()) : nullptr;
}

template <class Widget> bool Bind(CWnd& self, int id, CDialog& dialog, CDialog*& bound) {
    CWnd* item = dialog.GetDlgItem(id);
    if (!item || !BoxOf<Widget>(*item))
        return false;
    self.Attach(item->GetSafeHwnd(), id);
    bound = &dialog;
    dialog.BindControl(self);
    return true;
}

} // namespace

CComboBox::~CComboBox() {
    if (m_hWnd && m_dialog)
        m_dialog->UnbindControl(*this);
}

bool CComboBox::SubclassDlgItem(int id, CDialog& dialog) {
    return Bind<QComboBox>(*this, id, dialog, m_dialog);
}

int CComboBox::AddString(const CString& text) {
    QComboBox* box = BoxOf<QComboBox>(*this);
    if (!box)
        return CB_ERR;
    const QString t = ToQt(text.str());
    const int at = InsertionPoint(box, box->count(), t, [box](int i) { return box->itemText(i); });
    box->insertItem(at, t);
    if (box->isEditable() || box->currentIndex() == at)
        box->setCurrentIndex(-1); // adding chooses nothing
    return at;
}

int CComboBox::GetCount() const {
    const QComboBox* box = BoxOf<QComboBox>(*this);
    return box ? box->count() : 0;
}

int CComboBox::GetCurSel() const {
    const QComboBox* box = BoxOf<QComboBox>(*this);
    return box && box->currentIndex() >= 0 ? box->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    QComboBox* box = BoxOf<QComboBox>(*this);
    if (!box || index < 0 || index >= box->count())
        return CB_ERR;
    box->setCurrentIndex(index);
    return index;
}

CString CComboBox::GetLBText(int index) const {
    const QComboBox* box = BoxOf<QComboBox>(*this);
    return box && index >= 0 && index < box->count() ? FromQt(box->itemText(index)) : CString();
}

void CComboBox::ResetContent() {
    if (QComboBox* box = BoxOf<QComboBox>(*this))
        box->clear();
}

CListBox::~CListBox() {
    if (m_hWnd && m_dialog)
        m_dialog->UnbindControl(*this);
}

bool CListBox::SubclassDlgItem(int id, CDialog& dialog) {
    return Bind<QListWidget>(*this, id, dialog, m_dialog);
}

int CListBox::AddString(const CString& text) {
    QListWidget* box = BoxOf<QListWidget>(*this);
    if (!box)
        return LB_ERR;
    const QString t = ToQt(text.str());
    const int at =
        InsertionPoint(box, box->count(), t, [box](int i) { return box->item(i)->text(); });
    box->insertItem(at, t);
    return at;
}

int CListBox::InsertString(int index, const CString& text) {
    QListWidget* box = BoxOf<QListWidget>(*this);
    if (!box || index < -1 || index > box->count())
        return LB_ERR;
    const int at = index == -1 ? box->count() : index;
    box->insertItem(at, ToQt(text.str()));
    return at;
}

int CListBox::GetCount() const {
    const QListWidget* box = BoxOf<QListWidget>(*this);
    return box ? box->count() : 0;
}

int CListBox::GetCurSel() const {
    const QListWidget* box = BoxOf<QListWidget>(*this);
    return box && box->currentRow() >= 0 ? box->currentRow() : LB_ERR;
}

int CListBox::SetCurSel(int index) {
    QListWidget* box = BoxOf<QListWidget>(*this);
    if (!box || index < -1 || index >= box->count())
        return LB_ERR;
    box->setCurrentRow(index);
    return index;
}

CString CListBox::GetText(int index) const {
    const QListWidget* box = BoxOf<QListWidget>(*this);
    return box && index >= 0 && index < box->count() ? FromQt(box->item(index)->text()) : CString();
}

void CListBox::ResetContent() {
    if (QListWidget* box = BoxOf<QListWidget>(*this))
        box->clear();
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value) {
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    QComboBox* box = c ? BoxOf<QComboBox>(*c) : nullptr;
    if (!box)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = FromQt(box->currentText());
        return;
    }
    const QString text = ToQt(value.str());
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            box->setCurrentIndex(i);
            return;
        }
    if (box->isEditable())
        box->setEditText(text);
}
