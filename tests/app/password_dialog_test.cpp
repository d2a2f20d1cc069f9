// The password box in-process, driven by scripts: what each text opens, and the keypad.
#include "app/CPasswordDlg.h"
#include "platform/script/driver.h"
#include "res/Resources.h"
#include "store/CRegistryStore.h"
#include "store/RegistryKeys.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace platform::gui;

std::vector<std::string> Drive(CDialog& dialog, const std::string& script) {
    RegisterResources();
    return testing_support::DriveDialog(dialog, script).lines;
}

class PasswordDialogTest : public ::testing::Test {
protected:
    void Store(const char16_t* name, const char16_t* value) {
        ASSERT_EQ(CRegistryStore::WriteString(keys::kSettings, name, value), 0);
    }
    testing_support::TempDevice m_device;
};

TEST_F(PasswordDialogTest, WhatATextOpens) {
    struct Case {
        const char16_t* main;
        const char16_t* backup; // null: none stored
        std::string typed;
        int outcome;
    };
    const Case cases[] = {
        {u"1234", nullptr, "1234", CPasswordDlg::kMainPassword},
        {u"1234", u"99", "99", CPasswordDlg::kBackupPassword},
        {u"1234", nullptr, "*", CPasswordDlg::kBackupPassword},  // no backup password: "*" opens it
        {u"1234", u"", "*", CPasswordDlg::kBackupPassword},      // an empty one counts as none
        {u"1234", u"1234", "1234", CPasswordDlg::kMainPassword}, // the main password wins
        {u"Ab", nullptr, "ab", -1},                              // exact, case-sensitive
    };
    for (const auto& c : cases) {
        CRegistryStore::DeleteValue(keys::kSettings, u"PWDBK");
        Store(u"PWD", c.main);
        if (c.backup)
            Store(u"PWDBK", c.backup);
        CPasswordDlg dlg;
        dlg.m_mode = CPasswordDlg::kCheck;
        dlg.m_outcome = -1;
        const auto lines = Drive(dlg, "type 1014 \"" + c.typed + "\"\ntap 1\n" +
                                          (c.outcome < 0 ? "answer ok\ntap 2\n" : ""));
        EXPECT_EQ(dlg.m_outcome, c.outcome) << c.typed;
        EXPECT_EQ(lines.back(), R"({"ev":"end","code":0})") << c.typed;
    }
}

TEST_F(PasswordDialogTest, TheKeypadTypesIntoTheEntryThatHadTheFocus) {
    CPasswordDlg dlg;
    dlg.m_mode = CPasswordDlg::kSet;
    // The first entry has the focus from the start; "<-" on the empty second entry leaves
    // it empty; the keypad then types where the focus was last.
    Drive(dlg, "tap 1009\ntap 1010\nfocus 1003\ntap 1026\ntap 1011\ntap 1026\ntap 1026\ntap "
               "1025\nfocus 1014\ntap 1026\n"
               "dump\ncancel\n");
    EXPECT_EQ(dlg.m_firstEntry, u"1");
    EXPECT_EQ(dlg.m_secondEntry, u"0");
    EXPECT_EQ(dlg.m_focusedEntry, 1);
}

TEST_F(PasswordDialogTest, WithNoEntryFocusedTheKeypadChangesNothing) {
    // Like the box before anything took the focus: the start leaves the focused entry at 0
    // when the first entry is hidden from the focus.
    CPasswordDlg dlg;
    dlg.m_mode = CPasswordDlg::kCheck;
    QTimer::singleShot(0, [&] { dlg.m_focusedEntry = 0; });
    Drive(dlg, "wait 20\ntap 1009\ntap 1026\ncancel\n");
    EXPECT_EQ(dlg.m_firstEntry, u"");
}

} // namespace

namespace {

// The box as the owner sees it, in both modes and under an error box, written to
// BUILD/screenshots for a person to look at.
TEST_F(PasswordDialogTest, ScreenshotsOfBothModesAndAnErrorBox) {
    const std::filesystem::path dir = BRENWICK_SCREENSHOTS;
    std::filesystem::create_directories(dir);
    const struct {
        int mode;
        const char* file;
        const char* steps; // before the shot; a message box shows at the shot when answer follows
        const char* after;
    } shots[] = {
        {CPasswordDlg::kSet, "password-set.png",
         "tap 1009\ntap 1010\ntap 1011\nfocus 1003\ntap 1009\n", "cancel\n"},
        {CPasswordDlg::kCheck, "password-check.png", "tap 1009\ntap 1010\n", "cancel\n"},
        {CPasswordDlg::kSet, "password-error.png", "tap 1\n", "answer ok\ncancel\n"},
    };
    for (const auto& shot : shots) {
        CPasswordDlg dlg;
        dlg.m_mode = shot.mode;
        const std::string file = (dir / shot.file).string();
        std::filesystem::remove(file);
        const auto lines =
            Drive(dlg, std::string(shot.steps) + "shot \"" + file + "\"\n" + shot.after);
        EXPECT_EQ(lines.back(), R"({"ev":"end","code":0})") << shot.file;
        EXPECT_TRUE(std::filesystem::exists(file)) << file;
    }
}

} // namespace
