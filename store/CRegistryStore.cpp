#include "store/CRegistryStore.h"

#include "platform/device.h"

using platform::RegStatus;

int CRegistryStore::OpenKey(platform::RegRoot root, const CString& keyPath,
                            platform::RegistryKey& key, bool& existed) {
    existed = false;
    return platform::ThisDevice().GetRegistry().CreateKey(root, keyPath, key, existed) == RegStatus::Ok
               ? 0
               : 1;
}

int CRegistryStore::ReadString(const CString& keyPath, const CString& name, CString& text,
                               platform::RegRoot root) {
    platform::RegistryKey key;
    bool existed = false;
    if (OpenKey(root, keyPath, key, existed) != 0 || !existed)
        return 1;
    platform::RegValue value;
    if (key.QueryValue(name, kDataBufferBytes, value) != RegStatus::Ok)
        return 1;
    text = platform::DecodeRegString(value.data);
    return 0;
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
    platform::RegistryKey key;
    bool existed = false;
    if (OpenKey(root, keyPath, key, existed) != 0 || !existed)
        return 1;
    return key.DeleteValue(name) == RegStatus::Ok ? 0 : 1;
}

int CRegistryStore::DeleteKey(const CString& parentPath, const CString& subKey,
                              platform::RegRoot root) {
    platform::RegistryKey key;
    bool existed = false;
    if (OpenKey(root, parentPath, key, existed) != 0 || !existed)
        return 1;
    return key.DeleteSubKey(subKey) == RegStatus::Ok ? 0 : 1;
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
    if (key.EnumValue(static_cast<std::uint32_t>(index), kNameBufferChars, kDataBufferBytes, value) !=
        RegStatus::Ok)
        return 1;
    name = CString(std::move(value.name));
    data = platform::DecodeRegString(value.data);
    return 0;
}
