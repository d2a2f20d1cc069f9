// The data exchange: the text of edits and statics, check states, and input limits, moved
// between a dialog's member fields and its controls.

#include "platform/gui/controls.h"
#include "platform/gui/dialog.h"
#include "platform/gui/window.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <algorithm>

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    pDX->m_idLastControl = id;
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(id);
    if (!c)
        return;
    if (pDX->m_bSaveAndValidate)
        value = c->GetWindowText();
    else if (c->GetWindowText() != value) // an edit keeps its caret, and tells of no change
        c->SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    QAbstractButton* button = platform::gui::detail::ButtonOf(*pDX->m_pDlgWnd, id);
    if (!button)
        return;
    if (pDX->m_bSaveAndValidate)
        value = button->isChecked() ? 1 : 0;
    else
        button->setChecked(value != 0);
}

namespace {
// An input limit that, like the phone's, never cuts a longer text already there: the limit
// follows that text down as characters are deleted, and no character can be added.
void LimitInput(QLineEdit* edit, int maxChars) {
    edit->setMaxLength(std::max(maxChars, static_cast<int>(edit->text().size())));
    const bool connected = edit->property("brenwickLimit").isValid();
    edit->setProperty("brenwickLimit", maxChars);
    if (!connected)
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            const int limit = edit->property("brenwickLimit").toInt();
            edit->setMaxLength(std::max(limit, static_cast<int>(text.size())));
        });
}
} // namespace

void DDV_MaxChars(CDataExchange* pDX, const CString&, int maxChars) {
    if (pDX->m_bSaveAndValidate)
        return;
    const CWnd* c = pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl);
    if (auto* edit = c ? qobject_cast<QLineEdit*>(c->GetSafeHwnd()->widget.data()) : nullptr)
        LimitInput(edit, maxChars);
}
