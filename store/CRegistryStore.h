#pragma once

// The one way into the registry for the whole program. Results: 0 success, 1 failure.
// Every operation opens its key with create-or-open and closes it before it returns, so
// testing a key for existence creates it. Values are read through fixed buffers: 256 bytes
// of data (127 characters and the terminator) and 260 characters of name; a value larger
// than its buffer is never cut short: the read fails.

#include "platform/cstring.h"
#include "platform/registry.h"

#include <type_traits>

inline constexpr platform::RegRoot HKEY_LOCAL_MACHINE = platform::RegRoot::LocalMachine;
inline constexpr platform::RegRoot HKEY_CURRENT_USER = platform::RegRoot::CurrentUser;

class CRegistryStore {
public:
    static constexpr int kDataBufferBytes = 256;
    static constexpr int kNameBufferChars = 260;

    // Create-or-open of a key path and every missing key on it. existed: the key was there
    // before this call.
    static int OpenKey(platform::RegRoot root, const CString& keyPath, platform::RegistryKey& key,
                       bool& existed);

    // 1 when the key did not exist before, the value is absent or larger than 256 bytes;
    // text then keeps what it held.
    static int ReadString(const CString& keyPath, const CString& name, CString& text,
                          platform::RegRoot root = HKEY_LOCAL_MACHINE);
    static int WriteString(const CString& keyPath, const CString& name, const CString& text,
                           platform::RegRoot root = HKEY_LOCAL_MACHINE);
    // 0 only when the key existed before and the value was deleted.
    static int DeleteValue(const CString& keyPath, const CString& name,
                           platform::RegRoot root = HKEY_LOCAL_MACHINE);
    // Deletes a sub-key with everything below it; 0 only when the parent existed before.
    static int DeleteKey(const CString& parentPath, const CString& subKey,
                         platform::RegRoot root = HKEY_LOCAL_MACHINE);

    static int CountValues(platform::RegistryKey& key, int& count);
    // The value at an index: its name and its data as text (up to the first zero).
    static int EnumValue(platform::RegistryKey& key, int index, CString& name, CString& data);

    // The program's way of listing a key: open it (a key that did not exist is empty),
    // count, and hand each value to step in order until the first value that cannot be
    // read. step may return bool: false ends the listing there. The reads of a listing,
    // those step makes included, share one read of the store while nothing changes.
    template <class Step>
    static void EnumerateValues(platform::RegRoot root, const CString& keyPath, Step&& step) {
        TheRegistry().InOneRead([&] {
            platform::RegistryKey key;
            bool existed = false;
            if (OpenKey(root, keyPath, key, existed) != 0 || !existed)
                return;
            int count = 0;
            if (CountValues(key, count) != 0)
                return;
            CString name, data;
            for (int i = 0; i < count; ++i) {
                if (EnumValue(key, i, name, data) != 0)
                    return;
                if constexpr (std::is_same_v<
                                  std::invoke_result_t<Step, const CString&, const CString&>,
                                  bool>) {
                    if (!step(name, data))
                        return;
                } else {
                    step(name, data);
                }
            }
        });
    }

private:
    static platform::Registry& TheRegistry();
};
