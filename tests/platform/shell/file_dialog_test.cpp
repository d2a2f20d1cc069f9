#include "platform/gui/dialog.h"
#include "platform/gui/resources.h"
#include "platform/script/driver.h"
#include "platform/shell/file_dialog_widget.h"
#include "platform/shell/phone_screen.h"

#include "drive.h"
#include "gui_main.h"
#include "temp_device.h"

#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace platform::gui;
namespace fs = std::filesystem;

constexpr const char16_t* kPictures = u"*.jpg|*.gif|*.bmp|*.png|*.tif|*.jpeg|*.tiff";
constexpr int kPage = 9301;

// The dialog as the program asks for a picture.
OPENFILENAME PictureRequest(CWnd* owner = nullptr) {
    OPENFILENAME ofn;
    ofn.hwndOwner = owner;
    ofn.filterName = u"图片文件";
    ofn.filter = kPictures;
    ofn.title = u"选择图片";
    ofn.maxFile = MAX_PATH;
    ofn.flags = OFN_EXPLORER;
    return ofn;
}

class FileDialogTest : public ::testing::Test {
protected:
    FileDialogTest() {
        testing_support::Gui().Screen().show();
        for (const char* name : {"me.jpg", "a.JPG", "b.png", "c.txt", "Pics/x.gif", "Pics/y.doc"})
            Touch(std::string("My Documents/") + name);
        fs::create_directories(Files() / "My Documents" / "apps");
    }

    fs::path Files() { return device.Get().FilesRoot(); }
    void Touch(const std::string& relative) {
        const fs::path file = Files() / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }

    struct Driven {
        bool chosen = false;
        std::vector<std::string> lines;
        int code = -1;
    };
    // Runs script, with the dialog showing (open) or without it.
    static Driven Drive(const std::string& script, OPENFILENAME& ofn, bool open = true) {
        Driven result;
        const auto run = testing_support::DriveModal(
            [&](const ScriptDriver& driver) {
                if (open)
                    result.chosen = GetOpenFileName(ofn);
                else
                    testing_support::RunEventsUntil([&driver] { return driver.Finished(); });
            },
            script);
        result.lines = run.lines;
        result.code = run.exitCode;
        return result;
    }

    // Shows the dialog and acts on it once it is up, as a person would.
    bool Show(OPENFILENAME& ofn, std::function<void(FileDialogWidget&)> then) {
        QTimer::singleShot(0, [then] {
            FileDialogWidget* files = FileDialogWidget::Active();
            ASSERT_NE(files, nullptr);
            then(*files);
        });
        return GetOpenFileName(ofn);
    }

    // A finger on the list's line of that name, and what the tap sets off.
    static void TapEntry(FileDialogWidget& files, std::u16string_view name) {
        const auto& entries = files.Entries();
        const auto at = std::find_if(entries.begin(), entries.end(),
                                     [&](const auto& e) { return e.name == name; });
        ASSERT_NE(at, entries.end())
            << QString::fromStdU16String(std::u16string(name)).toStdString();
        QListWidget* list = files.List();
        QListWidgetItem* item = list->item(static_cast<int>(at - entries.begin()));
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        QCoreApplication::processEvents();
    }

    testing_support::TempDevice device;
};

using Entry = FileDialogWidget::Entry;

