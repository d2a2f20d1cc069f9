#include "platform/gui/dialog.h"

#include "platform/clock.h"
#include "platform/gui/controls.h"
#include "platform/gui/desktop.h"
#include "platform/gui/resources.h"
#include "platform/gui/window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

using platform::gui::Desktop;
using platform::gui::DialogKind;
using platform::gui::DialogTemplate;
using platform::gui::detail::Window;

using platform::gui::ToQt;

namespace {

// The phone's key codes of the keys a desktop keyboard gives.
unsigned VirtualKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Backspace:
        return VK_BACK;
    default:
        // Letters and digits are their capital ASCII codes.
        return (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) ||
                       (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
                   ? static_cast<unsigned>(event.key())
                   : 0;
    }
}

CDialogObserver g_observer;
std::vector<CDialog*> g_openDialogs; // innermost last

} // namespace

void CDialog::SetObserver(CDialogObserver observer) {
    g_observer = std::move(observer);
}

const std::vector<CDialog*>& CDialog::OpenDialogs() {
    return g_openDialogs;
}

const CMessageMap::Handler* CMessageMap::Find(CNotice notice, int id) const {
    for (const auto& e : m_entries)
        if (e.notice == notice && e.id == id)
            return &e.handler;
    return m_base ? m_base->Find(notice, id) : nullptr;
}

namespace platform::gui::detail {

// A dialog's window: it keeps what the dialog draws on it, and tells the dialog of its
// paints, of keys no control took and of the pen on it beside its controls.
class DialogFrame : public QWidget, public Canvas {
public:
    DialogFrame(QWidget* parent, CDialog& dialog) : QWidget(parent), m_dialog(dialog) {}

    // Where the dialog's client area is: the frame itself for a page, the box inside its
    // border for a pop-up, whose frame only keeps taps from the windows behind it.
    void SetClient(QWidget* client) {
        m_client = client;
        if (client != this)
            client->installEventFilter(this);
    }

    std::shared_ptr<QImage> Surface() override {
        const QSize size = m_client->size();
        if (!m_surface || m_surface->size() != size) {
            auto grown = std::make_shared<QImage>(size, QImage::Format_RGB32);
            grown->fill(Qt::white);
            if (m_surface)
                QPainter(grown.get()).drawImage(0, 0, *m_surface);
            m_surface = std::move(grown);
        }
        return m_surface;
    }
    bool Painting() const override { return m_painting; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_client == this)
            PaintClient();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_client && event->type() == QEvent::Paint)
            PaintClient();
        return QWidget::eventFilter(watched, event);
    }
    // Keys go to the window that has the focus: a control's keys are the control's, also
    // those it passes on unused.
    void keyReleaseEvent(QKeyEvent* event) override {
        if (event->isAutoRepeat() || !m_dialog.m_open || QApplication::focusWidget() != this)
            return;
        m_dialog.OnKeyUp(VirtualKey(*event), 1, 0);
    }
    // The pen on the client area beside the controls; beside a pop-up's box it reaches
    // nothing.
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = m_client->mapFrom(this, event->position().toPoint());
        if (m_dialog.m_open && m_client->rect().contains(at))
            m_dialog.OnLButtonDown(0, {at.x(), at.y()});
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint at = m_client->mapFrom(this, event->position().toPoint());
        if (m_dialog.m_open && m_client->rect().contains(at))
            m_dialog.OnLButtonUp(0, {at.x(), at.y()});
        else
            event->ignore(); // the screen's bars act on the pen's release
    }

private:
    void PaintClient() {
        m_painting = true;
        if (m_dialog.m_open)
            m_dialog.OnPaint();
        m_painting = false;
        if (m_surface)
            QPainter(m_client).drawImage(0, 0, *m_surface);
    }

    CDialog& m_dialog;
    QWidget* m_client = this;
    std::shared_ptr<QImage> m_surface; // none until the dialog first draws on its window
    bool m_painting = false;
};

} // namespace platform::gui::detail

using platform::gui::detail::DialogFrame;

struct CDialog::Run {
    std::unique_ptr<QWidget> frame; // covers the client area (page) or the screen (pop-up)
    QWidget* body = nullptr;        // where the controls are
    std::vector<std::unique_ptr<Window>> windows;
    std::vector<int> order; // control ids in template order
    std::unique_ptr<Window> self;
    std::vector<CWnd*> bound; // program objects bound to controls
    QEventLoop* loop = nullptr;
    int result = 0;
    bool ended = false;
    bool page = false;
    bool fullScreen = false;
    std::map<unsigned, std::unique_ptr<QTimer>> timers;
};

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

const CMessageMap& CDialog::GetMessageMap() const {
    static const CMessageMap empty{};
    return empty;
}

void CDialog::Dispatch(CNotice notice, int id, int item) {
    if (!m_open)
        return;
    if (const auto* handler = GetMessageMap().Find(notice, id)) {
        (*handler)(*this, item);
        return;
    }
    // What a dialog does of itself with its OK and Cancel buttons and commands.
    if ((notice == CNotice::Clicked || notice == CNotice::Command) && id == IDOK)
        OnOK();
    else if ((notice == CNotice::Clicked || notice == CNotice::Command) && id == IDCANCEL)
        OnCancel();
}

