#pragma once

// One emulated phone: a directory holding its registry (registry.db), the rest of the
// phone's state (phone.db) and its file system (files/). The first use creates it, private
// to its owner, and installs the program's fixed files.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class EventTable;
class PhoneDb;
class Registry;

class Device {
public:
    // Opens the device in dir, creating and installing it on first use. On failure returns
    // null and a one-line reason in error.
    static std::unique_ptr<Device> Open(const std::filesystem::path& dir, std::string& error);

    // The device a program uses without --device: $BRENWICK_DEVICE, else
    // $XDG_DATA_HOME/brenwick/device, else ~/.local/share/brenwick/device.
    static std::filesystem::path DefaultDirectory();

    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const std::filesystem::path& Directory() const { return m_dir; }
    std::filesystem::path FilesRoot() const { return m_dir / "files"; }

    Registry& GetRegistry() { return *m_registry; }
    const std::shared_ptr<Registry>& SharedRegistry() const { return m_registry; }
    PhoneDb& Phone() { return *m_phone; }
    // The device's named events; null when the shared table cannot be made.
    std::shared_ptr<EventTable> Events();

    // The host file that a device path such as "\My Documents\List.xml" names. Components
    // match existing names without regard to case; missing ones keep the given spelling.
    // No value for a path that would leave the phone's file system ("..").
    std::optional<std::filesystem::path> HostPath(std::u16string_view devicePath) const;

private:
    explicit Device(std::filesystem::path dir);

    std::filesystem::path m_dir;
    std::shared_ptr<Registry> m_registry;
    std::unique_ptr<PhoneDb> m_phone;
    std::mutex m_eventsMutex;
    std::shared_ptr<EventTable> m_events;
};

// The names of a device path's folders and file, without the separators ("\" or "/").
std::vector<std::u16string> SplitDevicePath(std::u16string_view path);

// The device this process works on, as the phone's services are global on a real phone.
// A program sets it once at start; tests set it per test.
Device& ThisDevice();
void UseDevice(Device* device);

} // namespace platform