TEST(FileDialogFilterTest, NamesMatchThePatternsWithoutRegardToCase) {
    struct Case {
        std::u16string name, filter;
        bool matches;
    };
    const Case cases[] = {
        {u"a.JPG", kPictures, true},
        {u"photo.Jpeg", kPictures, true},
        {u"scan.tiff", kPictures, true},
        {u"c.txt", kPictures, false},
        {u"x.jpe", kPictures, false},
        {u"b.png.txt", kPictures, false},
        {u"jpg", kPictures, false},
        {u"a.b.png", kPictures, true},
        {u"a1.txt", u"a?.txt", true},
        {u"a12.txt", u"a?.txt", false},
        {u"x.gif", u" *.GIF ; *.bmp", true},
        {u"任何.doc", u"", true},
        {u"照片.JPG", u"照*.jpg", true},
        {u"ab", u"*a*b*", true},
        {u"ba", u"*a*b*", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesFilter(c.name, c.filter), c.matches)
            << QString::fromStdU16String(c.name).toStdString() << " "
            << QString::fromStdU16String(c.filter).toStdString();
}

TEST_F(FileDialogTest, AScriptAnswersWithTheDevicePathOrCancels) {
    struct Case {
        std::string script;
        bool chosen;
        CString file;
    };
    const Case cases[] = {
        {R"(file "\\My Documents\\me.jpg")", true, u"\\My Documents\\me.jpg"},
        {R"(file "me.jpg")", true, u"\\My Documents\\me.jpg"},           // in the folder shown
        {R"(file "Windows\\frame.jpg")", true, u"\\Windows\\frame.jpg"}, // from the root
        {"file \"\\\\windows\"\nfile \"frame.jpg\"", true,
         u"\\Windows\\frame.jpg"}, // a folder opens
        {"file-cancel", false, u""},
    };
    for (const auto& c : cases) {
        OPENFILENAME ofn = PictureRequest();
        ofn.file = u"\\My Documents\\old.jpg"; // what the field holds before the script types
        const Driven run = Drive(c.script, ofn);
        EXPECT_EQ(run.chosen, c.chosen) << c.script;
        EXPECT_EQ(ofn.file, c.file) << c.script;
        EXPECT_EQ(run.code, 0) << c.script;
        // The dialog has no record of its own.
        EXPECT_EQ(run.lines, (std::vector<std::string>{R"({"ev":"end","code":0})"})) << c.script;
    }
}

TEST_F(FileDialogTest, AWindowAsksAndTheScriptGoesOnBehindTheDialog) {
    RegisterDialog({kPage,
                    u"设置头像",
                    DialogKind::Page,
                    160,
                    170,
                    {{1004, ControlKind::Button, u"浏览", 10, 20, 40, 12, 0}}});
    class CAvatarDlg : public CDialog {
    public:
        CAvatarDlg() : CDialog(kPage) {}
        std::vector<std::pair<bool, CString>> answers;

    protected:
        const CMessageMap& GetMessageMap() const override {
            static const CMessageMap map{{OnClicked(1004, &CAvatarDlg::OnBrowse)}};
            return map;
        }

    private:
        void OnBrowse() {
            OPENFILENAME ofn = PictureRequest(this);
            const bool chosen = GetOpenFileName(ofn);
            answers.emplace_back(chosen, ofn.file);
        }
    } dlg;
    const auto result = testing_support::DriveDialog(dlg, R"(tap 1004
dump
file "\\My Documents\\me.jpg"
tap 1004
file-cancel
)");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dlg.answers, (std::vector<std::pair<bool, CString>>{{true, u"\\My Documents\\me.jpg"},
                                                                  {false, u""}}));
    ASSERT_GE(result.lines.size(), 2u);
    EXPECT_TRUE(result.lines[1].starts_with(R"({"ev":"dump","window":9301,)")) << result.lines[1];
}