namespace {

// The widgets a dialog's window is made of: a page covers the client area; a pop-up covers
// the whole screen, so that nothing behind its box takes a tap, with the box in its middle.
void MakeFrame(CDialog::Run& run, const DialogTemplate& t, Desktop& desktop, CDialog& dialog) {
    run.page = t.kind == DialogKind::Page;
    QWidget* screen = desktop.Surface();
    if (run.page) {
        run.frame = std::make_unique<DialogFrame>(desktop.ClientArea(), dialog);
        run.frame->setGeometry(desktop.ClientArea()->rect());
        run.body = run.frame.get();
    } else {
        run.frame = std::make_unique<DialogFrame>(screen, dialog);
        run.frame->setGeometry(screen->rect());
        auto* box = new QFrame(run.frame.get());
        box->setFrameShape(QFrame::Box);
        const QSize size(platform::gui::DialogUnitsToPixelsX(t.width),
                         platform::gui::DialogUnitsToPixelsY(t.height));
        box->setGeometry(QRect(
            QPoint((screen->width() - size.width()) / 2, (screen->height() - size.height()) / 2),
            size));
        // The controls live inside the border, which none of them may paint over.
        run.body = new QWidget(box);
        run.body->setGeometry(box->contentsRect());
    }
    QPalette white = run.body->palette();
    white.setColor(QPalette::Window, Qt::white);
    run.body->setPalette(white);
    run.body->setAutoFillBackground(true);
    static_cast<DialogFrame*>(run.frame.get())->SetClient(run.body);
    run.frame->hide();
}

} // namespace

int CDialog::DoModal() {
    const DialogTemplate* t = platform::gui::FindDialog(m_templateId);
    Desktop* desktop = Desktop::Current();
    if (!t || !desktop || m_open)
        return -1;
    desktop->Activate();
    m_run = std::make_unique<Run>();
    MakeFrame(*m_run, *t, *desktop, *this);
    m_title = CString(t->title);
    m_open = true;
    g_openDialogs.push_back(this);
    if (g_observer.onOpen)
        g_observer.onOpen(*this);
    m_run->self = std::make_unique<Window>(Window{m_run->frame.get()});
    Attach(m_run->self.get(), 0);
    MakeControls(*t);
    if (m_run->page)
        desktop->BeginPage(ToQt(m_title.str()), t->okButton,
                           [this] { Dispatch(CNotice::Command, IDOK); });

    const bool focusFirst = OnInitDialog();
    if (!m_run->ended) {
        m_run->frame->show();
        m_run->frame->raise();
        if (focusFirst)
            FocusFirstControl();
        // A window without a control to take the keys takes them itself.
        if (!m_run->frame->isAncestorOf(QApplication::focusWidget()))
            m_run->frame->setFocus(Qt::OtherFocusReason);
        QEventLoop loop;
        m_run->loop = &loop;
        if (!m_run->ended)
            loop.exec();
        m_run->loop = nullptr;
    }

    const int result = m_run->result;
    m_run->timers.clear();
    OnDestroy();
    if (m_run->page)
        desktop->EndPage();
    m_open = false;
    std::erase(g_openDialogs, this);
    for (CWnd* control : m_run->bound)
        control->Attach(nullptr, 0);
    m_controls.clear();
    Attach(nullptr, 0);
    m_run.reset();
    if (g_observer.onClose)
        g_observer.onClose(*this, result);
    return result;
}

void CDialog::MakeControls(const DialogTemplate& t) {
    QButtonGroup* radios = nullptr;
    for (const auto& c : t.controls) {
        QWidget* widget = platform::gui::detail::MakeControl(c, m_run->body, *this, radios);
        m_run->windows.push_back(std::make_unique<Window>(Window{widget}));
        auto control = std::make_unique<CWnd>();
        control->Attach(m_run->windows.back().get(), c.id);
        if (c.id != 0xFFFF && !m_controls.contains(c.id))
            m_controls.emplace(c.id, std::move(control));
        m_run->order.push_back(c.id);
    }
}

// The first control that a tap or Tab could give the focus to gets it when the dialog opens.
void CDialog::FocusFirstControl() {
    for (const int id : m_run->order) {
        CWnd* c = GetDlgItem(id);
        const QWidget* w = c ? c->GetSafeHwnd()->widget.data() : nullptr;
        if (w && w->isVisibleTo(w->parentWidget()) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus)) {
            c->SetFocus();
            return;
        }
    }
}

