#pragma once

// The rest of the phone's state, beside the registry: the SIM card, the contacts, the
// ordinary inbox and the logs of what the program asked the phone to do (SMS sent, calls,
// program starts, notices). Kept in phone.db of the device directory.

#include <filesystem>
#include <memory>
#include <string>

namespace platform {

class PhoneDb {
public:
    static std::unique_ptr<PhoneDb> Open(const std::filesystem::path& file, std::string& error);
    ~PhoneDb();
    PhoneDb(const PhoneDb&) = delete;
    PhoneDb& operator=(const PhoneDb&) = delete;

private:
    struct Impl;
    PhoneDb();
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
