#pragma once

// The phone's telephony line interface, as far as the program uses it: the line
// application's start and end, version negotiation, a device's capabilities, opening a line
// and its general information. Records are blocks of 32-bit fields that begin with their
// total, needed and used sizes; strings lie inside the same block at a byte offset from its
// start. A block smaller than what the interface has to say gets its fixed part and the
// needed size, and the call still succeeds, so that the caller can ask again with room.
//
// The lines are the phone's lines (brenwick-phone lines). Tests put another Telephony in
// place to fail any step.

#include <cstdint>
#include <memory>
#include <string_view>

using DWORD = std::uint32_t;
using LONG = std::int32_t;
using HLINEAPP = std::uint32_t;
using HLINE = std::uint32_t;

inline constexpr LONG LINEERR_BADDEVICEID = static_cast<LONG>(0x80000002);
inline constexpr LONG LINEERR_INCOMPATIBLEAPIVERSION = static_cast<LONG>(0x8000000C);
inline constexpr LONG LINEERR_INCOMPATIBLEEXTVERSION = static_cast<LONG>(0x8000000D);
inline constexpr LONG LINEERR_INVALAPPHANDLE = static_cast<LONG>(0x80000015);
inline constexpr LONG LINEERR_INVALLINEHANDLE = static_cast<LONG>(0x8000002B);
inline constexpr LONG LINEERR_INVALPOINTER = static_cast<LONG>(0x80000035);
inline constexpr LONG LINEERR_NODRIVER = static_cast<LONG>(0x80000043);
inline constexpr LONG LINEERR_STRUCTURETOOSMALL = static_cast<LONG>(0x8000004D);
inline constexpr LONG LINEERR_RESOURCEUNAVAIL = static_cast<LONG>(0x80000048);

inline constexpr DWORD LINEINITIALIZEEXOPTION_USEEVENT = 2;
inline constexpr DWORD LINECALLPRIVILEGE_OWNER = 4;
inline constexpr DWORD LINEMEDIAMODE_INTERACTIVEVOICE = 0x4;
inline constexpr DWORD LINEMEDIAMODE_DATAMODEM = 0x10;

struct LINEINITIALIZEEXPARAMS { // 24 bytes
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwOptions;
    DWORD hEvent; // a handle the caller may wait on; nothing here ever signals it
    DWORD dwCompletionKey;
};

struct LINEEXTENSIONID {
    DWORD dwExtensionID0, dwExtensionID1, dwExtensionID2, dwExtensionID3;
};

// The fixed part of a device's capabilities as far as it is read: the line name's size and
// offset are the ninth and tenth fields (byte offset 32 and 36). The whole fixed part is
// 292 bytes.
struct LINEDEVCAPS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwRest[63];
};

// The general information of an open line (52 bytes): sizes and offsets of the maker's,
// model's, revision's, serial number's and subscriber number's strings.
struct LINEGENERALINFO {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwManufacturerSize;
    DWORD dwManufacturerOffset;
    DWORD dwModelSize;
    DWORD dwModelOffset;
    DWORD dwRevisionSize;
    DWORD dwRevisionOffset;
    DWORD dwSerialNumberSize;
    DWORD dwSerialNumberOffset;
    DWORD dwSubscriberNumberSize;
    DWORD dwSubscriberNumberOffset;
};

static_assert(sizeof(LINEINITIALIZEEXPARAMS) == 24);
static_assert(sizeof(LINEDEVCAPS) == 292);
static_assert(sizeof(LINEGENERALINFO) == 52);

namespace platform {

// The interface behind the line functions below; results 0 for success, else a LINEERR_.
class Telephony {
public:
    virtual ~Telephony() = default;
    virtual LONG Initialize(HLINEAPP* app, std::u16string_view appName, DWORD* devices,
                            DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params) = 0;
    virtual LONG NegotiateApiVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                     DWORD* version, LINEEXTENSIONID* extension) = 0;
    virtual LONG GetDevCaps(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD extVersion,
                            LINEDEVCAPS* caps) = 0;
    virtual LONG Open(HLINEAPP app, DWORD device, HLINE* line, DWORD apiVersion, DWORD extVersion,
                      DWORD privileges, DWORD mediaModes) = 0;
    virtual LONG NegotiateExtVersion(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD low,
                                     DWORD high, DWORD* extVersion) = 0;
    virtual LONG GetGeneralInfo(HLINE line, LINEGENERALINFO* info) = 0;
    virtual LONG Close(HLINE line) = 0;
    virtual LONG Shutdown(HLINEAPP app) = 0;
};

// The telephony of ThisDevice(): its lines as they are when the line application starts.
std::unique_ptr<Telephony> MakeDeviceTelephony();

// Puts telephony in place of the device's for the calls below (null: the device's again).
void UseTelephony(std::shared_ptr<Telephony> telephony);

} // namespace platform

// The line functions of the phone, on the telephony in place.
LONG lineInitializeEx(HLINEAPP* app, void* instance, void* callback, const char16_t* appName,
                      DWORD* devices, DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params);
LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD lowVersion, DWORD highVersion,
                             DWORD* apiVersion, LINEEXTENSIONID* extension);
LONG lineGetDevCaps(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD extVersion,
                    LINEDEVCAPS* caps);
LONG lineOpen(HLINEAPP app, DWORD device, HLINE* line, DWORD apiVersion, DWORD extVersion,
              DWORD callbackInstance, DWORD privileges, DWORD mediaModes, const void* callParams);
LONG lineNegotiateExtVersion(HLINEAPP app, DWORD device, DWORD apiVersion, DWORD lowVersion,
                             DWORD highVersion, DWORD* extVersion);
LONG lineGetGeneralInfo(HLINE line, LINEGENERALINFO* info);
LONG lineClose(HLINE line);
LONG lineShutdown(HLINEAPP app);
