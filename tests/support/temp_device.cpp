#include "temp_device.h"

#include "platform/events.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>

namespace testing_support {

TempDevice::TempDevice() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "brenwick-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_dir = std::filesystem::path(pattern) / "device";
    std::string error;
    m_device = platform::Device::Open(m_dir, error);
    if (!m_device)
        throw std::runtime_error("cannot open the test device: " + error);
    platform::UseDevice(m_device.get());
}

TempDevice::~TempDevice() {
    platform::UseDevice(nullptr);
    m_device.reset();
    platform::EventTable::Remove(m_dir);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir.parent_path(), ignored);
}

} // namespace testing_support
