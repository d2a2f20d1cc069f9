// The SIM identity read through the phone's telephony: the cellular line found by its exact
// name, the subscriber number taken from the line's general information, and every failing
// step leaving the identity as it was, with the line closed and the application shut down.
#include "settings/SimIdentity.h"

#include "platform/phonedb.h"
#include "platform/telephony.h"
#include "temp_device.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// The device's telephony with one step made to fail (its nth call, or every call for 0),
// and a log of the calls made.
class FailingTelephony : public platform::Telephony {
public:
    FailingTelephony(std::string step, int nth) : m_step(std::move(step)), m_nth(nth) {}

    LONG Initialize(HLINEAPP* app, std::u16string_view name, DWORD* devices, DWORD* version,
                    LINEINITIALIZEEXPARAMS* params) override {
        if (Fails("Initialize"))
            return LINEERR_NODRIVER;
        m_appName = name;
        m_initVersion = *version;
        m_options = params->dwOptions;
        return m_real->Initialize(app, name, devices, version, params);
    }
    LONG NegotiateApiVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high, DWORD* version,
                             LINEEXTENSIONID* extension) override {
        return Fails("NegotiateApiVersion")
                   ? LINEERR_INCOMPATIBLEAPIVERSION
                   : m_real->NegotiateApiVersion(app, device, low, high, version, extension);
    }
    LONG GetDevCaps(HLINEAPP app, DWORD device, DWORD api, DWORD ext, LINEDEVCAPS* caps) override {
        m_capsSizes.push_back(caps->dwTotalSize);
        return Fails("GetDevCaps") ? LINEERR_RESOURCEUNAVAIL
                                   : m_real->GetDevCaps(app, device, api, ext, caps);
    }
    LONG Open(HLINEAPP app, DWORD device, HLINE* line, DWORD api, DWORD ext, DWORD privileges,
              DWORD modes) override {
        m_openedDevice = static_cast<int>(device);
        m_privileges = privileges;
        m_modes = modes;
        return Fails("Open") ? LINEERR_RESOURCEUNAVAIL
                             : m_real->Open(app, device, line, api, ext, privileges, modes);
    }
    LONG NegotiateExtVersion(HLINEAPP app, DWORD device, DWORD api, DWORD low, DWORD high,
                             DWORD* ext) override {
        return Fails("NegotiateExtVersion")
                   ? LINEERR_INCOMPATIBLEEXTVERSION
                   : m_real->NegotiateExtVersion(app, device, api, low, high, ext);
    }
    LONG GetGeneralInfo(HLINE line, LINEGENERALINFO* info) override {
        m_infoSizes.push_back(info->dwTotalSize);
        return Fails("GetGeneralInfo") ? LINEERR_RESOURCEUNAVAIL
                                       : m_real->GetGeneralInfo(line, info);
    }
    LONG Close(HLINE line) override {
        m_log.push_back("Close");
        return m_real->Close(line);
    }
    LONG Shutdown(HLINEAPP app) override {
        m_log.push_back("Shutdown");
        return m_real->Shutdown(app);
    }

    std::vector<std::string> m_log; // every call, in order
    std::vector<DWORD> m_capsSizes, m_infoSizes;
    std::u16string m_appName;
    DWORD m_initVersion = 0, m_options = 0, m_privileges = 0, m_modes = 0;
    int m_openedDevice = -1;

private:
    bool Fails(const std::string& step) {
        m_log.push_back(step);
        const int n = ++m_calls[step];
        return step == m_step && (m_nth == 0 || m_nth == n);
    }

    std::unique_ptr<platform::Telephony> m_real = platform::MakeDeviceTelephony();
    std::string m_step;
    int m_nth;
    std::map<std::string, int> m_calls;
};

class SimIdentityTest : public ::testing::Test {
protected:
    SimIdentityTest() { s_simIdentity = u"old"; }
    ~SimIdentityTest() override { platform::UseTelephony(nullptr); }

    std::shared_ptr<FailingTelephony> Use(std::string step = "", int nth = 0) {
        auto telephony = std::make_shared<FailingTelephony>(std::move(step), nth);
        platform::UseTelephony(telephony);
        return telephony;
    }
    platform::PhoneDb& Phone() { return m_device.Get().Phone(); }

    testing_support::TempDevice m_device;
};

