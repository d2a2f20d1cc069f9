#pragma once

// A fresh device directory for one test, made the process's device; removed afterwards
// together with its shared event table.

#include "platform/device.h"

#include <filesystem>
#include <memory>
#include <string>

namespace testing_support {

class TempDevice {
public:
    TempDevice();
    ~TempDevice();
    TempDevice(const TempDevice&) = delete;
    TempDevice& operator=(const TempDevice&) = delete;

    platform::Device& Get() { return *m_device; }
    const std::filesystem::path& Dir() const { return m_dir; }
    // "--device DIR" for a command line
    std::string Arg() const { return m_dir.string(); }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<platform::Device> m_device;
};

} // namespace testing_support
