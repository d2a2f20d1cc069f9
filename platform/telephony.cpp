#include "platform/telephony.h"

#include "platform/device.h"
#include "platform/phonedb.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr DWORD kApiVersion = 0x00020000;
constexpr DWORD kLowestApiVersion = 0x00010004;
constexpr DWORD kCellularExtVersion = 0x00010000;

// The strings a block carries, after its fixed part; sizes in bytes with the terminator.
struct StringPart {
    std::u16string_view text;
    DWORD* size;
    DWORD* offset;
};

// Fills a record's sizes and, when the block has room, its strings; the fixed part is
// zeroed first, as far as the caller's block reaches.
template <class Record> void FillRecord(Record* record, std::initializer_list<StringPart> strings) {
    const DWORD total = record->dwTotalSize;
    std::memset(record, 0, sizeof(Record));
    record->dwTotalSize = total;
    DWORD needed = sizeof(Record);
    for (const auto& s : strings)
        needed += static_cast<DWORD>((s.text.size() + 1) * sizeof(char16_t));
    record->dwNeededSize = needed;
    record->dwUsedSize = sizeof(Record);
    if (total < needed)
        return;
    auto* bytes = reinterpret_cast<unsigned char*>(record);
    DWORD at = sizeof(Record);
    for (const auto& s : strings) {
        const DWORD size = static_cast<DWORD>((s.text.size() + 1) * sizeof(char16_t));
        std::memcpy(bytes + at, s.text.data(), size - sizeof(char16_t));
        std::memset(bytes + at + size - sizeof(char16_t), 0, sizeof(char16_t));
        *s.size = size;
        *s.offset = at;
        at += size;
    }
    record->dwUsedSize = needed;
}

// The device's lines, as each line application saw them when it started.
class DeviceTelephony : public Telephony {
public:
    LONG Initialize(HLINEAPP* app, std::u16string_view, DWORD* devices, DWORD* apiVersion,
                    LINEINITIALIZEEXPARAMS* params) override {
        if (!app || !devices || !apiVersion || !params)
            return LINEERR_INVALPOINTER;
        if (params->dwTotalSize < sizeof(LINEINITIALIZEEXPARAMS))
            return LINEERR_STRUCTURETOOSMALL;
        std::vector<PhoneLine> lines = ThisDevice().Phone().Lines();
        std::lock_guard lock(m_mutex);
        const HLINEAPP handle = ++m_lastHandle;
        *devices = static_cast<DWORD>(lines.size());
        m_apps.emplace(handle, std::move(lines));
        *app = handle;
        *apiVersion = std::min(*apiVersion == 0 ? kApiVersion : *apiVersion, kApiVersion);
        params->dwNeededSize = params->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
        params->hEvent = handle;
        return 0;
    }

    LONG NegotiateApiVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high, DWORD* version,
                             LINEEXTENSIONID* extension) override {
        std::lock_guard lock(m_mutex);
        if (const LONG error = Check(app, device))
            return error;
        if (!version || !extension)
            return LINEERR_INVALPOINTER;
        if (low > kApiVersion || high < kLowestApiVersion || low > high)
            return LINEERR_INCOMPATIBLEAPIVERSION;
        *version = std::min(high, kApiVersion);
        *extension = {};
        return 0;
    }

    LONG GetDevCaps(HLINEAPP app, DWORD device, DWORD, DWORD, LINEDEVCAPS* caps) override {
        std::lock_guard lock(m_mutex);
        if (const LONG error = Check(app, device))
            return error;
        if (!caps)
            return LINEERR_INVALPOINTER;
        if (caps->dwTotalSize < sizeof(LINEDEVCAPS))
            return LINEERR_STRUCTURETOOSMALL;
        const PhoneLine& line = m_apps.at(app)[device];
        FillRecord(caps, {{line.name, &caps->dwLineNameSize, &caps->dwLineNameOffset}});
        caps->dwPermanentLineID = device;
        return 0;
    }

    LONG Open(HLINEAPP app, DWORD device, HLINE* line, DWORD, DWORD, DWORD,
              DWORD mediaModes) override {
        std::lock_guard lock(m_mutex);
        if (const LONG error = Check(app, device))
            return error;
        if (!line)
            return LINEERR_INVALPOINTER;
        if (mediaModes == 0)
            return LINEERR_RESOURCEUNAVAIL;
        *line = ++m_lastHandle;
        m_lines.emplace(*line, OpenLine{app, device});
        return 0;
    }

    // The cellular extension exists on the cellular line only.
    LONG NegotiateExtVersion(HLINEAPP app, DWORD device, DWORD, DWORD low, DWORD high,
                             DWORD* extVersion) override {
        std::lock_guard lock(m_mutex);
        if (const LONG error = Check(app, device))
            return error;
        if (!extVersion)
            return LINEERR_INVALPOINTER;
        if (m_apps.at(app)[device].name != kCellularLineName || low > kCellularExtVersion ||
            high < kCellularExtVersion)
            return LINEERR_INCOMPATIBLEEXTVERSION;
        *extVersion = kCellularExtVersion;
        return 0;
    }

    LONG GetGeneralInfo(HLINE line, LINEGENERALINFO* info) override {
        std::lock_guard lock(m_mutex);
        const auto open = m_lines.find(line);
        if (open == m_lines.end())
            return LINEERR_INVALLINEHANDLE;
        if (!info)
            return LINEERR_INVALPOINTER;
        if (info->dwTotalSize < sizeof(LINEGENERALINFO))
            return LINEERR_STRUCTURETOOSMALL;
        const PhoneLine& phoneLine = m_apps.at(open->second.app)[open->second.device];
        FillRecord(info,
                   {{u"Brenwick", &info->dwManufacturerSize, &info->dwManufacturerOffset},
                    {u"Linux Phone", &info->dwModelSize, &info->dwModelOffset},
                    {u"1.0", &info->dwRevisionSize, &info->dwRevisionOffset},
                    {u"000000000000000", &info->dwSerialNumberSize, &info->dwSerialNumberOffset},
                    {phoneLine.subscriberNumber, &info->dwSubscriberNumberSize,
                     &info->dwSubscriberNumberOffset}});
        return 0;
    }

    LONG Close(HLINE line) override {
        std::lock_guard lock(m_mutex);
        return m_lines.erase(line) ? 0 : LINEERR_INVALLINEHANDLE;
    }

    // Ends the application and closes what it left open.
    LONG Shutdown(HLINEAPP app) override {
        std::lock_guard lock(m_mutex);
        if (!m_apps.erase(app))
            return LINEERR_INVALAPPHANDLE;
        std::erase_if(m_lines, [app](const auto& entry) { return entry.second.app == app; });
        return 0;
    }

