#include "platform/gui/controls.h"

#include "platform/gui/dialog.h"
#include "platform/gui/list_view_widget.h"
#include "platform/gui/window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace platform::gui::detail {
namespace {

// Tells the dialog when one of its controls gains or loses the input focus.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QObject* parent, CDialog& dialog, int id)
        : QObject(parent), m_dialog(dialog), m_id(id) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            m_dialog.Dispatch(CNotice::SetFocus, m_id);
        else if (event->type() == QEvent::FocusOut)
            m_dialog.Dispatch(CNotice::KillFocus, m_id);
        return QObject::eventFilter(watched, event);
    }

private:
    CDialog& m_dialog;
    int m_id;
};

// On the phone a tap anywhere in a check box's or radio button's window toggles it, not
// only on its box and label as Qt has it.
template <class Button> class WholeButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// A check box whose text wraps onto further lines beside its box, as a multi-line check
// box of the phone's does.
class WrappingCheckBox : public WholeButton<QCheckBox> {
public:
    using WholeButton<QCheckBox>::WholeButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString text = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_CheckBox, option);
        const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        const QRect area = rect().adjusted(box.right() + 4, 0, 0, 0);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, text);
    }
};

QRect PixelRect(const ControlTemplate& c) {
    return {DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y), DialogUnitsToPixelsX(c.width),
            DialogUnitsToPixelsY(c.height)};
}

} // namespace

QWidget* MakeControl(const ControlTemplate& c, QWidget* body, CDialog& dialog,
                     QButtonGroup*& radios) {
    const int id = c.id;
    const QString text = ToQt(c.text);
    QWidget* widget = nullptr;
    switch (c.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(text, body);
        label->setWordWrap(!(c.style & kNoWrap));
        const Qt::Alignment horizontal = (c.style & kRightAlign) ? Qt::AlignRight
                                         : (c.style & kCenter)   ? Qt::AlignHCenter
                                                                 : Qt::AlignLeft;
        label->setAlignment(horizontal | Qt::AlignTop);
        if (c.style & (kIcon | kBitmap)) {
            label->setPixmap(QPixmap::fromImage(ResourceImage(c.image)));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        widget = label;
        break;
    }
    case ControlKind::Edit:
        if (c.style & kMultiLine) {
            auto* edit = new QPlainTextEdit(text, body);
            edit->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
            edit->setReadOnly(c.style & kReadOnly);
            QObject::connect(edit, &QPlainTextEdit::textChanged, body,
                             [&dialog, id] { dialog.Dispatch(CNotice::Changed, id); });
            widget = edit;
        } else {
            auto* edit = new QLineEdit(text, body);
            edit->setFrame(c.style & kBorder); // a bare entry, as over an underline
            if (c.style & kPassword)
                edit->setEchoMode(QLineEdit::Password);
            edit->setReadOnly(c.style & kReadOnly);
            QObject::connect(edit, &QLineEdit::textChanged, body,
                             [&dialog, id] { dialog.Dispatch(CNotice::Changed, id); });
            widget = edit;
        }
        break;
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Radio: {
        QAbstractButton* button = nullptr;
        if (c.kind == ControlKind::Button)
            button = new QPushButton(text, body);
        else if (c.kind == ControlKind::Check && (c.style & kMultiLine))
            button = new WrappingCheckBox(text, body);
        else if (c.kind == ControlKind::Check)
            button = new WholeButton<QCheckBox>(text, body);
        else
            button = new WholeButton<QRadioButton>(text, body);
        if (c.kind == ControlKind::Radio) {
            // Radio buttons exclude each other within a group, which starts at a button
            // marked as its first, or at the first radio button of the dialog.
            if (!radios || (c.style & kGroup)) {
                radios = new QButtonGroup(body);
                radios->setExclusive(true);
            }
            radios->addButton(button);
        }
        QObject::connect(button, &QAbstractButton::clicked, body,
                         [&dialog, id] { dialog.Dispatch(CNotice::Clicked, id); });
        widget = button;
        break;
    }
    case ControlKind::InputPanel:
        return nullptr; // the desktop's keyboard is real: nothing to show
    case ControlKind::ListView:
        widget = new ListViewWidget(body, dialog, id);
        break;
    case ControlKind::Combo: {
        auto* combo = new QComboBox(body);
        combo->setEditable(c.style & kDropDown);
        combo->setProperty("sorted", bool(c.style & kSorted));
        if (combo->isEditable())
            combo->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(combo, &QComboBox::activated, body,
                         [&dialog, id] { dialog.Dispatch(CNotice::SelChange, id); });
        widget = combo;
        break;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(body);
        list->setProperty("sorted", bool(c.style & kSorted));
        QObject::connect(list, &QListWidget::itemClicked, body,
                         [&dialog, id] { dialog.Dispatch(CNotice::SelChange, id); });
        if (c.style & kNotify)
            QObject::connect(list, &QListWidget::itemDoubleClicked, body,
                             [&dialog, id] { dialog.Dispatch(CNotice::DblClick, id); });
        widget = list;
        break;
    }
    }
    widget->setGeometry(PixelRect(c));
    // A static is no target for the pen: a tap on one lands on what lies beneath it.
    if (c.kind == ControlKind::Static && !(c.style & kNotify))
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    widget->installEventFilter(new FocusWatcher(widget, dialog, id));
    if (c.style & kHidden)
        widget->hide();
    if (c.style & kDisabled)
        widget->setEnabled(false);
    return widget;
}

QAbstractButton* ButtonOf(const CDialog& dialog, int id) {
    const CWnd* c = dialog.GetDlgItem(id);
    return c && c->GetSafeHwnd() ? qobject_cast<QAbstractButton*>(c->GetSafeHwnd()->widget.data())
                                 : nullptr;
}

} // namespace platform::gui::detail
