#pragma once

// The phone's messaging program on the screen: a 240 x 320 window with the ordinary inbox
// (newest first) and a compose form. "发送" puts the SMS in the phone's sent log and goes
// back to the inbox. The inbox reads the phone again whenever the window becomes active,
// on "刷新", and when its page is shown, so that messages received meanwhile appear.
//
// Controls a test or a script can find by object name: "pages" (the tab widget), "inbox",
// "refresh", "to", "body", "send", "cancel", "status".

#include "phone/messaging.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

namespace platform {
class Device;
}

namespace phone {

class MessagingWindow : public QWidget {
public:
    static constexpr int kInboxPage = 0;
    static constexpr int kComposePage = 1;

    MessagingWindow(platform::Device& device, const MessagingRequest& request,
                    QWidget* parent = nullptr);

    // Reads the inbox from the phone.
    void Refresh();
    void ShowInbox();
    void ShowCompose(const QString& body);
    // Sends what the compose form holds; false (and a message) when it cannot.
    bool Send();

protected:
    void changeEvent(QEvent* event) override;

private:
    void Say(const QString& text);

    platform::Device& m_device;
    QTabWidget* m_pages;
    QTreeWidget* m_inbox;
    QLineEdit* m_to;
    QPlainTextEdit* m_body;
    QLabel* m_status;
};

} // namespace phone
