#include "store/CRegistryStore.h"

#include "platform/device.h"

using platform::RegStatus;

namespace {

// Opens the key and runs step on it only when it was there before the call: 1 otherwise.
template <class Step>
int OnExistingKey(platform::RegRoot root, const CString& keyPath, Step&& step) {
    platform::RegistryKey key;
    bool existed = false;
    if (CRegistryStore::OpenKey(root, keyPath, key, existed) != 0 || !existed)
        return 1;
    return step(key) == RegStatus::Ok ? 0 : 1;
}

} // namespace

platform::Registry& CRegistryStore::TheRegistry() {
    return platform::ThisDevice().GetRegistry();
}

int CRegistryStore::OpenKey(platform::RegRoot root, const CString& keyPath,
                            platform::RegistryKey& key, bool& existed) {
    existed = false;
    return TheRegistry().CreateKey(root, keyPath, key, existed) == RegStatus::Ok ? 0 : 1;
}

int CRegistryStore::ReadString(const CString& keyPath, const CString& name, CString& text,
                               platform::RegRoot root) {
    return OnExistingKey(root, keyPath, [&](platform::RegistryKey& key) {
        platform::RegValue value;
        const RegStatus status = key.QueryValue(name, kDataBufferBytes, value);
        if (status == RegStatus::Ok)
            text = platform::DecodeRegString(value.data);
        return status;
    });
}

int CRegistryStore::WriteString(const CString& keyPath, const CString& name, const CString& text,
                                platform::RegRoot root) {
    platform::RegistryKey key;
    bool existed = false;
    if (OpenKey(root, keyPath, key, existed) != 0)
        return 1;
    return key.SetString(name, text) == RegStatus::Ok ? 0 : 1;
}

int CRegistryStore::DeleteValue(const CString& keyPath, const CString& name,
                                platform::RegRoot root) {
    return OnExistingKey(root, keyPath,
                         [&](platform::RegistryKey& key) { return key.DeleteValue(name); });
}

int CRegistryStore::DeleteKey(const CString& parentPath, const CString& subKey,
                              platform::RegRoot root) {
    return OnExistingKey(root, parentPath,
                         [&](platform::RegistryKey& key) { return key.DeleteSubKey(subKey); });
}

int CRegistryStore::CountValues(platform::RegistryKey& key, int& count) {
    std::uint32_t n = 0;
    if (key.CountValues(n) != RegStatus::Ok)
        return 1;
    count = static_cast<int>(n);
    return 0;
}

int CRegistryStore::EnumValue(platform::RegistryKey& key, int index, CString& name, CString& data) {
    if (index < 0)
        return 1;
    platform::RegValue value;
    if (key.EnumValue(static_cast<std::uint32_t>(index), kNameBufferChars, kDataBufferBytes,
                      value) != RegStatus::Ok)
        return 1;
    name = CString(std::move(value.name));
    data = platform::DecodeRegString(value.data);
    return 0;
}
