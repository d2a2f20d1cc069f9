#include "platform/file_copy.h"

#include "platform/device.h"

#include <filesystem>

namespace platform {

bool CopyDeviceFile(std::u16string_view from, std::u16string_view to, bool failIfExists) {
    const auto source = ThisDevice().HostPath(from);
    const auto target = ThisDevice().HostPath(to);
    if (!source || !target)
        return false;
    std::error_code error;
    if (failIfExists && std::filesystem::exists(*target, error))
        return false;
    std::filesystem::path temp = *target;
    temp += ".copying";
    if (!std::filesystem::copy_file(*source, temp,
                                    std::filesystem::copy_options::overwrite_existing, error)) {
        std::filesystem::remove(temp, error);
        return false;
    }
    std::filesystem::rename(temp, *target, error);
    if (error) {
        std::filesystem::remove(temp, error);
        return false;
    }
    return true;
}

} // namespace platform
