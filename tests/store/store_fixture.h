#pragma once

#include "platform/clock.h"
#include "store/CRegistryStore.h"
#include "temp_device.h"

#include <gtest/gtest.h>
#include <vector>

// A fresh device per test, with the clock at 7 March 2005, 09:05:00.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() { platform::FixLocalTime(platform::LocalTime{2005, 3, 7, 9, 5, 0}); }
    ~StoreTest() override { platform::FixLocalTime(std::nullopt); }

    platform::Registry& Registry() { return m_device.Get().GetRegistry(); }

    // Whether a key exists, asked without creating it.
    bool KeyExists(const CString& path) {
        platform::RegistryKey key;
        return Registry().OpenKey(HKEY_LOCAL_MACHINE, path, key) == platform::RegStatus::Ok;
    }

    // Every value name of a key, read without the program's size limits.
    std::vector<CString> ValueNames(const CString& path) {
        std::vector<CString> names;
        platform::RegistryKey key;
        std::vector<platform::RegValue> values;
        if (Registry().OpenKey(HKEY_LOCAL_MACHINE, path, key) == platform::RegStatus::Ok &&
            key.AllValues(values) == platform::RegStatus::Ok)
            for (auto& v : values)
                names.push_back(CString(v.name));
        return names;
    }

    void Write(const CString& path, const CString& name, const CString& text) {
        ASSERT_EQ(CRegistryStore::WriteString(path, name, text), 0);
    }

    testing_support::TempDevice m_device;
};

#include "store/MessageStore.h"
#include "store/NumberLists.h"

inline void PrintTo(const CString& text, std::ostream* out) {
    *out << '"' << text << '"';
}
inline void PrintTo(const CRecord& r, std::ostream* out) {
    *out << '{' << r.name << ": " << r.text << '}';
}
inline void PrintTo(const CListRow& r, std::ostream* out) {
    *out << '[' << r.column[0] << " | " << r.column[1] << " | " << r.column[2] << ']';
}
