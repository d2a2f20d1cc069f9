#pragma once

// The shell's notification bubble: a notice with a title and an HTML text, drawn over the
// phone's screen for its duration or until it is removed by its class identifier and id.
// Any thread may add or remove one; the user-interface thread draws it.

#include <functional>
#include <string>

namespace platform::gui {

struct Notification {
    std::u16string classId; // "{85EE47B2-...}"
    int id = 0;
    std::u16string title;
    std::u16string html;
    int durationSeconds = 0; // 0: until removed
};

void AddNotification(const Notification& notification);
void RemoveNotification(const std::u16string& classId, int id);

struct BubbleObserver {
    std::function<void(const Notification& shown)> onShown;
    std::function<void()> onRemoved;
};
void SetBubbleObserver(BubbleObserver observer);

// The bubble on the screen now, for tests and the driver: whether one shows and its title.
bool BubbleShowing();
std::u16string BubbleTitle();

} // namespace platform::gui
