#include "settings/SimIdentity.h"

#include "platform/telephony.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

CString s_simIdentity;

namespace {

constexpr DWORD kApiVersion = 0x00020000;
constexpr DWORD kExtVersion = 0x00010000;
constexpr std::u16string_view kCellularLine = u"Cellular Line";

// A record block of size bytes for the second, full query; empty when memory is short.
template <class Record> std::unique_ptr<Record, void (*)(Record*)> AllocateRecord(DWORD size) {
    auto* block = static_cast<Record*>(::operator new(size, std::nothrow));
    if (block) {
        std::memset(block, 0, size);
        block->dwTotalSize = size;
    }
    return {block, [](Record* r) { ::operator delete(r); }};
}

// The text of a string inside a record block, up to its first zero character.
std::u16string_view StringAt(const void* block, DWORD offset, DWORD size, DWORD blockSize) {
    if (size == 0 || offset >= blockSize)
        return {};
    const auto* text = reinterpret_cast<const char16_t*>(static_cast<const char*>(block) + offset);
    const std::size_t room = (blockSize - offset) / sizeof(char16_t);
    std::size_t length = 0;
    while (length < room && text[length] != u'\0')
        ++length;
    return {text, length};
}

// The index of the last device whose line is named exactly "Cellular Line", or -1.
int FindCellularLine(HLINEAPP app, DWORD devices) {
    int found = -1;
    for (DWORD device = 0; device < devices; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension{};
        if (lineNegotiateAPIVersion(app, device, kApiVersion, kApiVersion, &version, &extension) !=
            0)
            continue;
        LINEDEVCAPS probe{};
        probe.dwTotalSize = sizeof(LINEDEVCAPS);
        if (lineGetDevCaps(app, device, version, 0, &probe) != 0)
            continue;
        const DWORD needed = std::max<DWORD>(probe.dwNeededSize, sizeof(LINEDEVCAPS));
        auto caps = AllocateRecord<LINEDEVCAPS>(needed);
        if (!caps || lineGetDevCaps(app, device, version, 0, caps.get()) != 0)
            continue;
        if (StringAt(caps.get(), caps->dwLineNameOffset, caps->dwLineNameSize, needed) ==
            kCellularLine)
            found = static_cast<int>(device);
    }
    return found;
}

// Opens the line and reads its subscriber number; false on any failing step.
bool ReadSubscriberNumber(HLINEAPP app, DWORD device, DWORD apiVersion, HLINE& line, bool& opened) {
    if (lineOpen(app, device, &line, apiVersion, 0, 0, LINECALLPRIVILEGE_OWNER,
                 LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM, nullptr) != 0)
        return false;
    opened = true;
    DWORD extVersion = 0;
    if (lineNegotiateExtVersion(app, device, apiVersion, kExtVersion, kExtVersion, &extVersion) !=
        0)
        return false;
    LINEGENERALINFO probe{};
    probe.dwTotalSize = sizeof(LINEGENERALINFO);
    if (lineGetGeneralInfo(line, &probe) != 0)
        return false;
    const DWORD needed = std::max<DWORD>(probe.dwNeededSize, sizeof(LINEGENERALINFO));
    auto info = AllocateRecord<LINEGENERALINFO>(needed);
    if (!info || lineGetGeneralInfo(line, info.get()) != 0)
        return false;
    // A size of 0 is a SIM without a number: the identity is then empty.
    s_simIdentity = CString(
        StringAt(info.get(), info->dwSubscriberNumberOffset, info->dwSubscriberNumberSize, needed));
    return true;
}

} // namespace

bool ReadSimIdentity() {
    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD apiVersion = kApiVersion;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    if (lineInitializeEx(&app, nullptr, nullptr, u"ZAV_URI", &devices, &apiVersion, &params) != 0)
        return false;
    bool ok = false, opened = false;
    HLINE line = 0;
    if (const int device = FindCellularLine(app, devices); device >= 0)
        ok = ReadSubscriberNumber(app, static_cast<DWORD>(device), apiVersion, line, opened);
    if (opened)
        lineClose(line);
    lineShutdown(app);
    return ok;
}
