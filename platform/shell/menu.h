#pragma once

// Menu bars made from menu resources, and pop-up menus. A menu bar's two top-level items
// are the screen's soft keys: a key with a command sends it to the owner when tapped, a key
// with a pop-up opens it above the key. A chosen command reaches the owner as a menu
// command.

#include <functional>
#include <memory>
#include <vector>

class CDialog;

namespace platform::gui {

struct MenuItem;

class CMenuBar {
public:
    // The menu bar of owner from menu resource menuId, shown at once.
    CMenuBar(CDialog& owner, int menuId);
    ~CMenuBar();
    CMenuBar(const CMenuBar&) = delete;
    CMenuBar& operator=(const CMenuBar&) = delete;

    bool IsValid() const { return m_items != nullptr; }
    // The menu bar whose soft keys the screen shows, if any.
    static CMenuBar* Displayed();
    const std::vector<MenuItem>* Items() const { return m_items; }
    CDialog& Owner() const { return m_owner; }
    int MenuId() const { return m_menuId; }
    void Show(bool show);
    bool IsShown() const { return m_shown; }
    // What a tap on a soft key does: 0 left, 1 right.
    void TapSoftKey(int key);

private:
    CDialog& m_owner;
    int m_menuId;
    const std::vector<MenuItem>* m_items = nullptr;
    bool m_shown = false;
};

// Which corner of a pop-up menu stands at the point it is shown at.
enum class MenuAnchor { TopLeft, BottomLeft, BottomRight };

// Shows a pop-up menu at (x, y) of the screen, moved so that it fits, and runs the user
// interface until an item is chosen: its command, or 0 when the menu was dismissed by a tap
// beside it.
int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y,
                   MenuAnchor anchor = MenuAnchor::TopLeft);
// The same with the first pop-up of menu resource menuId (0 at once when it has none).
int TrackPopupMenu(int menuId, int x, int y, MenuAnchor anchor = MenuAnchor::TopLeft);
// The same with the pop-up of menu resource menuId's top-level item at position (from 0);
// 0 at once when there is no such menu, or that item opens no pop-up.
int TrackSubMenu(int menuId, int position, int x, int y, MenuAnchor anchor = MenuAnchor::TopLeft);

// The menu bar that dialog shows, or null.
CMenuBar* SHFindMenuBar(CDialog& dialog);

} // namespace platform::gui
