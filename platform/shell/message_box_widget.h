#pragma once

// The widget behind ShowMessageBox, for the parts of the platform that drive it.

#include "platform/shell/message_box.h"

#include <QEventLoop>
#include <QPushButton>
#include <QWidget>
#include <vector>

namespace platform::gui {

class MessageBoxWidget : public QWidget {
public:
    // Covers parent (the phone's screen) so that nothing behind the box takes a tap.
    MessageBoxWidget(QWidget* parent, MessageBoxRequest request);

    const MessageBoxRequest& Request() const { return m_request; }
    QRect BoxRect() const { return m_box; }
    // The button that gives an answer, or null when the box has none for it.
    QPushButton* Button(int answer) const;
    // The box showing now, if any (the innermost one).
    static MessageBoxWidget* Active();

    int Exec();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Answer(int answer);

    MessageBoxRequest m_request;
    QRect m_box, m_iconRect, m_textRect;
    std::vector<std::pair<int, QPushButton*>> m_buttons;
    int m_answer = 0;
    QEventLoop* m_loop = nullptr; // while Exec runs
};

} // namespace platform::gui