TEST_F(SimIdentityTest, ReadsTheCellularLinesNumberWithTheStatedArguments) {
    const auto telephony = Use();
    ASSERT_TRUE(ReadSimIdentity());
    EXPECT_EQ(s_simIdentity, u"+8613800000000");
    EXPECT_EQ(telephony->m_appName, u"ZAV_URI");
    EXPECT_EQ(telephony->m_initVersion, 0x00020000u);
    EXPECT_EQ(telephony->m_options, 2u);
    EXPECT_EQ(telephony->m_privileges, 4u);
    EXPECT_EQ(telephony->m_modes, 0x14u);
    // Each record is asked for twice: first with its fixed size, then with the size needed.
    ASSERT_EQ(telephony->m_capsSizes.size(), 2u);
    EXPECT_EQ(telephony->m_capsSizes[0], 292u);
    EXPECT_EQ(telephony->m_capsSizes[1], 292u + sizeof(u"Cellular Line"));
    ASSERT_EQ(telephony->m_infoSizes.size(), 2u);
    EXPECT_EQ(telephony->m_infoSizes[0], 52u);
    EXPECT_GT(telephony->m_infoSizes[1], 52u);
    EXPECT_EQ(telephony->m_log.back(), "Shutdown");
    EXPECT_EQ(telephony->m_log[telephony->m_log.size() - 2], "Close");
}

TEST(SimIdentity, TheLastLineNamedExactlyCellularLineCounts) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::u16string, std::u16string>> lines;
        bool ok;
        const char16_t* identity;
        int device; // the line opened, -1 for none
    };
    const Case cases[] = {
        {"two cellular lines: the higher index",
         {{u"Cellular Line", u"+8613911110000"}, {u"Cellular Line", u"+8613922220000"}},
         true,
         u"+8613922220000",
         1},
        {"another line after it",
         {{u"Cellular Line", u"137"}, {u"Modem", u"999"}},
         true,
         u"137",
         0},
        {"a name differing in case", {{u"cellular line", u"137"}}, false, u"old", -1},
        {"a longer name", {{u"Cellular Line 2", u"137"}}, false, u"old", -1},
        {"no lines at all", {}, false, u"old", -1},
        {"a SIM without a number", {{u"Cellular Line", u""}}, true, u"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDevice device; // a fresh phone has one cellular line
        ASSERT_TRUE(device.Get().Phone().RemoveSim());
        for (const auto& [name, number] : c.lines)
            ASSERT_TRUE(device.Get().Phone().AddLine(name, number));
        s_simIdentity = u"old";
        const auto telephony = std::make_shared<FailingTelephony>("", 0);
        platform::UseTelephony(telephony);
        EXPECT_EQ(ReadSimIdentity(), c.ok);
        EXPECT_EQ(s_simIdentity, c.identity);
        EXPECT_EQ(telephony->m_openedDevice, c.device);
        EXPECT_EQ(telephony->m_log.back(), "Shutdown");
        platform::UseTelephony(nullptr);
    }
}

TEST_F(SimIdentityTest, EveryFailingStepKeepsTheIdentityAndClosesWhatWasOpened) {
    struct Case {
        const char* step;
        int nth;
        bool closes; // the line was open when the step failed
    };
    const Case cases[] = {
        {"NegotiateApiVersion", 0, false}, {"GetDevCaps", 1, false},
        {"GetDevCaps", 2, false},          {"Open", 0, false},
        {"NegotiateExtVersion", 0, true},  {"GetGeneralInfo", 1, true},
        {"GetGeneralInfo", 2, true},
    };
    ASSERT_TRUE(ReadSimIdentity()); // a success first
    ASSERT_EQ(s_simIdentity, u"+8613800000000");
    ASSERT_TRUE(Phone().SetSimNumber(u"+8613999999999"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.step) + " #" + std::to_string(c.nth));
        const auto telephony = Use(c.step, c.nth);
        EXPECT_FALSE(ReadSimIdentity());
        EXPECT_EQ(s_simIdentity, u"+8613800000000");
        const auto& log = telephony->m_log;
        EXPECT_EQ(std::count(log.begin(), log.end(), "Shutdown"), 1);
        EXPECT_EQ(log.back(), "Shutdown");
        EXPECT_EQ(std::count(log.begin(), log.end(), "Close"), c.closes ? 1 : 0);
        if (c.closes) {
            EXPECT_EQ(log[log.size() - 2], "Close");
        }
    }
    // An application that never started is not shut down.
    const auto telephony = Use("Initialize", 0);
    EXPECT_FALSE(ReadSimIdentity());
    EXPECT_EQ(telephony->m_log, std::vector<std::string>{"Initialize"});
    EXPECT_EQ(s_simIdentity, u"+8613800000000");
}

} // namespace
