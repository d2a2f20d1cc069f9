#include "platform/device.h"

#include "platform/events.h"
#include "platform/phonedb.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern const unsigned char kStartingXml[];
extern const std::size_t kStartingXml_size;
extern const unsigned char kFrameJpeg[];
extern const std::size_t kFrameJpeg_size;

namespace platform {
namespace fs = std::filesystem;
namespace {

Device* g_device = nullptr;

// Serialises the first use of a device between processes: whoever holds it creates the
// directory's contents while the others wait.
class DirectoryLock {
public:
    explicit DirectoryLock(const fs::path& dir)
        : m_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~DirectoryLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool WritePrivateFile(const fs::path& file, const unsigned char* data, std::size_t size) {
    const fs::path temp = file.string() + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        return false;
    return ::rename(temp.c_str(), file.c_str()) == 0;
}

bool MakePrivateDirectory(const fs::path& dir) {
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// The phone's file system as the program is installed on it.
bool InstallFiles(const fs::path& files, std::string& error) {
    const fs::path windows = files / "Windows";
    if (!MakePrivateDirectory(files) || !MakePrivateDirectory(windows) ||
        !MakePrivateDirectory(files / "My Documents")) {
        error = "cannot create " + files.string() + ": " + std::strerror(errno);
        return false;
    }
    if (!WritePrivateFile(windows / "brenwick.xml", kStartingXml, kStartingXml_size) ||
        !WritePrivateFile(windows / "frame.jpg", kFrameJpeg, kFrameJpeg_size)) {
        error = "cannot install the program's files in " + windows.string() + ": " +
                std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

std::vector<std::u16string> SplitDevicePath(std::u16string_view path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (const char16_t c : path) {
        if (c == u'\\' || c == u'/') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

Device::Device(fs::path dir) : m_dir(std::move(dir)) {}
Device::~Device() = default;

std::unique_ptr<Device> Device::Open(const fs::path& dir, std::string& error) {
    std::error_code ec;
    if (dir.empty()) {
        error = "no device directory given";
        return nullptr;
    }
    const fs::path absolute = fs::absolute(dir, ec);
    if (ec) {
        error = "cannot use device directory " + dir.string() + ": " + ec.message();
        return nullptr;
    }
    if (absolute.has_parent_path())
        fs::create_directories(absolute.parent_path(), ec);
    if (::mkdir(absolute.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create device directory " + absolute.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!fs::is_directory(absolute, ec)) {
        error = "cannot use device directory " + absolute.string() + ": not a directory";
        return nullptr;
    }
    DirectoryLock lock(absolute);
    if (!lock.Held()) {
        error = "cannot use device directory " + absolute.string() + ": " + std::strerror(errno);
        return nullptr;
    }

    std::unique_ptr<Device> device(new Device(fs::canonical(absolute, ec)));
    if (ec)
        device->m_dir = absolute;
    const fs::path files = device->FilesRoot();
    if (!fs::exists(files, ec)) {
        // First use: the device is new, private to its owner.
        ::chmod(device->m_dir.c_str(), 0700);
        if (!InstallFiles(files, error))
            return nullptr;
    } else if (!fs::is_directory(files, ec)) {
        error = "broken device directory " + device->m_dir.string() + ": files is not a directory";
        return nullptr;
    }
    std::string why;
    device->m_registry = Registry::Open(device->m_dir / "registry.db", why);
    if (!device->m_registry) {
        error = "broken device directory " + device->m_dir.string() + ": registry.db: " + why;
        return nullptr;
    }
    device->m_phone = PhoneDb::Open(device->m_dir / "phone.db", why);
    if (!device->m_phone) {
        error = "broken device directory " + device->m_dir.string() + ": phone.db: " + why;
        return nullptr;
    }
    return device;
}

fs::path Device::DefaultDirectory() {
    if (const char* device = std::getenv("BRENWICK_DEVICE"); device && *device)
        return device;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "brenwick" / "device";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "share" / "brenwick" / "device";
}

std::shared_ptr<EventTable> Device::Events() {
    std::lock_guard lock(m_eventsMutex);
    if (!m_events) {
        std::string error;
        m_events = EventTable::Open(m_dir, error);
    }
    return m_events;
}

std::optional<fs::path> Device::HostPath(std::u16string_view devicePath) const {
    fs::path host = FilesRoot();
    bool existing = true; // every component so far names something that exists
    for (const auto& part : SplitDevicePath(devicePath)) {
        if (part == u"." || part == u"..")
            return std::nullopt;
        const std::string spelled = Utf16ToUtf8(part);
        std::error_code ec;
        if (existing && !fs::exists(host / spelled, ec)) {
            // Look for the same name in another letter case; the first in name order wins
            // when the host file system holds several.
            std::string match;
            const std::u16string folded = FoldCase(part);
            for (const auto& entry : fs::directory_iterator(host, ec)) {
                const std::string name = entry.path().filename().string();
                if (FoldCase(Utf8ToUtf16(name)) == folded && (match.empty() || name < match))
                    match = name;
            }
            if (match.empty()) {
                existing = false;
                host /= spelled;
            } else {
                host /= match;
            }
        } else {
            host /= spelled;
        }
    }
    return host;
}

Device& ThisDevice() {
    if (!g_device) {
        std::fprintf(stderr, "brenwick: no device in use\n");
        std::abort();
    }
    return *g_device;
}

void UseDevice(Device* device) {
    g_device = device;
}

} // namespace platform
