#pragma once

// A page for the list tests: a list view (id 1001) on top and an edit (1003) below it.

#include "platform/gui/resources.h"

#include <cstdint>

namespace testing_support {

inline void RegisterListPage(int id, std::uint32_t listStyle) {
    using namespace platform::gui;
    RegisterDialog({id,
                    u"List",
                    DialogKind::Page,
                    160,
                    170,
                    {{1001, ControlKind::ListView, u"", 0, 0, 160, 100, listStyle},
                     {1003, ControlKind::Edit, u"", 0, 110, 80, 12, kBorder}},
                    true});
}

} // namespace testing_support