TEST_F(FileDialogTest, TheListShowsFoldersThenTheFilesTheFilterTakes) {
    OPENFILENAME ofn = PictureRequest();
    const bool chosen = Show(ofn, [](FileDialogWidget& files) {
        EXPECT_EQ(files.Folder(), u"\\My Documents");
        const std::vector<Entry> want = {{Entry::Up, u".."},       {Entry::Folder, u"apps"},
                                         {Entry::Folder, u"Pics"}, {Entry::File, u"a.JPG"},
                                         {Entry::File, u"b.png"},  {Entry::File, u"me.jpg"}};
        EXPECT_EQ(files.Entries(), want);
        ASSERT_EQ(files.List()->count(), static_cast<int>(want.size()));
        for (int row = 0; row < files.List()->count(); ++row)
            EXPECT_EQ(files.List()->item(row)->text().toStdU16String(),
                      want[static_cast<std::size_t>(row)].name);
        // It covers the screen: a tap beside its controls reaches nothing behind it.
        int behind = 0;
        PhoneScreen::Instance()->onLeftSoftKey = [&] { ++behind; };
        PhoneScreen::Instance()->SetSoftKeys("退出", "工具");
        QTest::mouseClick(&files, Qt::LeftButton, {}, QPoint(4, 310));
        EXPECT_EQ(behind, 0);
        PhoneScreen::Instance()->onLeftSoftKey = nullptr;
        QTest::mouseClick(files.CancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(chosen);
}

TEST_F(FileDialogTest, TapsGoIntoFoldersAndUpButNeverAboveTheRoot) {
    OPENFILENAME ofn = PictureRequest();
    const bool chosen = Show(ofn, [](FileDialogWidget& files) {
        TapEntry(files, u"Pics");
        EXPECT_EQ(files.Folder(), u"\\My Documents\\Pics");
        EXPECT_EQ(files.Entries(),
                  (std::vector<Entry>{{Entry::Up, u".."}, {Entry::File, u"x.gif"}}));
        TapEntry(files, u"x.gif");
        EXPECT_EQ(files.NameEdit()->text(), QStringLiteral("\\My Documents\\Pics\\x.gif"));
        TapEntry(files, u"..");
        TapEntry(files, u"..");
        EXPECT_EQ(files.Folder(), u"\\");
        const auto& root = files.Entries();
        EXPECT_TRUE(std::none_of(root.begin(), root.end(),
                                 [](const Entry& e) { return e.kind == Entry::Up; }));
        EXPECT_NE(std::find(root.begin(), root.end(), Entry{Entry::Folder, u"Windows"}),
                  root.end());
        // A folder typed in opens, spelled as the phone spells it; an empty field does nothing.
        files.NameEdit()->setText(QStringLiteral("\\my documents\\PICS"));
        QTest::mouseClick(files.OkButton(), Qt::LeftButton);
        EXPECT_EQ(files.Folder(), u"\\My Documents\\Pics");
        EXPECT_TRUE(files.NameEdit()->text().isEmpty());
        QTest::mouseClick(files.OkButton(), Qt::LeftButton);
        EXPECT_EQ(FileDialogWidget::Active(), &files) << "still showing";
        TapEntry(files, u"x.gif");
        QTest::mouseClick(files.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(ofn.file, u"\\My Documents\\Pics\\x.gif");
}

TEST_F(FileDialogTest, APathLongerThanTheProgramTakesIsRefusedNotCut) {
    // "\My Documents\me.jpg" is 20 characters; the program's buffer needs one more.
    const std::pair<int, bool> cases[] = {{21, true}, {20, false}, {1, false}};
    for (const auto& [maxFile, fits] : cases) {
        OPENFILENAME ofn = PictureRequest();
        ofn.maxFile = maxFile;
        const Driven run = Drive(R"(file "\\My Documents\\me.jpg")", ofn);
        EXPECT_EQ(run.chosen, fits) << maxFile;
        EXPECT_EQ(ofn.file, fits ? u"\\My Documents\\me.jpg" : u"") << maxFile;
    }
}

TEST_F(FileDialogTest, WhatTheDialogStateForbidsIsAScriptError) {
    struct Case {
        bool open;
        std::string script, error;
    };
    const Case cases[] = {
        {false, R"(file "\\My Documents\\me.jpg")",
         R"({"ev":"error","line":1,"message":"no file dialog shows"})"},
        {false, "file-cancel", R"({"ev":"error","line":1,"message":"no file dialog shows"})"},
        {true, "tap 1004",
         R"({"ev":"error","line":1,"message":"tap while the file dialog shows"})"},
        {true, "wait 10\nkey x\nshot \"" + (device.Dir() / "shot.png").string() + "\"\nok",
         R"({"ev":"error","line":4,"message":"ok while the file dialog shows"})"},
        {true, "answer ok",
         R"({"ev":"error","line":1,"message":"answer while the file dialog shows"})"},
    };
    for (const auto& c : cases) {
        OPENFILENAME ofn = PictureRequest();
        const Driven run = Drive(c.script, ofn, c.open);
        EXPECT_EQ(run.code, 2) << c.script;
        EXPECT_FALSE(run.chosen) << c.script;
        EXPECT_NE(std::find(run.lines.begin(), run.lines.end(), c.error), run.lines.end())
            << c.script << "\n"
            << testing::PrintToString(run.lines);
    }
}

} // namespace
