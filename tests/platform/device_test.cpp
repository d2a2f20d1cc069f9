#include "platform/device.h"
#include "platform/registry.h"

#include "temp_device.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned Mode(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// Width and height from a JPEG's start-of-frame segment.
std::pair<int, int> JpegSize(const std::string& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        if (static_cast<unsigned char>(jpeg[i]) != 0xFF)
            return {0, 0};
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(jpeg[at]); };
        const std::size_t length = byte(i + 2) * 256u + byte(i + 3);
        if (marker >= 0xC0 && marker <= 0xC3)
            return {byte(i + 7) * 256 + byte(i + 8), byte(i + 5) * 256 + byte(i + 6)};
        i += 2 + length;
    }
    return {0, 0};
}

TEST(DeviceTest, AFreshDeviceIsPrivateAndHoldsTheInstalledFiles) {
    testing_support::TempDevice device;
    const fs::path dir = device.Dir();
    EXPECT_EQ(Mode(dir), 0700u);
    EXPECT_EQ(Mode(dir / "registry.db"), 0600u);
    EXPECT_EQ(Mode(dir / "phone.db"), 0600u);
    EXPECT_TRUE(fs::is_directory(dir / "files" / "My Documents"));

    const std::string xml = Slurp(dir / "files" / "Windows" / "brenwick.xml");
    EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "brenwick.xml", nullptr,
                                  XML_PARSE_NONET);
    ASSERT_NE(doc, nullptr) << "well-formed";
    const xmlNode* root = xmlDocGetRootElement(doc);
    EXPECT_STREQ(reinterpret_cast<const char*>(root->name), "groups");
    EXPECT_EQ(root->children, nullptr) << "no list yet";
    xmlFreeDoc(doc);

    const std::string jpeg = Slurp(dir / "files" / "Windows" / "frame.jpg");
    EXPECT_EQ(JpegSize(jpeg), std::make_pair(240, 320));
    EXPECT_EQ(Mode(dir / "files" / "Windows" / "frame.jpg"), 0600u);
}

TEST(DeviceTest, ALaterOpenKeepsWhatTheOwnerChanged) {
    testing_support::TempDevice device;
    const fs::path frame = device.Dir() / "files" / "Windows" / "frame.jpg";
    fs::remove(frame);
    platform::RegistryKey key;
    bool existed = false;
    ASSERT_EQ(device.Get().GetRegistry().CreateKey(platform::RegRoot::LocalMachine,
                                                   u"Software\\Kept", key, existed),
              platform::RegStatus::Ok);
    std::string error;
    auto again = platform::Device::Open(device.Dir(), error);
    ASSERT_TRUE(again) << error;
    EXPECT_FALSE(fs::exists(frame)) << "installed once, on first use";
    EXPECT_EQ(again->GetRegistry().OpenKey(platform::RegRoot::LocalMachine, u"Software\\Kept", key),
              platform::RegStatus::Ok);
}

TEST(DeviceTest, DevicePathsMatchNamesWithoutCase) {
    testing_support::TempDevice device;
    const fs::path files = device.Dir() / "files";
    struct Case {
        const char16_t* path;
        fs::path host;
    };
    const Case cases[] = {
        {u"\\windows\\frame.jpg", files / "Windows" / "frame.jpg"},
        {u"\\WINDOWS\\FRAME.JPG", files / "Windows" / "frame.jpg"},
        {u"\\My Documents\\List.xml", files / "My Documents" / "List.xml"},
        {u"\\my documents\\新建\\照片.jpg", files / "My Documents" / "新建" / "照片.jpg"},
        {u"/Windows//brenwick.xml", files / "Windows" / "brenwick.xml"},
        {u"\\", files},
    };
    for (const auto& c : cases)
        EXPECT_EQ(device.Get().HostPath(c.path), c.host);
    EXPECT_FALSE(device.Get().HostPath(u"\\Windows\\..\\..\\registry.db"));
    EXPECT_FALSE(device.Get().HostPath(u"\\.\\x"));
}

TEST(DeviceTest, ABrokenDeviceIsReportedClearly) {
    testing_support::TempDevice good;
    const fs::path base = good.Dir().parent_path();
    std::string error;

    const fs::path plainFile = base / "a-file";
    std::ofstream(plainFile) << "x";
    EXPECT_FALSE(platform::Device::Open(plainFile, error));
    EXPECT_NE(error.find("not a directory"), std::string::npos) << error;

    const fs::path broken = base / "broken";
    fs::create_directories(broken / "files");
    std::ofstream(broken / "registry.db") << std::string(4096, 'j');
    EXPECT_FALSE(platform::Device::Open(broken, error));
    EXPECT_NE(error.find("registry.db"), std::string::npos) << error;
    EXPECT_EQ(Slurp(broken / "registry.db"), std::string(4096, 'j')) << "nothing of it is lost";
}

TEST(DeviceTest, TheDefaultDeviceFollowsTheEnvironment) {
    const char* saved[] = {std::getenv("BRENWICK_DEVICE"), std::getenv("XDG_DATA_HOME"),
                           std::getenv("HOME")};
    const std::string keep[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "",
                                saved[2] ? saved[2] : ""};
    ::setenv("HOME", "/home/owner", 1);
    ::unsetenv("BRENWICK_DEVICE");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::Device::DefaultDirectory(), "/home/owner/.local/share/brenwick/device");
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(platform::Device::DefaultDirectory(), "/data/brenwick/device");
    ::setenv("BRENWICK_DEVICE", "/phones/one", 1);
    EXPECT_EQ(platform::Device::DefaultDirectory(), "/phones/one");
    const char* names[] = {"BRENWICK_DEVICE", "XDG_DATA_HOME", "HOME"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            ::setenv(names[i], keep[i].c_str(), 1);
        else
            ::unsetenv(names[i]);
    }
}

} // namespace
