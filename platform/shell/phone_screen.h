#pragma once

// The phone's 240 x 320 screen as Pocket PC 2003 drew it: the blue navigation bar (y 0-25)
// with the active window's title and, for windows that have one, the ok button; the white
// client area (y 26-293) where the windows live; the grey menu bar (y 294-319) with two
// soft keys. The program's windows stand on it as their desktop.

#include "platform/gui/desktop.h"

#include <QPainter>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace platform::gui {

class PhoneScreen : public QWidget, public Desktop {
public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 320;
    static constexpr int kNavBarHeight = 26;
    static constexpr int kMenuBarHeight = 26;
    static QRect ClientRect() {
        return {0, kNavBarHeight, kWidth, kHeight - kNavBarHeight - kMenuBarHeight};
    }

    explicit PhoneScreen(QWidget* parent = nullptr);
    ~PhoneScreen() override;
    // The screen of this program's application (there is one); null before it exists.
    static PhoneScreen* Instance();

    void SetTitle(const QString& title);
    QString Title() const { return m_title; }
    void SetOkButton(bool shown);
    bool HasOkButton() const { return m_okShown; }
    // The soft keys' texts; an empty text leaves that key blank.
    void SetSoftKeys(const QString& left, const QString& right);
    QString LeftSoftKey() const { return m_left; }
    QString RightSoftKey() const { return m_right; }

    // The desktop of the windows.
    QWidget* Surface() override { return this; }
    QWidget* ClientArea() override { return m_client; }
    void Activate() override;
    void BeginPage(const QString& title, bool okButton, std::function<void()> onOk) override;
    void SetPageTitle(const QString& title) override { SetTitle(title); }
    void EndPage() override;
    int ShowMessageBox(const MessageBoxRequest& request) override;

    // What a tap on the ok button or a soft key does (none: nothing).
    std::function<void()> onOk, onLeftSoftKey, onRightSoftKey;
    // Whose soft keys the screen shows (a menu bar), so that only it takes them away.
    void* softKeysOwner = nullptr;

    // The blue navigation bar with a title, and the grey menu bar without its keys, as the
    // screen and the shell's own full-screen pages paint them.
    static void PaintNavBar(QPainter& painter, const QString& title, bool okButton);
    static void PaintMenuBar(QPainter& painter);

    // The screen as a person sees it.
    QImage Shot();

    // The wait cursor, shown or hidden.
    void ShowWaitCursor(bool shown) override;
    bool WaitCursorShown() const { return m_waitShown; }

    // Where a finger taps the ok button and the soft keys.
    static QRect OkRect();
    QRect LeftKeyRect() const;
    QRect RightKeyRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What a page took from the page below it, given back when it ends.
    struct Bars {
        QString title;
        bool ok = false;
        QString left, right;
        std::function<void()> onOk, onLeft, onRight;
        void* keysOwner = nullptr;
    };

    QWidget* m_client;
    std::vector<Bars> m_pagesBelow;
    QString m_title;
    bool m_okShown = false;
    QString m_left, m_right;
    bool m_waitShown = false;
    QWidget* m_waitCursor; // drawn over everything, taps go through it
};

} // namespace platform::gui
