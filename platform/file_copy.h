#pragma once

// Copying a file of the phone's file system, by device paths ("\Windows\brenwick.xml").

#include <string_view>

namespace platform {

// Copies from to to on ThisDevice(); with failIfExists false an existing file is replaced.
// The copy is whole or absent: it is written beside the target and renamed over it.
bool CopyDeviceFile(std::u16string_view from, std::u16string_view to, bool failIfExists);

} // namespace platform
