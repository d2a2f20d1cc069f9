// The messaging program's window, and the brenwick-phone command that opens it.
#include "phone/messaging_window.h"

#include "phone/commands.h"
#include "platform/device.h"
#include "platform/phonedb.h"
#include "platform/shell/gui_app.h"
#include "platform/shell/phone_look.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <ostream>

namespace phone {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 320;

// "2005-03-07T09:05:00" as the list shows it: "03-07 09:05".
QString ShortTime(const std::string& iso) {
    if (iso.size() < 16 || iso[10] != 'T')
        return QString::fromStdString(iso);
    return QString::fromStdString(iso.substr(5, 5) + " " + iso.substr(11, 5));
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

MessagingWindow::MessagingWindow(platform::Device& device, const MessagingRequest& request,
                                 QWidget* parent)
    : QWidget(parent), m_device(device) {
    setWindowTitle(QStringLiteral("短信"));
    setFixedSize(kWidth, kHeight);
    // The window's own look, whatever the application around it has.
    setFont(platform::gui::PhoneFont());
    QPalette colours = platform::gui::PhonePalette(palette());
    colours.setColor(QPalette::Button, Qt::white);
    colours.setColor(QPalette::ButtonText, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));

    auto* inboxPage = new QWidget;
    m_inbox = new QTreeWidget(inboxPage);
    m_inbox->setObjectName(QStringLiteral("inbox"));
    m_inbox->setColumnCount(3);
    m_inbox->setHeaderLabels(
        {QStringLiteral("发件人"), QStringLiteral("时间"), QStringLiteral("内容")});
    m_inbox->setRootIsDecorated(false);
    m_inbox->setUniformRowHeights(true);
    m_inbox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_inbox->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_inbox->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_inbox->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_inbox->header()->setStretchLastSection(true);
    auto* refresh = Button(QStringLiteral("刷新"), "refresh", inboxPage);
    connect(refresh, &QPushButton::clicked, this, [this] { Refresh(); });
    auto* inboxLayout = new QVBoxLayout(inboxPage);
    inboxLayout->setContentsMargins(2, 2, 2, 2);
    inboxLayout->addWidget(m_inbox);
    inboxLayout->addWidget(refresh, 0, Qt::AlignRight);
    m_pages->addTab(inboxPage, QStringLiteral("收件箱"));

    auto* composePage = new QWidget;
    m_to = new QLineEdit(composePage);
    m_to->setObjectName(QStringLiteral("to"));
    m_body = new QPlainTextEdit(composePage);
    m_body->setObjectName(QStringLiteral("body"));
    auto* send = Button(QStringLiteral("发送"), "send", composePage);
    auto* cancel = Button(QStringLiteral("取消"), "cancel", composePage);
    connect(send, &QPushButton::clicked, this, [this] { Send(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_to->clear();
        m_body->clear();
        Say(QString());
        ShowInbox();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(send);
    buttons->addWidget(cancel);
    auto* composeLayout = new QVBoxLayout(composePage);
    composeLayout->setContentsMargins(2, 2, 2, 2);
    composeLayout->addWidget(new QLabel(QStringLiteral("收件人:"), composePage));
    composeLayout->addWidget(m_to);
    composeLayout->addWidget(new QLabel(QStringLiteral("内容:"), composePage));
    composeLayout->addWidget(m_body, 1);
    composeLayout->addLayout(buttons);
    m_pages->addTab(composePage, QStringLiteral("新建短信"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setContentsMargins(4, 0, 4, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(2);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_status);

    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == kInboxPage)
            Refresh();
    });
    Refresh();
    if (request.compose)
        ShowCompose(QString::fromStdString(request.body));
}

void MessagingWindow::Refresh() {
    m_inbox->clear();
    const auto messages = m_device.Phone().InboxMessages(); // oldest first
    for (auto m = messages.rbegin(); m != messages.rend(); ++m) {
        auto* row = new QTreeWidgetItem(m_inbox);
        row->setText(0, QString::fromStdU16String(m->from));
        row->setText(1, ShortTime(m->time));
        row->setText(2, QString::fromStdU16String(m->text).simplified());
        row->setToolTip(2, QString::fromStdU16String(m->text));
    }
}

void MessagingWindow::ShowInbox() {
    if (m_pages->currentIndex() == kInboxPage)
        Refresh();
    else
        m_pages->setCurrentIndex(kInboxPage); // refreshes
}

void MessagingWindow::ShowCompose(const QString& body) {
    m_body->setPlainText(body);
    m_pages->setCurrentIndex(kComposePage);
    m_to->setFocus();
}

bool MessagingWindow::Send() {
    const QString to = m_to->text().trimmed();
    if (to.isEmpty()) {
        Say(QStringLiteral("请填写收件人的号码。"));
        m_to->setFocus();
        return false;
    }
    if (!m_device.Phone().LogSentSms(to.toStdU16String(), m_body->toPlainText().toStdU16String(),
                                     0)) {
        Say(QStringLiteral("短信没有发出：无法写入手机的记录。"));
        return false;
    }
    m_to->clear();
    m_body->clear();
    Say(QStringLiteral("短信已发送给 %1。").arg(to));
    ShowInbox();
    return true;
}

void MessagingWindow::Say(const QString& text) {
    m_status->setText(text);
}

void MessagingWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Refresh();
    QWidget::changeEvent(event);
}

int Messaging(const Invocation& call) {
    if (!platform::gui::DisplayAvailable()) {
        call.err << "brenwick-phone: no display to open the messaging window on; run it on a "
                    "desktop, under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n";
        return 1;
    }
    const MessagingRequest request = ParseMessagingArgs(call.args);
    for (const auto& note : request.notes)
        call.err << "brenwick-phone: warning: messaging: " << note << '\n';

    static int argc = 1;
    static char name[] = "brenwick-phone";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    platform::gui::ApplyPhoneLook();
    MessagingWindow window(call.device, request);
    window.show();
    return QApplication::exec();
}

} // namespace phone
