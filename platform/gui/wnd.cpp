#include "platform/gui/wnd.h"

#include "platform/gui/desktop.h"
#include "platform/gui/window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

QWidget* WidgetOf(const platform::gui::detail::Window* window) {
    return window ? window->widget.data() : nullptr;
}

} // namespace

CWnd::~CWnd() = default;

void CWnd::Attach(platform::gui::detail::Window* window, int id) {
    m_hWnd = window;
    m_id = id;
}

void CWnd::ShowWindow(int command) {
    if (QWidget* w = WidgetOf(m_hWnd))
        w->setVisible(command != SW_HIDE);
}

bool CWnd::IsWindowVisible() const {
    const QWidget* w = WidgetOf(m_hWnd);
    return w && !w->isHidden();
}

void CWnd::EnableWindow(bool enable) {
    if (QWidget* w = WidgetOf(m_hWnd))
        w->setEnabled(enable);
}

bool CWnd::IsWindowEnabled() const {
    const QWidget* w = WidgetOf(m_hWnd);
    return w && w->isEnabled();
}

void CWnd::MoveWindow(int x, int y, int width, int height) {
    if (QWidget* w = WidgetOf(m_hWnd))
        w->setGeometry(x, y, width, height);
}

CRect CWnd::GetWindowRect() const {
    const QWidget* w = WidgetOf(m_hWnd);
    if (!w)
        return {};
    const QRect r = w->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::SetWindowText(const CString& text) {
    QWidget* w = WidgetOf(m_hWnd);
    const QString t = QString::fromStdU16String(text.str());
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(t);
    else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        // An input limit holds for typing only: the program's own text goes in whole.
        if (line->maxLength() < t.size())
            line->setMaxLength(static_cast<int>(t.size()));
        line->setText(t);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w))
        edit->setPlainText(t);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(t);
    else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable())
        combo->setEditText(t);
}

CString CWnd::GetWindowText() const {
    const QWidget* w = WidgetOf(m_hWnd);
    QString t;
    if (auto* label = qobject_cast<const QLabel*>(w))
        t = label->text();
    else if (auto* line = qobject_cast<const QLineEdit*>(w))
        t = line->text();
    else if (auto* edit = qobject_cast<const QPlainTextEdit*>(w))
        t = edit->toPlainText();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w))
        t = button->text();
    else if (auto* combo = qobject_cast<const QComboBox*>(w))
        t = combo->currentText();
    return CString(t.toStdU16String());
}

void CWnd::SetFocus() {
    if (QWidget* w = WidgetOf(m_hWnd))
        w->setFocus(Qt::OtherFocusReason);
}

bool CWnd::HasFocus() const {
    const QWidget* w = WidgetOf(m_hWnd);
    return w && w->hasFocus();
}

int CWnd::MessageBox(const CString& text, const CString& caption, unsigned type) {
    using namespace platform::gui;
    MessageBoxRequest request{text.str(), caption.str(),
                              (type & MB_YESNO) ? MsgButtons::YesNo : MsgButtons::Ok,
                              MsgIcon::None};
    if (type & MB_ICONSTOP)
        request.icon = MsgIcon::Stop;
    else if (type & MB_ICONQUESTION)
        request.icon = MsgIcon::Question;
    else if (type & MB_ICONINFORMATION)
        request.icon = MsgIcon::Information;
    Desktop* desktop = Desktop::Current();
    return desktop ? desktop->ShowMessageBox(request) : 0;
}

int AfxMessageBox(const CString& text, unsigned type) {
    CWnd none;
    return none.MessageBox(text, CString(), type);
}
