// A List.xml or Content.xml that somebody hands the phone, through everything the settings
// window does with it: the list import and the message import, then the exports, which
// load the file that is there and append to it. The device is the fuzzer's own, in a
// temporary directory; no window is open, so the message boxes return at once.
#include "exchange/ExchangeHandlers.h"
#include "platform/device.h"
#include "platform/events.h"
#include "platform/gui/wnd.h"
#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"
#include "temp_dir.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

class FuzzDevice {
public:
    FuzzDevice() : m_dir(m_temp.Path() / "device") {
        std::string error;
        m_device = platform::Device::Open(m_dir, error);
        if (!m_device)
            std::abort();
        platform::UseDevice(m_device.get());
    }
    ~FuzzDevice() {
        platform::UseDevice(nullptr);
        m_device.reset();
        platform::EventTable::Remove(m_dir);
    }

    void Write(const char16_t* devicePath, const std::uint8_t* data, std::size_t size) {
        const auto file = m_device->HostPath(devicePath);
        if (!file)
            std::abort();
        std::ofstream(*file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

private:
    TempDir m_temp;
    std::filesystem::path m_dir;
    std::unique_ptr<platform::Device> m_device;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzDevice device;
    CWnd owner;

    device.Write(u"\\My Documents\\List.xml", data, size);
    ImportLists(owner);
    ExportLists(owner);

    device.Write(u"\\My Documents\\Content.xml", data, size);
    ReadMessageFile();
    WriteMessageFile(owner);

    // Each input starts from an empty store.
    for (const char16_t* key : {u"List", u"Listb", u"Content", u"Contentout"})
        CRegistryStore::DeleteKey(keys::kData, key);
    return 0;
}