private:
    struct OpenLine {
        HLINEAPP app;
        DWORD device;
    };

    LONG Check(HLINEAPP app, DWORD device) const {
        const auto it = m_apps.find(app);
        if (it == m_apps.end())
            return LINEERR_INVALAPPHANDLE;
        return device < it->second.size() ? 0 : LINEERR_BADDEVICEID;
    }

    std::mutex m_mutex;
    DWORD m_lastHandle = 0;
    std::map<HLINEAPP, std::vector<PhoneLine>> m_apps;
    std::map<HLINE, OpenLine> m_lines;
};

std::mutex g_mutex;
std::shared_ptr<Telephony> g_telephony;

std::shared_ptr<Telephony> Current() {
    std::lock_guard lock(g_mutex);
    if (!g_telephony)
        g_telephony = MakeDeviceTelephony();
    return g_telephony;
}

} // namespace

std::unique_ptr<Telephony> MakeDeviceTelephony() {
    return std::make_unique<DeviceTelephony>();
}

void UseTelephony(std::shared_ptr<Telephony> telephony) {
    std::lock_guard lock(g_mutex);
    g_telephony = std::move(telephony);
}

} // namespace platform

LONG lineInitializeEx(HLINEAPP* app, void*, void*, const char16_t* appName, DWORD* devices,
                      DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params) {
    return platform::Current()->Initialize(app, appName ? appName : u"", devices, apiVersion,
                                           params);
}
LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD lowVersion, DWORD highVersion,
                             DWORD* apiVersion, LINEEXTENSIONID* extension) {
    return platform::Current()->NegotiateApiVersion(app, device, lowVersion, highVersion,
                                                    apiVersion, extension);
}
LONG lineGetDevCaps(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD extVersion,
                    LINEDEVCAPS* caps) {
    return platform::Current()->GetDevCaps(app, device, apiVersion, extVersion, caps);
}
LONG lineOpen(HLINEAPP app, DWORD device, HLINE* line, DWORD apiVersion, DWORD extVersion, DWORD,
              DWORD privileges, DWORD mediaModes, const void*) {
    return platform::Current()->Open(app, device, line, apiVersion, extVersion, privileges,
                                     mediaModes);
}
LONG lineNegotiateExtVersion(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD lowVersion,
                             DWORD highVersion, DWORD* extVersion) {
    return platform::Current()->NegotiateExtVersion(app, device, apiVersion, lowVersion,
                                                    highVersion, extVersion);
}
LONG lineGetGeneralInfo(HLINE line, LINEGENERALINFO* info) {
    return platform::Current()->GetGeneralInfo(line, info);
}
LONG lineClose(HLINE line) {
    return platform::Current()->Close(line);
}
LONG lineShutdown(HLINEAPP app) {
    return platform::Current()->Shutdown(app);
}
