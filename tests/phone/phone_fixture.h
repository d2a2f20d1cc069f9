#pragma once

// What the tests of phone/ share: the keys the filter service reads and writes, reaching
// the test device's registry in-process, and a fixture with the device's clock fixed.

#include "phone/filter_service.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "temp_device.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace phone_test {

constexpr std::u16string_view kSettings = u"Software\\Microsoft\\Brenwick";
constexpr std::u16string_view kBlack = u"Software\\Tolvane\\Brenwick\\List";
constexpr std::u16string_view kRed = u"Software\\Tolvane\\Brenwick\\Listb";
constexpr std::u16string_view kContent = u"Software\\Tolvane\\Brenwick\\Content";

inline std::u16string RecordKey(std::u16string_view plusForm) {
    return std::u16string(kContent) + u"\\" + std::u16string(plusForm);
}

// The clock of the in-process service at 2005-03-07 09:05:00.
class FixedClock {
public:
    FixedClock() { platform::FixLocalTime(platform::LocalTime{2005, 3, 7, 9, 5, 0}); }
    ~FixedClock() { platform::FixLocalTime(std::nullopt); }
};

using Values = std::vector<std::pair<std::u16string, std::u16string>>;

inline void Set(platform::Device& device, std::u16string_view path, std::u16string_view name,
                std::u16string_view data,
                platform::RegRoot root = platform::RegRoot::LocalMachine) {
    platform::RegistryKey key;
    bool existed = false;
    ASSERT_EQ(device.GetRegistry().CreateKey(root, path, key, existed), platform::RegStatus::Ok);
    ASSERT_EQ(key.SetString(name, data), platform::RegStatus::Ok);
}

inline bool KeyExists(platform::Device& device, std::u16string_view path,
                      platform::RegRoot root = platform::RegRoot::LocalMachine) {
    platform::RegistryKey key;
    return device.GetRegistry().OpenKey(root, path, key) == platform::RegStatus::Ok;
}

// The values of a key as (name, text) in enumeration order; none when the key is missing.
inline std::optional<Values> ValuesOf(platform::Device& device, std::u16string_view path,
                                      platform::RegRoot root = platform::RegRoot::LocalMachine) {
    platform::RegistryKey key;
    if (device.GetRegistry().OpenKey(root, path, key) != platform::RegStatus::Ok)
        return std::nullopt;
    std::vector<platform::RegValue> values;
    EXPECT_EQ(key.AllValues(values), platform::RegStatus::Ok);
    Values out;
    for (const auto& v : values)
        out.emplace_back(v.name, platform::DecodeRegString(v.data));
    return out;
}

class FilterServiceTest : public ::testing::Test {
protected:
    platform::Device& dev() { return m_device.Get(); }
    phone::Verdict Receive(std::u16string_view from, std::u16string_view text = u"hello") {
        const auto outcome = phone::ReceiveSms(dev(), from, text);
        EXPECT_TRUE(outcome.verdict) << outcome.error;
        EXPECT_EQ(outcome.warning, "");
        return outcome.verdict.value_or(phone::Verdict::Inbox);
    }

    FixedClock m_clock;
    testing_support::TempDevice m_device;
};

} // namespace phone_test