void CDialog::EndDialog(int result) {
    if (!m_run || m_run->ended)
        return;
    m_run->result = result;
    m_run->ended = true;
    if (m_run->loop)
        m_run->loop->quit();
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnClose() {
    OnCancel();
}

void CDialog::SendClose() {
    if (m_open)
        OnClose();
}

std::vector<Window*> CDialog::ControlWindows() const {
    std::vector<Window*> windows;
    if (m_run)
        for (const auto& w : m_run->windows)
            windows.push_back(w.get());
    return windows;
}

const DialogTemplate* CDialog::GetTemplate() const {
    return platform::gui::FindDialog(m_templateId);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (!m_open)
        return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

void CDialog::BindControl(CWnd& control) {
    if (m_run)
        m_run->bound.push_back(&control);
}

void CDialog::UnbindControl(CWnd& control) {
    if (m_run)
        std::erase(m_run->bound, &control);
}

CWnd* CDialog::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second.get();
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    if (CWnd* c = GetDlgItem(id))
        c->SetWindowText(text);
}

void CDialog::CheckDlgButton(int id, int check) {
    QAbstractButton* button = platform::gui::detail::ButtonOf(*this, id);
    if (!button)
        return;
    // An exclusive radio button cannot be unchecked by itself in the toolkit.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(check != 0);
    button->setAutoExclusive(exclusive);
}

int CDialog::IsDlgButtonChecked(int id) const {
    const QAbstractButton* button = platform::gui::detail::ButtonOf(*this, id);
    return button && button->isChecked() ? 1 : 0;
}

CString CDialog::GetDlgItemText(int id) const {
    const CWnd* c = GetDlgItem(id);
    return c ? c->GetWindowText() : CString();
}

void CDialog::SetWindowText(const CString& text) {
    m_title = text;
    if (m_open && m_run->page)
        Desktop::Current()->SetPageTitle(ToQt(text.str()));
}

CString CDialog::GetWindowText() const {
    return m_title;
}

unsigned CDialog::SetTimer(unsigned id, unsigned milliseconds) {
    if (!m_run || m_run->ended)
        return 0;
    // The same id restarts its timer: it may be set again from its own tick.
    auto& timer = m_run->timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this, id] {
            if (m_open)
                OnTimer(id);
        });
    }
    timer->setInterval(platform::ScaledMilliseconds(static_cast<int>(milliseconds)));
    timer->start();
    return id;
}

// A timer may be killed from its own tick, so it goes once the tick is over.
bool CDialog::KillTimer(unsigned id) {
    if (!m_run)
        return false;
    const auto it = m_run->timers.find(id);
    if (it == m_run->timers.end())
        return false;
    it->second->stop();
    it->second.release()->deleteLater();
    m_run->timers.erase(it);
    return true;
}

void CDialog::OnTimer(unsigned) {}

void CDialog::OnKeyUp(unsigned, unsigned, unsigned) {}

void CDialog::OnLButtonDown(unsigned, CPoint) {}

void CDialog::OnLButtonUp(unsigned, CPoint) {}

void CDialog::UpdateWindow() {
    if (m_run)
        m_run->frame->repaint();
}

void CDialog::Invalidate() {
    if (m_run)
        m_run->frame->update();
}

// A full-screen page leaves the client area for the screen itself, above the bars.
void CDialog::SetFullScreen(bool fullScreen) {
    Desktop* desktop = Desktop::Current();
    if (!m_run || !m_run->page || m_run->fullScreen == fullScreen || !desktop)
        return;
    QWidget* screen = desktop->Surface();
    QWidget* frame = m_run->frame.get();
    const bool shown = frame->isVisible();
    QWidget* focused = QApplication::focusWidget();
    const QPoint at = frame->mapTo(screen, QPoint(0, 0));
    if (fullScreen) {
        frame->setParent(screen);
        frame->move(at);
    } else {
        frame->setParent(desktop->ClientArea());
        frame->move(desktop->ClientArea()->mapFrom(screen, at));
    }
    m_run->fullScreen = fullScreen;
    frame->setVisible(shown);
    frame->raise();
    if (focused && frame->isAncestorOf(focused))
        focused->setFocus(Qt::OtherFocusReason);
}

void CDialog::SetIcon(HICON icon, bool big) {
    (big ? m_bigIcon : m_smallIcon) = icon;
    Desktop* desktop = Desktop::Current();
    if (!big || !icon || !desktop)
        return;
    if (const QImage picture = platform::gui::detail::ResourceImage(icon.resource);
        !picture.isNull())
        desktop->Surface()->window()->setWindowIcon(QIcon(QPixmap::fromImage(picture)));
}

void CDialog::CenterWindow() {
    Desktop* desktop = Desktop::Current();
    if (!m_run || m_run->page || !desktop)
        return;
    const QWidget* screen = desktop->Surface();
    QWidget* box = m_run->body->parentWidget();
    box->move((screen->width() - box->width()) / 2, (screen->height() - box->height()) / 2);
}

bool CDialog::IsFullScreen() const {
    return m_run && m_run->fullScreen;
}

bool SHFullScreen(CWnd* window, unsigned state) {
    for (CDialog* dialog : CDialog::OpenDialogs()) {
        if (window && dialog->GetSafeHwnd() == window->GetSafeHwnd()) {
            if (state & SHFS_HIDETASKBAR)
                dialog->SetFullScreen(true);
            else if (state & SHFS_SHOWTASKBAR)
                dialog->SetFullScreen(false);
            return true;
        }
    }
    return false;
}
