#include "platform/gui/resources.h"

#include <map>
#include <mutex>

namespace platform::gui {
namespace {

// Written once at start, before any window opens; the lock keeps late readers honest.
std::mutex g_mutex;
std::map<int, DialogTemplate> g_dialogs;
std::map<int, MenuTemplate> g_menus;
std::map<int, std::span<const unsigned char>> g_images;

} // namespace

int DialogUnitsToPixelsX(int units) {
    return (units * 3 + (units >= 0 ? 1 : -1)) / 2;
}

int DialogUnitsToPixelsY(int units) {
    return (units * 268 + (units >= 0 ? 85 : -85)) / 170;
}

void RegisterDialog(DialogTemplate dialog) {
    std::lock_guard lock(g_mutex);
    const int id = dialog.id;
    g_dialogs.insert_or_assign(id, std::move(dialog));
}

void RegisterMenu(MenuTemplate menu) {
    std::lock_guard lock(g_mutex);
    const int id = menu.id;
    g_menus.insert_or_assign(id, std::move(menu));
}

void RegisterImage(int id, std::span<const unsigned char> file) {
    std::lock_guard lock(g_mutex);
    g_images.insert_or_assign(id, file);
}

std::span<const unsigned char> FindImage(int id) {
    std::lock_guard lock(g_mutex);
    const auto it = g_images.find(id);
    return it == g_images.end() ? std::span<const unsigned char>() : it->second;
}

const DialogTemplate* FindDialog(int id) {
    std::lock_guard lock(g_mutex);
    const auto it = g_dialogs.find(id);
    return it == g_dialogs.end() ? nullptr : &it->second;
}

const MenuTemplate* FindMenu(int id) {
    std::lock_guard lock(g_mutex);
    const auto it = g_menus.find(id);
    return it == g_menus.end() ? nullptr : &it->second;
}

} // namespace platform::gui
