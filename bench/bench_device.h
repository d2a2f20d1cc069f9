#pragma once

// A device of its own for a benchmark program, removed with its event table at the end.

#include "platform/device.h"
#include "platform/events.h"
#include "platform/registry.h"
#include "store/CRegistryStore.h"
#include "store/MessageStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace bench {

class BenchDevice {
public:
    // A fresh device, made this process's device and filled by fill.
    explicit BenchDevice(const std::function<void(platform::Registry&)>& fill) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brenwick-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern;
        std::string error;
        m_device = platform::Device::Open(m_dir / "device", error);
        if (!m_device) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            std::abort();
        }
        platform::UseDevice(m_device.get());
        fill(m_device->GetRegistry());
    }
    // The registry's file, for programs that read it with SQL of their own.
    std::filesystem::path RegistryFile() const { return m_dir / "device" / "registry.db"; }

    ~BenchDevice() {
        platform::UseDevice(nullptr);
        m_device.reset();
        platform::EventTable::Remove(m_dir / "device");
        std::filesystem::remove_all(m_dir);
    }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<platform::Device> m_device;
};

// A red list of 1,000 numbers, each with an inbox record key of 20 records, all read, so
// that the unread test reads every record.
inline void FillRedList(platform::Registry& registry) {
    registry.Atomically([] {
        for (int n = 0; n < 1000; ++n) {
            const CString number = CString::Formatted(u"1380000%d", 1000 + n);
            CRegistryStore::WriteString(keys::kRedList, number,
                                        CString::Formatted(u"*联系人%d", n));
            const CString inbox = RecordKeyPath(Branch::Inbox, Plus86Form(number));
            for (int r = 0; r < 20; ++r)
                CRegistryStore::WriteString(inbox,
                                            CString::Formatted(u"2005-3-7-9:%d:%d", r / 60, r % 60),
                                            u"一条已经读过的短信");
        }
    });
}

} // namespace bench
